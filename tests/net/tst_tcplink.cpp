// The node links: TCP (frames in pieces, reuse, reconnects, threads) and the UDP
// client's receive window, against fake nodes on 127.x addresses.
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>
#include <atomic>
#include <functional>

#include "comm/cdevicectrljob.h"
#include "comm/cobserverlist.h"
#include "comm/ctcpclient.h"
#include "comm/ctcpmanager.h"
#include "comm/ctcpsocket.h"
#include "comm/cudpclient.h"
#include "comm/frame.h"
#include "comm/protocol.h"
#include "comm/sdevicedata.h"
#include "model/sdeviceinfo.h"
#include "nodefixtures.h"

namespace {

// Records the scan and export answers the parser announces, from any thread.
class RecordingObserver final : public IObserver
{
public:
    struct Entry
    {
        QByteArray ip; // the record's
        int64_t id = 0;
        QByteArray data; // scan: the name; export: the opaque data
        Qt::HANDLE thread = nullptr;
    };

    RecordingObserver() { CObserverList::instance().add(this); }
    ~RecordingObserver() override { CObserverList::instance().remove(this); }

    std::function<void(const Entry &)> onEntry; // called on the announcing thread

    void onResult(int cmdType, void *record, int, int) override
    {
        const Qt::HANDLE thread = QThread::currentThreadId();
        Entry e{{}, 0, {}, thread};
        if (cmdType == Protocol::AnsScan) {
            const auto *d = static_cast<const sDeviceInfo *>(record);
            e = {d->ip, d->id, d->name, thread};
        } else if (cmdType == Protocol::AnsDecoderExport || cmdType == Protocol::AnsEncoderExport) {
            const auto *d = static_cast<const sDeviceData *>(record);
            e = {d->ip, d->id, d->data, thread};
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

QByteArray envelope(int cmd, const QJsonObject &data)
{
    return Frame::build(uint16_t(cmd), QJsonDocument(QJsonObject{{"res", 0}, {"data", data}}).toJson());
}

// A decoder's scan answer written by hand, not through the program's codec.
QByteArray decoderAnswer(int64_t id, const QString &ip, const QString &name = QStringLiteral("dec"))
{
    QJsonObject node{{"id", double(id)}, {"ip", ip}, {"mask", "255.255.0.0"}, {"getway", "127.0.0.254"},
                     {"macAddr", QStringLiteral("02:00:00:00:%1:%2").arg(id / 256 % 256, 2, 16, QChar('0')).arg(id % 256, 2, 16, QChar('0'))},
                     {"name", name}, {"model", 3}, {"mainVer", 1}, {"majorVer", 2}, {"minorVer", 3},
                     {"managerIP", "127.0.0.250"}, {"w", 1920}, {"h", 1080}, {"frameRate", 60.0},
                     {"audioOutput", 1}, {"mode", 0}, {"version", "1.2.3"}};
    return envelope(Protocol::AnsScan, QJsonObject{{"nodeType", 1}, {"nodeData", node}});
}

QByteArray exportAnswer(int64_t id, const QString &ip, const QByteArray &opaque)
{
    QJsonObject dev{{"id", double(id)}, {"ip", ip}, {"model", 3}, {"type", 1}};
    QJsonObject ver{{"main", 1}, {"major", 2}, {"minor", 3}};
    return envelope(Protocol::AnsDecoderExport, QJsonObject{{"devData", dev}, {"version", ver}, {"data", QString::fromUtf8(opaque)}});
}

QByteArray rawHeader(uint16_t cmd, uint32_t length)
{
    QByteArray h(8, '\0');
    qToLittleEndian(cmd, h.data());
    qToLittleEndian(length, h.data() + 4);
    return h;
}

// A UDP node on the command port, on its own thread: records every datagram it gets and
// answers each with the datagrams the reply function returns, each after its delay.
class FakeUdpNode final : public QThread
{
public:
    struct Answer
    {
        int delayMs = 0;
        QByteArray bytes;
    };
    using Reply = std::function<QList<Answer>(const QByteArray &request)>;

    explicit FakeUdpNode(Reply reply = {}) : m_reply(std::move(reply)) {}
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
        if (!socket.bind(QHostAddress::Any, Protocol::kUdpCommandPort, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
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
    Reply m_reply;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_ready{false};
    mutable QMutex m_mutex;
    QList<QByteArray> m_received;
};

QByteArray exportRequest()
{
    return Frame::build(Protocol::CmdDecoderExport, "{\n}\n");
}

// A node's TCP side, driven by the test: accepts, reads requests, writes exact pieces.
class Peer final
{
public:
    Peer(const QString &ip, quint16 port = Protocol::kTcpDataPort) { m_server.listen(QHostAddress(ip), port); }
    bool listening() const { return m_server.isListening(); }

    // The next accepted connection, or null.
    QTcpSocket *accept(int ms = 20000)
    {
        if (!m_server.hasPendingConnections() && !m_server.waitForNewConnection(ms))
            return nullptr;
        m_socket = m_server.nextPendingConnection();
        return m_socket;
    }
    bool hasNewConnection(int ms) { return m_server.hasPendingConnections() || m_server.waitForNewConnection(ms); }

    // Reads one whole request frame from the current connection.
    QByteArray readFrame(int ms = 20000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (m_buffer.size() >= 8) {
                const uint32_t len = Frame::lengthOf(m_buffer.constData());
                if (uint32_t(m_buffer.size()) >= len) {
                    const QByteArray f = m_buffer.left(int(len));
                    m_buffer.remove(0, int(len));
                    return f;
                }
            }
            if (m_socket->bytesAvailable() > 0 || m_socket->waitForReadyRead(50))
                m_buffer += m_socket->readAll();
        }
        return QByteArray();
    }

    void write(const QByteArray &bytes, int pauseMs = 0)
    {
        m_socket->write(bytes);
        m_socket->waitForBytesWritten(1000);
        QTest::qWait(pauseMs);
    }

    QTcpSocket *socket() const { return m_socket; }

private:
    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
    QByteArray m_buffer;
};

QByteArray scanFrame()
{
    return Frame::build(Protocol::CmdScan, "{\n}\n");
}

// A scan answer whose frame is exactly size bytes (the name pads it).
QByteArray answerOfSize(int size)
{
    const int pad = size - decoderAnswer(7, "127.0.1.7", QString()).size();
    return decoderAnswer(7, "127.0.1.7", QString(pad, QLatin1Char('n')));
}

} // namespace

class TestTcpLink : public QObject
{
    Q_OBJECT

    CUdpClient m_client;

private slots:
    void cleanup()
    {
        CTcpManager::instance().removeAll();
        QTRY_COMPARE(CTcpclient::instances(), 0);
    }

    void exportAnswerInThreePiecesThenReuse()
    {
        const QString ip = QStringLiteral("127.0.2.1");
        Peer peer(ip);
        QVERIFY(peer.listening());
        RecordingObserver observer;
        QCOMPARE(CTcpManager::instance().sendFrame(ip, Protocol::kTcpDataPort, exportRequest()), Protocol::kTcpSent);
        QVERIFY(peer.accept());
        QCOMPARE(peer.readFrame(), exportRequest());

        const QByteArray answer = exportAnswer(77, ip, "opaque config ✓");
        const fixtures::DebugCapture debug;
        peer.write(answer.left(5));
        // Each piece is read on its own before the next goes out.
        QTRY_COMPARE(debug.count(QStringLiteral("receive len error")), 1);
        peer.write(answer.mid(5, 3), 60);
        QCOMPARE(observer.count(), 0);
        peer.write(answer.mid(8));
        QTRY_COMPARE(observer.count(), 1);
        QTest::qWait(100);
        QCOMPARE(observer.count(), 1);
        QCOMPARE(debug.count(QStringLiteral("receive len error")), 1); // for the 5-byte piece only
        const auto e = observer.entries().first();
        QVERIFY(e.id == 77 && e.data == QByteArray("opaque config ✓"));
        // Announced on the link's thread, not on ours.
        QVERIFY(e.thread != QThread::currentThreadId());

        // The connected link is reused whatever port the caller names: nothing listens on
        // 7780 at this address, only the existing connection can carry it.
        const QByteArray upgrade = Frame::build(Protocol::CmdUpgrade, QByteArray(Protocol::kUpgradeBodySize, '\0'));
        QCOMPARE(CTcpManager::instance().sendFrame(ip, Protocol::kTcpUpgradePort, upgrade), Protocol::kTcpSent);
        QCOMPARE(peer.readFrame(), upgrade);
        QVERIFY(!peer.hasNewConnection(100));
    }

    // Refused, then the node comes up; the node drops the link; a length field below 8
    // (every bad length is the frame assembler's test) delivers the frame before it, then
    // the link drops what it had and disconnects: each next send connects anew.
    void refusedBadLengthAndDroppedLinks()
    {
        const QString ip = QStringLiteral("127.0.2.7");
        const auto send = [&ip] { return CTcpManager::instance().sendFrame(ip, Protocol::kTcpDataPort, exportRequest()); };
        QCOMPARE(send(), Protocol::kTcpNoLink); // on the error, not at the 5 s limit
        QVERIFY(CTcpManager::instance().hasLink(ip));
        Peer peer(ip);
        QVERIFY(peer.listening());
        RecordingObserver observer;
        QCOMPARE(send(), Protocol::kTcpSent);
        QTcpSocket *first = peer.accept();
        QVERIFY(first);
        first->close();
        QTRY_COMPARE(CTcpManager::instance().linkState(ip), int(CTcpSocket::StateDisconnected));
        QCOMPARE(send(), Protocol::kTcpSent);
        QTcpSocket *second = peer.accept();
        QVERIFY(second);
        const QByteArray partial = exportAnswer(5, ip, "lost");
        peer.write(partial.left(20), 50);
        peer.write(partial.mid(20) + rawHeader(Protocol::AnsDecoderExport, 4) + QByteArray(100, 'x'));
        QTRY_COMPARE(second->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(observer.count(), 1);
        QTRY_COMPARE(CTcpManager::instance().linkState(ip), int(CTcpSocket::StateDisconnected));
        QCOMPARE(send(), Protocol::kTcpSent);
        QVERIFY(peer.accept());
        QCOMPARE(peer.readFrame(), exportRequest());
        peer.write(exportAnswer(9, ip, "again"));
        QTRY_COMPARE(observer.count(), 2);
    }

    // The export receiver closes the link from inside the answer, on the link's own thread.
    void linkClosedFromItsOwnAnswer()
    {
        const QString ip = QStringLiteral("127.0.2.8");
        Peer peer(ip);
        QVERIFY(peer.listening());
        RecordingObserver observer;
        CDeviceCtrlJob job(nullptr);
        observer.onEntry = [&](const RecordingObserver::Entry &e) { job.closeLink(QString::fromUtf8(e.ip)); };
        QVERIFY(job.exportDecoderData(ip.toUtf8()));
        QVERIFY(peer.accept());
        peer.write(exportAnswer(3, ip, "bye"));
        QTRY_COMPARE(CTcpclient::instances(), 0);
        QTRY_COMPARE(peer.socket()->state(), QAbstractSocket::UnconnectedState);
        observer.onEntry = nullptr;
        // A new send makes a new link.
        QVERIFY(job.exportDecoderData(ip.toUtf8()));
        QVERIFY(peer.accept());
        QCOMPARE(peer.readFrame(), exportRequest());
    }

    // Links used from several threads at once: one link per address, every send delivered.
    void sendsFromManyThreads()
    {
        const QString ip = QStringLiteral("127.0.2.9");
        Peer peer(ip);
        QVERIFY(peer.listening());
        QList<QThread *> threads;
        std::atomic<int> sent{0};
        for (int i = 0; i < 8; ++i) {
            threads.append(QThread::create([&, i] {
                const QByteArray f = Frame::build(Protocol::CmdDecoderExport, QByteArray::number(i));
                if (CTcpManager::instance().sendFrame(ip, Protocol::kTcpDataPort, f) == Protocol::kTcpSent)
                    ++sent;
                if (i % 2)
                    CTcpManager::instance().removeTcp(QStringLiteral("127.0.2.251"));
            }));
            threads.last()->start();
        }
        QVERIFY(peer.accept());
        for (QThread *t : threads) {
            QVERIFY(t->wait(10000));
            delete t;
        }
        QCOMPARE(sent.load(), 8);
        QSet<QByteArray> got;
        for (int i = 0; i < 8; ++i)
            got.insert(peer.readFrame().mid(8));
        QCOMPARE(got.size(), 8);
        QVERIFY(!peer.hasNewConnection(100));
    }

    // UDP: port 0 means the command port; an unknown mode, no target or a name sends nothing.
    void addressing()
    {
        FakeUdpNode node;
        QVERIFY(node.startAndWait());
        for (const auto &[target, mode] : {std::pair{"127.0.0.1", "Unicast"}, std::pair{"", "unicast"},
                                           std::pair{"node-7", "unicast"}})
            QCOMPARE(m_client.sendAndCollect(scanFrame(), target, 0, QLatin1String(mode)), -1);
        QCOMPARE(m_client.sendAndCollect(scanFrame(), "127.0.0.1", 0, "unicast"), 1);
        QCOMPARE(node.received(), QList<QByteArray>{scanFrame()});
    }

    // A node that never falls silent cannot hold the caller past the window limit.
    void endlessAnswersHitTheWindowLimit()
    {
        RecordingObserver observer;
        FakeUdpNode node([](const QByteArray &) {
            QList<FakeUdpNode::Answer> answers;
            for (int i = 0; i < 60; ++i)
                answers.append({i * 20, decoderAnswer(1, QStringLiteral("127.0.1.1"))});
            return answers;
        });
        QVERIFY(node.startAndWait());
        m_client.setWindowLimitMs(300);
        QElapsedTimer timer;
        timer.start();
        const int result = m_client.sendAndCollect(scanFrame(), QByteArray(), 0, "broadcast");
        const qint64 elapsed = timer.elapsed();
        m_client.setWindowLimitMs(CUdpClient::kWindowLimitMs);
        QCOMPARE(result, 1);
        // The answers keep coming for 1.2 s: the window stays open while they come (at least
        // five) but ends at its limit, before the last of them.
        QVERIFY2(elapsed >= 300, qPrintable(QString::number(elapsed)));
        QVERIFY(observer.count() >= 5);
        QVERIFY(observer.count() < 60);
    }

    // Bad datagrams (shorter than a header, length field smaller or larger than the
    // datagram, not JSON, above the receive buffer) are dropped one by one; the window goes
    // on and the good answers get through, one of exactly the buffer's size among them, and
    // a thousand at once, none lost to a full socket buffer (how fast: the scan bench). The
    // parser's own refusals are tst_codec's.
    void malformedAnswersAndABurst()
    {
        RecordingObserver observer;
        const QByteArray good = decoderAnswer(42, "127.0.1.42");
        QByteArray longer = good;
        longer.append("xyz"); // length field smaller than the datagram
        const QByteArray fits = answerOfSize(CUdpClient::kMaxDatagram);
        // Built beforehand: the node must answer at once, not after the window has closed.
        QList<FakeUdpNode::Answer> answers{
            {0, QByteArray("\xee\x2a\x00", 3)},                             // shorter than a header
            {0, rawHeader(Protocol::AnsScan, 9) + "abcd"},                   // says 9, has 12
            {0, good.left(good.size() - 1)},                                 // length field larger
            {0, longer},
            {0, Frame::build(Protocol::AnsScan, "this is not json")},
            {0, answerOfSize(CUdpClient::kMaxDatagram + 1)},
            {20, fits},
            {30, good},
        };
        for (int i = 0; i < 1000; ++i)
            answers.append({30, decoderAnswer(1000 + i, QStringLiteral("127.0.%1.%2").arg(1 + i / 250).arg(1 + i % 250))});
        FakeUdpNode node([answers](const QByteArray &) { return answers; });
        QVERIFY(node.startAndWait());
        QCOMPARE(m_client.sendAndCollect(scanFrame(), QByteArray(), 0, "broadcast"), 1);
        QSet<int64_t> ids;
        for (const auto &e : observer.entries())
            ids.insert(e.id);
        QCOMPARE(ids.size(), 1002);
        QCOMPARE(observer.entries().at(0).data.size() + decoderAnswer(7, "127.0.1.7", QString()).size(), fits.size());
        QCOMPARE(observer.entries().at(1).id, int64_t(42));
    }
};

QTEST_GUILESS_MAIN(TestTcpLink)
#include "tst_tcplink.moc"
