#include "operations/cexportworker.h"

#include "comm/cdevicectrljob.h"
#include "comm/ipv4.h"
#include "comm/protocol.h"
#include "history/ccommandhistory.h"

#include <QDebug>
#include <QDir>
#include <QJsonDocument>

CExportWorker::CExportWorker(const SelectedNodeList &nodes, CDeviceCtrlJob *job, const QString &folder, QObject *parent)
    : COperation(OutcomeText::EKind::Export, CCommandHistory::key("CMainTitleBar", "数据导出"), nodesOf(nodes), parent)
    , m_job(job)
    , m_folder(folder)
{
    setDeadlineMs(kDeadlineMs);
    for (int i = 0; i < count(); ++i)
        m_index.insert(QString::fromUtf8(node(i).ip), i);
}

CExportWorker::~CExportWorker()
{
    finish();
    m_routes.forgetAll();
}

void CExportWorker::stopping()
{
    // A send still waiting for its connection ends when its link is closed.
    for (const QString &ip : unendedAddresses())
        m_job->closeLink(ip);
}

QVector<sOperationNode> CExportWorker::nodesOf(const SelectedNodeList &nodes)
{
    QVector<sOperationNode> out;
    QSet<QByteArray> seen;
    for (const sSelectedNode &node : nodes) {
        if (seen.contains(node.ip))
            continue;
        seen.insert(node.ip);
        out.append({node.id, node.ip, node.nodeType});
    }
    return out;
}

QString CExportWorker::fileNameFor(const QByteArray &ip, int type)
{
    if (!Ipv4::isValid(QString::fromLatin1(ip)))
        return {};
    const char *prefix = type == DecoderNode ? "de" : type == EncoderNode ? "en" : "";
    return QString::fromLatin1(prefix) + QString::fromLatin1(ip) + QStringLiteral(".json");
}

sBulkOutcome CExportWorker::runNode(int index, const CBulkRunner::Control &)
{
    const sOperationNode &n = node(index);
    if (n.nodeType != DecoderNode && n.nodeType != EncoderNode)
        return {sBulkOutcome::Failed, NotWritten, QString()}; // nothing to ask, no file
    // Before the send: the answer may beat the send's return.
    if (!m_routes.ensure(index, [this] { return isFinishing(); }, [&] {
            return CAnswerMatcher::instance().expectExport(
                n.ip, n.nodeType, [this, index](const sDeviceData &data) { exportDataSave(index, data); });
        }))
        return {sBulkOutcome::Cancelled, 0, QString()};
    const bool sent = n.nodeType == DecoderNode ? m_job->exportDecoderData(n.ip) : m_job->exportEncoderData(n.ip);
    if (sent)
        return {sBulkOutcome::Pending, 0, QString()};
    return {sBulkOutcome::Failed, Protocol::kTcpNoLink, QString()};
}

void CExportWorker::exportDataSave(int index, const sDeviceData &data)
{
    if (isFinishing())
        return;
    m_job->closeLink(QString::fromUtf8(data.ip));
    sBulkOutcome outcome{sBulkOutcome::Failed, NotWritten, QString()};
    const QString name = fileNameFor(data.ip, data.type);
    if (m_folder.isEmpty() || name.isEmpty()) {
        qDebug() << "export answer without a valid address";
    } else {
        const QByteArray text = QJsonDocument(m_job->packDataEntry(data)).toJson(QJsonDocument::Indented);
        const QString path = QDir(m_folder).filePath(name);
        if (m_job->writeJsonFile(path, text))
            outcome = {sBulkOutcome::Succeeded, Written, path};
    }
    complete(index, outcome);
}

sNodeOutcome CExportWorker::toOutcome(int index, const sBulkOutcome &run) const
{
    sNodeOutcome out = COperation::toOutcome(index, run);
    out.code = out.ok() ? Written : NotWritten;
    return out;
}
