#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// Refreshes the node list on its own every few seconds, but never while a dialog or a
// menu is open: a rescan under an open dialog would change the nodes it works on.
class CAutoRefresh final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAutoRefresh)

public:
    explicit CAutoRefresh(std::function<void()> refresh, QObject *parent = nullptr);

    // 0 stops; otherwise seconds between refreshes.
    void setInterval(int seconds);
    int interval() const { return m_seconds; }
    bool isActive() const { return m_timer.isActive(); }

    // One due refresh: runs it unless a dialog or menu is open (then the next tick tries again).
    // True when it ran.
    bool tick();

private:
    std::function<void()> m_refresh;
    QTimer m_timer;
    int m_seconds = 0;
    bool m_running = false;
};
