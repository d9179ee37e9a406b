#include "dialog/cautorefresh.h"

#include <QApplication>
#include <QWidget>

CAutoRefresh::CAutoRefresh(std::function<void()> refresh, QObject *parent)
    : QObject(parent)
    , m_refresh(std::move(refresh))
{
    connect(&m_timer, &QTimer::timeout, this, &CAutoRefresh::tick);
}

void CAutoRefresh::setInterval(int seconds)
{
    m_seconds = seconds > 0 ? seconds : 0;
    if (m_seconds == 0) {
        m_timer.stop();
        return;
    }
    m_timer.start(m_seconds * 1000);
}

bool CAutoRefresh::tick()
{
    // The scan waits for answers on this thread; a nested tick must not start another.
    if (m_running || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    m_running = true;
    m_refresh();
    m_running = false;
    return true;
}
