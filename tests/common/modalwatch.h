#pragma once

// Drives code that runs a dialog with exec(): a poller on the event loop waits for a
// modal dialog of the wanted type and hands it to a callback, which reads it and closes it.

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace modalwatch {

// One armed wait. Dropping it stops the poller; ran() says whether a dialog was handled.
class Watch
{
public:
    bool ran() const { return *m_ran; }

    template <typename T>
    static Watch arm(std::function<void(T *)> fn, int timeoutMs = 5000)
    {
        Watch w;
        auto ran = w.m_ran;
        QPointer<QTimer> timer = new QTimer(qApp);
        w.m_timer = timer;
        const QDeadlineTimer deadline(timeoutMs);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, ran, deadline, fn]() {
            T *dlg = qobject_cast<T *>(QApplication::activeModalWidget());
            if (dlg && dlg->isVisible()) {
                timer->stop();
                timer->deleteLater();
                *ran = true;
                fn(dlg);
            } else if (deadline.hasExpired()) {
                timer->stop();
                timer->deleteLater();
            }
        });
        timer->start();
        return w;
    }

    Watch() = default;
    Watch(Watch &&) = default;
    Watch &operator=(Watch &&) = default;
    ~Watch()
    {
        if (m_timer) {
            m_timer->stop();
            m_timer->deleteLater();
        }
    }

private:
    std::shared_ptr<bool> m_ran = std::make_shared<bool>(false);
    QPointer<QTimer> m_timer;
};

} // namespace modalwatch
