#include <QtTest>

#include "comm/upgradecmd.h"
#include "transfer/cprogressthrottle.h"
#include "transfer/csftpclient.h"
#include "transfer/cupdatemanagerctrl.h"

// What the transfer client decides without a network: URLs, local names,
// which progress values go on, and the client list.
class TestSftpClient final : public QObject
{
    Q_OBJECT
private slots:
    void uploadUrlsForBothFolders()
    {
        const QString name = UpgradeCmd::fileNameOf(QStringLiteral("C:/pkg/dec_decoder_V1.2.3.bin"));
        QCOMPARE(name, QStringLiteral("dec_decoder_V1.2.3.bin"));
        QCOMPARE(csftpclient::uploadUrl(QStringLiteral("192.168.100.21"), name, false),
                 QStringLiteral("sftp://192.168.100.21:22/userdata/dec_decoder_V1.2.3.bin"));
        QCOMPARE(csftpclient::uploadUrl(QStringLiteral("192.168.100.21"), name, true),
                 QStringLiteral("sftp://192.168.100.21:22/app/dec_decoder_V1.2.3.bin"));
    }

    void urlSyntaxInNamesIsEscaped()
    {
        // Unescaped, "#" would end the path and a different file would be fetched.
        QCOMPARE(csftpclient::logFileUrl(QStringLiteral("127.0.1.5"), "a b#c?.log"),
                 QStringLiteral("sftp://127.0.1.5:22/userdata/logs/a%20b%23c%3F.log"));
        QCOMPARE(csftpclient::logListingUrl(QStringLiteral("127.0.1.5")),
                 QStringLiteral("sftp://127.0.1.5:22/userdata/logs/"));
        QCOMPARE(csftpclient::uploadUrl(QStringLiteral("10.0.0.1"), QStringLiteral("v%1.bin"), false),
                 QStringLiteral("sftp://10.0.0.1:22/userdata/v%251.bin"));
    }

    void emptyPackageNameStartsNothing()
    {
        csftpclient client;
        sTransInfo info;
        info.ip = QStringLiteral("127.0.1.5");
        info.localPath = QStringLiteral("/tmp/folder/");
        QVERIFY(client.setTransInfo(info));
        QTest::ignoreMessage(QtDebugMsg, "Null fileName");
        QVERIFY(!client.uploadToUserdata());
        QTest::ignoreMessage(QtDebugMsg, "Null fileName");
        QVERIFY(!client.uploadToApp());
        QTest::ignoreMessage(QtDebugMsg, "Null fileName");
        QVERIFY(!client.sendUpgradeCommand());
    }

    void logFolderNames()
    {
        QCOMPARE(csftpclient::logFolderName("Hall-1", QStringLiteral("192.168.100.21"), false),
                 QStringLiteral("Hall-1_192.168.100.21_log"));
        QCOMPARE(csftpclient::logFolderName("Hall-1", QStringLiteral("192.168.100.2"), true),
                 QStringLiteral("Hall-1_192.168.100.2_log_proxy"));
        // Non-ASCII names come as UTF-8 and stay readable.
        QCOMPARE(csftpclient::logFolderName("大厅", QStringLiteral("10.0.0.1"), false),
                 QStringLiteral("大厅_10.0.0.1_log"));
    }

    void hostileNodeNamesStayOneComponent_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("dotdot") << QByteArray("../../etc");
        QTest::newRow("backslash") << QByteArray("..\\..\\Windows");
        QTest::newRow("control") << QByteArray("a\nb\tc");
    }
    void hostileNodeNamesStayOneComponent()
    {
        QFETCH(QByteArray, name);
        const QString folder = csftpclient::logFolderName(name, QStringLiteral("10.0.0.1"), false);
        QVERIFY(!folder.contains(QLatin1Char('/')));
        QVERIFY(!folder.contains(QLatin1Char('\\')));
        QVERIFY(folder.endsWith(QStringLiteral("_10.0.0.1_log")));
        QVERIFY(!folder.startsWith(QLatin1Char('.')));
        for (QChar c : folder)
            QVERIFY(c.unicode() >= 0x20);
        // One component under the chosen folder, whatever the name was.
        const QString base = QStringLiteral("/dest");
        QCOMPARE(QFileInfo(QDir::cleanPath(base + QLatin1Char('/') + folder)).path(), base);
    }

    void listedNamesThatMayBecomeFiles()
    {
        QVERIFY(csftpclient::isSafeLogName("a.log"));
        QVERIFY(csftpclient::isSafeLogName("log_proxy.1"));
        QVERIFY(csftpclient::isSafeLogName("..log"));
        QVERIFY(!csftpclient::isSafeLogName(""));
        QVERIFY(!csftpclient::isSafeLogName("."));
        QVERIFY(!csftpclient::isSafeLogName(".."));
        QVERIFY(!csftpclient::isSafeLogName("../x.log"));
        QVERIFY(!csftpclient::isSafeLogName("sub/x.log"));
        QVERIFY(!csftpclient::isSafeLogName("..\\x.log"));
    }

    void throttlePassesAboutTwentyASecond()
    {
        CProgressThrottle throttle;
        int passed = 0;
        // A fast upload: a callback every 0.1 ms for one second, growing each time.
        for (int i = 0; i < 10000; ++i)
            passed += throttle.pass(i / 10, uint64_t(i + 1) * 1000, false) ? 1 : 0;
        QVERIFY2(passed >= 19 && passed <= 21, qPrintable(QString::number(passed)));
    }

    void throttleKeepsFirstAndFinalDropsRepeats()
    {
        CProgressThrottle throttle;
        QVERIFY(throttle.pass(0, 0, false));    // the first value, even 0
        QVERIFY(!throttle.pass(100, 0, false)); // unchanged: nothing new to show
        QVERIFY(throttle.pass(101, 10, false));
        QVERIFY(!throttle.pass(102, 20, false));
        QVERIFY(throttle.pass(103, 30, true));  // the end always shows
        QVERIFY(!throttle.pass(104, 30, true)); // but only once
        QVERIFY(throttle.pass(153, 31, false));
    }

    void managerKeepsClientsWithAnIp()
    {
        CUpdateManagerCtrl manager;
        sTransInfo info;
        QVERIFY(!manager.addClient(info));
        QVERIFY(!manager.findClient(QString()));

        info.ip = QStringLiteral("127.0.1.5");
        info.localPath = QStringLiteral("/a/first.bin");
        QVERIFY(manager.addClient(info));
        info.localPath = QStringLiteral("/a/second.bin");
        QVERIFY(manager.addClient(info));
        info.ip = QStringLiteral("127.0.1.6");
        QVERIFY(manager.addClient(info));

        csftpclient *first = manager.findClient(QStringLiteral("127.0.1.5"));
        QVERIFY(first);
        QCOMPARE(first->ip(), QStringLiteral("127.0.1.5"));
        QVERIFY(first != manager.findClient(QStringLiteral("127.0.1.6")));
        QVERIFY(!manager.findClient(QStringLiteral("127.0.1.7")));
    }

    void packageSize()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write(QByteArray(12345, 'x'));
        file.flush();
        QCOMPARE(CUpdateManagerCtrl::packageSize(file.fileName()), 12345u);
        QTest::ignoreMessage(QtDebugMsg, "can't open error!");
        QCOMPARE(CUpdateManagerCtrl::packageSize(QStringLiteral("/nonexistent/vela.bin")), 0u);
    }
};

QTEST_GUILESS_MAIN(TestSftpClient)
#include "tst_sftpclient.moc"
