#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "dialog/guiresources.h"

#include "cappconfig.h"
#include "dialog/caboutdlg.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cmaintitlebar.h"
#include "dialog/cnodescanui/cnodeheaderview.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/cnodescanui/customcheckbox.h"
#include "dialog/mainwindow.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "nodefixtures.h"
#include "ui/cmessagedialog.h"
#include "ui/gradienttextlabel.h"

using namespace fixtures;

namespace {

// Closes the next modal dialog once it is up and tells what it was.
struct ModalCatcher
{
    QString className;
    QString text;
    bool seen = false;

    void arm()
    {
        seen = false;
        className.clear();
        text.clear();
        poll(0);
    }

    void poll(int tries)
    {
        QTimer::singleShot(20, [this, tries] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal) {
                if (tries < 200)
                    poll(tries + 1);
                return;
            }
            seen = true;
            className = QString::fromLatin1(modal->metaObject()->className());
            if (auto *box = qobject_cast<CMessageDialog *>(modal))
                text = box->messageLabel()->text();
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        });
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_configDir;
    MainWindow *m_window = nullptr;
    CMainShowWidget *page() const { return m_window->deviceManage()->mainShowWidget(); }

    void sendMouse(QWidget *target, QEvent::Type type, const QPoint &global, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, target->mapFromGlobal(global), global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

private slots:
    void initTestCase()
    {
        initGuiResources();
        installAppStyleSheet(*qApp);
        registerNodeMetaTypes();
        qRegisterMetaType<menuType>();
        CAppConfig::instance()->setConfigDirOverride(m_configDir.path());
        QFont font(QStringLiteral("Microsoft YaHei"));
        font.setPixelSize(12);
        QApplication::setFont(font);
    }

    void init()
    {
        CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
        clearStores();
        CDecoderList::instance().addNode(decoder(11, "127.0.1.11", "00:aa:00:00:00:11", 0, "V1.2.0", "大厅拼接屏"));
        CDecoderList::instance().addNode(decoder(12, "127.0.1.12", "00:aa:00:00:00:12", 1, "V1.2.0", "坐席-1"));
        CDecoderList::instance().addNode(decoder(13, "127.0.1.13", "00:aa:00:00:00:13", 2, "V1.1.5", "矩阵输出"));
        CDecoderList::instance().addNode(decoder(14, "127.0.1.14", "00:aa:00:00:00:99", 0, "V1.2.0", "会议室"));
        CEncoderList::instance().addNode(encoder(21, "127.0.1.14", "00:aa:00:00:00:21", "摄像机-1", "V2.0.1", "前门摄像"));
        CEncoderList::instance().addNode(encoder(22, "127.0.1.22", "00:aa:00:00:00:99", "", "V2.0.1", "机房电脑"));
        CEncoderList::instance().addNode(encoder(23, "127.0.1.23", "00:aa:00:00:00:23", "HDMI-3", "V2.0.0", "演示台"));
        m_window = new MainWindow;
        m_window->deviceManage()->setBusyMs(0);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        page()->updateDeviceInfo();
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        clearStores();
    }

    void looksFinished()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Quorvane"));
        QVERIFY(m_window->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(m_window->minimumSize(), QSize(1366, 768));
        QCOMPARE(m_window->size(), QSize(1366, 768));
        QCOMPARE(page()->rows().size(), 7);
        const QString path = saveScreenshot(m_window, QStringLiteral("mainwindow_cn"));
        QVERIFY(QFile::exists(path));
        // The title bar and the table are painted dark, not in the default light grey.
        const QImage image = m_window->grab().toImage();
        QVERIFY(countColour(image, QRect(0, 0, image.width(), 40), QColor(0x2c, 0x2e, 0x33), 6) > image.width() * 10);
        QVERIFY(countColour(image, QRect(0, 200, image.width(), 400), QColor(0x11, 0x11, 0x11), 6)
                > image.width() * 100);
    }

    void languageSwitch()
    {
        // Runs after the table has heard the new language and before the window swaps its translator.
        QString typeItem;
        QString configured;
        const auto probe = connect(m_window->titleBar(), &CMainTitleBar::LanguageChange, this, [&] {
            typeItem = page()->headerView()->typeBox()->itemText(0);
            configured = CAppConfig::instance()->language();
        });
        m_window->titleBar()->onLanguageSelected(QStringLiteral("EN"));
        disconnect(probe);
        QCOMPARE(typeItem, QStringLiteral("All types"));
        QCOMPARE(configured, QStringLiteral("CN"));
        QCOMPARE(CAppConfig::instance()->language(), QStringLiteral("EN"));
        QCOMPARE(page()->headerView()->modeBox()->itemText(0), QStringLiteral("All modes"));
        QCOMPARE(page()->headerView()->versionBox()->itemText(0), QStringLiteral("All versions"));
        QCOMPARE(page()->headerView()->selectAllBox()->text(), QStringLiteral("No."));
        QCOMPARE(page()->rows().size(), 7);
        // The window's own translator now speaks English (the language change events are posted).
        QTRY_COMPARE(m_window->titleBar()->commandButtons().first()->text(), QStringLiteral("Scan node"));
        QCOMPARE(m_window->titleBar()->titleLabel()->text(), QStringLiteral("Quorvane"));
        QCOMPARE(m_window->titleBar()->commandButtons().at(12)->text(), QStringLiteral("Switch mode"));
        saveScreenshot(m_window, QStringLiteral("mainwindow_en"));

        m_window->titleBar()->onLanguageSelected(QStringLiteral("CN"));
        QCOMPARE(CAppConfig::instance()->language(), QStringLiteral("CN"));
        QCOMPARE(page()->headerView()->typeBox()->itemText(0), QStringLiteral("所有类型"));
        QTRY_COMPARE(m_window->titleBar()->commandButtons().first()->text(), QStringLiteral("扫描节点"));
        QCOMPARE(page()->headerView()->selectAllBox()->text(), QStringLiteral("序号"));
        QCOMPARE(page()->headerView()->ipTitleText(), QStringLiteral("IP地址"));
    }

    void edgeDirections()
    {
        const QRect r(100, 100, 1400, 800);
        QCOMPARE(MainWindow::directionAt(QPoint(100, 100), r), MainWindow::ResizeTopLeft);
        QCOMPARE(MainWindow::directionAt(QPoint(1499, 899), r), MainWindow::ResizeBottomRight);
        QCOMPARE(MainWindow::directionAt(QPoint(101, 898), r), MainWindow::ResizeBottomLeft);
        QCOMPARE(MainWindow::directionAt(QPoint(1498, 102), r), MainWindow::ResizeTopRight);
        QCOMPARE(MainWindow::directionAt(QPoint(102, 500), r), MainWindow::ResizeLeft);
        QCOMPARE(MainWindow::directionAt(QPoint(103, 500), r), MainWindow::ResizeNone);
        QCOMPARE(MainWindow::directionAt(QPoint(1497, 500), r), MainWindow::ResizeRight);
        QCOMPARE(MainWindow::directionAt(QPoint(800, 100), r), MainWindow::ResizeTop);
        QCOMPARE(MainWindow::directionAt(QPoint(800, 899), r), MainWindow::ResizeBottom);
        QCOMPARE(MainWindow::directionAt(QPoint(800, 500), r), MainWindow::ResizeNone);

        const QSize min(1366, 768);
        QCOMPARE(MainWindow::resizedGeometry(r, MainWindow::ResizeLeft, QPoint(400, 500), min),
                 QRect(QPoint(134, 100), r.bottomRight()));
        QCOMPARE(MainWindow::resizedGeometry(r, MainWindow::ResizeBottomRight, QPoint(200, 200), min),
                 QRect(r.topLeft(), min));
        QCOMPARE(MainWindow::resizedGeometry(r, MainWindow::ResizeTop, QPoint(800, 20), min),
                 QRect(QPoint(100, 20), r.bottomRight()));
    }

    void dragEdgesAndMove()
    {
        m_window->setGeometry(50, 50, 1400, 800);
        QTRY_COMPARE(m_window->size(), QSize(1400, 800));
        const QPoint topLeft = m_window->mapToGlobal(QPoint(0, 0));
        // Hovering the right edge shows the horizontal resize cursor.
        const QPoint edge = topLeft + QPoint(1399, 400);
        sendMouse(m_window, QEvent::MouseMove, edge, Qt::NoButton);
        QCOMPARE(m_window->cursor().shape(), Qt::SizeHorCursor);
        sendMouse(m_window, QEvent::MouseButtonPress, edge, Qt::LeftButton);
        sendMouse(m_window, QEvent::MouseMove, edge - QPoint(300, 0), Qt::LeftButton);
        sendMouse(m_window, QEvent::MouseButtonRelease, edge - QPoint(300, 0), Qt::NoButton);
        QTRY_COMPARE(m_window->width(), 1366);
        QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);

        // Dragging inside moves the window.
        const QPoint before = m_window->pos();
        const QPoint inside = m_window->mapToGlobal(QPoint(600, 20));
        sendMouse(m_window, QEvent::MouseMove, inside, Qt::NoButton);
        sendMouse(m_window, QEvent::MouseButtonPress, inside, Qt::LeftButton);
        sendMouse(m_window, QEvent::MouseMove, inside + QPoint(7, 9), Qt::LeftButton);
        sendMouse(m_window, QEvent::MouseButtonRelease, inside + QPoint(7, 9), Qt::NoButton);
        QTRY_COMPARE(m_window->pos(), before + QPoint(7, 9));

        // A maximised window neither moves nor resizes.
        m_window->showMaximized();
        QTRY_VERIFY(m_window->isMaximized());
        const QRect maxGeometry = m_window->geometry();
        const QPoint p = m_window->mapToGlobal(QPoint(600, 20));
        sendMouse(m_window, QEvent::MouseButtonPress, p, Qt::LeftButton);
        sendMouse(m_window, QEvent::MouseMove, p + QPoint(50, 50), Qt::LeftButton);
        sendMouse(m_window, QEvent::MouseButtonRelease, p + QPoint(50, 50), Qt::NoButton);
        QCOMPARE(m_window->geometry(), maxGeometry);
    }

