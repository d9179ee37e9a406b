// TCP reassembly: the stream cut at sizes drawn from the first input byte gives
// the same frames as the whole stream at once, every frame carries its own
// length, and nothing past a bad length field is delivered.

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <cstdlib>

#include "comm/cframeassembler.h"
#include "comm/frame.h"

namespace {

struct Outcome
{
    QList<QByteArray> frames;
    bool bad = false;
    size_t pending = 0;
};

Outcome run(const char *data, size_t size, uint32_t seed)
{
    Outcome out;
    CFrameAssembler a;
    const auto sink = [&](char *frame, qint64 length) {
        if (length < 8 || uint64_t(length) > CFrameAssembler::kMaxFrameLength
            || Frame::lengthOf(frame) != uint32_t(length))
            abort();
        out.frames.append(QByteArray(frame, int(length)));
    };
    size_t pos = 0;
    uint32_t state = seed;
    while (pos < size) {
        size_t n = size - pos;
        if (seed != 0) {
            state = state * 1103515245u + 12345u;
            n = std::min(n, size_t(1 + (state >> 16) % 64));
        }
        if (a.feed(data + pos, n, sink) == CFrameAssembler::Result::BadLength) {
            out.bad = true;
            if (a.received() != 0)
                abort();
            return out;
        }
        pos += n;
    }
    out.pending = a.received();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const uint32_t seed = data[0] | 1u;
    const char *stream = reinterpret_cast<const char *>(data + 1);
    const size_t length = size - 1;

    const Outcome whole = run(stream, length, 0);
    const Outcome pieces = run(stream, length, seed);
    if (whole.frames != pieces.frames || whole.bad != pieces.bad || whole.pending != pieces.pending)
        abort();
    // Without a bad length the frames are exactly the stream minus the unfinished tail.
    if (!whole.bad) {
        QByteArray joined;
        for (const QByteArray &f : whole.frames)
            joined += f;
        if (joined != QByteArray(stream, int(length - whole.pending)))
            abort();
    }
    return 0;
}
