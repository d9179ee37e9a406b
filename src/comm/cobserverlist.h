#pragma once

#include <QMutex>
#include <QString>
#include <list>

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
// - remove() does NOT wait for a call already running on another thread: such a call
//   may still be inside the observer (or just about to enter it) when remove() returns.
//   An owner that deletes its observer right after remove() must therefore be sure
//   no thread can be announcing to it then (stop or join the link or transfer threads
//   that feed it first).
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
    bool isRegistered(IObserver *observer) const;
    template <typename Call>
    void announce(Call call) const;

    mutable QMutex m_mutex;
    std::list<IObserver *> m_observers;
};
