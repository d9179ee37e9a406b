#pragma once

// Small stand-ins for nodes and an observer that records what the parser announces.
// Header-only: shared by the tests of this folder.

#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>
#include <QtEndian>
#include <atomic>
#include <functional>

#include "comm/cobserverlist.h"
#include "comm/frame.h"
#include "comm/iobserver.h"
#include "comm/protocol.h"
#include "comm/sdevicedata.h"
#include "model/sdeviceinfo.h"

// Records every announcement, with copies of the records, from any thread.
class RecordingObserver final : public IObserver
{
public:
    struct Entry
    {
        int cmdType = 0;
        int result = 0;
        int nodeType = 0;
        QByteArray ip;      // scan: node ip; export/import: the record's ip
        int64_t id = 0;
        QByteArray data;    // scan: name; export: opaque data; import: name
        int value = 0;      // import result
        Qt::HANDLE thread = nullptr;
    };

    RecordingObserver() { CObserverList::instance().add(this); }
    ~RecordingObserver() override { CObserverList::instance().remove(this); }

    std::function<void(const Entry &)> onEntry; // called on the announcing thread

    void onResult(int cmdType, void *record, int result, int nodeType) override
    {
        Entry e;
        e.cmdType = cmdType;
        e.result = result;
        e.nodeType = nodeType;
        e.thread = QThread::currentThreadId();
        switch (cmdType) {
        case Protocol::AnsScan: {
            const auto *d = static_cast<const sDeviceInfo *>(record);
            e.ip = d->ip;
            e.id = d->id;
            e.data = d->name;
            break;
        }
        case Protocol::AnsDecoderExport:
        case Protocol::AnsEncoderExport: {
            const auto *d = static_cast<const sDeviceData *>(record);
            e.ip = d->ip;
            e.id = d->id;
            e.data = d->data;
            break;
        }
        case Protocol::AnsDecoderImport:
        case Protocol::AnsEncoderImport: {
            const auto *d = static_cast<const sImportDataRes *>(record);
            e.ip = d->ip;
            e.data = d->name;
            e.value = d->result;
            break;
        }
        default:
            break;
        }
        {
            QMutexLocker lock(&m_mutex);
            m_entries.append(e);
        }
        if (onEntry)
            onEntry(e);
    }
    void onTransEnd(const sTransAnswer *) override {}
    void onTransProgress(const QString &, uint32_t) override {}

    QList<Entry> entries() const
    {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }
    int count() const { return entries().size(); }

private:
    mutable QMutex m_mutex;
    QList<Entry> m_entries;
};

namespace NetFakes {

inline QByteArray envelope(int cmd, const QJsonObject &data)
{
    return Frame::build(uint16_t(cmd), QJsonDocument(QJsonObject{{"res", 0}, {"data", data}}).toJson());
}

// A decoder's scan answer written by hand, not through the program's codec.
inline QByteArray decoderAnswer(int64_t id, const QString &ip, const QString &name = QStringLiteral("dec"))
{
    QJsonObject node{{"id", double(id)}, {"ip", ip}, {"mask", "255.255.0.0"}, {"getway", "127.0.0.254"},
                     {"macAddr", QStringLiteral("02:00:00:00:%1:%2").arg(id / 256 % 256, 2, 16, QChar('0')).arg(id % 256, 2, 16, QChar('0'))},
                     {"name", name}, {"model", 3}, {"mainVer", 1}, {"majorVer", 2}, {"minorVer", 3},
                     {"managerIP", "127.0.0.250"}, {"w", 1920}, {"h", 1080}, {"frameRate", 60.0},
                     {"audioOutput", 1}, {"mode", 0}, {"version", "1.2.3"}};
    return envelope(Protocol::AnsScan, QJsonObject{{"nodeType", 1}, {"nodeData", node}});
}

inline QByteArray exportAnswer(int cmd, int64_t id, const QString &ip, const QByteArray &opaque)
{
    QJsonObject dev{{"id", double(id)}, {"ip", ip}, {"model", 3}, {"type", cmd == Protocol::AnsDecoderExport ? 1 : 2}};
    QJsonObject ver{{"main", 1}, {"major", 2}, {"minor", 3}};
    return envelope(cmd, QJsonObject{{"devData", dev}, {"version", ver}, {"data", QString::fromUtf8(opaque)}});
}

inline QByteArray rawHeader(uint16_t cmd, uint32_t length)
{
    QByteArray h(8, '\0');
    qToLittleEndian(cmd, h.data());
    qToLittleEndian(length, h.data() + 4);
    return h;
}

} // namespace NetFakes

// A UDP node on its own thread: records every datagram it gets and answers each with
// the datagrams the reply function returns, each after its delay.
class FakeUdpNode final : public QThread
{
public:
    struct Answer
    {
        int delayMs = 0;
        QByteArray bytes;
    };
    using Reply = std::function<QList<Answer>(const QByteArray &request)>;

    FakeUdpNode(const QHostAddress &address, quint16 port, Reply reply = {})
        : m_address(address), m_port(port), m_reply(std::move(reply))
    {
    }
    ~FakeUdpNode() override
    {
        m_stop = true;
        wait();
    }

    bool startAndWait()
    {
        start();
        while (!m_ready && isRunning())
            QThread::msleep(1);
        return m_ready;
    }

    QList<QByteArray> received() const
    {
        QMutexLocker lock(&m_mutex);
        return m_received;
    }

protected:
    void run() override
    {
        QUdpSocket socket;
        if (!socket.bind(m_address, m_port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
            return;
        m_ready = true;
        while (!m_stop) {
            if (!socket.waitForReadyRead(20))
                continue;
            while (socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = socket.receiveDatagram();
                {
                    QMutexLocker lock(&m_mutex);
                    m_received.append(d.data());
                }
                if (!m_reply)
                    continue;
                QElapsedTimer t;
                t.start();
                for (const Answer &a : m_reply(d.data())) {
                    const qint64 wait = a.delayMs - t.elapsed();
                    if (wait > 0)
                        QThread::msleep(ulong(wait));
                    socket.writeDatagram(a.bytes, d.senderAddress(), quint16(d.senderPort()));
                }
            }
        }
    }

private:
    QHostAddress m_address;
    quint16 m_port;
    Reply m_reply;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_ready{false};
    mutable QMutex m_mutex;
    QList<QByteArray> m_received;
};
