#include <QRegularExpression>
#include <QtTest>

#include "comm/upgradecmd.h"
#include "transfer/cprogressthrottle.h"
#include "transfer/csftpclient.h"

// What the transfer client decides without a network: URLs, local names and which
// progress values go on. Finding each node's client is exercised by tst_upgradeflow.
class TestSftpClient final : public QObject
{
    Q_OBJECT
private slots:
    void urls()
    {
        const QString name = UpgradeCmd::fileNameOf(QStringLiteral("C:/pkg/dec_decoder_V1.2.3.bin"));
        QCOMPARE(csftpclient::uploadUrl(QStringLiteral("192.168.100.21"), name, false),
                 QStringLiteral("sftp://192.168.100.21:22/userdata/dec_decoder_V1.2.3.bin"));
        QCOMPARE(csftpclient::uploadUrl(QStringLiteral("192.168.100.21"), name, true),
                 QStringLiteral("sftp://192.168.100.21:22/app/dec_decoder_V1.2.3.bin"));
        QCOMPARE(csftpclient::logListingUrl(QStringLiteral("127.0.1.5")),
                 QStringLiteral("sftp://127.0.1.5:22/userdata/logs/"));
        // Unescaped, "#" would end the path and a different file would be fetched.
        QCOMPARE(csftpclient::logFileUrl(QStringLiteral("127.0.1.5"), "a b#c?.log"),
                 QStringLiteral("sftp://127.0.1.5:22/userdata/logs/a%20b%23c%3F.log"));
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
        QCOMPARE(csftpclient::logFolderName("Hall-1", QStringLiteral("192.168.100.2"), true),
                 QStringLiteral("Hall-1_192.168.100.2_log_proxy"));
        // Non-ASCII names come as UTF-8 and stay readable.
        QCOMPARE(csftpclient::logFolderName("大厅", QStringLiteral("10.0.0.1"), false),
                 QStringLiteral("大厅_10.0.0.1_log"));
        // A hostile node name stays one component under the chosen folder.
        for (const char *name : {"../../etc", "..\\..\\Windows", "a\nb\tc"}) {
            const QString folder = csftpclient::logFolderName(name, QStringLiteral("10.0.0.1"), false);
            QVERIFY2(folder.endsWith(QStringLiteral("_10.0.0.1_log")) && !folder.startsWith(QLatin1Char('.'))
                         && !folder.contains(QRegularExpression(QStringLiteral("[/\\\\\\x00-\\x1f]"))),
                     qPrintable(folder));
        }
        // Listed names that may become files.
        for (const char *good : {"a.log", "log_proxy.1", "..log"})
            QVERIFY2(csftpclient::isSafeLogName(good), good);
        for (const char *bad : {"", ".", "..", "../x.log", "sub/x.log", "..\\x.log"})
            QVERIFY2(!csftpclient::isSafeLogName(bad), bad);
    }

    // The first value and the end always show (the end once), repeats never; a fast
    // upload passes about twenty a second.
    void throttle()
    {
        CProgressThrottle t;
        QVERIFY(t.pass(0, 0, false) && !t.pass(100, 0, false) && t.pass(101, 10, false) && !t.pass(102, 20, false));
        QVERIFY(t.pass(103, 30, true) && !t.pass(104, 30, true) && t.pass(153, 31, false));
        CProgressThrottle fast;
        int passed = 0;
        for (int i = 0; i < 10000; ++i)
            passed += fast.pass(i / 10, uint64_t(i + 1) * 1000, false) ? 1 : 0;
        QVERIFY2(passed >= 19 && passed <= 21, qPrintable(QString::number(passed)));
    }

};

QTEST_GUILESS_MAIN(TestSftpClient)
#include "tst_sftpclient.moc"
