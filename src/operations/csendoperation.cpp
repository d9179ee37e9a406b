#include "operations/csendoperation.h"

#include <algorithm>

#include "comm/addressplan.h"
#include "history/ccommandhistory.h"

CSendOperation::CSendOperation(OutcomeText::EKind kind, const QString &command, const QVector<sOperationNode> &nodes,
                               SendAll send, QObject *parent)
    : COperation(kind, command, nodes, parent), m_send(std::move(send))
{
    setDeadlineMs(0); // the batch's own receive window bounds it
}

CSendOperation::~CSendOperation()
{
    finish();
}

void CSendOperation::runBatch(const QVector<int> &indices, const CBulkRunner::Control &ctl)
{
    const QVector<int> results = m_send([&ctl] { return ctl.stopRequested(); });
    if (indices.isEmpty())
        m_broadcastSent = !results.isEmpty() && results.first() > 0;
    const bool stopped = ctl.stopRequested();
    for (int i = 0; i < indices.size(); ++i) {
        const bool sent = results.value(indices.at(i)) > 0;
        // Unsent because of the stop: left to end Cancelled.
        if (sent || !stopped)
            ctl.report(i, {sent ? sBulkOutcome::Succeeded : sBulkOutcome::Failed, sent ? Sent : NotSent, QString()});
    }
}

namespace SendOperations {

namespace {

QVector<sOperationNode> nodesOf(const SelectedNodeList &nodes)
{
    QVector<sOperationNode> out;
    for (const sSelectedNode &node : nodes)
        out.append({node.id, node.ip, node.nodeType});
    return out;
}

template <typename Record>
QVector<sOperationNode> nodesOfRecords(const QList<Record> &records)
{
    QVector<sOperationNode> out;
    for (const Record &record : records)
        out.append({record.id, record.ip, record.nodeType});
    return out;
}

QString key(const char *context, const char *source)
{
    return CCommandHistory::key(context, source);
}

} // namespace

Operation restart(CDeviceCtrlJob &job, const SelectedNodeList &nodes)
{
    return std::make_unique<CSendOperation>(OutcomeText::EKind::Send, key("CDeviceManage", "设备重启"), nodesOf(nodes),
                                            [&job, nodes](const CDeviceCtrlJob::Stop &stop) {
                                                QVector<int> sent;
                                                job.rebootNodes(nodes, stop, &sent);
                                                return sent;
                                            });
}

Operation factoryReset(CDeviceCtrlJob &job, const SelectedNodeList &nodes)
{
    return std::make_unique<CSendOperation>(OutcomeText::EKind::Send, key("CDeviceManage", "恢复出厂设置"),
                                            nodesOf(nodes), [&job, nodes](const CDeviceCtrlJob::Stop &stop) {
                                                QVector<int> sent;
                                                job.factoryResetNodes(nodes, stop, &sent);
                                                return sent;
                                            });
}

Operation typeSwitch(CDeviceCtrlJob &job, const QList<sDeviceInfo> &nodes)
{
    return std::make_unique<CSendOperation>(
        OutcomeText::EKind::Switch, key("CMainTitleBar", "类型切换"), nodesOfRecords(nodes),
        [&job, nodes](const CDeviceCtrlJob::Stop &stop) {
            QList<sDeviceInfo> failed;
            job.switchNodeType(nodes, failed, stop);
            QVector<int> sent;
            for (const sDeviceInfo &node : nodes) {
                const auto same = [&node](const sDeviceInfo &f) { return f.id == node.id && f.ip == node.ip; };
                sent.append(node.id > 0 && std::none_of(failed.cbegin(), failed.cend(), same) ? 1 : 0);
            }
            return sent;
        });
}

Operation modeSwitch(CDeviceCtrlJob &job, const QList<sDecoderInfo> &records)
{
    return std::make_unique<CSendOperation>(OutcomeText::EKind::Send, key("CMainTitleBar", "解码节点模式切换"),
                                            nodesOfRecords(records), [&job, records](const CDeviceCtrlJob::Stop &stop) {
                                                QVector<int> sent;
                                                job.setDecoders(records, stop, &sent);
                                                return sent;
                                            });
}

Operation network(CDeviceCtrlJob &job, const SelectedNodeList &nodes, const QString &startIp, const QString &mask,
                  const QString &gateway)
{
    return std::make_unique<CSendOperation>(
        OutcomeText::EKind::Send, key("CMainTitleBar", "网络配置"), nodesOf(nodes),
        [&job, nodes, startIp, mask, gateway](const CDeviceCtrlJob::Stop &stop) {
            QStringList ips;
            for (const sSelectedNode &node : nodes)
                ips << QString::fromUtf8(node.ip);
            QVector<int> planned;
            job.setNetwork(startIp, mask, gateway, ips, stop, &planned);
            // One result per send, in plan order; the plan leaves out an address it cannot send to.
            const QVector<AddressPlan::sPlannedAddress> plan = AddressPlan::plan(startIp, ips);
            QVector<int> sent;
            int entry = 0;
            int send = 0;
            for (int i = 0; i < nodes.size(); ++i) {
                int result = 0;
                if (entry < plan.size() && plan.at(entry).current == ips.at(i) && !plan.at(entry++).planned.isEmpty())
                    result = planned.value(send++);
                sent.append(result);
            }
            return sent;
        });
}

Operation timeSync(CDeviceCtrlJob &job, int64_t timeBase)
{
    return std::make_unique<CSendOperation>(OutcomeText::EKind::Send, key("CDeviceManage", "同步系统时间"),
                                            QVector<sOperationNode>(), [&job, timeBase](const CDeviceCtrlJob::Stop &) {
                                                return QVector<int>{job.syncTime(QString(), timeBase) ? 1 : 0};
                                            });
}

Operation logLevel(CDeviceCtrlJob &job, int level)
{
    return std::make_unique<CSendOperation>(OutcomeText::EKind::Send, key("CMainTitleBar", "代理节点日志等级"),
                                            QVector<sOperationNode>(), [&job, level](const CDeviceCtrlJob::Stop &) {
                                                return QVector<int>{job.setProxyLogLevel(level) ? 1 : 0};
                                            });
}

Operation decoderSettings(CDeviceCtrlJob &job, int64_t id, const QString &ip, const sDecoderInfo &record)
{
    return std::make_unique<CSendOperation>(
        OutcomeText::EKind::Send, key("CDeviceManage", QT_TRANSLATE_NOOP("CDeviceManage", "节点设置")),
        QVector<sOperationNode>{{id, ip.toUtf8(), DecoderNode}},
        [&job, ip, record](const CDeviceCtrlJob::Stop &) { return QVector<int>{job.sendDecoderRecord(ip, record) ? 1 : 0}; });
}

Operation encoderSettings(CDeviceCtrlJob &job, int64_t id, const QString &ip, const sEncoderInfo &record)
{
    return std::make_unique<CSendOperation>(
        OutcomeText::EKind::Send, key("CDeviceManage", QT_TRANSLATE_NOOP("CDeviceManage", "节点设置")),
        QVector<sOperationNode>{{id, ip.toUtf8(), EncoderNode}},
        [&job, ip, record](const CDeviceCtrlJob::Stop &) { return QVector<int>{job.sendEncoderRecord(ip, record) ? 1 : 0}; });
}

} // namespace SendOperations
