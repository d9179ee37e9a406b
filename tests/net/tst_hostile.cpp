#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include "clirun.h"
#include "nodefixtures.h"
#include "simlan.h"
#include "transfer/csftpclient.h"

// A LAN with hostile peers that answer the scan with well-formed but false records, run
// through quorvane-cli as an operator would: nothing may be steered to a broadcast address
// or a host name, a twin may not hide the node it copies, a node's new SSH host key is
// refused until accepted, and a network plan that would cut nodes off is never sent. And
// what lands on the operator's disk when the disk is full or a node sends hostile logs.
namespace {
using namespace fixtures;

QMap<QString, QList<QJsonObject>> rowsByIp(const QByteArray &json)
{
    QMap<QString, QList<QJsonObject>> out;
    const QJsonValue top = QJsonDocument::fromJson(json).isArray()
        ? QJsonValue(QJsonDocument::fromJson(json).array())
        : QJsonDocument::fromJson(json).object().value("nodes");
    for (const QJsonValue &v : top.toArray())
        out[v.toObject().value("ip").toString()].append(v.toObject());
    return out;
}

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

class TestHostile final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    sRun cli(const QStringList &args) { return runCli(m_home.path(), args); }

private slots:
    // Each LAN's SFTP servers have keys of their own: one kept from an earlier LAN would be refused.
    void init()
    {
        QDirIterator kept(m_home.path(), {"known_hosts"}, QDir::Files, QDirIterator::Subdirectories);
        while (kept.hasNext())
            QFile::remove(kept.next());
    }

    void falseAddressesAreListedButNeverDestinations()
    {
        SimLan lan;
        // Node 0 and 4 are sound (4 writes node 0's address into its export answers);
        // 1..3 claim a broadcast address, loopback's broadcast and a host name.
        QVERIFY2(lan.start({"--decoders", "5", "--fault", "claim-ip=255.255.255.255@1", "--fault",
                            "claim-ip=127.255.255.255@2", "--fault", "claim-ip=localhost@3", "--fault",
                            "export-ip=127.0.1.1@4"}),
                 qPrintable(lan.errorString()));
        const sRun scan = cli({"scan", "--json", "--timeout", "5"});
        QCOMPARE(scan.status, 0);
        const auto rows = rowsByIp(scan.out);
        for (const char *bad : {"255.255.255.255", "127.255.255.255", "localhost"}) {
            QVERIFY2(rows.value(bad).value(0).value("invalidAddress").toBool(), bad);
            // Where the answer really came from is kept beside what it claims.
            QVERIFY2(rows.value(bad).value(0).value("sender").toString().startsWith("127.0.1."), bad);
        }
        QVERIFY(!rows.value("127.0.1.1").value(0).contains("invalidAddress"));
        QVERIFY(!rows.value("127.0.1.5").value(0).contains("sender"));

        QTemporaryDir out;
        QCOMPARE(cli({"export-data", "--all", "--dir", out.path(), "--timeout", "20"}).status, 1);
        // Bulk commands skip the false rows, each with its own outcome; the sound ones act.
        const sRun restart = cli({"restart", "--all", "--json", "--timeout", "5"});
        QCOMPARE(restart.status, 1);
        const auto restarted = rowsByIp(restart.out);
        QCOMPARE(restarted.value("255.255.255.255").value(0).value("outcome").toString(),
                 QStringLiteral("invalid node address; nothing sent"));
        QVERIFY(restarted.value("127.0.1.5").value(0).value("ok").toBool());
        QCOMPARE(cli({"type-switch", "--all", "--timeout", "5"}).status, 1);
        // Named on the command line, a broadcast address is bad input.
        QCOMPARE(cli({"restart", "255.255.255.255", "--timeout", "5"}).status, 2);
        QCOMPARE(cli({"reset", "127.255.255.255", "--timeout", "5"}).status, 2);

        for (const QJsonObject &r : lan.records()) {
            const int cmd = r.value("cmd").toInt();
            if (cmd == 1006)
                continue; // the scan is the one broadcast
            const QString node = r.value("node").toString();
            QVERIFY2(node == "127.0.1.1" || node == "127.0.1.5",
                     qPrintable(QString("%1 reached %2").arg(cmd).arg(node)));
        }
        QCOMPARE(lan.records(1011).size() + lan.records(1013).size(), 4);
        // Each export file is named by the connection its answer came on, not by the answer.
        QCOMPARE(QDir(out.path()).entryList({"*.json"}, QDir::Files, QDir::Name),
                 (QStringList{"de127.0.1.1.json", "de127.0.1.5.json"}));
        QFile fifth(QDir(out.path()).filePath("de127.0.1.5.json"));
        QVERIFY(fifth.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(fifth.readAll()).object().value("devData").toObject().value("id").toDouble(),
                 double(lan.node(4).value("id").toDouble()));
        // An import goes only to a node this scan found, whatever address a file names.
        QFile first(QDir(out.path()).filePath("de127.0.1.1.json"));
        QVERIFY(first.open(QIODevice::ReadOnly));
        const QString stray = QDir(out.path()).filePath("stray.json");
        QVERIFY(writeFile(stray, first.readAll().replace("127.0.1.1", "127.0.1.9")));
        const sRun imported = cli({"import-data", "--json", "--timeout", "20", first.fileName(), stray});
        const auto importedRows = rowsByIp(imported.out);
        QCOMPARE(imported.status, 1);
        // Sent and answered: the type switch above made the node an encoder.
        QCOMPARE(importedRows.value("127.0.1.1").value(0).value("outcome").toString(),
                 QStringLiteral("type mismatch: the node is not of the file's type"));
        QCOMPARE(importedRows.value("127.0.1.9").value(0).value("outcome").toString(),
                 QStringLiteral("no node of this scan has this address; nothing sent"));
    }