    void commandsNeedingSelection()
    {
        CDeviceManage *hub = m_window->deviceManage();
        QSignalSpy accepted(hub, &CDeviceManage::sigCommandAccepted);
        ModalCatcher catcher;

        struct Case
        {
            menuType type;
            const char *message;
        };
        const Case cases[] = {
            {MenuTypeSwitch, "请选择需要切换的设备"},  {MenuNetConfig, "请选择需要配置网络的设备"},
            {MenuDeviceUpdate, "请选择需要升级的设备"}, {MenuAppUpdate, "请选择需要升级的设备"},
            {MenuDeviceRestart, "请选择需要重启的设备"}, {MenuResumeFactorySet, "请选择需要恢复出厂设置的设备"},
            {MenuDataExport, "请选择需要导出数据的设备"},
        };
        for (const Case &c : cases) {
            catcher.arm();
            hub->switch2SettingWidget(c.type);
            QVERIFY(catcher.seen);
            QCOMPARE(catcher.className, QStringLiteral("CMessageDialog"));
            QCOMPARE(catcher.text, QString::fromUtf8(c.message));
        }
        QCOMPARE(accepted.count(), 0);

        // With a row checked every command reaches its handling.
        page()->singleSelectOrCancel(12);
        // A command that opens its dialog here gets it cancelled again.
        // The upgrades open their package chooser first.
        const QList<int> withDialog = {MenuNetConfig,     MenuAddNode,       MenuDeviceUpdate,     MenuAppUpdate,
                                       MenuTypeSwitch,    MenuDeviceRestart, MenuResumeFactorySet, MenuDataImport,
                                       MenuDataExport,    MenuSetDeviceTime, MenuModelSwitch,      MenuProxyLogLevel};
        for (int type = 0; type < MenuTypeCount; ++type) {
            if (type == MenuAbout || type == MenuScanNode)
                continue;
            const bool dialog = withDialog.contains(type);
            if (dialog)
                catcher.arm();
            hub->switch2SettingWidget(menuType(type));
            if (dialog)
                QVERIFY2(catcher.seen, qPrintable(QString::number(type)));
        }
        QCOMPARE(accepted.count(), MenuTypeCount - 2);
    }

