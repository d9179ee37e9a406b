#include "comm/cframeassembler.h"

#include <algorithm>
#include <cstring>

#include "comm/frame.h"
#include "comm/protocol.h"

CFrameAssembler::Result CFrameAssembler::feed(const char *data, size_t size, const Sink &sink)
{
    while (size > 0) {
        const size_t take = std::min(size, m_wanted);
        memcpy(m_buffer.data() + m_received, data, take);
        data += take;
        size -= take;
        m_received += take;
        m_wanted -= take;
        if (m_received < size_t(Protocol::kHeaderSize))
            continue;

        const uint32_t length = Frame::lengthOf(m_buffer.constData());
        if (length < uint32_t(Protocol::kHeaderSize) || length > kMaxFrameLength) {
            reset();
            return Result::BadLength;
        }
        if (m_received == size_t(Protocol::kHeaderSize) && length > uint32_t(Protocol::kHeaderSize)) {
            // Header complete: make room for the body.
            m_buffer.resize(int(length));
            m_wanted = length - m_received;
            continue;
        }
        if (m_wanted > 0)
            continue;

        sink(m_buffer.data(), qint64(length));
        reset();
    }
    return Result::Ok;
}

void CFrameAssembler::reset()
{
    m_buffer = QByteArray(8, '\0');
    m_wanted = 8;
    m_received = 0;
}