    void idTwinIsListedBesideTheNode()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--node", "decoder@127.0.1.3,id=900,name=real", "--node", "decoder@127.0.1.2,id=900,name=twin"}),
                 qPrintable(lan.errorString()));
        const sRun scan = cli({"scan", "--json", "--timeout", "5"});
        const auto rows = rowsByIp(scan.out);
        for (const QString &ip : {QStringLiteral("127.0.1.2"), QStringLiteral("127.0.1.3")})
            QVERIFY2(rows.value(ip).size() == 1 && rows.value(ip).first().value("idConflict").toBool(), qPrintable(ip));
        QCOMPARE(rows.value("127.0.1.3").first().value("name").toString(), QStringLiteral("real"));
        // The real node's command goes to the real node.
        QCOMPARE(cli({"restart", "127.0.1.3", "--timeout", "5"}).status, 0);
        QCOMPARE(lan.node(0).value("rebootCount").toInt(), 1);
        QCOMPARE(lan.node(1).value("rebootCount").toInt(), 0);
    }

    void badNetworkPlansExitTwoWithNothingSent()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "2"}), qPrintable(lan.errorString()));
        const QStringList nodes{"127.0.1.1", "127.0.1.2"};
        const QList<QStringList> refused{
            // One per kind; the address plan's own test has the rest.
            {"127.0.2.255", "255.255.255.0", "127.0.2.1"},   // the subnet's broadcast address
            {"127.0.2.254", "255.255.255.0", "127.0.2.1"},   // the second runs into the broadcast
            {"127.0.2.20", "255.255.255.0", "127.0.2.21"},   // the gateway is the second address
            {"127.0.2.20", "255.0.255.0", "127.0.2.254"},
        };
        for (const QStringList &c : refused) {
            const sRun run = cli(QStringList{"set-network", "--start", c.at(0), "--mask", c.at(1), "--gateway", c.at(2),
                                             "--timeout", "5"} + nodes);
            QVERIFY2(run.status == 2, qPrintable(c.join(' ') + ": " + run.err));
        }
        QCOMPARE(cli({"set-network", "--start", "127.0.2.20", "--mask", "255.255.255.0", "--gateway", "127.0.2.1",
                      "--timeout", "5", "255.255.255.255"}).status, 2);
        QVERIFY(lan.records(1007).isEmpty());
        // The same nodes take a sound plan.
        const sRun good = cli(QStringList{"set-network", "--start", "127.0.2.20", "--mask", "255.255.255.0", "--gateway",
                                          "127.0.2.1", "--timeout", "5"} + nodes);
        QVERIFY2(good.status == 0, qPrintable(good.err));
        QCOMPARE(lan.records(1007).size(), 2);
    }

    void changedHostKeyIsRefusedUntilAccepted()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "1"}, true), qPrintable(lan.errorString()));
        QTemporaryDir dir;
        const QString package = dir.filePath("vela_decoder_V1.2.9.bin");
        QVERIFY(writeFile(package, randomBytes(4096, 5)));
        const QStringList upgrade{"upgrade", "--package", package, "--json", "--timeout", "60", "127.0.1.1"};

        QCOMPARE(cli(upgrade).status, 0); // the first key is kept
        QVERIFY2(lan.newHostKey(), qPrintable(lan.errorString()));
        const sRun refused = cli(upgrade);
        QCOMPARE(refused.status, 1);
        const QString outcome = rowsByIp(refused.out).value("127.0.1.1").value(0).value("outcome").toString();
        QVERIFY2(outcome.contains("host key changed") && outcome.contains("SHA256:"), qPrintable(outcome));
        QCOMPARE(lan.node(0).value("upgradeCount").toInt(), 1); // nothing reached the node

        QCOMPARE(cli(upgrade + QStringList{"--accept-new-host-key"}).status, 0);
        QCOMPARE(cli(upgrade).status, 0); // the new key is the node's from now on
        QCOMPARE(lan.node(0).value("upgradeCount").toInt(), 3);
    }

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
        // The good logs arrive, private; the oversized one never replaced the old file, nor
        // did its partial download leave anything behind.
        QCOMPARE(filesUnder(folder), (QStringList{"a.log", "b.txt", "big.log", "log_proxy.1"}));
        QCOMPARE(readFile(folder + QStringLiteral("/big.log")), QByteArray("kept from last time"));
        QCOMPARE(readFile(folder + QStringLiteral("/a.log")), readFile(logs + QStringLiteral("a.log")));
        QCOMPARE(QFile::permissions(folder + QStringLiteral("/a.log")) & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