    void syncTimeNeedsNoSelection()
    {
        QSignalSpy accepted(m_window->deviceManage(), &CDeviceManage::sigCommandAccepted);
        ModalCatcher catcher;
        // Each opens its question or dialog, which is cancelled again.
        catcher.arm();
        m_window->deviceManage()->switch2SettingWidget(MenuSetDeviceTime);
        QVERIFY(catcher.seen);
        QCOMPARE(catcher.className, QStringLiteral("CDeviceRestartDlg"));
        QCOMPARE(accepted.count(), 1);
        catcher.arm();
        m_window->deviceManage()->switch2SettingWidget(MenuProxyLogLevel);
        QCOMPARE(catcher.className, QStringLiteral("CProxyLogLevel"));
        catcher.arm();
        m_window->deviceManage()->switch2SettingWidget(MenuModelSwitch);
        QCOMPARE(catcher.className, QStringLiteral("CModelSwitch"));
        catcher.arm();
        m_window->deviceManage()->switch2SettingWidget(MenuDataImport);
        QCOMPARE(catcher.className, QStringLiteral("QFileDialog"));
        QCOMPARE(accepted.count(), 4);
    }

    void addressCommandSkipsEmptyAddresses()
    {
        CDecoderList::instance().addNode(decoder(99, "", "00:aa:00:00:00:77", 0));
        page()->updateDeviceInfo();
        page()->singleSelectOrCancel(99);
        QCOMPARE(page()->selectedNodeList().size(), 1);
        ModalCatcher catcher;
        catcher.arm();
        m_window->deviceManage()->switch2SettingWidget(MenuNetConfig);
        QVERIFY(catcher.seen);
        QCOMPARE(catcher.text, QStringLiteral("请选择需要配置网络的设备"));
    }

    void aboutFromTheMoreMenu()
    {
        ModalCatcher catcher;
        catcher.arm();
        m_window->titleBar()->onAbout();
        QVERIFY(catcher.seen);
        QCOMPARE(catcher.className, QStringLiteral("CAboutDialog"));
    }

    void raisedBySecondStart()
    {
        m_window->showMinimized();
        QTRY_VERIFY(m_window->isMinimized());
        m_window->raiseFromSecondInstance();
        QVERIFY(!m_window->isMinimized());
        QVERIFY(m_window->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
