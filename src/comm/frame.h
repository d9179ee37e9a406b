#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// The 8-byte frame header: u16 cmdType, u16 reserved, u32 total length, little-endian.
namespace Frame {

// Header followed by payload.
QByteArray build(uint16_t cmdType, const QByteArray &payload, uint16_t reserved = 0);
// Total length from the header; the buffer must hold at least 8 bytes.
uint32_t lengthOf(const char *header);
uint16_t cmdTypeOf(const char *header);

// The header check on receipt: at least 8 bytes and a length field equal to the
// bytes received. On success gives the command and where the payload starts.
bool check(const char *data, size_t size, uint16_t &cmdType);

} // namespace Frame
