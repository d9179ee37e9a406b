#include "operations/cexportworker.h"

#include "comm/cdevicectrljob.h"
#include "comm/ipv4.h"
#include "comm/protocol.h"

#include <QDebug>
#include <QDir>
#include <QJsonDocument>
#include <QStringList>

namespace {
constexpr int kWritten = 0;
constexpr int kNotWritten = 2;
} // namespace

CExportWorker::CExportWorker(const SelectedNodeList &nodes, CDeviceCtrlJob *job, const QString &folder,
                             QObject *parent)
    : QObject(parent)
    , m_nodes(nodes)
    , m_job(job)
    , m_folder(folder)
{
    setAutoDelete(false);
    for (const sSelectedNode &node : nodes)
        m_selected.insert(QString::fromUtf8(node.ip));
}

CExportWorker::~CExportWorker()
{
    requestStop();
    m_runs.clear(); // each runner cancels and joins its threads
}

void CExportWorker::requestStop()
{
    QStringList links;
    {
        QMutexLocker lock(&m_mutex);
        m_stop = true;
        links = m_pending.keys();
        m_pending.clear();
    }
    for (const auto &run : m_runs)
        run->cancel();
    // A request still waiting for its connection ends when its link is closed.
    for (const QString &ip : qAsConst(links))
        m_job->closeLink(ip);
}

bool CExportWorker::stopRequested() const
{
    QMutexLocker lock(&m_mutex);
    return m_stop;
}

bool CExportWorker::isIdle() const
{
    for (const auto &run : m_runs) {
        if (run->isRunning())
            return false;
    }
    return true;
}

QString CExportWorker::fileNameFor(const QByteArray &ip, int type)
{
    if (!Ipv4::isValid(QString::fromLatin1(ip)))
        return {};
    const char *prefix = type == DecoderNode ? "de" : type == EncoderNode ? "en" : "";
    return QString::fromLatin1(prefix) + QString::fromLatin1(ip) + QStringLiteral(".json");
}

void CExportWorker::process()
{
    NodeList nodes;
    for (const sSelectedNode &node : m_nodes) {
        const QString ip = QString::fromUtf8(node.ip);
        // A node selected twice is asked once; its rows share the answer.
        if (m_types.contains(ip))
            continue;
        m_types.insert(ip, node.nodeType);
        nodes.append({ip, node.nodeType});
    }
    startRun(nodes);
}

void CExportWorker::retry(QString ip)
{
    const auto it = m_types.constFind(ip);
    if (it != m_types.constEnd())
        startRun({{ip, it.value()}});
}

void CExportWorker::startRun(const NodeList &nodes)
{
    if (stopRequested() || nodes.isEmpty())
        return;
    dropFinishedRuns();
    auto run = std::make_unique<CBulkRunner>();
    CBulkRunner *runner = run.get();
    runner->setDeadlineMs(kDeadlineMs);
    connect(runner, &CBulkRunner::sigOutcome, this, [this, nodes](int index, const sBulkOutcome &outcome) {
        if (stopRequested())
            return;
        emit setExportResult(nodes.at(index).first,
                             outcome.state == sBulkOutcome::Succeeded ? kWritten : kNotWritten);
    }, Qt::QueuedConnection);
    m_runs.push_back(std::move(run));
    runner->start(nodes.size(), [this, runner, nodes](int index, const CBulkRunner::Control &) {
        return request(runner, index, nodes.at(index).first, nodes.at(index).second);
    });
}

sBulkOutcome CExportWorker::request(CBulkRunner *runner, int index, const QString &ip, int type)
{
    if (type != DecoderNode && type != EncoderNode)
        return {sBulkOutcome::Failed, 0, QString()}; // nothing to ask, no file
    {
        // Registered before the send: the answer may beat the send's return.
        QMutexLocker lock(&m_mutex);
        if (m_stop)
            return {sBulkOutcome::Cancelled, 0, QString()};
        m_pending.insert(ip, {runner, index});
    }
    const QByteArray address = ip.toUtf8();
    const bool sent = type == DecoderNode ? m_job->exportDecoderData(address) : m_job->exportEncoderData(address);
    if (sent)
        return {sBulkOutcome::Pending, 0, QString()};
    QMutexLocker lock(&m_mutex);
    const auto it = m_pending.find(ip);
    if (it != m_pending.end() && it->runner == runner && it->index == index)
        m_pending.erase(it);
    return {sBulkOutcome::Failed, Protocol::kTcpNoLink, QString()};
}

void CExportWorker::exportDataSave(sDeviceData *deviceData)
{
    // Runs on the link thread that parsed the answer; the record lives for this call.
    QMutexLocker lock(&m_mutex);
    if (!deviceData || m_stop)
        return;
    const QString ip = QString::fromUtf8(deviceData->ip);
    if (!m_selected.contains(ip))
        return; // a node without a row
    // Normally the answer to a request in flight; an answer after its deadline, or a
    // second one, is still written and shown.
    const sRequest req = m_pending.take(ip);
    m_job->closeLink(ip);

    sBulkOutcome outcome{sBulkOutcome::Failed, 0, QString()};
    const QString name = fileNameFor(deviceData->ip, deviceData->type);
    if (m_folder.isEmpty() || name.isEmpty()) {
        qDebug() << "export answer without a valid address";
    } else {
        const QByteArray text = QJsonDocument(m_job->packDataEntry(*deviceData)).toJson(QJsonDocument::Indented);
        const QString path = QDir(m_folder).filePath(name);
        if (m_job->writeJsonFile(path, text))
            outcome = {sBulkOutcome::Succeeded, 0, path};
    }
    if (!req.runner || !req.runner->complete(req.index, outcome))
        emit setExportResult(ip, outcome.state == sBulkOutcome::Succeeded ? kWritten : kNotWritten);
}

void CExportWorker::dropFinishedRuns()
{
    // A finished run's answers are all in; those still pending point at running runs only.
    QMutexLocker lock(&m_mutex);
    for (auto it = m_runs.begin(); it != m_runs.end();) {
        bool referenced = false;
        for (const sRequest &r : qAsConst(m_pending))
            referenced = referenced || r.runner == it->get();
        if (!(*it)->isRunning() && !referenced)
            it = m_runs.erase(it);
        else
            ++it;
    }
}
