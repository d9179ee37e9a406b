#include <QRandomGenerator>
#include <QtTest>

#include "comm/cframeassembler.h"
#include "comm/frame.h"

namespace {

QByteArray frameOf(uint16_t cmd, const QByteArray &payload)
{
    return Frame::build(cmd, payload);
}

QByteArray rawHeader(uint16_t cmd, uint32_t length)
{
    QByteArray h(8, '\0');
    h[0] = char(cmd & 0xff);
    h[1] = char(cmd >> 8);
    for (int i = 0; i < 4; ++i)
        h[4 + i] = char((length >> (8 * i)) & 0xff);
    return h;
}

struct Collected
{
    QList<QByteArray> frames;
    CFrameAssembler::Sink sink()
    {
        return [this](char *f, qint64 n) { frames.append(QByteArray(f, int(n))); };
    }
};

} // namespace

class TestFrameAssembler : public QObject
{
    Q_OBJECT

private slots:
    void threePiecesGiveOneFrame()
    {
        const QByteArray frame = frameOf(13533, "{\"res\": 0}");
        CFrameAssembler a;
        Collected c;
        QCOMPARE(a.feed(frame.constData(), 5, c.sink()), CFrameAssembler::Result::Ok);
        QVERIFY(a.headerIncomplete());
        QCOMPARE(a.feed(frame.constData() + 5, 3, c.sink()), CFrameAssembler::Result::Ok);
        QVERIFY(!a.headerIncomplete());
        QVERIFY(c.frames.isEmpty());
        QCOMPARE(a.feed(frame.constData() + 8, size_t(frame.size() - 8), c.sink()), CFrameAssembler::Result::Ok);
        QCOMPARE(c.frames, QList<QByteArray>{frame});
        QCOMPARE(a.received(), size_t(0));
    }

    void framesInOneSegmentComeInOrder()
    {
        const QByteArray one = frameOf(13533, "first");
        const QByteArray empty = frameOf(14017, QByteArray()); // length 8, no payload
        const QByteArray two = frameOf(14017, "second frame");
        const QByteArray stream = one + empty + two;
        CFrameAssembler a;
        Collected c;
        QCOMPARE(a.feed(stream.constData(), size_t(stream.size()), c.sink()), CFrameAssembler::Result::Ok);
        QCOMPARE(c.frames, (QList<QByteArray>{one, empty, two}));
        QCOMPARE(c.frames.at(1).size(), 8);
    }

    // Any way of cutting a stream of valid frames gives the same frames.
    void anySplitGivesTheSameFrames()
    {
        QRandomGenerator rng(42);
        QList<QByteArray> frames;
        QByteArray stream;
        for (int i = 0; i < 200; ++i) {
            QByteArray payload(int(rng.bounded(0, 3000)), char('a' + i % 26));
            frames.append(frameOf(uint16_t(10000 + i), payload));
            stream += frames.last();
        }
        for (int round = 0; round < 20; ++round) {
            CFrameAssembler a;
            Collected c;
            int pos = 0;
            while (pos < stream.size()) {
                const int n = qMin(stream.size() - pos, int(rng.bounded(1, 9000)));
                QCOMPARE(a.feed(stream.constData() + pos, size_t(n), c.sink()), CFrameAssembler::Result::Ok);
                pos += n;
            }
            QCOMPARE(c.frames, frames);
        }
    }

    void badLengthsDropEverything_data()
    {
        QTest::addColumn<uint32_t>("length");
        QTest::newRow("zero") << 0u;
        QTest::newRow("seven") << 7u;
        QTest::newRow("above cap") << CFrameAssembler::kMaxFrameLength + 1;
        QTest::newRow("huge") << 0xffffffffu;
    }

    void badLengthsDropEverything()
    {
        QFETCH(uint32_t, length);
        const QByteArray good = frameOf(13533, "ok");
        const QByteArray bad = rawHeader(13533, length) + QByteArray(64, 'x');
        CFrameAssembler a;
        Collected c;
        // A partial frame is buffered before the bad header arrives in a later frame.
        const QByteArray stream = good + bad;
        QCOMPARE(a.feed(stream.constData(), size_t(stream.size()), c.sink()), CFrameAssembler::Result::BadLength);
        QCOMPARE(c.frames, QList<QByteArray>{good});
        QCOMPARE(a.received(), size_t(0));
        // After the reset a fresh stream is read normally.
        QCOMPARE(a.feed(good.constData(), size_t(good.size()), c.sink()), CFrameAssembler::Result::Ok);
        QCOMPARE(c.frames.size(), 2);
    }

    void lengthAtTheCapIsAccepted()
    {
        CFrameAssembler a;
        Collected c;
        const QByteArray header = rawHeader(13533, CFrameAssembler::kMaxFrameLength);
        QCOMPARE(a.feed(header.constData(), 8, c.sink()), CFrameAssembler::Result::Ok);
        const QByteArray body(int(CFrameAssembler::kMaxFrameLength - 8), 'z');
        QCOMPARE(a.feed(body.constData(), size_t(body.size()), c.sink()), CFrameAssembler::Result::Ok);
        QCOMPARE(c.frames.size(), 1);
        QCOMPARE(c.frames.first().size(), int(CFrameAssembler::kMaxFrameLength));
    }
};

QTEST_APPLESS_MAIN(TestFrameAssembler)
#include "tst_frameassembler.moc"
