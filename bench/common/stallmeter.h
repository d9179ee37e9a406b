#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <cstdio>

// The longest gap between two ticks of a fast timer on the GUI thread: how long the
// event loop could not run.
class CStallMeter final : public QObject
{
public:
    void start()
    {
        m_max = 0;
        m_maxAt = 0;
        m_clock.start();
        m_last = 0;
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            // QV_STALL_TRACE=1 lists every stall above 30 ms, to find what causes them.
            if (m_trace && now - m_last > 30000000)
                std::fprintf(stderr, "stall %.1f ms at %.0f ms\n", (now - m_last) / 1e6, m_last / 1e6);
            if (now - m_last > m_max) {
                m_max = now - m_last;
                m_maxAt = m_last;
            }
            m_last = now;
        });
        m_timer.start();
    }
    double stopMs()
    {
        m_timer.stop();
        m_timer.disconnect();
        return m_max / 1e6;
    }
    double maxAtMs() const { return m_maxAt / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_max = 0;
    qint64 m_maxAt = 0;
    const bool m_trace = qEnvironmentVariableIsSet("QV_STALL_TRACE");
};

// A line of /proc/self/status in KiB ("VmRSS", "VmHWM"); 0 where there is none.
inline qint64 procStatusKiB(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}
