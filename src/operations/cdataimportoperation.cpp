#include "operations/cdataimportoperation.h"

#include "comm/cdevicectrljob.h"
#include "comm/datafile.h"
#include "history/ccommandhistory.h"

CDataImportOperation::CDataImportOperation(CDeviceCtrlJob *job, const QStringList &paths, QObject *parent)
    : COperation(OutcomeText::EKind::Import, CCommandHistory::key("CMainTitleBar", "数据导入"), nodesOf(job, paths),
                 parent)
    , m_job(job)
    , m_paths(paths)
{
    setDeadlineMs(kDeadlineMs);
}

CDataImportOperation::~CDataImportOperation()
{
    finish();
    m_routes.forgetAll();
}

void CDataImportOperation::stopping()
{
    // A send still waiting for its connection ends when its link is closed.
    for (const QString &ip : unendedAddresses())
        m_job->closeLink(ip);
}

QVector<sOperationNode> CDataImportOperation::nodesOf(CDeviceCtrlJob *job, const QStringList &paths)
{
    QVector<sOperationNode> nodes;
    for (const QString &path : paths) {
        QJsonObject entry;
        job->readJsonFile(path, entry);
        sDeviceData named;
        DataFile::readEntry(entry, named);
        QString ip;
        checkEntry(entry, ip);
        nodes.append({named.id, ip.toUtf8(), named.type});
    }
    return nodes;
}

bool CDataImportOperation::checkEntry(const QJsonObject &entry, QString &ip)
{
    const QJsonObject devData = entry.value(QStringLiteral("devData")).toObject();
    ip = devData.value(QStringLiteral("ip")).toString();
    const int type = devData.value(QStringLiteral("type")).toInt();
    return type == DecoderNode || type == EncoderNode;
}

sBulkOutcome CDataImportOperation::runNode(int index, const CBulkRunner::Control &)
{
    QJsonObject entry;
    m_job->readJsonFile(m_paths.at(index), entry);
    QString ip;
    // Unreadable, malformed or of an unknown type: nothing is sent, nothing imported.
    if (!checkEntry(entry, ip) || ip.toUtf8() != node(index).ip)
        return {sBulkOutcome::Failed, ImportFailed, QString()};
    const int type = entry.value(QStringLiteral("devData")).toObject().value(QStringLiteral("type")).toInt();
    // Before the send: the answer may beat the send's return.
    if (!m_routes.ensure(index, [this] { return isFinishing(); }, [&] {
            return CAnswerMatcher::instance().expectImport(
                node(index).ip, type, [this, index](const sImportDataRes &answer) { onAnswer(index, answer); });
        }))
        return {sBulkOutcome::Cancelled, 0, QString()};
    QString sentTo;
    if (m_job->importDataEntry(entry, sentTo))
        return {sBulkOutcome::Pending, 0, QString()};
    return {sBulkOutcome::Failed, DeviceOffline, QString()};
}

void CDataImportOperation::onAnswer(int index, const sImportDataRes &answer)
{
    // On the link thread that parsed the answer.
    if (answer.result < 0 || answer.result > 2)
        return;
    if (answer.result == 0)
        m_job->closeLink(QString::fromUtf8(answer.ip));
    complete(index, {answer.result == 0 ? sBulkOutcome::Succeeded : sBulkOutcome::Failed, answer.result, QString()});
}

sNodeOutcome CDataImportOperation::toOutcome(int index, const sBulkOutcome &run) const
{
    sNodeOutcome out = COperation::toOutcome(index, run);
    if (out.state == sNodeOutcome::TimedOut)
        out.code = ImportFailed; // no answer by the deadline
    return out;
}
