#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <vector>

#include "history/ccommandhistory.h"
#include "operations/cbulkrunner.h"
#include "operations/outcometext.h"

// A node an operation acts on.
struct sOperationNode
{
    int64_t id = 0;
    QByteArray ip;
    int nodeType = 0;
};

// One node's end in an operation: its state, its code in the operation's kind (text from
// OutcomeText) and a detail for the view (a file written, why nothing was sent).
struct sNodeOutcome
{
    enum EState : int { Running, Succeeded, Failed, TimedOut, Cancelled };
    int state = Running;
    int code = -1;  // -1: no text of its own
    int cause = 0;  // the operation's finer reason, for a view that tells more
    QString detail;

    bool ended() const { return state != Running; }
    bool ok() const { return state == Succeeded; }
};
Q_DECLARE_METATYPE(sNodeOutcome)

// One long operation over many nodes, in the manner of a KJob: it knows its nodes, runs
// them off the calling thread (a bulk runner per start and per retry), reports each node's
// outcome and the progress, can be cancelled, and writes its one history record itself
// when it ends (finish(), or its destruction), interrupted or not. Any view (a dialog, the
// command line) starts it and shows its signals. Lives on the thread that creates it; the
// signals arrive there.
class COperation : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(COperation)

public:
    ~COperation() override; // subclasses call finish() in theirs

    OutcomeText::EKind kind() const { return m_kind; }
    int count() const { return m_nodes.size(); }
    const sOperationNode &node(int index) const { return m_nodes.at(index); }
    sNodeOutcome outcome(int index) const { return m_outcomes.at(index); }
    // The history command; the window's name of the command unless a view names it.
    void setHistoryCommand(const QString &command) { m_command = command; }
    QString historyCommand() const { return m_command; }

    void start();
    // Runs one ended node again (the window's retry); nothing after finish() nor for a batch.
    void retry(int index);
    void cancel();
    // No run going (this object's thread).
    bool isIdle() const;
    // Ends the operation once: stops what still runs, waits for it and writes the history.
    void finish();
    // A node the view refused before the start (nothing sent): its history line names it too.
    void addRefused(const sHistoryNode &node) { m_refused.append(node); }
    // Each node as the history keeps it, the refused ones last.
    QVector<sHistoryNode> historyNodes() const;

signals:
    void sigNodeStarted(int index);
    void sigNodeEnded(int index, const sNodeOutcome &outcome);
    void sigProgress(int ended, int total);
    void sigIdle(); // no node is running any more

protected:
    COperation(OutcomeText::EKind kind, const QString &command, const QVector<sOperationNode> &nodes,
               QObject *parent);

    // Before start(): each node's deadline (0: none) and the in-flight limit (0: configured).
    void setDeadlineMs(int ms) { m_deadlineMs = ms; }
    void setMaxInFlight(int n) { m_maxInFlight = n; }
    // The addresses of the nodes that have not ended yet.
    QStringList unendedAddresses() const;
    // On a pool thread: runs node index, returning its outcome, or Pending when an answer
    // ends it through complete().
    virtual sBulkOutcome runNode(int, const CBulkRunner::Control &) { return {}; }
    // An operation whose order on the wire matters runs its nodes as one batch on one
    // thread (also with no node at all: a broadcast) and reports each through
    // ctl.report(position in indices, outcome); the nodes it leaves end Cancelled after a
    // cancel, Failed otherwise.
    virtual bool isBatch() const { return false; }
    virtual void runBatch(const QVector<int> &, const CBulkRunner::Control &) {}
    // The node's outcome from the way its run ended.
    virtual sNodeOutcome toOutcome(int index, const sBulkOutcome &run) const;
    // Before the runs are cancelled: ends transfers that do not look at the runner.
    virtual void stopping() {}
    // From any thread: the answer that ends node index. An answer after the node's
    // deadline still shows what the node did; nothing after finish().
    void complete(int index, const sBulkOutcome &outcome);
    bool isFinishing() const;

private:
    struct sSlot
    {
        CBulkRunner *runner = nullptr;
        int runIndex = -1;
    };

    void startRun(const QVector<int> &indices);
    void onRunOutcome(int index, const sBulkOutcome &run);
    void dropFinishedRuns(); // m_mutex held

    const OutcomeText::EKind m_kind;
    QString m_command;
    const QVector<sOperationNode> m_nodes;
    QVector<sNodeOutcome> m_outcomes; // this object's thread only
    int m_deadlineMs = CBulkRunner::kDefaultDeadlineMs;
    int m_maxInFlight = 0;
    bool m_recorded = false;
    int m_activeRuns = 0; // runs whose end has not arrived here yet
    QVector<sHistoryNode> m_refused;

    mutable QMutex m_mutex; // what follows; held while an answer ends a node
    std::vector<std::unique_ptr<CBulkRunner>> m_runs;
    QVector<sSlot> m_slots; // the run each node is in now
    bool m_finishing = false;
};
