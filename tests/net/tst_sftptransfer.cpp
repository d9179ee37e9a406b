#include <QtTest>

#include <QDirIterator>
#include <QTcpServer>
#include <QTcpSocket>
#include <mutex>

#include "comm/cobserverlist.h"
#include "comm/iobserver.h"
#include "dialog/clogexportwidget.h"
#include "model/sdeviceinfo.h"
#include "nodefixtures.h"
#include "simlan.h"
#include "transfer/csftpclient.h"

// The SFTP client against a real OpenSSH server serving three simulated nodes, and
// against a node that never answers.
namespace {
using namespace fixtures;

// Collects the transfer events of the observer list (called on transfer threads).
class CTransferProbe final : public IObserver
{
public:
    CTransferProbe() { CObserverList::instance().add(this); }
    ~CTransferProbe() override { CObserverList::instance().remove(this); }

    void onResult(int, void *, int, int) override {}
    void onTransProgress(const QString &ip, uint32_t bytes) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_progress[ip].append(bytes);
    }
    void onTransEnd(const sTransAnswer *answer) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ends[QString::fromUtf8(answer->ip)].append(*answer);
    }
    // Read once the transfers have been joined.
    QHash<QString, QList<uint32_t>> m_progress;
    QHash<QString, QList<sTransAnswer>> m_ends;

private:
    std::mutex m_mutex;
};

} // namespace

class TestSftpTransfer final : public QObject
{
    Q_OBJECT

    SimLan m_lan;
    QTemporaryDir m_dir;
    QString m_ip1, m_ip2, m_ip3;

    QString nodeFile(const QString &ip, const QString &rel) const
    {
        return m_lan.sftpRoot() + QLatin1Char('/') + ip + QLatin1Char('/') + rel;
    }

