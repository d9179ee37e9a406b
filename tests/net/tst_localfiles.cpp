#include <QtTest>

#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include "config/cappconfig.h"
#include "dialog/clogexportwidget.h"
#include "clirun.h"
#include "nodefixtures.h"
#include "simlan.h"
#include "transfer/csftpclient.h"
#include "ui/cprogreslistitem.h"

// What lands on the operator's disk when the disk is full or a node sends hostile logs,
// through quorvane-cli and the log export dialog.
namespace {
using namespace fixtures;

// A small tmpfs mounted for one test; needs the private mount namespace of scripts/netns.sh.
class SmallDisk final
{
    Q_DISABLE_COPY_MOVE(SmallDisk)

public:
    explicit SmallDisk(const QString &dir) : m_dir(dir)
    {
        m_mounted = QDir().mkpath(dir) && QProcess::execute(QStringLiteral("mount"),
                                        {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir}) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_dir});
    }
    bool mounted() const { return m_mounted; }
    // Writes a filler file until the disk says it is full.
    bool fill() const
    {
        QFile filler(m_dir + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
        return filler.error() != QFileDevice::NoError;
    }

private:
    QString m_dir;
    bool m_mounted = false;
};

QStringList filesUnder(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next().mid(dir.size() + 1);
    out.sort();
    return out;
}

} // namespace

class TestLocalFiles final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    sRun cli(const QStringList &args) { return runCli(m_home.path(), args); }

private slots:
    void exportOntoAFullDisk()
    {
        if (qgetenv("QV_IN_NETNS") != "1")
            QSKIP("mounts a tmpfs: only inside the private namespace (scripts/netns.sh)");
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "2", "--encoders", "1"}), qPrintable(lan.errorString()));
        const QString dir = m_home.filePath(QStringLiteral("full"));
        SmallDisk disk(dir);
        QVERIFY2(disk.mounted(), "mount -t tmpfs failed");
        const QString old = dir + QStringLiteral("/de127.0.1.1.json");
        QVERIFY(writeFile(old, "{\"an earlier export\": true}"));
        QVERIFY(disk.fill());

        const sRun run = cli({"export-data", "--dir", dir, "--all", "--timeout", "30"});
        QVERIFY2(run.status != 0 && !run.out.contains("written to"), qPrintable(run.out + run.err));
        for (const char *ip : {"127.0.1.1", "127.0.1.2", "127.0.1.3"})
            QVERIFY2(run.err.contains(QLatin1String(ip)), qPrintable(run.err));
        // The earlier file is whole, and nothing new (not even a temporary) is left.
        QCOMPARE(readFile(old), QByteArray("{\"an earlier export\": true}"));
        QCOMPARE(filesUnder(dir), (QStringList{"de127.0.1.1.json", "filler"}));
    }

    void hostileLogsAndPlainOutput()
    {
        SimLan lan;
        const QByteArray forged = "Hall\n127.0.9.9\tdecoder\tforged";
        QVERIFY2(lan.start({"--decoders", "1", "--node", "decoder@127.0.1.2,name=" + QString::fromUtf8(forged)}, true),
                 qPrintable(lan.errorString()));
        // A row per node in plain output, whatever a name holds.
        const sRun scan = cli({"scan", "--timeout", "5"});
        for (const QByteArray &line : scan.out.split('\n'))
            QVERIFY2(!line.startsWith("127.0.9.9"), scan.out.constData());
        QVERIFY2(scan.out.contains("Hall\\n127.0.9.9\\tdecoder\\tforged"), scan.out.constData());

        const QString logs = lan.sftpRoot() + QStringLiteral("/127.0.1.1/userdata/logs/");
        QVERIFY(writeFile(logs + QStringLiteral("CON.log"), "device"));
        QVERIFY(writeFile(logs + QStringLiteral("x:y.log"), "stream"));
        QVERIFY(writeFile(logs + QStringLiteral("trailing."), "dot"));
        QVERIFY(writeFile(logs + QStringLiteral("big.log"), QByteArray(64 * 1024, 'b')));
        const QString configDir = m_home.filePath(QStringLiteral("Documents/Orvanta/Quorvane/config"));
        QVERIFY(QDir().mkpath(configDir));
        QVERIFY(writeFile(configDir + QStringLiteral("/config.json"), "{\"language\": \"EN\", \"maxLogFileBytes\": 8192}"));
        const QString dest = m_home.filePath(QStringLiteral("logs"));
        const QString folder = dest + QStringLiteral("/")
            + csftpclient::logFolderName(lan.node(0).value("name").toString().toUtf8(), QStringLiteral("127.0.1.1"), false);
        QVERIFY(QDir().mkpath(folder) && writeFile(folder + QStringLiteral("/big.log"), "kept from last time"));

        const sRun run = cli({"logs", "--dir", dest, "127.0.1.1", "--timeout", "60"});
        QVERIFY2(run.status != 0 && (run.out + run.err).contains(QStringLiteral("larger than maxLogFileBytes (8192 bytes)")),
                 qPrintable(run.out + run.err));
        // The good logs arrive, private; the oversized one never replaced the old file; the
        // refused names and the partial download left nothing behind.
        QCOMPARE(filesUnder(folder), (QStringList{"a.log", "b.txt", "big.log", "log_proxy.1"}));
        QCOMPARE(readFile(folder + QStringLiteral("/big.log")), QByteArray("kept from last time"));
        QCOMPARE(readFile(folder + QStringLiteral("/a.log")), readFile(logs + QStringLiteral("a.log")));
        QCOMPARE(QFile::permissions(folder + QStringLiteral("/a.log")) & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());

        // The window's row says why.
        CAppConfig::instance()->setMaxLogFileBytes(8192);
        sDeviceInfo node;
        node.ip = "127.0.1.1";
        node.name = "Hall-1";
        node.nodeType = DecoderNode;
        CLogExportWidget dlg;
        dlg.startLogExport(dest, node, false);
        QTRY_VERIFY_WITH_TIMEOUT(dlg.row()->hasResult(), 60000);
        QCOMPARE(dlg.row()->resultLabel()->text(), QStringLiteral("日志文件超过大小限制"));
        CAppConfig::instance()->setMaxLogFileBytes(0);
        dlg.onOkClicked();
    }
};

QTEST_MAIN(TestLocalFiles)
#include "tst_localfiles.moc"
