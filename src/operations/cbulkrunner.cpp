#include "operations/cbulkrunner.h"

#include <algorithm>
#include <cstdint>

#include "config/cappconfig.h"

namespace {
const int kOutcomeTypeId = qRegisterMetaType<sBulkOutcome>("sBulkOutcome");
} // namespace

std::chrono::steady_clock::time_point CBulkRunner::Control::deadline() const
{
    return m_index < 0 ? Clock::time_point::max() : m_runner->m_deadlines[size_t(m_index)];
}

bool CBulkRunner::Control::stopRequested() const
{
    std::lock_guard<std::mutex> lock(m_runner->m_mutex);
    return m_runner->m_cancelled || Clock::now() >= deadline();
}

int CBulkRunner::Control::remainingMs() const
{
    std::lock_guard<std::mutex> lock(m_runner->m_mutex);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline() - Clock::now()).count();
    return int(std::max<long long>(0, std::min<long long>(left, INT32_MAX)));
}

sBulkOutcome CBulkRunner::Control::awaiting(int waitMs) const
{
    if (m_index >= 0) {
        std::lock_guard<std::mutex> lock(m_runner->m_mutex);
        // Only a node still running gets the new deadline: one already ended keeps its outcome.
        if (m_runner->m_state[size_t(m_index)] == NodeState::Running)
            m_runner->m_deadlines[size_t(m_index)] = waitMs > 0
                ? Clock::now() + std::chrono::milliseconds(waitMs) : Clock::time_point::max();
    }
    return {sBulkOutcome::Awaiting, 0, QString()};
}

void CBulkRunner::Control::report(int index, const sBulkOutcome &outcome) const
{
    std::unique_lock<std::mutex> lock(m_runner->m_mutex);
    if (index >= 0 && index < m_runner->m_count && outcome.state != sBulkOutcome::Pending
        && outcome.state != sBulkOutcome::Awaiting)
        m_runner->settle(index, outcome, lock);
}

CBulkRunner::CBulkRunner(QObject *parent) : QObject(parent)
{
    Q_UNUSED(kOutcomeTypeId)
    m_maxInFlight = std::max(1, CAppConfig::instance()->maxInFlight());
}

CBulkRunner::~CBulkRunner()
{
    cancel();
    joinAll();
}

void CBulkRunner::setMaxInFlight(int n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_maxInFlight = std::max(1, n);
}

void CBulkRunner::setDeadlineMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_deadlineMs = std::max(0, ms);
}

int CBulkRunner::maxInFlight() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_maxInFlight;
}

bool CBulkRunner::begin(int count, int threads, bool batch)
{
    if (count < 0 || isRunning())
        return false;
    joinAll(); // the previous run's threads have ended; collect them
    std::lock_guard<std::mutex> lock(m_mutex);
    m_count = count;
    m_state.assign(size_t(count), NodeState::Queued);
    m_deadlines.assign(size_t(count), Clock::time_point::max());
    m_slotFree.assign(size_t(count), false);
    m_outcomes.assign(size_t(count), sBulkOutcome{sBulkOutcome::Pending, 0, QString()});
    m_next = 0;
    m_inFlight = 0;
    m_busyThreads = threads;
    m_ended = 0;
    m_announced = 0;
    m_cancelled = false;
    m_batchMode = batch;
    m_running = true;
    return true;
}

bool CBulkRunner::start(int count, NodeTask task)
{
    const int threads = std::min(count, maxInFlight());
    if (!task || !begin(count, threads, false))
        return false;
    m_task = std::move(task);
    for (int i = 0; i < threads; ++i)
        m_threads.emplace_back(&CBulkRunner::nodeWorker, this);
    m_threads.emplace_back(&CBulkRunner::watcher, this);
    return true;
}

bool CBulkRunner::startBatch(int count, BatchTask batch)
{
    if (!batch || !begin(count, 1, true))
        return false;
    m_task = nullptr;
    m_threads.emplace_back(&CBulkRunner::batchWorker, this, std::move(batch));
    m_threads.emplace_back(&CBulkRunner::watcher, this);
    return true;
}

bool CBulkRunner::settle(int index, sBulkOutcome outcome, std::unique_lock<std::mutex> &lock)
{
    const NodeState before = m_state[size_t(index)];
    if (before == NodeState::Ended)
        return false;
    m_state[size_t(index)] = NodeState::Ended;
    m_outcomes[size_t(index)] = outcome;
    if (before == NodeState::Waiting && !m_slotFree[size_t(index)])
        --m_inFlight; // a Running node's slot is freed by its thread when the task returns
    const int ended = ++m_ended;
    const int total = m_count;
    m_changed.notify_all();
    // Queued emits never call back into us, but a direct receiver could: emit unlocked.
    lock.unlock();
    emit sigOutcome(index, outcome);
    emit sigProgress(ended, total);
    lock.lock();
    ++m_announced;
    m_changed.notify_all();
    return true;
}

