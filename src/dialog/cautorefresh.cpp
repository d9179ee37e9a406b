#include "dialog/cautorefresh.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

#include "operations/coperation.h"
#include "ui/cprogressdialog.h"

CAutoRefresh::CAutoRefresh(Scan scan, std::function<void()> merge, QObject *parent)
    : QObject(parent)
    , m_scan(std::move(scan))
    , m_merge(std::move(merge))
{
    connect(&m_timer, &QTimer::timeout, this, &CAutoRefresh::tick);
}

CAutoRefresh::~CAutoRefresh()
{
    // The scan must not outlive what it works on: its end cancels and joins it.
    m_scanning.reset();
}

void CAutoRefresh::setInterval(int seconds)
{
    m_seconds = seconds > 0 ? seconds : 0;
    if (m_seconds == 0)
        m_timer.stop();
    else
        m_timer.start(m_seconds * 1000);
    emit sigStateChanged();
}

bool CAutoRefresh::tick()
{
    if (m_scanning || m_holds > 0 || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    m_scanning = m_scan();
    if (!m_scanning)
        return false;
    // Queued to this thread: the merge happens between two events, never inside another step.
    m_finished = connect(m_scanning.get(), &COperation::sigIdle, this, [this, scan = m_scanning.get()] {
        if (m_scanning.get() == scan) // not a late notice of a refresh settled meanwhile
            finish(true);
    }, Qt::QueuedConnection);
    m_scanning->start();
    emit sigStateChanged();
    return true;
}

void CAutoRefresh::finish(bool merge)
{
    if (!m_scanning)
        return;
    disconnect(m_finished);
    m_scanning.reset(); // joins what still runs
    if (merge) {
        m_merge();
        m_last = QDateTime::currentDateTimeUtc();
    }
    emit sigStateChanged();
}

bool CAutoRefresh::settle(CProgressDialog *busy, std::function<void()> then)
{
    if (m_settling)
        return false;
    if (!m_scanning) {
        if (then)
            then();
        return true;
    }
    disconnect(m_finished); // ended by the settle, not by the refresh's own notice
    m_settling = true;
    m_then = std::move(then);
    m_busy = busy;
    // Queued: the operation is deleted at its end, never inside its own signal.
    m_settled = connect(m_scanning.get(), &COperation::sigIdle, this, [this] { endSettle(true); },
                        Qt::QueuedConnection);
    if (busy) {
        // Closed by the operator before the end: what came so far is not the whole LAN.
        m_busyClosed = connect(busy, &QDialog::finished, this, [this] { endSettle(false); });
        busy->openUntilStopped();
    }
    return true;
}

void CAutoRefresh::endSettle(bool ended)
{
    if (!m_settling)
        return;
    disconnect(m_settled);
    disconnect(m_busyClosed);
    if (ended && m_busy)
        m_busy->stopWaiting();
    m_busy = nullptr;
    m_settling = false;
    const std::function<void()> then = std::move(m_then);
    m_then = nullptr;
    finish(ended);
    if (then)
        then();
}

void CAutoRefresh::drop()
{
    if (!m_settling)
        finish(false);
    else if (m_scanning)
        m_scanning->cancel(); // the waiting settle ends with what came
}

void CAutoRefresh::noteRefreshed()
{
    m_last = QDateTime::currentDateTimeUtc();
    emit sigStateChanged();
}
