#pragma once

#include <QString>

namespace Ipv4 {

// A complete dotted IPv4 address, four numbers 0..255 and nothing around them.
bool isValid(const QString &text);

} // namespace Ipv4
