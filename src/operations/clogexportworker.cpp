#include "operations/clogexportworker.h"

#include <QDir>

#include "history/ccommandhistory.h"
#include "transfer/csftpclient.h"
#include "transfer/cupdatemanagerctrl.h"

CLogExportWorker::CLogExportWorker(const QString &folder, const QVector<sDeviceInfo> &records, bool proxy, QObject *parent)
    : COperation(OutcomeText::EKind::Export, CCommandHistory::key("CLogExportWidget", "日志导出"), nodesOf(records),
                 parent)
    , m_folder(folder)
    , m_records(records)
    , m_proxy(proxy)
    , m_manager(new CUpdateManagerCtrl(this))
{
    setDeadlineMs(0); // a fetch ends by itself or by the stop
}

CLogExportWorker::~CLogExportWorker()
{
    finish(); // joins every fetch before the manager (a child) goes
}

QVector<sOperationNode> CLogExportWorker::nodesOf(const QVector<sDeviceInfo> &records)
{
    QVector<sOperationNode> nodes;
    for (const sDeviceInfo &record : records)
        nodes.append({record.id, record.ip, record.nodeType});
    return nodes;
}

QString CLogExportWorker::folderOf(int index) const
{
    const sDeviceInfo &record = m_records.at(index);
    return QDir(m_folder).filePath(csftpclient::logFolderName(record.name, QString::fromUtf8(source(index)), m_proxy));
}

void CLogExportWorker::stopping()
{
    m_go->store(0); // a fetch in progress ends at once
}

sBulkOutcome CLogExportWorker::runNode(int index, const CBulkRunner::Control &)
{
    const sDeviceInfo &record = m_records.at(index);
    const QString ip = QString::fromUtf8(source(index));
    csftpclient *client = m_manager->findClient(ip);
    if (!client) {
        sTransInfo info;
        info.ip = ip;
        info.localPath = m_folder;
        info.upgradeType = 0;
        info.transEnable = m_go;
        m_manager->addClient(info);
        client = m_manager->findClient(ip);
    }
    csftpclient::LogFailure why = csftpclient::LogFailure::Transfer;
    const bool ok = client && (m_proxy ? client->downloadProxyLogs(record, &why) : client->downloadNodeLogs(record, &why));
    return {ok ? sBulkOutcome::Succeeded : sBulkOutcome::Failed, int(why), QString()};
}

sNodeOutcome CLogExportWorker::toOutcome(int index, const sBulkOutcome &run) const
{
    sNodeOutcome out = COperation::toOutcome(index, run);
    out.cause = run.code;
    out.code = out.ok() ? Written : run.code == int(csftpclient::LogFailure::TooLarge) ? TooLarge : Failed;
    if (out.state == sNodeOutcome::Cancelled || m_go->load() == 0)
        out.state = sNodeOutcome::Cancelled; // cut short by the stop: no fetch
    return out;
}
