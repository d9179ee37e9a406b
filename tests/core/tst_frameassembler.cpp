#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include "comm/cframeassembler.h"
#include "comm/frame.h"

namespace {

QByteArray rawHeader(uint16_t cmd, uint32_t length)
{
    QByteArray h(8, '\0');
    qToLittleEndian(cmd, h.data());
    qToLittleEndian(length, h.data() + 4);
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
    // Any way of cutting a stream of valid frames (empty ones among them) gives the same
    // frames; the first round feeds a few bytes at a time, so headers are cut too.
    void anySplitGivesTheSameFrames()
    {
        QRandomGenerator rng(42);
        QList<QByteArray> frames;
        QByteArray stream;
        for (int i = 0; i < 200; ++i) {
            QByteArray payload(i % 20 == 0 ? 0 : int(rng.bounded(1, 3000)), char('a' + i % 26));
            frames.append(Frame::build(uint16_t(10000 + i), payload));
            stream += frames.last();
        }
        for (int round = 0; round < 20; ++round) {
            CFrameAssembler a;
            Collected c;
            for (int pos = 0; pos < stream.size();) {
                const int n = qMin(stream.size() - pos, int(rng.bounded(1, round == 0 ? 10 : 9000)));
                QCOMPARE(a.feed(stream.constData() + pos, size_t(n), c.sink()), CFrameAssembler::Result::Ok);
                pos += n;
            }
            QCOMPARE(c.frames, frames);
            QCOMPARE(a.received(), size_t(0));
        }
    }

    // A bad length drops everything after the last good frame; a fresh stream is then read.
    void badLengthsDropEverything()
    {
        const QByteArray good = Frame::build(13533, "ok");
        for (const uint32_t length : {0u, 7u, CFrameAssembler::kMaxFrameLength + 1, 0xffffffffu}) {
            const QByteArray stream = good + rawHeader(13533, length) + QByteArray(64, 'x');
            CFrameAssembler a;
            Collected c;
            QCOMPARE(a.feed(stream.constData(), size_t(stream.size()), c.sink()), CFrameAssembler::Result::BadLength);
            QCOMPARE(a.received(), size_t(0));
            QCOMPARE(a.feed(good.constData(), size_t(good.size()), c.sink()), CFrameAssembler::Result::Ok);
            QCOMPARE(c.frames, (QList<QByteArray>{good, good}));
        }
    }

    void lengthAtTheCapIsAccepted()
    {
        CFrameAssembler a;
        Collected c;
        const QByteArray frame = rawHeader(13533, CFrameAssembler::kMaxFrameLength)
            + QByteArray(int(CFrameAssembler::kMaxFrameLength - 8), 'z');
        QCOMPARE(a.feed(frame.constData(), 8, c.sink()), CFrameAssembler::Result::Ok);
        QCOMPARE(a.feed(frame.constData() + 8, size_t(frame.size() - 8), c.sink()), CFrameAssembler::Result::Ok);
        QCOMPARE(c.frames, QList<QByteArray>{frame});
    }
};

QTEST_APPLESS_MAIN(TestFrameAssembler)
#include "tst_frameassembler.moc"
