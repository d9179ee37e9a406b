#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QVector>
#include <algorithm>

#include "model/sdeviceinfo.h"

// A process-wide node store ordered by ipValue. Every operation holds the store's
// mutex for its whole duration, copies included; callers always get copies.
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
        std::stable_sort(m_nodes.begin(), m_nodes.end(),
                         [](const Record &a, const Record &b) { return a.ipValue < b.ipValue; });
    }

    void clearNodes()
    {
        QMutexLocker lock(&m_mutex);
        m_nodes.clear();
    }

    QVector<Record> nodes() const
    {
        QMutexLocker lock(&m_mutex);
        return m_nodes;
    }

    // The record whose ip is the managerIP of the first record; the last one when several match.
    void findManagerNode(sDeviceInfo &out) const
    {
        QMutexLocker lock(&m_mutex);
        if (m_nodes.isEmpty())
            return;
        const QByteArray manager = m_nodes.first().managerIP;
        for (const Record &r : m_nodes) {
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
