#include "dialog/cautorefresh.h"

#include <QApplication>
#include <QEventLoop>
#include <QWidget>

#include "operations/cbulkrunner.h"
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
    // The worker must not outlive what its scan works on.
    if (m_runner) {
        m_runner->cancel();
        m_runner->wait();
    }
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
    if (m_runner || m_holds > 0 || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    m_runner = std::make_unique<CBulkRunner>();
    // Queued to this thread: the merge happens between two events, never inside another step.
    m_finished = connect(m_runner.get(), &CBulkRunner::sigFinished, this,
                         [this](bool cancelled) { finish(!cancelled); }, Qt::QueuedConnection);
    const Scan scan = m_scan;
    if (!m_runner->startBatch(0, [scan](const CBulkRunner::Control &ctl) {
            scan([&ctl] { return ctl.stopRequested(); });
        })) {
        m_runner.reset();
        return false;
    }
    emit sigStateChanged();
    return true;
}

void CAutoRefresh::finish(bool merge)
{
    if (!m_runner)
        return;
    m_runner->wait();
    m_runner.reset();
    if (merge) {
        m_merge();
        m_last = QDateTime::currentDateTimeUtc();
    }
    emit sigStateChanged();
}

void CAutoRefresh::settle(CProgressDialog *busy)
{
    if (!m_runner)
        return;
    disconnect(m_finished); // ended here, not by the queued signal
    CBulkRunner *runner = m_runner.get();
    bool dropped = false;
    {
        QEventLoop loop;
        bool ended = false;
        // Connected before asking whether it still runs, so the end cannot slip between.
        connect(runner, &CBulkRunner::sigFinished, &loop, [&loop, &ended, busy] {
            ended = true;
            if (busy)
                busy->stopWaiting();
            else
                loop.quit();
        }, Qt::QueuedConnection);
        if (runner->isRunning()) {
            if (busy) {
                // Longer than any scan; the indicator's own timeout must not end the wait.
                busy->startWaiting(24 * 3600 * 1000);
                busy->exec();
            } else {
                loop.exec();
            }
        }
        if (!ended && runner->isRunning()) {
            // The operator closed the indicator: what came so far is not the whole LAN.
            runner->cancel();
            dropped = true;
        }
    }
    runner->wait();
    finish(!dropped && !runner->wasCancelled());
}

void CAutoRefresh::noteRefreshed()
{
    m_last = QDateTime::currentDateTimeUtc();
    emit sigStateChanged();
}
