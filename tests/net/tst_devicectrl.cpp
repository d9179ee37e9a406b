#include <QtTest>

#include "comm/ccommandsender.h"
#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "comm/ctcpclient.h"
#include "comm/ctcpmanager.h"
#include "comm/ctcpsocket.h"
#include "comm/protocol.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "netfakes.h"
#include "simlan.h" // tests/common

namespace {

// The table page's observer: registered for the test's life, like the page's.
class StoreObserver final
{
public:
    StoreObserver() { CObserverList::instance().add(&observer); }
    ~StoreObserver() { CObserverList::instance().remove(&observer); }
    CDeviceCtrlObserver observer;
};

QSet<QString> ipsOf(const QJsonArray &nodes, int type = 0)
{
    QSet<QString> out;
    for (const QJsonValue &v : nodes) {
        const QJsonObject o = v.toObject();
        if (type == 0 || o.value("type").toInt() == type)
            out.insert(o.value("ip").toString());
    }
    return out;
}

template <typename Store>
QSet<QString> storeIps(const Store &store)
{
    QSet<QString> out;
    for (const auto &r : store.nodes())
        out.insert(QString::fromUtf8(r.ip));
    return out;
}

sSelectedNode selected(const QJsonObject &node)
{
    sSelectedNode s;
    s.id = int64_t(node.value("id").toDouble());
    s.ip = node.value("ip").toString().toUtf8();
    s.nodeType = node.value("type").toInt();
    return s;
}

} // namespace

