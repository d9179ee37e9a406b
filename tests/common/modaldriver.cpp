#include "modaldriver.h"

#include "dialog/cdevicerestartdlg.h"
#include "ui/cmessagedialog.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <memory>

// Resources of a static library are registered by hand.
static void initProgramResources()
{
    Q_INIT_RESOURCE(res);
}

namespace ModalDriver {

namespace {
int g_missed = 0;
}

void useProgramLook()
{
    initProgramResources();
    QFile qss(QStringLiteral(":/res/res/stylesheet/stylesheet.qss"));
    if (qss.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
}

void whenModal(Action action, int timeoutMs)
{
    QPointer<QWidget> previous = QApplication::activeModalWidget();
    auto *timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, previous, action, timeoutMs] {
        QWidget *w = QApplication::activeModalWidget();
        const bool found = w && w != previous && w->isVisible();
        if (!found && clock->elapsed() < timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (found)
            action(w);
        else
            ++g_missed;
    });
    timer->start();
}

int missed()
{
    return g_missed;
}

void accept(QWidget *w)
{
    if (auto *d = qobject_cast<QDialog *>(w))
        d->accept();
}

void reject(QWidget *w)
{
    if (auto *d = qobject_cast<QDialog *>(w))
        d->reject();
}

QString messageText(QWidget *w)
{
    if (auto *m = qobject_cast<CMessageDialog *>(w))
        return m->messageLabel() ? m->messageLabel()->text() : QString();
    if (auto *r = qobject_cast<CDeviceRestartDlg *>(w))
        return r->text();
    const auto labels = w->findChildren<QLabel *>();
    for (QLabel *l : labels) {
        if (!l->text().isEmpty())
            return l->text();
    }
    return {};
}

QString saveGrab(QWidget *w, const QString &folder, const QString &name)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    w->grab().save(path);
    return path;
}

} // namespace ModalDriver
