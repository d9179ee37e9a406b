#include "dialog/coperationrun.h"

#include "operations/coperation.h"
#include "ui/cprogressdialog.h"

COperationRun::COperationRun(std::unique_ptr<COperation> operation, CProgressDialog *busy,
                             std::function<void()> whenDone, int lingerMs, Then then, QObject *context)
    : QObject(context)
    , m_operation(std::move(operation))
    , m_busy(busy)
    , m_whenDone(std::move(whenDone))
    , m_lingerMs(lingerMs)
    , m_then(std::move(then))
{
}

COperationRun::~COperationRun()
{
    disconnect(m_busyClosed);
    if (!m_ended && m_operation) {
        // The context went first (the window closed mid-command): stop and record it.
        m_operation->cancel();
        m_operation->finish();
        if (m_busy)
            m_busy->stopWaiting();
    }
}

void COperationRun::start()
{
    // Queued: the operation is finished outside its own signal.
    connect(m_operation.get(), &COperation::sigIdle, this, &COperationRun::onIdle, Qt::QueuedConnection);
    if (m_busy) {
        m_busyClosed = connect(m_busy.data(), &QDialog::finished, this, &COperationRun::onBusyClosed);
        m_busy->openUntilStopped();
    }
    m_operation->start();
}

void COperationRun::onIdle()
{
    if (m_idle || m_ended)
        return;
    m_idle = true;
    if (m_whenDone)
        m_whenDone();
    if (!m_busy)
        end();
    else if (m_lingerMs > 0)
        m_busy->startWaiting(m_lingerMs); // its timeout closes it, and that ends the run
    else
        m_busy->stopWaiting();
}

void COperationRun::onBusyClosed()
{
    if (!m_idle)
        m_operation->cancel(); // the operator closed the indicator
    end();
}

void COperationRun::end()
{
    if (m_ended)
        return;
    m_ended = true;
    disconnect(m_busyClosed);
    m_operation->finish(); // waits for the run and writes the history line
    if (!m_idle && m_whenDone)
        m_whenDone();
    // The continuation may open dialogs of its own: from the event loop, not from inside
    // the indicator's or the operation's signal.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_then)
                m_then(*m_operation, m_idle);
            deleteLater();
        },
        Qt::QueuedConnection);
}