    sTransInfo info(const QString &ip, const QString &path, int type, const TransFlag &flag)
    {
        sTransInfo i;
        i.ip = ip;
        i.localPath = path;
        i.upgradeType = type;
        i.transEnable = flag;
        return i;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_lan.start({QStringLiteral("--decoders"), QStringLiteral("3")}, true), qPrintable(m_lan.errorString()));
        const QStringList ips = m_lan.addresses();
        QCOMPARE(ips.size(), 3);
        std::tie(m_ip1, m_ip2, m_ip3) = std::make_tuple(ips.at(0), ips.at(1), ips.at(2));
    }

    void cleanupTestCase()
    {
        m_lan.stop();
    }

    void uploadsLandWithBoundedThrottledProgress()
    {
        const qint64 size = 24 << 20;
        const QByteArray data = randomBytes(size, 7);
        const QString path = m_dir.filePath(QStringLiteral("dec_decoder_V1.2.3.bin"));
        QVERIFY(writeFile(path, data));

        CTransferProbe probe;
        const TransFlag flag = makeTransFlag();
        csftpclient firmware, app;
        QVERIFY(firmware.setTransInfo(info(m_ip1, path, 0, flag)));
        QVERIFY(app.setTransInfo(info(m_ip2, path, 1, flag)));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(firmware.uploadToUserdata());
        QVERIFY(app.uploadToApp());
        firmware.joinTransfer();
        app.joinTransfer();
        const qint64 elapsedMs = clock.elapsed();

        QCOMPARE(readFile(nodeFile(m_ip1, QStringLiteral("userdata/dec_decoder_V1.2.3.bin"))), data);
        QCOMPARE(readFile(nodeFile(m_ip2, QStringLiteral("app/dec_decoder_V1.2.3.bin"))), data);
        QCOMPARE(probe.m_ends[m_ip1].size(), 1);
        QVERIFY(probe.m_ends[m_ip1].at(0).code == CURLE_OK && probe.m_ends[m_ip1].at(0).tag == 0);
        QVERIFY(probe.m_ends[m_ip2].at(0).code == CURLE_OK && probe.m_ends[m_ip2].at(0).tag == 1);

        const uint32_t ceiling = uint32_t(size * 995 / 1000);
        for (const QString &ip : {m_ip1, m_ip2}) {
            const auto progress = probe.m_progress[ip];
            uint32_t last = 0;
            for (const uint32_t bytes : progress) {
                QVERIFY2(bytes <= ceiling && bytes >= last, qPrintable(QString::number(bytes)));
                last = bytes;
            }
            // The end always shows, and it is 99.5 % of the package.
            QCOMPARE(last, ceiling);
            // About 20 a second, plus the first and the last.
            QVERIFY2(progress.size() <= elapsedMs / 50 + 3,
                     qPrintable(QStringLiteral("%1 updates in %2 ms").arg(progress.size()).arg(elapsedMs)));
        }
    }

    void hostKeyIsNotChecked()
    {
        // The server's key was made when it started and nobody knows it; even a
        // known_hosts entry naming another key for the node changes nothing,
        // because no host-key option is given to the library.
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral(".ssh"));
        QVERIFY(writeFile(home.filePath(QStringLiteral(".ssh/known_hosts")),
                          m_ip3.toUtf8() + " ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIOMqqnkVzrm0SdG6UOoqKLsabgH5C9okWi0dh2l9GKJl\n"));
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        const QString path = m_dir.filePath(QStringLiteral("vela_key_1.bin"));
        QVERIFY(writeFile(path, "key check"));
        csftpclient client;
        client.setTransInfo(info(m_ip3, path, 0, nullptr));
        QVERIFY(client.uploadToUserdata());
        client.joinTransfer();
        qputenv("HOME", oldHome);
        QCOMPARE(readFile(nodeFile(m_ip3, QStringLiteral("userdata/vela_key_1.bin"))), QByteArray("key check"));
    }

    // An unreadable package fails its upload; a node without a log folder fails the log
    // export and writes nothing. (A blocked folder, node and proxy logs: tst_upgradeflow.)
    void failuresReportedAndWriteNothing()
    {
        CTransferProbe probe;
        csftpclient client;
        client.setTransInfo(info(m_ip2, m_dir.filePath(QStringLiteral("vela_absent_1.bin")), 0, nullptr));
        QVERIFY(client.uploadToUserdata());
        client.joinTransfer();
        QCOMPARE(probe.m_ends[m_ip2].size(), 1);
        QVERIFY(probe.m_ends[m_ip2].at(0).code != CURLE_OK);

        QTemporaryDir dest;
        sDeviceInfo node;
        node.name = "ghost";
        node.ip = "127.0.9.9"; // served, but with no tree
        csftpclient ghost;
        ghost.setTransInfo(info(QStringLiteral("127.0.9.9"), dest.path(), 0, nullptr));
        QVERIFY(!ghost.downloadNodeLogs(node));
        QVERIFY(QDir(dest.path()).isEmpty());
    }

    void oddAndHostileLogNames()
    {
        const QString logs = nodeFile(m_ip2, QStringLiteral("userdata/logs/"));
        // A name that would leave the folder on Windows, a device name, and an empty file.
        QVERIFY(writeFile(logs + QStringLiteral("..\\..\\evil.log"), "evil"));
        QVERIFY(writeFile(logs + QStringLiteral("nul.log"), "device"));
        QVERIFY(writeFile(logs + QStringLiteral("empty.log"), QByteArray()));

        QTemporaryDir outer;
        const QString dest = outer.filePath(QStringLiteral("inner/dest"));
        QVERIFY(QDir().mkpath(dest));
        sDeviceInfo node;
        node.name = "../../escape";
        node.ip = m_ip2.toUtf8();
        csftpclient client;
        client.setTransInfo(info(m_ip2, dest, 0, nullptr));

        // A listed file was refused, so the export is not complete.
        csftpclient::LogFailure why = csftpclient::LogFailure::None;
        QVERIFY(!client.downloadNodeLogs(node, &why));
        QCOMPARE(why, csftpclient::LogFailure::UnsafeName);

        QDirIterator it(outer.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            QVERIFY2(f.startsWith(dest + QLatin1Char('/')), qPrintable(f));
        }
        const QStringList folders = QDir(dest).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(folders.size(), 1);
        const QString folder = dest + QLatin1Char('/') + folders.first() + QLatin1Char('/');
        QVERIFY(folders.first().endsWith(QLatin1Char('_') + m_ip2 + QStringLiteral("_log")));
        QVERIFY(!folders.first().startsWith(QLatin1Char('.')));
        QCOMPARE(readFile(folder + QStringLiteral("a.log")), readFile(logs + QStringLiteral("a.log")));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("empty.log")));
        QCOMPARE(QFileInfo(folder + QStringLiteral("empty.log")).size(), 0);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("evil|nul")), QStringList());

        QFile::remove(logs + QStringLiteral("..\\..\\evil.log"));
        QFile::remove(logs + QStringLiteral("nul.log"));
        QVERIFY(client.downloadNodeLogs(node));
    }

    // A node that takes the connection and then says nothing: the library would wait
    // minutes for it. A stop must end the transfer (and a closed log export) at once.
    void stopEndsTransfersToASilentNode()
    {
        m_lan.stop(); // its servers take port 22 on every address; this test comes last
        QTcpServer silent;
        QList<QTcpSocket *> held;
        QVERIFY2(silent.listen(QHostAddress(QStringLiteral("127.0.3.1")), 22), qPrintable(silent.errorString()));
        connect(&silent, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket *s = silent.nextPendingConnection())
                held.append(s);
        });
        const QString path = m_dir.filePath(QStringLiteral("vela_decoder_1.bin"));
        QVERIFY(writeFile(path, "package"));
        const TransFlag flag = makeTransFlag();
        csftpclient client;
        client.setTransInfo(info(QStringLiteral("127.0.3.1"), path, 0, flag));
        QVERIFY(client.uploadToUserdata());
        QTRY_VERIFY(!held.isEmpty()); // connected, waiting for the server's greeting
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        flag->store(0);
        client.joinTransfer();
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed()))); // minutes without the stop

        QTemporaryDir dest;
        sDeviceInfo node;
        node.name = "silent";
        node.ip = "127.0.3.1";
        const int before = held.size();
        CLogExportWidget dlg;
        dlg.startLogExport(dest.path(), node, false);
        QTRY_VERIFY(held.size() > before);
        QTest::qWait(200);
        clock.restart();
        dlg.onOkClicked(); // returns once the worker thread has ended
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(QDir(dest.path()).isEmpty());
    }
};

QTEST_MAIN(TestSftpTransfer)
#include "tst_sftptransfer.moc"
