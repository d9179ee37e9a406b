#include "modaldriver.h"

#include "dialog/cdevicerestartdlg.h"
#include "dialog/guiresources.h"
#include "ui/cmessagedialog.h"

#include <QApplication>
#include <algorithm>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QtTest>

// Resources of the static widget library are registered by hand, before any test runs.
static void loadGuiResources()
{
    initGuiResources();
}
Q_COREAPP_STARTUP_FUNCTION(loadGuiResources)

namespace ModalDriver {

struct Expect::State
{
    const QMetaObject *type = nullptr;
    std::function<void(QWidget *)> action;
    bool required = true;
    bool optional = false; // may not come at all
    bool came = false;
    bool failed = false;
    int timeoutMs = 0;
    QDeadlineTimer deadline;
    QList<QPointer<QWidget>> openBefore;
    QPointer<QTimer> timer;
};

namespace {

// Dialogs already handed to an expectation: two armed at once never share one.
QList<QPointer<QWidget>> &claimed()
{
    static QList<QPointer<QWidget>> list;
    return list;
}

bool listed(const QList<QPointer<QWidget>> &list, QWidget *w)
{
    return std::any_of(list.begin(), list.end(), [w](const QPointer<QWidget> &p) { return p == w; });
}

QList<QPointer<QWidget>> openModals()
{
    QList<QPointer<QWidget>> list;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isModal())
            list.append(w);
    return list;
}

void closeDialog(QWidget *w)
{
    if (auto *d = qobject_cast<QDialog *>(w))
        d->reject();
    else
        w->close();
}

void stop(Expect::State &s)
{
    if (s.timer) {
        s.timer->stop();
        s.timer->deleteLater();
    }
}

void poll(const std::shared_ptr<Expect::State> &s)
{
    QWidget *w = QApplication::activeModalWidget();
    const bool fresh = w && w->isVisible() && !listed(s->openBefore, w) && !listed(claimed(), w);
    if (fresh && s->type->cast(w)) {
        stop(*s);
        s->came = true;
        QPointer<QWidget> guard(w);
        claimed().append(guard);
        if (!s->required) {
            s->failed = true;
            QTest::qFail(qPrintable(QStringLiteral("unexpected modal dialog %1")
                                        .arg(QLatin1String(w->metaObject()->className()))),
                         __FILE__, __LINE__);
        } else {
            s->action(w);
        }
        if (guard && guard->isVisible())
            closeDialog(guard);
        return;
    }
    if (!s->deadline.hasExpired())
        return;
    stop(*s);
    if (!s->required || s->optional)
        return;
    s->failed = true;
    QString msg = QStringLiteral("modal dialog %1 did not open within %2 ms")
                      .arg(QLatin1String(s->type->className()))
                      .arg(s->timeoutMs);
    if (fresh)
        msg += QStringLiteral(" (%1 opened instead)").arg(QLatin1String(w->metaObject()->className()));
    QTest::qFail(qPrintable(msg), __FILE__, __LINE__);
    // Let the code under test go on: close whatever opened since the wait began.
    for (const auto &p : openModals())
        if (p && !listed(s->openBefore, p))
            closeDialog(p);
}

} // namespace

Expect::Expect(const QMetaObject &type, std::function<void(QWidget *)> action, int timeoutMs, bool required,
               bool optional)
    : m_state(std::make_shared<State>(State{&type, std::move(action), required, optional, false, false, timeoutMs,
                                            QDeadlineTimer(timeoutMs), openModals(), nullptr}))
{
    auto *timer = new QTimer(qApp);
    m_state->timer = timer;
    std::weak_ptr<State> weak = m_state;
    QObject::connect(timer, &QTimer::timeout, timer, [weak] {
        if (auto s = weak.lock())
            poll(s);
    });
    timer->start(10);
}

Expect::~Expect()
{
    if (!m_state)
        return;
    stop(*m_state);
    if (m_state->required && !m_state->optional && !m_state->came && !m_state->failed)
        QTest::qFail(qPrintable(QStringLiteral("modal dialog %1 never opened")
                                    .arg(QLatin1String(m_state->type->className()))),
                     __FILE__, __LINE__);
}

bool Expect::came() const
{
    return m_state && m_state->came;
}

bool Expect::wait()
{
    return QTest::qWaitFor([this] { return came() || !m_state->timer; }, m_state->timeoutMs + 1000) && came();
}

Expect expectNone(int timeoutMs)
{
    return Expect(QWidget::staticMetaObject, {}, timeoutMs, false);
}

QString messageText(QWidget *w)
{
    if (auto *m = qobject_cast<CMessageDialog *>(w))
        return m->messageLabel() ? m->messageLabel()->text() : QString();
    if (auto *r = qobject_cast<CDeviceRestartDlg *>(w))
        return r->text();
    return {};
}

QString messageFrom(const std::function<void()> &action, bool confirm)
{
    QString text;
    auto box = expect<CMessageDialog>([&text, confirm](CMessageDialog *m) {
        text = messageText(m);
        confirm ? m->accept() : m->reject();
    });
    action();
    box.wait();
    return text;
}

void useProgramLook()
{
    installAppStyleSheet(*qApp);
}

} // namespace ModalDriver
