#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "clirun.h"
#include "nodefixtures.h"
#include "simlan.h"

// quorvane-cli end to end: the built program against simulated nodes (and SFTP servers),
// each run in a home folder of its own.
class TestCli final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    // The newest line of the history the window shows.
    QJsonObject lastHistory() const
    {
        QDirIterator found(m_home.path(), {"history.jsonl"}, QDir::Files, QDirIterator::Subdirectories);
        QFile history(found.hasNext() ? found.next() : QString());
        history.open(QIODevice::ReadOnly);
        return QJsonDocument::fromJson(history.readAll().trimmed().split('\n').last()).object();
    }

    sRun cli(const QStringList &args) { return runCli(m_home.path(), args); }

    static QJsonObject resultOf(const sRun &run)
    {
        return QJsonDocument::fromJson(run.out).object();
    }

private slots:
    // Every test's LAN has SFTP servers with keys of their own: a key kept from an earlier
    // LAN at the same address would be refused as changed.
    void init()
    {
        QDirIterator kept(m_home.path(), {"known_hosts"}, QDir::Files, QDirIterator::Subdirectories);
        while (kept.hasNext())
            QFile::remove(kept.next());
    }

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
        for (const QJsonValue &v : nodes)
            ips << v.toObject().value("ip").toString();
        // IP order, and the node that shares .2 marked on both rows.
        QCOMPARE(ips, (QStringList{"127.0.1.1", "127.0.1.2", "127.0.1.2", "127.0.1.3", "127.0.1.4", "127.0.1.5"}));
        QCOMPARE(nodes.at(1).toObject().value("conflict").toString(), QStringLiteral("ip"));
        const sRun csv = cli({"scan", "--csv", "--timeout", "5"});
        QVERIFY(csv.out.startsWith("No.,Node name,") && csv.out.count('\n') == 7);

        // The two nodes on .2 cannot be told apart by address: each is reported with its own
        // id, and neither is restarted.
        const sRun restart = cli({"restart", "--all", "--json", "--timeout", "5"});
        QCOMPARE(restart.status, 1);
        QCOMPARE(resultOf(restart).value("succeeded").toInt(), 4);
        QStringList conflicts;
        for (const QJsonValue &v : resultOf(restart).value("nodes").toArray()) {
            if (v.toObject().value("outcome").toString().startsWith("address conflict"))
                conflicts << v.toObject().value("ip").toString() + '#' + QString::number(v.toObject().value("id").toDouble(), 'f', 0);
        }
        QStringList expected{"127.0.1.2#" + QString::number(lan.node(1).value("id").toDouble(), 'f', 0), "127.0.1.2#77"};
        conflicts.sort();
        expected.sort();
        QCOMPARE(conflicts, expected);
        QVERIFY(lan.waitForRecords(1011, 4));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(lan.node(i).value("rebootCount").toInt(), i == 1 || i == 5 ? 0 : 1);

        // The window's history lists what the command line sent, node by node.
        QCOMPARE(lastHistory().value("command").toString(), QStringLiteral("quorvane-cli restart"));
    }

    // What the upgrade itself does is the window's tests'; here, that the command reports it.
    void upgradeReportsEachNode()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3", "--fault", "upgrade-code=0x21000015@1"}, true), qPrintable(lan.errorString()));
        QTemporaryDir dir;
        const QString package = dir.filePath("vela_decoder_V1.2.9.bin");
        QVERIFY(fixtures::writeFile(package, fixtures::randomBytes(1 << 20, 3)));

        const sRun upgrade = cli({"upgrade", "--package", package, "--json", "--timeout", "60",
                                  "127.0.1.1", "127.0.1.2", "127.0.1.9"});
        QCOMPARE(upgrade.status, 1);
        QMap<QString, QJsonObject> byIp;
        for (const QJsonValue &v : resultOf(upgrade).value("nodes").toArray())
            byIp.insert(v.toObject().value("ip").toString(), v.toObject());
        QCOMPARE(byIp.value("127.0.1.1").value("outcome").toString(), QStringLiteral("upgraded"));
        QVERIFY(!byIp.value("127.0.1.2").value("ok").toBool());
        QVERIFY(byIp.value("127.0.1.2").value("outcome").toString().contains("another device model"));
        QVERIFY(!byIp.value("127.0.1.9").value("ok").toBool()); // no node there
        QVERIFY(upgrade.err.contains("failed: 127.0.1.2"));
    }

    // SIGTERM in the middle of an upload: the command stops, the node keeps no file under
    // the package's name nor a part of it, and the history has the line.
    void signalStopsAnUploadCleanly()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "1"}, true), qPrintable(lan.errorString()));
        QTemporaryDir dir;
        const QString package = dir.filePath("vela_decoder_V1.3.0.bin");
        QVERIFY(fixtures::writeFile(package, fixtures::randomBytes(128 << 20, 4)));
        const QString userdata = lan.sftpRoot() + "/127.0.1.1/userdata/";
        QProcess p;
        startCli(p, m_home.path(), {"upgrade", "--package", package, "--json", "127.0.1.1"});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(userdata + ".vela_decoder_V1.3.0.bin.part").size() > 0, 60000);
        p.terminate();
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 128 + 15);
        QCOMPARE(QDir(userdata).entryList(QDir::Files | QDir::Hidden), QStringList());
        QCOMPARE(resultOf({0, p.readAllStandardOutput(), {}}).value("nodes").toArray().at(0).toObject().value("outcome").toString(),
                 QStringLiteral("not upgraded: interrupted"));
        QVERIFY(lan.records(4501).isEmpty());
        QCOMPARE(lastHistory().value("command").toString(), QStringLiteral("quorvane-cli upgrade"));
    }

    // A site saved, visited again after changes: the diff names each one, in text and JSON,
    // with the node strings escaped, and the exit status says whether anything changed.
    void inventoryNamesWhatChanged()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("site.json");
        {
            SimLan lan;
            QVERIFY2(lan.start({"--node", "decoder@127.0.1.1,id=101", "--node", "decoder@127.0.1.2,id=102,version=V1.0.0",
                                "--node", "encoder@127.0.1.3,id=103"}),
                     qPrintable(lan.errorString()));
            const sRun save = cli({"inventory", "save", file, "--timeout", "5"});
            QVERIFY2(save.status == 0 && save.out.startsWith("3 nodes saved"), qPrintable(save.err));
            const sRun same = cli({"inventory", "diff", file, "--timeout", "5"});
            QCOMPARE(same.status, 0);
            QCOMPARE(same.out, QByteArray("the same 3 nodes as saved\n"));
        }
        SimLan lan;
        QVERIFY2(lan.start({"--node", "decoder@127.0.1.1,id=101", "--node", "decoder@127.0.1.2,id=102,version=V1.1.0,name=A\x1b[2JB",
                            "--node", "encoder@127.0.1.4,id=104"}),
                 qPrintable(lan.errorString()));
        const sRun diff = cli({"inventory", "diff", file, "--timeout", "5"});
        QCOMPARE(diff.status, 1);
        const QStringList lines = QString::fromUtf8(diff.out).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines.at(0).startsWith("missing\t127.0.1.3\t103\tencoder\t"), qPrintable(lines.at(0)));
        QVERIFY2(lines.at(1).startsWith("new\t127.0.1.4\t104\tencoder\t"), qPrintable(lines.at(1)));
        QVERIFY2(lines.at(2).startsWith("changed\t127.0.1.2\t102\tdecoder\tA\\x1b[2JB\t"), qPrintable(lines.at(2)));
        QVERIFY2(lines.at(3).startsWith("\tname: ") && lines.at(3).endsWith(QString::fromUtf8(" \u2192 A\\x1b[2JB")), qPrintable(lines.at(3)));
        QCOMPARE(lines.at(4), QString::fromUtf8("\tversion: V1.0.0 \u2192 V1.1.0"));
        QCOMPARE(lines.at(5), QStringLiteral("1 missing, 1 new, 1 changed"));

        const sRun json = cli({"inventory", "diff", file, "--json", "--timeout", "5"});
        QCOMPARE(json.status, 1);
        const QJsonObject o = resultOf(json);
        QCOMPARE(o.value("missing").toArray().at(0).toObject().value("id").toInt(), 103);
        QCOMPARE(o.value("new").toArray().at(0).toObject().value("ip").toString(), QStringLiteral("127.0.1.4"));
        QCOMPARE(o.value("changed").toArray().at(0).toObject().value("changes").toArray().at(1).toObject(),
                 (QJsonObject{{"field", "version"}, {"old", "V1.0.0"}, {"new", "V1.1.0"}}));

        // A damaged file is refused before any scan, with the file and the reason named.
        QVERIFY(fixtures::writeFile(file, "{\"format\": 1, \"nodes\": [{\"id\": 1}"));
        const sRun damaged = cli({"inventory", "diff", file, "--timeout", "5"});
        QVERIFY2(damaged.status == 2 && damaged.err.contains(file + ": not JSON"), qPrintable(damaged.err));
        QVERIFY(cli({"inventory", "--help"}).out.contains("save|diff"));
    }

    void refusalsAndBadInput()
    {
        // Nothing answers yet: --all has nothing to act on.
        const sRun none = cli({"restart", "--all", "--timeout", "5"});
        QCOMPARE(none.status, 1);
        QVERIFY2(none.err.contains("found no node") && none.out.isEmpty(), qPrintable(none.err));
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3"}), qPrintable(lan.errorString()));
        // .3 keeps its address and is not configured: a plan starting at .2 would take it.
        const sRun plan = cli({"set-network", "--start", "127.0.1.2", "--mask", "255.0.0.0", "--gateway", "127.0.0.254",
                               "127.0.1.1", "127.0.1.2", "--timeout", "5"});
        QCOMPARE(plan.status, 2);
        QVERIFY2(plan.err.contains("refused"), qPrintable(plan.err));
        const QList<QStringList> bad{
            {"restart", "300.1.1.1"},
            {"restart", "127.0.1.1", "127.0.1.1"},
            {"restart"},
            {"upgrade", "--package", "/nonexistent/vela.bin", "--all"},
            {"import-data", "/nonexistent.json"},
            {"scan", "--interface", "no-such-card"},
            {"log-level", "--level", "7"},
            {"frobnicate"},
            {"inventory", "save"},
            {"inventory", "load", "site.json"},
            {"inventory", "diff", "/nonexistent.json"},
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
