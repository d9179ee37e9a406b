#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class COperation;
class CProgressDialog;

// Refreshes the node list on its own every few seconds. The scan is an operation that runs
// off this thread (the manual scan's own), so the window keeps painting while the answers come in; its
// result is merged here, on the GUI thread, in one step. Never started while a dialog or a
// menu is open: a rescan under an open dialog would change the nodes it works on.
class CAutoRefresh final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAutoRefresh)

public:
    // scan makes the operation of one refresh (the scan); merge runs here after it has ended.
    using Scan = std::function<std::unique_ptr<COperation>()>;
    CAutoRefresh(Scan scan, std::function<void()> merge, QObject *parent = nullptr);
    ~CAutoRefresh() override;

    // 0 stops; otherwise seconds between refreshes.
    void setInterval(int seconds);
    int interval() const { return m_seconds; }
    bool isActive() const { return m_timer.isActive(); }
    bool isRunning() const { return m_scanning != nullptr; }
    // When the last refresh was merged; invalid before the first.
    QDateTime lastRefresh() const { return m_last; }

    // One due refresh: starts it unless one is running or a dialog or menu is open (then
    // the next tick tries again). True when it started.
    bool tick();
    // Before anything else sends: lets a running refresh finish and merges it, then runs
    // then (at once when no refresh runs). The busy indicator (when given) turns window-modal
    // meanwhile; closing it drops the refresh, and then still runs. One settle waits at a
    // time: false, then not run, while another waits.
    bool settle(CProgressDialog *busy, std::function<void()> then);
    bool isSettling() const { return m_settling; }
    // Before a scan of its own: a running refresh ends unmerged (the scan empties the stores).
    void drop();
    // The list was just refreshed by a scan of its own (the indicator's time).
    void noteRefreshed();

    // While one lives, no refresh starts: a command (and its own scan) owns the network.
    class Hold final
    {
    public:
        explicit Hold(CAutoRefresh *refresh) : m_refresh(refresh) { ++m_refresh->m_holds; }
        ~Hold() { --m_refresh->m_holds; }
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        CAutoRefresh *m_refresh;
    };

signals:
    // Started, merged or dropped: the indicator follows.
    void sigStateChanged();

private:
    void finish(bool merge);
    void endSettle(bool ended);

    Scan m_scan;
    std::function<void()> m_merge;
    QTimer m_timer;
    std::unique_ptr<COperation> m_scanning;
    QMetaObject::Connection m_finished;
    // A settle that waits: what runs after it, the indicator and its two ends.
    bool m_settling = false;
    std::function<void()> m_then;
    CProgressDialog *m_busy = nullptr;
    QMetaObject::Connection m_settled;
    QMetaObject::Connection m_busyClosed;
    QDateTime m_last;
    int m_seconds = 0;
    int m_holds = 0;
};