class TestDeviceCtrl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerCommMetaTypes(); }

    void cleanup()
    {
        CTcpManager::instance().removeAll();
        QTRY_COMPARE(CTcpclient::instances(), 0);
        CDecoderList::instance().clearNodes();
        CEncoderList::instance().clearNodes();
    }

    void scanFindsEveryNode()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "30", "--encoders", "20", "--seed", "11", "--spread", "80"}), qPrintable(lan.errorString()));
        StoreObserver page;
        CDeviceCtrlJob job(nullptr);
        // Left-overs of an earlier scan are cleared first.
        sDecoderInfo stale;
        stale.id = 999;
        stale.ip = "127.9.9.9";
        CDecoderList::instance().addNode(stale);

        QVERIFY(job.scanNodes());
        const QJsonArray nodes = lan.state().value("nodes").toArray();
        QCOMPARE(nodes.size(), 50);
        QCOMPARE(CDecoderList::instance().nodes().size(), 30);
        QCOMPARE(CEncoderList::instance().nodes().size(), 20);
        QCOMPARE(storeIps(CDecoderList::instance()), ipsOf(nodes, 1));
        QCOMPARE(storeIps(CEncoderList::instance()), ipsOf(nodes, 2));
        // One broadcast went out, to the command port.
        const auto sent = lan.records(1006);
        QCOMPARE(sent.size(), 1);
        QVERIFY(sent.first().value("broadcast").toBool());
        QCOMPARE(sent.first().value("port").toInt(), 7788);
    }

    // Broken answers cost nothing but themselves; a node answering twice is there twice.
    void faultyNodesInAScan()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "12", "--seed", "3", "--spread", "30",
                    "--fault", "silent@0", "--fault", "short-frame@1", "--fault", "bad-length@2",
                    "--fault", "huge@3", "--fault", "not-json@4", "--fault", "data-not-object@5",
                    "--fault", "bad-node-type@6", "--fault", "twice@7"}), qPrintable(lan.errorString()));
        StoreObserver page;
        CDeviceCtrlJob job(nullptr);
        QVERIFY(job.scanNodes());
        const QJsonArray nodes = lan.state().value("nodes").toArray();
        QStringList ips;
        for (const sDecoderInfo &d : CDecoderList::instance().nodes())
            ips.append(QString::fromUtf8(d.ip));
        const QString twice = nodes.at(7).toObject().value("ip").toString();
        QCOMPARE(ips.count(twice), 2);
        QSet<QString> expected;
        for (int i = 7; i < 12; ++i)
            expected.insert(nodes.at(i).toObject().value("ip").toString());
        QCOMPARE(QSet<QString>(ips.begin(), ips.end()), expected);
        QCOMPARE(ips.size(), 6);
    }

    void probeFindsOneNodeAndKeepsTheStores()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3", "--encoders", "2", "--seed", "9"}), qPrintable(lan.errorString()));
        StoreObserver page;
        CDeviceCtrlJob job(nullptr);
        sDecoderInfo known;
        known.id = 4242;
        known.ip = "127.0.7.7";
        CDecoderList::instance().addNode(known);

        const QJsonObject enc = lan.node(4);
        QVERIFY(job.scanNode(enc.value("ip").toString().toUtf8()));
        QCOMPARE(CDecoderList::instance().nodes().size(), 1);
        QCOMPARE(CDecoderList::instance().nodes().first().id, int64_t(4242));
        QCOMPARE(CEncoderList::instance().nodes().size(), 1);
        QCOMPARE(QString::fromUtf8(CEncoderList::instance().nodes().first().ip), enc.value("ip").toString());
        const auto sent = lan.records(1006);
        QCOMPARE(sent.size(), 1);
        QVERIFY(!sent.first().value("broadcast").toBool());
    }

    void restartAndResetResults()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3", "--encoders", "1", "--seed", "2"}), qPrintable(lan.errorString()));
        CDeviceCtrlJob job(nullptr);

        SelectedNodeList reboot{selected(lan.node(0)), selected(lan.node(3))};
        QVERIFY(job.rebootNodes(reboot));
        QTRY_COMPARE(lan.node(0).value("rebootCount").toInt(), 1);
        QCOMPARE(lan.node(3).value("rebootCount").toInt(), 1);
        QCOMPARE(lan.node(1).value("rebootCount").toInt(), 0);

        // Two failing sends before a good one: the last decides.
        sSelectedNode bad1 = selected(lan.node(1));
        bad1.ip = "not-an-address";
        sSelectedNode bad2 = selected(lan.node(1));
        bad2.ip.clear();
        QVERIFY(job.rebootNodes({bad1, bad2, selected(lan.node(2))}));
        QTRY_COMPARE(lan.node(2).value("rebootCount").toInt(), 1);
        QVERIFY(!job.rebootNodes({selected(lan.node(2)), bad1}));
        sSelectedNode noId = selected(lan.node(1));
        noId.id = 0;
        QVERIFY(!job.rebootNodes({noId, noId}));
        QVERIFY(!job.rebootNodes({}));
        QCOMPARE(lan.node(1).value("rebootCount").toInt(), 0);

        // Factory reset: ids of 0 are skipped; the result is true whatever the sends gave.
        QVERIFY(job.factoryResetNodes({noId, selected(lan.node(1))}));
        QTRY_COMPARE(lan.node(1).value("resetCount").toInt(), 1);
        QVERIFY(job.factoryResetNodes({bad1}));
        QCOMPARE(lan.records(1012).size(), 1);
        QCOMPARE(lan.node(0).value("resetCount").toInt(), 0);
    }

    void switchNodeTypes()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "2", "--encoders", "1", "--seed", "4"}), qPrintable(lan.errorString()));
        CDeviceCtrlJob job(nullptr);
        auto info = [&](int i) {
            sDeviceInfo n;
            n.id = int64_t(lan.node(i).value("id").toDouble());
            n.ip = lan.node(i).value("ip").toString().toUtf8();
            n.nodeType = lan.node(i).value("type").toInt();
            return n;
        };
        sDeviceInfo broken = info(1);
        broken.ip = "nowhere";
        QList<sDeviceInfo> failed;
        QVERIFY(job.switchNodeType({info(0), broken, info(2)}, failed));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().ip, QByteArray("nowhere"));
        QTRY_COMPARE(lan.node(0).value("type").toInt(), 2);
        QCOMPARE(lan.node(2).value("type").toInt(), 1);
        QCOMPARE(lan.node(1).value("type").toInt(), 1);
        QCOMPARE(lan.records(1013).size(), 2);
    }

    void networkPlanMovesTheNodes()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "4", "--seed", "8", "--base", "127.0.4.10"}), qPrintable(lan.errorString()));
        CDeviceCtrlJob job(nullptr);
        QStringList current;
        for (int i = 0; i < 4; ++i)
            current.append(lan.node(i).value("ip").toString());

        // An invalid start sends nothing.
        QVERIFY(job.setNetwork(QStringLiteral("127.0.5.256"), "255.255.0.0", "127.0.0.254", current));
        QVERIFY(job.setNetwork(QString(), "255.255.0.0", "127.0.0.254", current));
        QTest::qWait(50);
        QCOMPARE(lan.records(1007).size(), 0);

        // From .253 only two addresses are left: the third and fourth node keep theirs.
        QVERIFY(job.setNetwork(QStringLiteral("127.0.5.253"), "255.255.0.0", "127.0.0.254", current));
        QTRY_COMPARE(lan.records(1007).size(), 2);
        QCOMPARE(lan.node(0).value("ip").toString(), QStringLiteral("127.0.5.253"));
        QCOMPARE(lan.node(1).value("ip").toString(), QStringLiteral("127.0.5.254"));
        QCOMPARE(lan.node(2).value("ip").toString(), current.at(2));
        QCOMPARE(lan.node(3).value("ip").toString(), current.at(3));
        QCOMPARE(lan.node(0).value("nodeData").toObject().value("getway").toString(), QStringLiteral("127.0.0.254"));

        // Empty and invalid current addresses are skipped without using up an address.
        QVERIFY(job.setNetwork(QStringLiteral("127.0.6.1"), "255.255.0.0", "127.0.0.254",
                               {QString(), "127.0.4.999", current.at(2), current.at(3)}));
        QTRY_COMPARE(lan.node(3).value("ip").toString(), QStringLiteral("127.0.6.2"));
        QCOMPARE(lan.node(2).value("ip").toString(), QStringLiteral("127.0.6.1"));
    }

    // Decoder data sent as an encoder import: the node refuses it. An entry of another
    // type is not sent at all.
    void refusedAndUnsentImports()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "1", "--seed", "13"}), qPrintable(lan.errorString()));
        RecordingObserver answers;
        CDeviceCtrlJob job(nullptr);
        sDeviceData data;
        data.id = int64_t(lan.node(0).value("id").toDouble());
        data.ip = lan.node(0).value("ip").toString().toUtf8();
        data.type = 1;
        data.data = "{}";
        QVERIFY(job.importEncoderData(data.ip, data));
        QTRY_COMPARE(answers.count(), 1);
        QCOMPARE(answers.entries().first().value, 1);

        data.type = 3;
        QString ip;
        QVERIFY(job.importDataEntry(job.packDataEntry(data), ip));
        QTest::qWait(100);
        QCOMPARE(lan.records(3532).size() + lan.records(4016).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDeviceCtrl)
#include "tst_devicectrl.moc"
