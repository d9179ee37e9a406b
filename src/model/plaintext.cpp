#include "model/plaintext.h"

namespace PlainText {

namespace {

bool needsEscape(QChar c)
{
    const ushort u = c.unicode();
    if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
        return true;
    // Separators that break a line, and the marks that reorder what follows them.
    return u == 0x2028 || u == 0x2029 || (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
}

} // namespace

QString singleLine(const QString &text)
{
    bool clean = true;
    for (const QChar c : text)
        clean = clean && !needsEscape(c);
    if (clean)
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (!needsEscape(c)) {
            out += c;
            continue;
        }
        switch (c.unicode()) {
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (c.unicode() <= 0xff)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}

} // namespace PlainText
