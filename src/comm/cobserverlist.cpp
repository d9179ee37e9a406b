#include "comm/cobserverlist.h"

#include <QMutexLocker>
#include <algorithm>

CObserverList &CObserverList::instance()
{
    // Never destroyed: link and transfer threads may announce until the process ends.
    static CObserverList *list = new CObserverList;
    return *list;
}

void CObserverList::add(IObserver *observer)
{
    if (observer == nullptr)
        return;
    QMutexLocker lock(&m_mutex);
    m_observers.push_back(observer);
}

void CObserverList::remove(IObserver *observer)
{
    QMutexLocker lock(&m_mutex);
    m_observers.remove(observer);
}

std::list<IObserver *> CObserverList::copy() const
{
    QMutexLocker lock(&m_mutex);
    return m_observers;
}

bool CObserverList::isRegistered(IObserver *observer) const
{
    QMutexLocker lock(&m_mutex);
    return std::find(m_observers.cbegin(), m_observers.cend(), observer) != m_observers.cend();
}

template <typename Call>
void CObserverList::announce(Call call) const
{
    for (IObserver *observer : copy()) {
        // One removed since the copy was taken is not called any more.
        if (isRegistered(observer))
            call(observer);
    }
}

void CObserverList::announceResult(int cmdType, void *record, int result, int nodeType)
{
    announce([&](IObserver *o) { o->onResult(cmdType, record, result, nodeType); });
}

void CObserverList::announceTransEnd(const sTransAnswer *answer)
{
    announce([&](IObserver *o) { o->onTransEnd(answer); });
}

void CObserverList::announceTransProgress(const QString &ip, uint32_t finishedSize)
{
    announce([&](IObserver *o) { o->onTransProgress(ip, finishedSize); });
}
