#pragma once

#include <QMutex>
#include <QString>
#include <list>

#include "comm/iobserver.h"

// Process-wide registry of observers. Announcements walk a copy of the list, so an
// observer may add or remove observers while being called; the lock is held only
// while the list is copied or changed.
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

    mutable QMutex m_mutex;
    std::list<IObserver *> m_observers;
};
