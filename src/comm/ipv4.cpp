#include "comm/ipv4.h"

#include <QRegularExpression>

namespace Ipv4 {

bool isValid(const QString &text)
{
    // Anchored at both ends: "$" alone would let a trailing newline through.
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        "(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)")));
    return pattern.match(text).hasMatch();
}

} // namespace Ipv4
