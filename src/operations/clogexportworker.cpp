#include "operations/clogexportworker.h"

#include "transfer/csftpclient.h"
#include "transfer/cupdatemanagerctrl.h"

CLogExportWorker::CLogExportWorker(const QString &folder, const sDeviceInfo &node, QObject *parent)
    : QObject(parent), m_folder(folder), m_node(node), m_manager(new CUpdateManagerCtrl(this))
{
}

CLogExportWorker::~CLogExportWorker()
{
    requestStop();
    m_runs.clear(); // joins the fetch before the manager (a child) goes
}

void CLogExportWorker::requestStop()
{
    m_transEnable->store(0);
    for (const auto &run : m_runs)
        run->cancel();
}

QString CLogExportWorker::fetchIp() const
{
    return QString::fromUtf8(m_proxyMode ? m_node.managerIP : m_node.ip);
}

void CLogExportWorker::exportAllLog()
{
    m_proxyMode = false;
    fetch();
}

void CLogExportWorker::exportProxyLog()
{
    m_proxyMode = true;
    fetch();
}

void CLogExportWorker::retry(QString ip)
{
    // The row is named by the record's IP, also in proxy mode where the fetch
    // goes to the manager's address.
    if (ip != QString::fromUtf8(m_node.ip) && !m_nodeTypes.contains(ip))
        return;
    fetch();
}

void CLogExportWorker::fetch()
{
    if (stopAsked())
        return;
    const QString ip = fetchIp();
    if (!m_manager->findClient(ip)) {
        sTransInfo info;
        info.ip = ip;
        info.localPath = m_folder;
        info.upgradeType = 0;
        info.transEnable = m_transEnable;
        m_manager->addClient(info);
    }
    m_nodeTypes.insert(ip, m_node.nodeType);
    csftpclient *client = m_manager->findClient(ip);
    const bool proxy = m_proxyMode;
    auto run = std::make_unique<CBulkRunner>();
    run->setDeadlineMs(0); // a fetch ends by itself or by the stop
    connect(run.get(), &CBulkRunner::sigOutcome, this, [this](int, const sBulkOutcome &outcome) {
        if (stopAsked())
            return;
        const bool ok = outcome.state == sBulkOutcome::Succeeded;
        const bool tooLarge = outcome.code == int(csftpclient::LogFailure::TooLarge);
        emit sigExportResult(QString::fromUtf8(m_node.ip), ok ? kLogsWritten : tooLarge ? kLogsTooLarge : kLogsFailed);
    }, Qt::QueuedConnection);
    run->start(1, [this, client, proxy](int, const CBulkRunner::Control &) {
        csftpclient::LogFailure why = csftpclient::LogFailure::Transfer;
        const bool ok = client && (proxy ? client->downloadProxyLogs(m_node, &why) : client->downloadNodeLogs(m_node, &why));
        return sBulkOutcome{ok ? sBulkOutcome::Succeeded : sBulkOutcome::Failed, int(why), QString()};
    });
    m_runs.push_back(std::move(run));
}
