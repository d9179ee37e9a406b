#include "comm/frame.h"

#include <QtEndian>

#include "comm/protocol.h"

namespace Frame {

QByteArray build(uint16_t cmdType, const QByteArray &payload, uint16_t reserved)
{
    QByteArray out(Protocol::kHeaderSize + payload.size(), Qt::Uninitialized);
    const quint64 header = quint64(cmdType) | (quint64(reserved) << 16)
        | (quint64(uint32_t(out.size())) << 32);
    qToLittleEndian<quint64>(header, out.data());
    if (!payload.isEmpty())
        memcpy(out.data() + Protocol::kHeaderSize, payload.constData(), size_t(payload.size()));
    return out;
}

uint32_t lengthOf(const char *header)
{
    return qFromLittleEndian<quint32>(header + 4);
}

uint16_t cmdTypeOf(const char *header)
{
    return qFromLittleEndian<quint16>(header);
}

bool check(const char *data, size_t size, uint16_t &cmdType)
{
    if (data == nullptr || size < size_t(Protocol::kHeaderSize))
        return false;
    if (lengthOf(data) != size)
        return false;
    cmdType = cmdTypeOf(data);
    return true;
}

} // namespace Frame
