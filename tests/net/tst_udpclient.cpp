#include <QElapsedTimer>
#include <QtTest>

#include "comm/cudpclient.h"
#include "netfakes.h"

using namespace NetFakes;

namespace {

QByteArray scanFrame()
{
    return Frame::build(Protocol::CmdScan, "{\n}\n");
}

// A scan answer whose frame is exactly size bytes (the name pads it).
QByteArray answerOfSize(int size)
{
    QByteArray frame = decoderAnswer(7, "127.0.1.7", QString());
    const int pad = size - frame.size();
    frame = decoderAnswer(7, "127.0.1.7", QString(pad, QLatin1Char('n')));
    return frame;
}

} // namespace

class TestUdpClient : public QObject
{
    Q_OBJECT

private:
    CUdpClient m_client;

private slots:
    void portZeroGoesToTheCommandPort()
    {
        FakeUdpNode node(QHostAddress::Any, Protocol::kUdpCommandPort);
        QVERIFY(node.startAndWait());
        const QByteArray frame = scanFrame();
        QCOMPARE(m_client.sendAndCollect(frame, "127.0.0.1", 0, "unicast"), 1);
        QCOMPARE(node.received(), QList<QByteArray>{frame});
    }

    void unusableAddressingSendsNothing_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QString>("mode");
        QTest::newRow("unknown mode") << QByteArray("127.0.0.1") << "Unicast";
        QTest::newRow("empty mode") << QByteArray("127.0.0.1") << "";
        QTest::newRow("unicast without target") << QByteArray() << "unicast";
        QTest::newRow("target not an address") << QByteArray("node-7") << "unicast";
    }

    void unusableAddressingSendsNothing()
    {
        QFETCH(QByteArray, target);
        QFETCH(QString, mode);
        FakeUdpNode node(QHostAddress::Any, Protocol::kUdpCommandPort);
        QVERIFY(node.startAndWait());
        QCOMPARE(m_client.sendAndCollect(scanFrame(), target, 0, mode), -1);
        QTest::qWait(50);
        QVERIFY(node.received().isEmpty());
    }

    void windowStaysOpenWhileAnswersCome()
    {
        RecordingObserver observer;
        FakeUdpNode node(QHostAddress::Any, Protocol::kUdpCommandPort, [](const QByteArray &) {
            QList<FakeUdpNode::Answer> answers;
            for (int i = 0; i < 5; ++i)
                answers.append({i * 50, decoderAnswer(i + 1, QStringLiteral("127.0.1.%1").arg(i + 1))});
            return answers;
        });
        QVERIFY(node.startAndWait());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(m_client.sendAndCollect(scanFrame(), QByteArray(), 0, "broadcast"), 1);
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(observer.count(), 5);
        // The last answer leaves at 200 ms; the window closes only after 100 ms of silence.
        QVERIFY2(elapsed >= 300, qPrintable(QString::number(elapsed)));
    }

    // A node that never falls silent cannot hold the caller past the window limit.
    void endlessAnswersHitTheWindowLimit()
    {
        RecordingObserver observer;
        FakeUdpNode node(QHostAddress::Any, Protocol::kUdpCommandPort, [](const QByteArray &) {
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
        // The answers keep coming for 1.2 s; the window ends at its limit, before the last of them.
        QVERIFY2(elapsed >= 300, qPrintable(QString::number(elapsed)));
        QVERIFY(observer.count() >= 5);
        QVERIFY(observer.count() < 60);
    }

    void silenceClosesTheWindow()
    {
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(m_client.sendAndCollect(scanFrame(), "127.0.0.1", 0, "unicast"), 1);
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 100, qPrintable(QString::number(elapsed)));
    }

    // Bad datagrams are dropped one by one; the window goes on and the good answer gets through.
    void malformedAnswersAreDropped()
    {
        RecordingObserver observer;
        const QByteArray good = decoderAnswer(42, "127.0.1.42");
        QByteArray longer = good;
        longer.append("xyz"); // length field smaller than the datagram
        QByteArray nineOfTwelve = rawHeader(Protocol::AnsScan, 9) + "abcd";
        const QList<FakeUdpNode::Answer> answers{
            {0, QByteArray("\xee\x2a\x00", 3)},                             // shorter than a header
            {0, nineOfTwelve},                                               // says 9, has 12
            {0, good.left(good.size() - 1)},                                 // length field larger
            {0, longer},
            {0, Frame::build(Protocol::AnsScan, "this is not json")},
            {0, Frame::build(Protocol::AnsScan, "{\"res\": 1, \"data\": \"text\"}")},
            {0, Frame::build(Protocol::AnsScan, "{\"res\": 1}")},
            {0, Frame::build(Protocol::AnsScan, "[1, 2]")},
            {0, envelope(Protocol::AnsScan, QJsonObject{{"nodeType", 3}, {"nodeData", QJsonObject{{"id", 5}}}})},
            {0, envelope(11007, QJsonObject{{"ip", "127.0.1.9"}})},         // not an answer we handle
            {30, good},
        };
        FakeUdpNode node(QHostAddress::Any, Protocol::kUdpCommandPort,
                         [answers](const QByteArray &) { return answers; });
        QVERIFY(node.startAndWait());
        QCOMPARE(m_client.sendAndCollect(scanFrame(), QByteArray(), 0, "broadcast"), 1);
        const auto entries = observer.entries();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().id, int64_t(42));
        QCOMPARE(entries.first().ip, QByteArray("127.0.1.42"));
    }

    void answerAboveTheBufferIsNotDelivered()
    {
        RecordingObserver observer;
        const QByteArray fits = answerOfSize(CUdpClient::kMaxDatagram);
        const QByteArray tooBig = answerOfSize(CUdpClient::kMaxDatagram + 1);
        QCOMPARE(fits.size(), CUdpClient::kMaxDatagram);
        QCOMPARE(tooBig.size(), CUdpClient::kMaxDatagram + 1);
        FakeUdpNode node(QHostAddress::Any, Protocol::kUdpCommandPort, [&](const QByteArray &) {
            return QList<FakeUdpNode::Answer>{{0, tooBig}, {20, fits}};
        });
        QVERIFY(node.startAndWait());
        QCOMPARE(m_client.sendAndCollect(scanFrame(), QByteArray(), 0, "broadcast"), 1);
        QCOMPARE(observer.count(), 1);
        const int nameSize = fits.size() - decoderAnswer(7, "127.0.1.7", QString()).size();
        QCOMPARE(observer.entries().first().data, QByteArray(nameSize, 'n'));
    }

    // A thousand answers at once: every one is taken, none lost to a full socket buffer.
    void burstOfAThousandAnswers()
    {
        RecordingObserver observer;
        // Built beforehand: the node must answer at once, not after the window has closed.
        QList<FakeUdpNode::Answer> answers;
        for (int i = 0; i < 1000; ++i)
            answers.append({0, decoderAnswer(i + 1, QStringLiteral("127.0.%1.%2").arg(1 + i / 250).arg(1 + i % 250))});
        FakeUdpNode node(QHostAddress::Any, Protocol::kUdpCommandPort,
                         [answers](const QByteArray &) { return answers; });
        QVERIFY(node.startAndWait());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(m_client.sendAndCollect(scanFrame(), QByteArray(), 0, "broadcast"), 1);
        const qint64 elapsed = timer.elapsed();
        QSet<int64_t> ids;
        for (const auto &e : observer.entries())
            ids.insert(e.id);
        QCOMPARE(ids.size(), 1000);
        // Taking one datagram per poll needs at least 10 s (1000 polls of 10 ms).
        QVERIFY2(elapsed < 9000, qPrintable(QString::number(elapsed)));
    }
};

QTEST_GUILESS_MAIN(TestUdpClient)
#include "tst_udpclient.moc"
