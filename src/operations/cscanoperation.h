#pragma once

#include <QByteArray>
#include <QStringList>
#include <atomic>
#include <memory>

#include "operations/coperation.h"

class CDeviceCtrlJob;

// The scan as one operation, for the window, its auto refresh and the command line alike:
// empties both stores and sends 1006 once from every card the scan may use (or from the
// route's socket when there is no such card), then listens for the receive window while
// the registered observers put the answers into the stores. Runs off the calling thread;
// sigIdle says it has ended. cancel() ends the listening early: the stores keep what came.
// A probe asks one address instead and keeps the stores. It acts on no listed node and
// writes no history line.
class CScanOperation final : public COperation
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CScanOperation)

public:
    // Every card the configuration leaves in.
    explicit CScanOperation(CDeviceCtrlJob &job, QObject *parent = nullptr);
    // Only the named cards (system or human names); with a name that is no card nothing
    // goes out and the stores stay as they are.
    CScanOperation(CDeviceCtrlJob &job, const QStringList &cards, QObject *parent = nullptr);
    // 1006 to ip alone.
    static std::unique_ptr<CScanOperation> probe(CDeviceCtrlJob &job, const QByteArray &ip,
                                                 QObject *parent = nullptr);
    ~CScanOperation() override;

    // Once it has ended: whether the request went out, and whether a cancel cut it short.
    bool sent() const { return m_sent.load(); }
    bool wasCancelled() const { return m_cancelled.load(); }

protected:
    bool isBatch() const override { return true; }
    void runBatch(const QVector<int> &indices, const CBulkRunner::Control &ctl) override;

private:
    enum class EMode { AllCards, NamedCards, Probe };
    CScanOperation(CDeviceCtrlJob &job, EMode mode, const QStringList &cards, const QByteArray &ip,
                   QObject *parent);

    CDeviceCtrlJob &m_job;
    const EMode m_mode;
    const QStringList m_cards;
    const QByteArray m_ip;
    std::atomic<bool> m_sent{false};
    std::atomic<bool> m_cancelled{false};
};
