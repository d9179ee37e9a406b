#pragma once

#include <QList>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>
#include <memory>

#include "comm/cdevicectrljob.h"
#include "model/sdeviceinfo.h"
#include "operations/coperation.h"

// A bulk command nodes do not answer: every node's frame goes out in order, from one
// socket with one receive window (the job's batch), so a node's evidence is its send.
// One class for every such command; the command is the send it is made with (see
// SendOperations). A cancel ends the batch between sends; a node it left unsent ends
// Cancelled. Codes: OutcomeText::EKind::Send or Switch (0 sent, 1 not sent).
class CSendOperation final : public COperation
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSendOperation)

public:
    // Sends every node; one result per node, > 0 when its frame went out.
    using SendAll = std::function<QVector<int>(const CDeviceCtrlJob::Stop &stop)>;
    enum : int { Sent = 0, NotSent = 1 };

    CSendOperation(OutcomeText::EKind kind, const QString &command, const QVector<sOperationNode> &nodes,
                   SendAll send, QObject *parent = nullptr);
    ~CSendOperation() override;

    // A broadcast (no node): whether it went out.
    bool broadcastSent() const { return m_broadcastSent.load(); }

protected:
    bool isBatch() const override { return true; }
    void runBatch(const QVector<int> &indices, const CBulkRunner::Control &ctl) override;

private:
    const SendAll m_send;
    std::atomic<bool> m_broadcastSent{false};
};

// The commands, each with the window's name for the history.
namespace SendOperations {

using Operation = std::unique_ptr<CSendOperation>;

Operation restart(CDeviceCtrlJob &job, const SelectedNodeList &nodes);
Operation factoryReset(CDeviceCtrlJob &job, const SelectedNodeList &nodes);
// Each node to the other type; a node without an id is not sent to.
Operation typeSwitch(CDeviceCtrlJob &job, const QList<sDeviceInfo> &nodes);
// Each decoder's record as given (3501).
Operation modeSwitch(CDeviceCtrlJob &job, const QList<sDecoderInfo> &records);
// Consecutive addresses from startIp for the nodes, in list order, as the plan gives them.
Operation network(CDeviceCtrlJob &job, const SelectedNodeList &nodes, const QString &startIp, const QString &mask,
                  const QString &gateway);
// Broadcasts.
Operation timeSync(CDeviceCtrlJob &job, int64_t timeBase);
Operation logLevel(CDeviceCtrlJob &job, int level);
// One node's settings record, to the address it had when its dialog opened.
Operation decoderSettings(CDeviceCtrlJob &job, int64_t id, const QString &ip, const sDecoderInfo &record);
Operation encoderSettings(CDeviceCtrlJob &job, int64_t id, const QString &ip, const sEncoderInfo &record);

} // namespace SendOperations
