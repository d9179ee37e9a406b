#include <QApplication>
#include <QJsonArray>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "dialog/cautorefresh.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/cmaintitlebar.h"
#include "dialog/menutype.h"
#include "modaldriver.h"
#include "app/csingleinstance.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnodescanui/cnodetabledelegate.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/guiresources.h"
#include "dialog/mainwindow.h"
#include "ui/cmessagedialog.h"
#include "model/cnodelistmodel.h"
#include "nodefixtures.h"
#include "simlan.h"

using namespace fixtures;

namespace {
#ifdef Q_OS_WIN
const QString kProgram = QStringLiteral(QV_BUILD_DIR "/quorvane.exe");
#else
const QString kProgram = QStringLiteral(QV_BUILD_DIR "/quorvane");
#endif

// A mixed LAN: generated nodes, one address shared by two nodes, one MAC shared by two.
const QStringList kLan = {
    "--decoders", "8", "--encoders", "6", "--seed", "7", "--manager", "127.0.1.1",
    "--node", "decoder@127.0.1.5,name=撞地址",
    "--node", "encoder@127.0.1.40,macAddr=AA:BB:CC:00:00:01",
    "--node", "decoder@127.0.1.41,macAddr=AA:BB:CC:00:00:01",
};
} // namespace

class TestMainWindowScan : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    QProcessEnvironment childEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_RUNTIME_DIR", m_home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }

private slots:
    void initTestCase()
    {
        installAppStyleSheet(*qApp);
        registerNodeMetaTypes();
        QFont font(QStringLiteral("Microsoft YaHei"));
        font.setPixelSize(12);
        QApplication::setFont(font);
        CAppConfig::instance()->setConfigDirOverride(m_home.path());
        CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
        qputenv("XDG_RUNTIME_DIR", m_home.path().toLocal8Bit());
    }

    void clearedMarksNeverReachARestart()
    {
        SimLan lan;
        QVERIFY2(lan.start(kLan), qPrintable(lan.errorString()));
        MainWindow window;
        window.deviceManage()->setBusyMs(0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(fixtures::scanToEnd(*window.deviceManage()));
        CMainShowWidget *page = window.deviceManage()->mainShowWidget();

        // Every node listed once, in address order, shared addresses marked.
        QSet<qint64> expectedIds;
        for (const QJsonValue &v : lan.state().value("nodes").toArray())
            expectedIds.insert(v.toObject().value("id").toVariant().toLongLong());
        QCOMPARE(expectedIds.size(), 17);
        QSet<qint64> shownIds;
        uint32_t previous = 0;
        for (const sDeviceInfo &r : page->rows()) {
            shownIds.insert(r.id);
            QVERIFY2(r.ipValue >= previous, r.ip.constData());
            previous = r.ipValue;
            const int expected = r.ip == "127.0.1.5" ? 2 : (r.ip == "127.0.1.40" || r.ip == "127.0.1.41" ? 1 : 0);
            QVERIFY2(r.conflictState == expected, r.ip.constData());
        }
        QCOMPARE(shownIds, expectedIds);
        // Through the title bar's button, which stays checked until the command's rescan ends.
        QPushButton *restartButton = window.titleBar()->commandButtons().at(MenuDeviceRestart);
        const auto restartChecked = [&] {
            bool checkedWhileAsked = false;
            bool checkedWhileTold = false;
            QString told;
            auto ask = ModalDriver::expect<CDeviceRestartDlg>([&](CDeviceRestartDlg *w) {
                checkedWhileAsked = restartButton->isChecked();
                w->accept();
            });
            auto box = ModalDriver::expect<CMessageDialog>([&](CMessageDialog *m) {
                told = ModalDriver::messageText(m);
                checkedWhileTold = restartButton->isChecked();
                m->accept();
            });
            QVERIFY(fixtures::finishCommand(*window.deviceManage(), [&] { restartButton->click(); }));
            QCOMPARE(told, QStringLiteral("重启成功"));
            QVERIFY(checkedWhileAsked && checkedWhileTold && !restartButton->isChecked());
        };
        const auto refreshOnce = [&] {
            QVERIFY(window.autoRefresh()->tick());
            QTRY_VERIFY_WITH_TIMEOUT(!window.autoRefresh()->isRunning(), 20000);
        };

        // Rows 3 and 4 restarted: the command's rescan clears their marks.
        page->singleSelectOrCancel(page->rows().at(2).id);
        page->singleSelectOrCancel(page->rows().at(3).id);
        restartChecked();
        QVERIFY(lan.waitForRecords(1011, 2));
        QVERIFY(page->selectedNodeList().isEmpty());

        // Two automatic refreshes and a language switch there and back bring none of them back.
        refreshOnce();
        window.titleBar()->onLanguageSelected(QStringLiteral("EN"));
        refreshOnce();
        window.titleBar()->onLanguageSelected(QStringLiteral("CN"));
        for (const sDeviceInfo &r : page->rows())
            QVERIFY2(!r.selected, r.ip.constData());

        // The next restart reaches the one row shown checked, and only it.
        const QByteArray first = page->rows().at(0).ip;
        page->singleSelectOrCancel(page->rows().at(0).id);
        refreshOnce();
        restartChecked();
        QVERIFY(lan.waitForRecords(1011, 3));
        QTest::qWait(300); // no fourth restart on its way
        const QList<QJsonObject> sent = lan.records(1011);
        QVERIFY(sent.size() == 3 && sent.last().value("node").toString() == QString::fromLatin1(first));
        // The history keeps it as sent, with the node's name.
        const QVector<sHistoryNode> newest = CCommandHistory::instance()->entries().value(0).nodes;
        QCOMPARE(newest.size(), 1);
        QCOMPARE(CCommandHistory::shown(newest.first().outcome), QStringLiteral("已发送"));
        QCOMPARE(newest.first().name.toUtf8(), page->rows().at(0).name);
    }

    void programScansOnStart()
    {
        QVERIFY2(QFile::exists(kProgram), "build the quorvane target first");
        SimLan lan;
        QVERIFY2(lan.start(kLan), qPrintable(lan.errorString()));
        QProcess program;
        program.setProcessEnvironment(childEnvironment());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(kProgram, {});
        QVERIFY(program.waitForStarted(5000));
        QVERIFY(lan.waitForRecords(1006, 1, 30000));
        const QJsonObject scan = lan.records(1006).first(); // a broadcast every node answered
        QVERIFY(scan.value("node").toString() == "255.255.255.255" && scan.value("applied").toArray().size() == 17);

#ifdef Q_OS_WIN
        program.kill(); // offscreen, it has no window a WM_CLOSE could reach
#else
        program.terminate();
#endif
        QVERIFY(program.waitForFinished(5000));
    }

    void secondStartRaisesTheFirst()
    {
        // This process plays the first instance; the real program is the second.
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "1"}), qPrintable(lan.errorString()));
        CSingleInstance first;
        QVERIFY(first.listen());
        MainWindow window;
        window.deviceManage()->setBusyMs(0);
        connect(&first, &CSingleInstance::sigActivate, &window, &MainWindow::raiseFromSecondInstance);
        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());

        QProcess second;
        second.setProcessEnvironment(childEnvironment());
        second.start(kProgram, {});
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 15000);
        QVERIFY(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0);
        QTRY_VERIFY(!window.isMinimized());
        QCOMPARE(lan.records(1006).size(), 0); // the second one only woke the first
    }
};

QTEST_MAIN(TestMainWindowScan)
#include "tst_mainwindow_scan.moc"
