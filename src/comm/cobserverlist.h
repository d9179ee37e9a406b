#pragma once

#include <QMutex>
#include <QString>
#include <QWaitCondition>
#include <list>
#include <thread>
#include <utility>
#include <vector>

#include "comm/iobserver.h"

// Process-wide registry of observers, used from the GUI thread (add, remove) and
// from link and transfer threads (announcements).
//
// Guarantees:
// - The lock is held only while the list is copied, searched or changed, never while
//   an observer runs, so an observer may add or remove observers (itself included)
//   from inside a call, and may block on another thread (blocking-queued signals)
//   without deadlocking a remove on that thread.
// - Announcements walk a copy in registration order, and check just before each call
//   that the observer is still registered: an observer removed by an earlier one in
//   the same announcement, or by another thread before its turn, is skipped.
// - remove() waits for calls into that observer already running on other threads, so
//   the observer may be deleted as soon as remove() returns. A call on the removing
//   thread itself (an observer removing itself from inside its call) is not waited for.
//   Hence an observer must never block on the thread that removes it (no
//   blocking-queued connection to its owner): it copies what it needs and queues it.
class CObserverList final
{
    Q_DISABLE_COPY_MOVE(CObserverList)

public:
    static CObserverList &instance();

    void add(IObserver *observer);
    void remove(IObserver *observer); // every occurrence

    void announceResult(int cmdType, void *record, int result, int nodeType);
    void announceTransEnd(const sTransAnswer *answer);
    void announceTransProgress(const QString &ip, uint32_t finishedSize);

private:
    CObserverList() = default;
    std::list<IObserver *> copy() const;
    template <typename Call>
    void announce(Call call);
    bool busyElsewhere(IObserver *observer) const; // m_mutex held

    mutable QMutex m_mutex;
    QWaitCondition m_callEnded;
    std::list<IObserver *> m_observers;
    // Calls in progress: the observer and the announcing thread.
    std::vector<std::pair<IObserver *, std::thread::id>> m_calls;
};
