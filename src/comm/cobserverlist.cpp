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
    while (busyElsewhere(observer))
        m_callEnded.wait(&m_mutex);
}

bool CObserverList::busyElsewhere(IObserver *observer) const
{
    const std::thread::id self = std::this_thread::get_id();
    return std::any_of(m_calls.cbegin(), m_calls.cend(), [&](const auto &call) {
        return call.first == observer && call.second != self;
    });
}

std::list<IObserver *> CObserverList::copy() const
{
    QMutexLocker lock(&m_mutex);
    return m_observers;
}

template <typename Call>
void CObserverList::announce(Call call)
{
    const auto self = std::make_pair(static_cast<IObserver *>(nullptr), std::this_thread::get_id());
    for (IObserver *observer : copy()) {
        {
            // One removed since the copy was taken is not called any more; one called
            // is marked busy, so a remove() waits for the call to end.
            QMutexLocker lock(&m_mutex);
            if (std::find(m_observers.cbegin(), m_observers.cend(), observer) == m_observers.cend())
                continue;
            m_calls.emplace_back(observer, self.second);
        }
        call(observer);
        QMutexLocker lock(&m_mutex);
        const auto it = std::find(m_calls.begin(), m_calls.end(), std::make_pair(observer, self.second));
        if (it != m_calls.end())
            m_calls.erase(it);
        m_callEnded.wakeAll();
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
