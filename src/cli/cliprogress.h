#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// How far each node's upload is, on stderr so stdout keeps only the results. On a terminal
// one line per node is redrawn in place; otherwise a summary line now and then, so that a
// log file does not fill up with redraws.
class CCliProgress final
{
    Q_DISABLE_COPY_MOVE(CCliProgress)

public:
    CCliProgress(const QStringList &ips, qint64 totalBytes, bool terminal);

    static bool stderrIsTerminal();

    void setBytes(const QString &ip, qint64 bytes);
    void setDone(const QString &ip, bool ok, const QString &text);
    // What a node that has not ended is doing (installing, verifying); shown after its bar.
    void setStage(const QString &ip, const QString &text);
    // Draws the last state whatever the time since the previous drawing.
    void finish() { draw(true); }

private:
    struct sRow
    {
        QString ip;
        qint64 bytes = 0;
        bool done = false;
        bool ok = false;
        QString text;
        QString stage;
    };

    void draw(bool force);
    QString line(const sRow &row) const;

    const qint64 m_total = 0;
    const bool m_terminal = false;
    QVector<sRow> m_rows;
    QHash<QString, int> m_index;
    QElapsedTimer m_sinceDraw;
    int m_linesDrawn = 0;
    QString m_lastSummary;
};
