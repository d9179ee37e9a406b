#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// One node's end in a bulk operation, handed over by value.
struct sBulkOutcome
{
    enum EState : int {
        Succeeded,
        Failed,
        TimedOut,  // the node's own deadline passed first
        Cancelled, // the run was cancelled before the node ended
        Pending,   // only as a task's return: complete() ends the node later
        Awaiting   // as Pending, but the node's transfer is over: its slot goes to the next node
    };
    int state = Failed;
    int code = 0;    // the operation's own result (send result, curl code, answer "res")
    QString detail;  // free text for the view, e.g. the file written

    bool operator==(const sBulkOutcome &o) const
    {
        return state == o.state && code == o.code && detail == o.detail;
    }
};
Q_DECLARE_METATYPE(sBulkOutcome)

// Runs one operation over many nodes (indices 0..count-1) off the calling thread.
//
// Node mode, start(count, task): task(index, ctl) runs on a pool thread, at most
// maxInFlight nodes at a time (nodes still Pending count as in flight). A task may block
// until ctl.stopRequested() (its own deadline, counted from its own start, or a cancel)
// and returns the node's outcome, or Pending when an answer will end the node through
// complete(index, ...) from any thread. A Pending node not completed by its deadline ends
// TimedOut; an outcome after that is ignored. The limit bounds transfers, not waits: a
// task that has done its sending and only waits for the node (an upgrade installing)
// returns ctl.awaiting(ms), which frees its slot and gives it a deadline of its own.
// Batch mode, startBatch(count, batch): batch(ctl) runs once on one thread, for work whose
// order on the wire matters, and reports nodes with ctl.report(); nodes it leaves
// unreported end Cancelled after a cancel, Failed otherwise.
//
// Signals come from the runner's threads; connect them queued (the default for a
// receiver on another thread). Every node gets exactly one sigOutcome, then sigFinished.
// cancel() asks every task to stop; the destructor cancels and joins every thread, so
// nothing the runner started outlives it. Without an event loop, wait() blocks until done.
class CBulkRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CBulkRunner)

public:
    static constexpr int kDefaultDeadlineMs = 10000;

    class Control final
    {
    public:
        // Cancelled, or (node mode) this node's deadline passed.
        bool stopRequested() const;
        // Time left before this node's deadline (node mode), at least 0.
        int remainingMs() const;
        // Batch mode: ends node index with outcome (ignored when it already ended).
        void report(int index, const sBulkOutcome &outcome) const;
        // Node mode, as the task's return: the node waits for complete() without holding a
        // slot, until waitMs from now (0: no deadline) or a cancel.
        sBulkOutcome awaiting(int waitMs) const;

    private:
        friend class CBulkRunner;
        Control(CBulkRunner *runner, int index) : m_runner(runner), m_index(index) {}
        std::chrono::steady_clock::time_point deadline() const; // m_mutex held
        CBulkRunner *m_runner = nullptr;
        int m_index = -1; // -1 in batch mode
    };

    using NodeTask = std::function<sBulkOutcome(int index, const Control &ctl)>;
    using BatchTask = std::function<void(const Control &ctl)>;

    explicit CBulkRunner(QObject *parent = nullptr);
    ~CBulkRunner() override;

    // Defaults: the configuration's "maxInFlight", kDefaultDeadlineMs (0: no deadline).
    // Set before start().
    void setMaxInFlight(int n);
    void setDeadlineMs(int ms);
    int maxInFlight() const;

    // false when a run is still going or count < 0.
    bool start(int count, NodeTask task);
    bool startBatch(int count, BatchTask batch);

    // Ends a Pending node; false when the node had already ended (late or twice).
    bool complete(int index, const sBulkOutcome &outcome);
    void cancel();

    bool isRunning() const;
    bool wasCancelled() const;
    // Blocks until the run has finished and its threads are gone; false on time-out.
    bool wait(int timeoutMs = -1);
    // Outcomes so far, by index (state Pending for nodes not yet ended).
    std::vector<sBulkOutcome> outcomes() const;

signals:
    void sigOutcome(int index, const sBulkOutcome &outcome);
    void sigProgress(int ended, int total);
    void sigFinished(bool cancelled);

private:
    using Clock = std::chrono::steady_clock;
    enum class NodeState { Queued, Running, Waiting, Ended };

    bool begin(int count, int threads, bool batch);
    void nodeWorker();
    void batchWorker(BatchTask batch);
    void watcher();
    // Ends a node when it has not ended yet; returns whether it did. Emits outside the lock.
    bool settle(int index, sBulkOutcome outcome, std::unique_lock<std::mutex> &lock);
    void joinAll();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    NodeTask m_task;
    std::vector<NodeState> m_state;
    std::vector<bool> m_slotFree; // a Waiting node that gave its slot back
    std::vector<Clock::time_point> m_deadlines;
    std::vector<sBulkOutcome> m_outcomes;
    std::vector<std::thread> m_threads;
    int m_count = 0;
    int m_next = 0;        // next node to start
    int m_inFlight = 0;    // Running + Waiting that keep their slot
    int m_busyThreads = 0; // threads not yet returned
    int m_ended = 0;
    int m_announced = 0;   // ended nodes whose signals have gone out
    bool m_running = false;
    bool m_cancelled = false;
    bool m_batchMode = false;
    int m_maxInFlight = 16;
    int m_deadlineMs = kDefaultDeadlineMs;
};