void CBulkRunner::nodeWorker()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_cancelled || m_next >= m_count || m_inFlight < m_maxInFlight; });
        if (m_cancelled || m_next >= m_count)
            break;
        const int index = m_next++;
        m_state[size_t(index)] = NodeState::Running;
        ++m_inFlight;
        // The node's own deadline starts with its own send.
        const Clock::time_point deadline = m_deadlineMs > 0
            ? Clock::now() + std::chrono::milliseconds(m_deadlineMs) : Clock::time_point::max();
        m_deadlines[size_t(index)] = deadline;
        m_changed.notify_all();
        lock.unlock();
        sBulkOutcome outcome = m_task(index, Control(this, index));
        lock.lock();
        const bool waits = outcome.state == sBulkOutcome::Pending || outcome.state == sBulkOutcome::Awaiting;
        if (m_state[size_t(index)] == NodeState::Running && waits && !m_cancelled) {
            m_state[size_t(index)] = NodeState::Waiting;
            // Pending keeps its slot until its answer (the exchange is the answer);
            // Awaiting gives it to the next node at once.
            if (outcome.state == sBulkOutcome::Awaiting) {
                m_slotFree[size_t(index)] = true;
                --m_inFlight;
            }
            m_changed.notify_all();
            continue;
        }
        --m_inFlight;
        if (waits)
            outcome = sBulkOutcome{sBulkOutcome::Cancelled, 0, QString()};
        settle(index, outcome, lock); // nothing when it timed out or was completed meanwhile
        m_changed.notify_all();
    }
    --m_busyThreads;
    m_changed.notify_all();
}

void CBulkRunner::batchWorker(BatchTask batch)
{
    batch(Control(this, -1));
    std::unique_lock<std::mutex> lock(m_mutex);
    const sBulkOutcome rest{m_cancelled ? sBulkOutcome::Cancelled : sBulkOutcome::Failed, 0, QString()};
    for (int i = 0; i < m_count; ++i)
        settle(i, rest, lock);
    --m_busyThreads;
    m_changed.notify_all();
}

void CBulkRunner::watcher()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!(m_announced == m_count && m_busyThreads == 0)) {
        const Clock::time_point now = Clock::now();
        Clock::time_point next = Clock::time_point::max();
        for (int i = 0; i < m_count; ++i) {
            const NodeState s = m_state[size_t(i)];
            if (s != NodeState::Running && s != NodeState::Waiting)
                continue;
            if (m_deadlines[size_t(i)] <= now)
                settle(i, sBulkOutcome{sBulkOutcome::TimedOut, 0, QString()}, lock);
            else
                next = std::min(next, m_deadlines[size_t(i)]);
        }
        if (m_announced == m_count && m_busyThreads == 0)
            break;
        if (next == Clock::time_point::max())
            m_changed.wait(lock);
        else
            m_changed.wait_until(lock, next);
    }
    const bool cancelled = m_cancelled;
    lock.unlock();
    emit sigFinished(cancelled);
    lock.lock();
    m_running = false;
    m_changed.notify_all();
}

bool CBulkRunner::complete(int index, const sBulkOutcome &outcome)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (index < 0 || index >= m_count || outcome.state == sBulkOutcome::Pending
        || outcome.state == sBulkOutcome::Awaiting || m_batchMode)
        return false;
    const NodeState s = m_state[size_t(index)];
    // An answer may beat its own task's return; a Queued node has sent nothing yet.
    if (s != NodeState::Running && s != NodeState::Waiting)
        return false;
    return settle(index, outcome, lock);
}

void CBulkRunner::cancel()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_running)
        return;
    m_cancelled = true;
    m_changed.notify_all();
    if (m_batchMode)
        return; // the batch sees the flag and reports the rest itself
    for (int i = 0; i < m_count; ++i) {
        const NodeState s = m_state[size_t(i)];
        if (s == NodeState::Queued || s == NodeState::Waiting)
            settle(i, sBulkOutcome{sBulkOutcome::Cancelled, 0, QString()}, lock);
    }
}

bool CBulkRunner::isRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running;
}

bool CBulkRunner::wasCancelled() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cancelled;
}

bool CBulkRunner::wait(int timeoutMs)
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto done = [this] { return !m_running; };
        if (timeoutMs < 0)
            m_changed.wait(lock, done);
        else if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), done))
            return false;
    }
    joinAll();
    return true;
}

std::vector<sBulkOutcome> CBulkRunner::outcomes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_outcomes;
}

void CBulkRunner::joinAll()
{
    for (std::thread &t : m_threads) {
        if (t.joinable())
            t.join();
    }
    m_threads.clear();
}
