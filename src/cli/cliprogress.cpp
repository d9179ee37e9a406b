#include "cli/cliprogress.h"

#include <cstdio>

#include "platform/console.h"

namespace {
constexpr int kTerminalRedrawMs = 250;
constexpr int kSummaryEveryMs = 5000;
constexpr int kBarWidth = 30;

void writeErr(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
}
} // namespace

CCliProgress::CCliProgress(const QStringList &ips, qint64 totalBytes, bool terminal)
    : m_total(totalBytes)
    , m_terminal(terminal)
{
    for (const QString &ip : ips) {
        if (m_index.contains(ip))
            continue;
        m_index.insert(ip, m_rows.size());
        m_rows.append({ip, 0, false, false, QString(), QString()});
    }
    draw(true);
}

bool CCliProgress::stderrIsTerminal()
{
    return Platform::stderrIsTerminal();
}

void CCliProgress::setBytes(const QString &ip, qint64 bytes)
{
    const auto it = m_index.constFind(ip);
    if (it == m_index.constEnd() || m_rows.at(*it).done)
        return;
    m_rows[*it].bytes = bytes;
    draw(false);
}

void CCliProgress::setDone(const QString &ip, bool ok, const QString &text)
{
    const auto it = m_index.constFind(ip);
    if (it == m_index.constEnd())
        return;
    sRow &row = m_rows[*it];
    row.done = true;
    row.ok = ok;
    row.text = text;
    draw(false);
}

void CCliProgress::setStage(const QString &ip, const QString &text)
{
    const auto it = m_index.constFind(ip);
    if (it == m_index.constEnd() || m_rows.at(*it).done)
        return;
    m_rows[*it].stage = text;
    draw(false);
}

QString CCliProgress::line(const sRow &row) const
{
    const int percent = m_total > 0 ? int(qBound<qint64>(0, row.bytes * 100 / m_total, 100)) : 0;
    if (row.done)
        return QStringLiteral("%1 %2").arg(row.ip, -15).arg(row.ok ? row.text : QStringLiteral("FAILED: ") + row.text);
    const int filled = percent * kBarWidth / 100;
    QString text = QStringLiteral("%1 [%2%3] %4%").arg(row.ip, -15)
        .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('.')))
        .arg(percent, 3);
    if (!row.stage.isEmpty())
        text += QLatin1Char(' ') + row.stage;
    return text;
}

void CCliProgress::draw(bool force)
{
    const int every = m_terminal ? kTerminalRedrawMs : kSummaryEveryMs;
    if (!force && m_sinceDraw.isValid() && m_sinceDraw.elapsed() < every)
        return;
    m_sinceDraw.start();
    if (m_terminal) {
        QString out;
        if (m_linesDrawn > 0)
            out += QStringLiteral("\x1b[%1A").arg(m_linesDrawn); // back to the first row
        for (const sRow &row : qAsConst(m_rows))
            out += QStringLiteral("\r\x1b[K") + line(row) + QLatin1Char('\n');
        m_linesDrawn = m_rows.size();
        writeErr(out);
    } else {
        int done = 0, failed = 0;
        qint64 bytes = 0;
        for (const sRow &row : qAsConst(m_rows)) {
            done += row.done ? 1 : 0;
            failed += row.done && !row.ok ? 1 : 0;
            bytes += row.done ? m_total : row.bytes;
        }
        const qint64 all = m_total * m_rows.size();
        const QString summary = QStringLiteral("%1 of %2 nodes done (%3 failed), %4% of the bytes sent")
                                    .arg(done).arg(m_rows.size()).arg(failed)
                                    .arg(all > 0 ? int(qBound<qint64>(0, bytes * 100 / all, 100)) : 0);
        if (summary == m_lastSummary)
            return;
        m_lastSummary = summary;
        writeErr(summary + QLatin1Char('\n'));
    }
    std::fflush(stderr);
}
