#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "nodefixtures.h"
#include "simlan.h"

// quorvane-cli end to end: the built program against simulated nodes (and SFTP servers),
// each run in a home folder of its own.
namespace {

struct sRun
{
    int status = -1;
    QByteArray out;
    QString err;
};

} // namespace

class TestCli final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    sRun cli(const QStringList &args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QV_BUILD_DIR "/quorvane-cli"), args);
        // Never came, not "fast": every command gives up by itself after --timeout.
        if (!p.waitForFinished(180000)) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                QString::fromUtf8(p.readAllStandardError())};
    }

    static QJsonObject resultOf(const sRun &run)
    {
        return QJsonDocument::fromJson(run.out).object();
    }

private slots:
    void scanRestartAndHistory()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3", "--encoders", "2", "--node", "decoder@127.0.1.2,id=77"}),
                 qPrintable(lan.errorString()));
        const sRun scan = cli({"scan", "--json", "--timeout", "5"});
        QCOMPARE(scan.status, 0);
        const QJsonArray nodes = QJsonDocument::fromJson(scan.out).array();
        QCOMPARE(nodes.size(), 6);
        QStringList ips;
        for (const QJsonValue &v : nodes) {
            const QJsonObject o = v.toObject();
            for (const char *key : {"ip", "id", "name", "type", "macAddr", "mask", "gateway", "model", "mode", "version",
                                    "managerIP", "conflict"})
                QVERIFY2(o.contains(QLatin1String(key)), key);
            ips << o.value("ip").toString();
        }
        // IP order, and the node that shares .2 marked on both rows.
        QCOMPARE(ips, (QStringList{"127.0.1.1", "127.0.1.2", "127.0.1.2", "127.0.1.3", "127.0.1.4", "127.0.1.5"}));
        QCOMPARE(nodes.at(1).toObject().value("conflict").toString(), QStringLiteral("ip"));
        const sRun csv = cli({"scan", "--csv", "--timeout", "5"});
        QVERIFY(csv.out.startsWith("No.,Node name,") && csv.out.count('\n') == 7);

        const sRun restart = cli({"restart", "--all", "--json", "--timeout", "5"});
        QCOMPARE(restart.status, 0);
        QCOMPARE(resultOf(restart).value("succeeded").toInt(), 6);
        QVERIFY(lan.waitForRecords(1011, 6));
        for (int i = 0; i < 5; ++i) // the last node's address leads to the first node there
            QCOMPARE(lan.node(i).value("rebootCount").toInt(), 1);

        // The window's history lists what the command line sent, node by node.
#ifdef Q_OS_WIN
        // Windows keeps it under the user's Documents, whatever HOME says.
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QDirIterator found(documents + "/Orvanta/Quorvane", {"history.jsonl"}, QDir::Files, QDirIterator::Subdirectories);
#else
        QDirIterator found(m_home.path(), {"history.jsonl"}, QDir::Files, QDirIterator::Subdirectories);
#endif
        QVERIFY(found.hasNext());
        QFile history(found.next());
        QVERIFY(history.open(QIODevice::ReadOnly));
        const QJsonObject last = QJsonDocument::fromJson(history.readAll().trimmed().split('\n').last()).object();
        QCOMPARE(last.value("command").toString(), QStringLiteral("quorvane-cli restart"));
        QCOMPARE(last.value("nodes").toArray().size(), 6);
    }

    void upgradeExportImportAndLogs()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3", "--fault", "upgrade-code=0x21000015@1"}, true), qPrintable(lan.errorString()));
        QTemporaryDir dir;
        const QString package = dir.filePath("vela_decoder_V1.2.9.bin");
        QVERIFY(fixtures::writeFile(package, fixtures::randomBytes(1 << 20, 3)));

        const sRun upgrade = cli({"upgrade", "--package", package, "--json", "--timeout", "60",
                                  "127.0.1.1", "127.0.1.2", "127.0.1.9"});
        QCOMPARE(upgrade.status, 1);
        const QJsonArray rows = resultOf(upgrade).value("nodes").toArray();
        QCOMPARE(rows.size(), 3);
        QMap<QString, QJsonObject> byIp;
        for (const QJsonValue &v : rows)
            byIp.insert(v.toObject().value("ip").toString(), v.toObject());
        QCOMPARE(byIp.value("127.0.1.1").value("outcome").toString(), QStringLiteral("upgraded"));
        QVERIFY(!byIp.value("127.0.1.2").value("ok").toBool());
        QVERIFY(byIp.value("127.0.1.2").value("outcome").toString().contains("another device model"));
        QVERIFY(!byIp.value("127.0.1.9").value("ok").toBool()); // no node there
        QVERIFY(upgrade.err.contains("failed: 127.0.1.2"));
        QCOMPARE(lan.node(0).value("upgradeCount").toInt(), 1);
        QCOMPARE(lan.node(2).value("upgradeCount").toInt(), 0);

        const QString saved = dir.filePath("data");
        const sRun exported = cli({"export-data", "--dir", saved, "--all", "--timeout", "30"});
        QCOMPARE(exported.status, 0);
        const QStringList files = QDir(saved).entryList({"*.json"}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 3);
        QStringList paths;
        for (const QString &f : files)
            paths << QDir(saved).filePath(f);
        const sRun imported = cli(QStringList{"import-data", "--json", "--timeout", "30"} + paths);
        QCOMPARE(imported.status, 0);
        QCOMPARE(resultOf(imported).value("succeeded").toInt(), 3);
        QCOMPARE(lan.node(1).value("importCount").toInt(), 1);

        const sRun logs = cli({"logs", "--dir", dir.filePath("logs"), "127.0.1.3", "--timeout", "30"});
        QCOMPARE(logs.status, 0);
        QDirIterator it(dir.filePath("logs"), {"a.log"}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(it.hasNext());
        QCOMPARE(fixtures::readFile(it.next()), fixtures::readFile(lan.sftpRoot() + "/127.0.1.3/userdata/logs/a.log"));
    }

    void refusalsAndBadInput()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3"}), qPrintable(lan.errorString()));
        // .3 keeps its address and is not configured: a plan starting at .2 would take it.
        const sRun plan = cli({"set-network", "--start", "127.0.1.2", "--mask", "255.0.0.0", "--gateway", "127.0.0.254",
                               "127.0.1.1", "127.0.1.2", "--timeout", "5"});
        QCOMPARE(plan.status, 2);
        QVERIFY2(plan.err.contains("refused"), qPrintable(plan.err));
        const QList<QStringList> bad{
            {"restart", "300.1.1.1"},
            {"restart"},
            {"upgrade", "--package", "/nonexistent/vela.bin", "--all"},
            {"import-data", "/nonexistent.json"},
            {"scan", "--interface", "no-such-card"},
            {"log-level", "--level", "7"},
            {"frobnicate"},
        };
        for (const QStringList &args : bad) {
            const sRun run = cli(args);
            QVERIFY2(run.status == 2 && run.err.startsWith("quorvane-cli: "), qPrintable(args.join(' ') + ": " + run.err));
        }
        QVERIFY(lan.records(1007).isEmpty());
        QVERIFY(lan.records(1011).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
