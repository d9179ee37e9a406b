#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
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
#ifdef Q_OS_WIN
        // Windows has the documents folder of its user, whatever HOME says.
        const QString home = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#else
        const QString home = m_home.path();
#endif
        QDirIterator found(home, {"history.jsonl"}, QDir::Files, QDirIterator::Subdirectories);
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

    // Staged rollouts on twenty decoders. A canary of three holding a node that refuses the
    // package keeps it from every other node; --skip-current leaves out nodes already on it;
    // --max-failures stops starting nodes; each node is reported with its reason and version.
    void stagedRolloutStops()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "20", "--reboot-ms", "300", "--fault", "upgrade-code=0x21000015@1"}, true),
                 qPrintable(lan.errorString()));
        const QStringList ips = lan.addresses();
        QTemporaryDir dir;
        const QString package = dir.filePath("vela_decoder_V1.2.9.bin");
        QVERIFY(fixtures::writeFile(package, fixtures::randomBytes(1 << 20, 3)));
        const auto rows = [](const sRun &run) {
            QMap<QString, QJsonObject> byIp;
            for (const QJsonValue &v : resultOf(run).value("nodes").toArray())
                byIp.insert(v.toObject().value("ip").toString(), v.toObject());
            return byIp;
        };
        const auto received = [&lan](int since) { // the nodes that got the command since
            QSet<QString> nodes;
            for (const QJsonObject &command : lan.records(4501).mid(since))
                nodes.insert(command.value("node").toString());
            return nodes;
        };

        const sRun canary = cli({"upgrade", "--package", package, "--all", "--canary", "3", "--json", "--timeout", "60"});
        QCOMPARE(canary.status, 1);
        QMap<QString, QJsonObject> byIp = rows(canary);
        QCOMPARE(byIp.size(), 20);
        QVERIFY(byIp.value(ips.at(1)).value("outcome").toString().contains("another device model"));
        for (int i : {0, 2})
            QVERIFY(byIp.value(ips.at(i)).value("ok").toBool() && byIp.value(ips.at(i)).value("version") == "V1.2.9");
        for (int i = 3; i < 20; ++i) {
            const QJsonObject row = byIp.value(ips.at(i));
            // Not started, no version, and no byte of the package.
            QVERIFY2(!row.value("ok").toBool() && row.value("outcome").toString().startsWith("not started")
                         && row.value("version").isNull()
                         && !QFile::exists(lan.sftpRoot() + '/' + ips.at(i) + "/userdata/vela_decoder_V1.2.9.bin"),
                     qPrintable(ips.at(i) + ": " + row.value("outcome").toString()));
        }
        QCOMPARE(received(0), (QSet<QString>{ips.at(0), ips.at(1), ips.at(2)}));
        // The history has the canary's verdict, its wave and each node's version.
        const QJsonObject history = lastHistory();
        QVERIFY(history.value("canary").toString().endsWith(QStringLiteral("试点节点验证失败")));
        QCOMPARE(history.value("waves").toArray(), QJsonArray({QJsonObject{{"wave", 0}, {"canary", true}, {"nodes", 3},
                                                                           {"verified", 2}, {"failed", 1}}}));
        QCOMPARE(history.value("nodes").toArray().at(0).toObject().value("version").toString(), QStringLiteral("V1.2.9"));

        // The same package again: .1 and .3 are left out (already on it), waves of four from
        // .2 on; the refusal in the first wave stops every later one.
        const int before = lan.records(4501).size();
        const sRun limited = cli({"upgrade", "--package", package, "--all", "--skip-current", "--wave", "4",
                                  "--max-failures", "1", "--json", "--timeout", "60"});
        QCOMPARE(limited.status, 1);
        byIp = rows(limited);
        for (int i : {0, 2})
            QVERIFY(byIp.value(ips.at(i)).value("ok").toBool() && byIp.value(ips.at(i)).value("outcome").toString().startsWith("skipped"));
        QCOMPARE(received(before), (QSet<QString>{ips.at(1), ips.at(3), ips.at(4), ips.at(5)}));
        for (int i = 6; i < 20; ++i)
            QVERIFY(byIp.value(ips.at(i)).value("outcome").toString().startsWith("not started"));
        QCOMPARE(resultOf(limited).value("succeeded").toInt(), 5);
    }

    // One of twenty nodes answers success but keeps its version: it fails verification,
    // the other nineteen are verified with the package's version.
    void keptVersionFailsVerification()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "20", "--reboot-ms", "300", "--fault", "upgrade-keeps-version@4"}, true),
                 qPrintable(lan.errorString()));
        const QString old = lan.node(4).value("nodeData").toObject().value("version").toString();
        QVERIFY(!old.isEmpty());
        QTemporaryDir dir;
        const QString package = dir.filePath("vela_decoder_V9.0.1.bin");
        QVERIFY(fixtures::writeFile(package, fixtures::randomBytes(1 << 20, 5)));
        const QString site = dir.filePath("site.json");
        QCOMPARE(cli({"inventory", "save", site, "--timeout", "5"}).status, 0);
        const sRun run = cli({"upgrade", "--package", package, "--all", "--verify-timeout", "4", "--json", "--timeout", "60"});
        QCOMPARE(run.status, 1);
        QCOMPARE(resultOf(run).value("succeeded").toInt(), 19);
        for (const QJsonValue &v : resultOf(run).value("nodes").toArray()) {
            const QJsonObject row = v.toObject();
            const bool kept = row.value("ip").toString() == lan.addresses().at(4);
            QVERIFY2(row.value("ok").toBool() != kept, qPrintable(row.value("outcome").toString()));
            QCOMPARE(row.value("version").toString(), kept ? old : QStringLiteral("V9.0.1"));
            if (kept)
                QCOMPARE(row.value("outcome").toString(), QStringLiteral("verification failed: still %1 after 4 s").arg(old));
        }
        QVERIFY(run.err.contains("failed: " + lan.addresses().at(4)));
        // The site's inventory names each version change, and only those.
        const sRun diff = cli({"inventory", "diff", site, "--json", "--timeout", "5"});
        QCOMPARE(diff.status, 1);
        const QJsonArray changed = resultOf(diff).value("changed").toArray();
        QCOMPARE(changed.size(), 19);
        for (const QJsonValue &v : changed) {
            const QJsonArray changes = v.toObject().value("changes").toArray();
            QCOMPARE(changes.size(), 1);
            QCOMPARE(changes.at(0).toObject().value("field").toString(), QStringLiteral("version"));
            QCOMPARE(changes.at(0).toObject().value("new").toString(), QStringLiteral("V9.0.1"));
        }
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
