#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QVector>
#include <algorithm>

#include "model/sdeviceinfo.h"

// A process-wide node store. Records are kept in arrival order and handed out ordered by
// ipValue (sorted once per copy, not per answer). Every operation holds the store's mutex
// for its whole duration, copies included; callers always get copies.
template <typename Record, int Type>
class CNodeStore
{
public:
    void addNode(Record record)
    {
        QMutexLocker lock(&m_mutex);
        record.nodeType = Type;
        record.ipValue = ipToValue(record.ip);
        prepare(record);
        m_nodes.append(record);
    }

    int size() const
    {
        QMutexLocker lock(&m_mutex);
        return m_nodes.size();
    }

    void clearNodes()
    {
        QMutexLocker lock(&m_mutex);
        m_nodes.clear();
    }

    // Ordered by ipValue; records of one address in arrival order.
    QVector<Record> nodes() const
    {
        QMutexLocker lock(&m_mutex);
        QVector<Record> out = m_nodes;
        std::stable_sort(out.begin(), out.end(), [](const Record &a, const Record &b) { return a.ipValue < b.ipValue; });
        return out;
    }

    // The record whose ip is the managerIP of the first record in IP order; the last one
    // in IP order when several match.
    void findManagerNode(sDeviceInfo &out) const
    {
        const QVector<Record> sorted = nodes();
        if (sorted.isEmpty())
            return;
        const QByteArray manager = sorted.first().managerIP;
        for (const Record &r : sorted) {
            if (r.ip == manager)
                out = r;
        }
    }

protected:
    CNodeStore() = default;
    virtual ~CNodeStore() = default;
    virtual void prepare(Record &) const {}

private:
    mutable QMutex m_mutex;
    QVector<Record> m_nodes;
};
