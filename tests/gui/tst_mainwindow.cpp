#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "dialog/guiresources.h"

#include "config/cappconfig.h"
#include "dialog/caboutdlg.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/cinventorydiffdlg.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cmaintitlebar.h"
#include "dialog/mainwindow.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "modaldriver.h"
#include "nodefixtures.h"
#include "ui/cmessagedialog.h"

using namespace fixtures;

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

    // Triggers the more menu's entry of that name; its text, empty when there is none.
    QString runMoreEntry(const QString &name)
    {
        QString text;
        QTimer::singleShot(0, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *entry = menu ? menu->findChild<QAction *>(name) : nullptr;
            if (menu)
                menu->close();
            if (entry) {
                text = entry->text();
                entry->trigger();
            }
        });
        m_window->titleBar()->moreButton()->click();
        return text;
    }

    static void chooseFile(QFileDialog *fd, const QString &path)
    {
        // Typed, as the operator would.
        auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(path);
        static_cast<QDialog *>(fd)->accept();
    }

private slots:
    void initTestCase()
    {
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

    // The more menu saves the scan's nodes and compares a later scan with them, in groups.
    void inventoryFromTheMoreMenu()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("site.json"));
        {
            auto chooser = ModalDriver::expect<QFileDialog>([&](QFileDialog *fd) { chooseFile(fd, file); });
            QString said;
            auto box = ModalDriver::expect<CMessageDialog>([&](CMessageDialog *m) { said = ModalDriver::messageText(m); });
            QCOMPARE(runMoreEntry(QStringLiteral("saveInventoryAction")), QStringLiteral("保存清单"));
            QVERIFY(chooser.wait() && box.wait());
            QCOMPARE(said, QStringLiteral("已保存7个节点"));
        }
        clearStores();
        CDecoderList::instance().addNode(decoder(13, "127.0.1.13", "00:aa:00:00:00:13", 2, "V1.2.0", "矩阵输出"));
        CEncoderList::instance().addNode(encoder(24, "127.0.1.24", "00:aa:00:00:00:24", "HDMI-4", "V2.0.1", "新来的"));
        page()->updateDeviceInfo();

        QStringList groups;
        QByteArray csv;
        auto chooser = ModalDriver::expect<QFileDialog>([&](QFileDialog *fd) { chooseFile(fd, file); });
        auto shown = ModalDriver::expect<CInventoryDiffDlg>([&](CInventoryDiffDlg *dlg) {
            for (int i = 0; i < dlg->tree()->topLevelItemCount(); ++i)
                groups << dlg->tree()->topLevelItem(i)->text(0);
            csv = dlg->csv();
        });
        QCOMPARE(runMoreEntry(QStringLiteral("compareInventoryAction")), QStringLiteral("对比清单"));
        QVERIFY(chooser.wait() && shown.wait());
        QCOMPARE(groups, (QStringList{"缺失的节点 (6)", "新增的节点 (1)", "变化的节点 (1)"}));
        const QList<QByteArray> lines = csv.split('\n');
        QCOMPARE(lines.size(), 1 + 6 + 1 + 1 + 1);
        QCOMPARE(lines.at(7), QByteArray("新增,新来的,127.0.1.24,24,编码节点,,,\r"));
        QCOMPARE(lines.at(8), QByteArray("变化,矩阵输出,127.0.1.13,13,解码节点,版本,V1.1.5,V1.2.0\r"));
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
        QTRY_COMPARE(m_window->width(), 1366); // not below the minimum width

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
        for (const Case &c : cases)
            QCOMPARE(ModalDriver::messageFrom([&] { hub->switch2SettingWidget(c.type); }), QString::fromUtf8(c.message));
        // Through its button: checked while the command runs, normal again after it.
        QPushButton *restart = m_window->titleBar()->commandButtons().at(MenuDeviceRestart);
        bool checkedWhileRunning = false;
        const auto click = [&] { QTimer::singleShot(0, [&] { checkedWhileRunning = restart->isChecked(); }); restart->click(); };
        QCOMPARE(ModalDriver::messageFrom(click), QStringLiteral("请选择需要重启的设备"));
        QVERIFY(checkedWhileRunning && !restart->isChecked());
        QCOMPARE(accepted.count(), 0);
        // These need none: each opens its question or dialog, which is cancelled again.
        {
            auto question = ModalDriver::expect<CDeviceRestartDlg>();
            hub->switch2SettingWidget(MenuSetDeviceTime);
        }
        {
            auto about = ModalDriver::expect<CAboutDialog>();
            m_window->titleBar()->onAbout();
        }
        // With a row checked every command reaches its handling; a dialog it opens is cancelled again.
        page()->singleSelectOrCancel(12);
        const QList<int> withDialog = {MenuNetConfig,     MenuAddNode,       MenuDeviceUpdate,     MenuAppUpdate,
                                       MenuTypeSwitch,    MenuDeviceRestart, MenuResumeFactorySet, MenuDataImport,
                                       MenuDataExport,    MenuSetDeviceTime, MenuModelSwitch,      MenuProxyLogLevel};
        for (int type = 0; type < MenuTypeCount; ++type) {
            if (type == MenuAbout || type == MenuScanNode)
                continue;
            if (withDialog.contains(type)) {
                auto dialog = ModalDriver::expect<QDialog>();
                hub->switch2SettingWidget(menuType(type));
                QVERIFY2(dialog.came(), qPrintable(QString::number(type)));
            } else {
                hub->switch2SettingWidget(menuType(type));
            }
        }
        QCOMPARE(accepted.count(), MenuTypeCount); // set time and about above, every other but scan here
    }

    void addressCommandSkipsEmptyAddresses()
    {
        CDecoderList::instance().addNode(decoder(99, "", "00:aa:00:00:00:77", 0));
        page()->updateDeviceInfo();
        page()->singleSelectOrCancel(99);
        QCOMPARE(ModalDriver::messageFrom([this] { m_window->deviceManage()->switch2SettingWidget(MenuNetConfig); }),
                 QStringLiteral("请选择需要配置网络的设备"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
