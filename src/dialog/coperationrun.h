#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class COperation;
class CProgressDialog;

// Shows one operation to its end without a nested event loop: starts it, turns the busy
// indicator (window-modal, not exec()) meanwhile, and once the operation is idle runs the
// view's continuation from the event loop. Closing the indicator early cancels the
// operation. Owned by its context (the hub): destroyed with it, the operation is cancelled
// and finished (its history line) and the continuation never runs. Without a context it
// deletes itself once the continuation has run.
class COperationRun final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(COperationRun)

public:
    // finished: false when the operator closed the indicator before the end.
    using Then = std::function<void(COperation &operation, bool finished)>;

    // whenDone runs as soon as the operation has ended (or was cancelled); the indicator
    // then stays lingerMs longer before then runs.
    COperationRun(std::unique_ptr<COperation> operation, CProgressDialog *busy, std::function<void()> whenDone,
                  int lingerMs, Then then, QObject *context);
    ~COperationRun() override;

    void start();

private:
    void onIdle();
    void onBusyClosed();
    void end();

    std::unique_ptr<COperation> m_operation;
    QPointer<CProgressDialog> m_busy;
    std::function<void()> m_whenDone;
    const int m_lingerMs;
    Then m_then;
    bool m_idle = false;
    bool m_ended = false;
    QMetaObject::Connection m_busyClosed;
};
