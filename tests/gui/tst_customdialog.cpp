// The frameless windows: the dialog base (the about dialog drags with the same code),
// the main title bar, and the resources their style sheet and code name.
#include "config/cappconfig.h"
#include "dialog/cmaintitlebar.h"
#include "modaldriver.h"
#include "ui/ccustomdialog.h"
#include "ui/ctoolbutton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>
#include <QtTest>

namespace {
class ProbeDialog final : public CCustomDialog
{
public:
    explicit ProbeDialog(bool keepOpenOnOk = false, bool selfClosing = false)
    {
        setFixedSize(480, 240);
        setKeepOpenOnOk(keepOpenOnOk);
        setSelfClosing(selfClosing);
        auto *layout = new QVBoxLayout(contentWidget());
        edit = new QLineEdit(contentWidget());
        layout->addWidget(edit);
        show();
    }
    void onOkClicked() override { ++okCalls; }
    void onCancelClicked() override { ++cancelCalls; }

    QLineEdit *edit = nullptr;
    int okCalls = 0;
    int cancelCalls = 0;
};

// A mouse event at a window-local point (its global position follows the window).
void sendMouse(QWidget *w, QEvent::Type type, const QPoint &local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(local), QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Resource paths written out in the text; "%1" stands for each of 0..9.
QStringList named(const QString &text, const QRegularExpression &pattern)
{
    QStringList paths;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QString path = it.next().captured(1);
        if (!path.contains(QLatin1String("%1")))
            paths << path;
        for (int i = 0; path.contains(QLatin1String("%1")) && i < 10 && QFile::exists(path.arg(i)); ++i)
            paths << path.arg(i);
    }
    return paths;
}

QString readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
} // namespace

class TestCustomDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ModalDriver::useProgramLook();
        qRegisterMetaType<menuType>();
        CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
    }

    // OK and Cancel call their handlers and close as the flags say (plain, keep open on OK,
    // self-closing); the close button cancels too, on release.
    void okAndCancelFollowFlags()
    {
        for (const auto &[keepOpenOnOk, selfClosing, okCloses, cancelCloses] :
             {std::tuple{false, false, true, true}, std::tuple{true, false, false, true}, std::tuple{false, true, false, false}}) {
            ProbeDialog ok(keepOpenOnOk, selfClosing);
            QVERIFY(QTest::qWaitForWindowExposed(&ok));
            // Escape and Enter close nothing, from the frame, a focused field or the focused OK button.
            for (QWidget *w : {static_cast<QWidget *>(&ok), static_cast<QWidget *>(ok.edit), static_cast<QWidget *>(ok.okButton())})
                for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
                    QTest::keyClick(w, key);
            QVERIFY(ok.isVisible() && ok.okCalls + ok.cancelCalls == 0);
            QTest::mouseClick(ok.okButton(), Qt::LeftButton);
            QCOMPARE(ok.okCalls, 1);
            QCOMPARE(ok.result(), int(okCloses ? QDialog::Accepted : QDialog::Rejected));
            ProbeDialog cancel(keepOpenOnOk, selfClosing);
            QTest::mouseClick(cancel.cancelButton(), Qt::LeftButton);
            QVERIFY(cancel.cancelCalls == 1 && cancel.okCalls == 0);
            QCOMPARE(cancel.isVisible(), !cancelCloses);
            ProbeDialog closed(keepOpenOnOk, selfClosing);
            QTest::mousePress(closed.closeButton(), Qt::LeftButton);
            QCOMPARE(closed.cancelCalls, 0);
            QTest::mouseRelease(closed.closeButton(), Qt::LeftButton);
            QCOMPARE(closed.cancelCalls, 1);
            QCOMPARE(closed.isVisible(), !cancelCloses);
        }
    }

    void dragBandIsFortyPixels()
    {
        ProbeDialog dlg;
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QPoint start = dlg.pos();
        sendMouse(&dlg, QEvent::MouseButtonPress, QPoint(200, 40), Qt::LeftButton, Qt::LeftButton);
        sendMouse(&dlg, QEvent::MouseMove, QPoint(230, 60), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(dlg.pos(), start);
        sendMouse(&dlg, QEvent::MouseButtonRelease, QPoint(230, 60), Qt::LeftButton, Qt::NoButton);
        // A right press in the band does not drag either.
        sendMouse(&dlg, QEvent::MouseButtonPress, QPoint(200, 10), Qt::RightButton, Qt::RightButton);
        QVERIFY(!dlg.isDragging());
        sendMouse(&dlg, QEvent::MouseButtonRelease, QPoint(200, 10), Qt::RightButton, Qt::NoButton);

        sendMouse(&dlg, QEvent::MouseButtonPress, QPoint(200, 39), Qt::LeftButton, Qt::LeftButton);
        QVERIFY(dlg.isDragging());
        QMouseEvent move(QEvent::MouseMove, QPointF(0, 0), QPointF(0, 0), QPointF(start + QPoint(150, 69)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &move);
        QCOMPARE(dlg.pos(), start + QPoint(-50, 30));
        sendMouse(&dlg, QEvent::MouseButtonRelease, QPoint(200, 39), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!dlg.isDragging());
    }

    void titleBarCommands()
    {
        QWidget window;
        CMainTitleBar bar(&window);
        window.resize(1366, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QList<QPushButton *> &buttons = bar.commandButtons();
        QCOMPARE(buttons.size(), 14);
        QSignalSpy spy(&bar, &CMainTitleBar::sigSwitch2SettingWidget);
        for (int i = 0; i < buttons.size(); ++i) { // a hidden one stays wired: the hub decides what it does
            QCOMPARE(buttons.at(i)->isVisible(), i != 3 && i != 5 && i != 10);
            buttons.at(i)->click();
            QVERIFY(spy.count() == i + 1 && spy.last().at(0).value<menuType>() == menuType(i));
        }
        bar.onAbout();
        QCOMPARE(spy.last().at(0).value<menuType>(), MenuAbout);

        // Maximised by a double click on the top row only; the button restores.
        QSignalSpy size(&bar, &CMainTitleBar::sigWindowSizeChange);
        QTest::mouseDClick(bar.commandRow(), Qt::LeftButton, Qt::NoModifier, QPoint(bar.commandRow()->width() - 5, 20));
        QCOMPARE(size.count(), 0);
        QTest::mouseDClick(bar.topRow(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 20));
        QTRY_VERIFY(window.isMaximized());
        QTest::mouseClick(bar.maxButton(), Qt::LeftButton);
        QCOMPARE(size.count(), 2);
        QVERIFY(size.at(0).at(0).toBool() && !size.at(1).at(0).toBool());
    }

    // Every resource the code or the style sheet names is there, and every picture renders.
    void namedResourcesExistAndPicturesRender()
    {
        QStringList paths;
        QDirIterator sources(QStringLiteral(QV_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                             QDir::Files, QDirIterator::Subdirectories);
        while (sources.hasNext())
            paths << named(readAll(sources.next()), QRegularExpression(QStringLiteral("\"[^\"]*?(:/res/res/[^\")]+)")));
        const QString sheet = readAll(QStringLiteral(":/res/res/stylesheet/stylesheet.qss"));
        QVERIFY(!sheet.isEmpty());
        QCOMPARE(sheet.count(QLatin1Char('{')), sheet.count(QLatin1Char('}')));
        paths << named(sheet, QRegularExpression(QStringLiteral("url\\((:/[^)]+)\\)")));
        paths.removeDuplicates();
        QVERIFY(paths.size() > 20);
        for (const QString &path : qAsConst(paths))
            QVERIFY2(QFile::exists(path), qPrintable(path));
        int pictures = 0;
        QDirIterator images(QStringLiteral(":/res/res/image"), {QStringLiteral("*.svg")}, QDir::Files,
                            QDirIterator::Subdirectories);
        for (; images.hasNext(); ++pictures) {
            const QString path = images.next();
            QSvgRenderer svg(path);
            QVERIFY2(svg.isValid() && !svg.defaultSize().isEmpty(), qPrintable(path));
        }
        QVERIFY(pictures >= 16);
    }
};

QTEST_MAIN(TestCustomDialog)
#include "tst_customdialog.moc"
