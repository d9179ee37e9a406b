#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <functional>

// Cuts a TCP byte stream into frames by their length field. Holds no socket, so the
// link and the fuzz target drive the same code.
class CFrameAssembler final
{
public:
    // Far above any real answer; a bigger length field is a broken or hostile peer.
    static constexpr uint32_t kMaxFrameLength = 16u * 1024u * 1024u;

    enum class Result {
        Ok,        // every byte taken; whole frames were handed over
        BadLength, // a length field below 8 or above the cap: everything buffered dropped
    };

    // One whole frame, header included; valid only during the call.
    using Sink = std::function<void(char *frame, qint64 length)>;

    CFrameAssembler() = default;

    // Takes size bytes. On BadLength the rest of data is not looked at and the
    // state is back to empty: the stream cannot be trusted any more.
    Result feed(const char *data, size_t size, const Sink &sink);
    void reset();

    // Bytes of the current, unfinished frame.
    size_t received() const { return m_received; }
    // A header started but not yet 8 bytes long.
    bool headerIncomplete() const { return m_received > 0 && m_received < 8; }

private:
    Q_DISABLE_COPY_MOVE(CFrameAssembler)

    QByteArray m_buffer = QByteArray(8, '\0');
    size_t m_wanted = 8;   // bytes still wanted for the current piece (header, then body)
    size_t m_received = 0; // bytes of the current frame so far
};
