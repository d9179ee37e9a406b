#pragma once

#include <QString>

namespace PlainText {

// Node-given text (names, versions, addresses) made safe to show on one line: control
// characters, line and paragraph separators and direction overrides become visible escapes
// ("\n", "\t", "\x1b", "\u2028"), so a name can neither start a new row nor steer a terminal.
QString singleLine(const QString &text);

} // namespace PlainText
