#include <QApplication>
#include <QJsonArray>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "cappconfig.h"
#include "csingleinstance.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnodescanui/cnodetabledelegate.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/guiresources.h"
#include "dialog/mainwindow.h"
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

    void scannedNodesInTheTable()
    {
        SimLan lan;
        QVERIFY2(lan.start(kLan), qPrintable(lan.errorString()));

        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.deviceManage()->scanNodes();
        CMainShowWidget *page = window.deviceManage()->mainShowWidget();

        const QJsonArray nodes = lan.state().value("nodes").toArray();
        QCOMPARE(nodes.size(), 17);
        QSet<qint64> expectedIds;
        for (const QJsonValue &v : nodes)
            expectedIds.insert(v.toObject().value("id").toVariant().toLongLong());

        const QList<sDeviceInfo> rows = page->rows();
        QCOMPARE(rows.size(), 17);
        QSet<qint64> shownIds;
        uint32_t previous = 0;
        for (const sDeviceInfo &r : rows) {
            shownIds.insert(r.id);
            QVERIFY2(r.ipValue >= previous, r.ip.constData());
            QCOMPARE(r.ipValue, ipToValue(r.ip));
            previous = r.ipValue;
            int expected = 0;
            if (r.ip == "127.0.1.5")
                expected = 2;
            else if (r.ip == "127.0.1.40" || r.ip == "127.0.1.41")
                expected = 1;
            QVERIFY2(r.conflictState == expected, r.ip.constData());
        }
        QCOMPARE(shownIds, expectedIds);
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
        const QJsonObject scan = lan.records(1006).first();
        QCOMPARE(scan.value("node").toString(), QStringLiteral("255.255.255.255"));
        QCOMPARE(scan.value("applied").toArray().size(), 17);

        // A second start only wakes the first and leaves with 0.
        QProcess second;
        second.setProcessEnvironment(childEnvironment());
        second.start(kProgram, {});
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTest::qWait(300);
        QCOMPARE(lan.records(1006).size(), 1); // the second one never scanned
        QCOMPARE(program.state(), QProcess::Running);

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
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(TestMainWindowScan)
#include "tst_mainwindow_scan.moc"
