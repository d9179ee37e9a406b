#include <QtTest>
#include <limits>

#include "comm/addressplan.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/ipv4.h"
#include "comm/protocol.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "model/nodecsv.h"

namespace {

sDecoderInfo decoder(int64_t id, const char *ip, const char *mac, int mode = 0, const char *version = "",
                     const char *name = "")
{
    sDecoderInfo d;
    d.name = name;
    d.id = id;
    d.ip = ip;
    d.macAddr = mac;
    d.mode = mode;
    d.version = version;
    return d;
}

sEncoderInfo encoder(int64_t id, const char *ip, const char *mac, const char *version = "", const char *name = "")
{
    sEncoderInfo e;
    e.name = name;
    e.id = id;
    e.ip = ip;
    e.macAddr = mac;
    e.version = version;
    return e;
}

// Ids of the shown rows, in row order.
QList<int64_t> rows(CNodeListModel &model)
{
    QList<int64_t> ids;
    QStandardItemModel *items = model.itemModel();
    for (int r = 0; r < items->rowCount(); ++r)
        ids.append(items->item(r)->data(CNodeListModel::NodeRole).value<sDeviceInfo>().id);
    return ids;
}

} // namespace

class TestNodeModel final : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        CDecoderList::instance().clearNodes();
        CEncoderList::instance().clearNodes();
    }

    void storeOrderTypeAndSnapping()
    {
        CDecoderList &decoders = CDecoderList::instance();
        decoders.addNode(decoder(1, "192.168.1.10", "A"));
        decoders.addNode(decoder(2, "192.168.1.9", "B"));
        decoders.addNode(decoder(3, "10.0.0.1", "C"));
        const QVector<sDecoderInfo> nodes = decoders.nodes();
        QCOMPARE(QVector<int64_t>({nodes.value(0).id, nodes.value(1).id, nodes.value(2).id}), QVector<int64_t>({3, 2, 1})); // .9 before .10

        QCOMPARE(CEncoderList::snapFrameRate(59.9f), 59.94f); // as the store keeps it: tst_nodesettings
        QCOMPARE(CEncoderList::snapFrameRate(27.5f), 25.0f); // tie goes to the earlier step
        QCOMPARE(CEncoderList::snapFrameRate(45.0f), 59.94f);
        QCOMPARE(CEncoderList::snapFrameRate(120.0f), 60.0f);
    }

    // The proxy: the node at the address the first node names, the last of several; none leaves the record alone.
    void managerNode()
    {
        CDecoderList &decoders = CDecoderList::instance();
        sDeviceInfo out;
        out.name = "unchanged";
        decoders.findManagerNode(out);
        QCOMPARE(out.name, QByteArray("unchanged"));
        sDecoderInfo a = decoder(1, "10.0.0.1", "A");
        a.managerIP = "10.0.0.7";
        decoders.addNode(a);
        decoders.addNode(decoder(2, "10.0.0.7", "M", 0, "", "first"));
        decoders.addNode(decoder(2, "10.0.0.7", "M", 0, "", "second"));
        decoders.findManagerNode(out);
        QCOMPARE(out.name, QByteArray("second"));
    }

    void conflictsAndDeduplication()
    {
        CDecoderList &decoders = CDecoderList::instance();
        CEncoderList &encoders = CEncoderList::instance();
        decoders.addNode(decoder(1, "10.0.0.1", "M1"));
        decoders.addNode(decoder(2, "10.0.0.1", "M2"));  // same IP as 1
        encoders.addNode(encoder(3, "10.0.0.3", "M1"));  // same MAC as 1
        decoders.addNode(decoder(4, "10.0.0.4", "M4"));
        decoders.addNode(decoder(4, "10.0.0.4", "M4"));  // one node answering twice
        decoders.addNode(decoder(5, "", ""));
        encoders.addNode(encoder(6, "", ""));
        CNodeListModel model;
        model.refreshSnapshot();
        auto state = [&model](int64_t id) {
            if (const sDecoderInfo *d = model.decoderById(id))
                return d->conflictState;
            return model.encoderById(id)->conflictState;
        };
        // The IP conflict of 1 wins over its MAC conflict with 3; empty addresses conflict with nothing.
        QCOMPARE(QVector<int>({state(1), state(2), state(3), state(4), state(5), state(6)}), QVector<int>({2, 2, 1, 0, 0, 0}));

        model.fillItemModel({});
        const QList<int64_t> ids = rows(model);
        QCOMPARE(ids.size(), 6); // node 4 once
        QCOMPARE(ids.mid(0, 2), (QList<int64_t>{5, 6})); // empty addresses sort first
        QCOMPARE(ids.mid(4), (QList<int64_t>{3, 4}));
    }

    void filtersSearchAndSort()
    {
        CDecoderList::instance().addNode(decoder(1, "10.0.0.1", "aa:01", 0, "V1.2", "beta"));
        CDecoderList::instance().addNode(decoder(2, "10.0.0.2", "BB:02", 2, "V1.10", "Alpha"));
        CDecoderList::instance().addNode(decoder(3, "10.0.0.3", "CC:03", 7, "v1.2", "delta"));
        sEncoderInfo camera = encoder(4, "10.0.0.4", "DD:04", "V1.2", "Gamma");
        camera.signalName = "Lobby cam";
        CEncoderList::instance().addNode(camera);
        CNodeListModel model;
        model.refreshSnapshot();
        const auto listed = [&model](const sNodeFilter &filter) {
            model.fillItemModel(filter);
            return rows(model);
        };
        const std::pair<sNodeFilter, QList<int64_t>> cases[] = {
            {{}, {1, 2, 3, 4}},
            {{AllNodeTypes, 2, {}, {}}, {2}}, // a particular mode hides every encoder
            {{AllNodeTypes, -1, "V1.2", {}}, {1, 4}}, // exact, case-sensitive
            {{EncoderNode, -1, "V1.2", {}}, {4}},
            // The search narrows the filters by name, signal name, IP or MAC (typed with or
            // without separators), ignoring case.
            {{AllNodeTypes, -1, {}, "bb02"}, {2}},
            {{AllNodeTypes, -1, {}, "lobby"}, {4}}, // node 4's signal name
            {{AllNodeTypes, -1, "V1.2", "10.0.0."}, {1, 4}},
        };
        for (const auto &[filter, ids] : cases)
            QCOMPARE(listed(filter), ids);

        // Sorting: names by locale, versions by number, ties in IP order; again reverses.
        sNodeFilter f;
        model.setSort(ENodeColumn::Name, Qt::AscendingOrder);
        QCOMPARE(listed(f), (QList<int64_t>{2, 1, 3, 4}));
        model.setSort(ENodeColumn::Version, Qt::AscendingOrder);
        QCOMPARE(listed(f), (QList<int64_t>{1, 3, 4, 2}));
        f.search = QStringLiteral("d"); // delta by name, 4 by MAC
        model.setSort(ENodeColumn::Name, Qt::AscendingOrder);
        QCOMPARE(listed(f), (QList<int64_t>{3, 4}));
        model.setSort(ENodeColumn::Ip, Qt::DescendingOrder);
        QCOMPARE(listed(f), (QList<int64_t>{4, 3}));
        QCOMPARE(model.versions(), (QStringList{"V1.2", "v1.2", "V1.10"})); // by number
    }

    // Only a listed node can be checked (the table's marks through refreshes: tst_nodetable).
    void checkMarksOnlyOnListedNodes()
    {
        CDecoderList::instance().addNode(decoder(1, "10.0.0.1", "A"));
        CNodeListModel model;
        model.refreshSnapshot();
        model.fillItemModel({});
        model.setSelected(99, true);
        model.setSelected(1, true);
        QCOMPARE(model.selectedCount(), 1);
        QCOMPARE(model.listedNodes({}).value(0).info.selected, true);
    }

    void csvBytes()
    {
        sDecoderInfo d = decoder(7, "10.0.0.7", "AA:BB", 1, "V1.0", "大屏,\"一号\"");
        d.nodeType = DecoderNode;
        d.mask = "255.255.255.0";
        d.getway = "10.0.0.1";
        d.model = 3;
        sEncoderInfo e = encoder(std::numeric_limits<int64_t>::max(), "10.0.0.8", "CC", "V2", "=HYPERLINK()");
        e.signalName = "cam\n1";
        const QByteArray csv = NodeCsv::toCsv({NodeCsv::listed(d), NodeCsv::listed(e)}, QStringLiteral("CN"), true);
        QCOMPARE(csv, QByteArray("\xEF\xBB\xBF"
                                 "序号,节点名称,类型,信号源名称,版本,模式,IP地址,MAC地址,子网掩码,网关,型号,ID\r\n"
                                 "1,\"大屏,\"\"一号\"\"\",解码节点,,V1.0,坐席,10.0.0.7,AA:BB,255.255.255.0,10.0.0.1,3,7\r\n"
                                 "2,'=HYPERLINK(),编码节点,\"cam\n1\",V2,,10.0.0.8,CC,,,16,9223372036854775807\r\n"));
    }

    // The one rule for node addresses, the plans a node may be given, and what a scan keeps
    // of hostile answers: false addresses marked, an id twin beside the node it copies, a
    // flood cut.
    void rule_data()
    {
        QTest::addColumn<QByteArray>("ip");
        QTest::addColumn<QByteArray>("sender");
        QTest::addColumn<int>("fault");
        using F = Ipv4::EFault;
        const auto row = [](const char *name, const char *ip, const char *sender, F fault) {
            QTest::newRow(name) << QByteArray(ip) << QByteArray(sender) << int(fault);
        };
        row("node", "192.168.5.20", "", F::None);
        row("test LAN over loopback", "127.0.1.7", "127.0.1.7", F::None);
        row("source unknown", "127.0.1.7", "0.0.0.0", F::None);
        row("host name", "localhost", "", F::NotLiteral);
        row("leading zero", "192.168.5.020", "", F::NotLiteral);
        row("trailing newline", "192.168.5.20\n", "", F::NotLiteral);
        row("five parts", "1.2.3.4.5", "", F::NotLiteral);
        row("above 255", "1.2.3.256", "", F::NotLiteral);
        row("empty", "", "", F::NotLiteral);
        row("all ones", "255.255.255.255", "", F::Reserved);
        row("this network", "0.0.0.0", "", F::Reserved);
        row("zero net", "0.1.2.3", "", F::Reserved);
        row("multicast", "224.0.0.1", "", F::Reserved);
        row("class E", "240.1.1.1", "", F::Reserved);
        row("loopback broadcast", "127.255.255.255", "127.0.1.1", F::SubnetEdge);
        row("loopback network", "127.0.0.0", "", F::SubnetEdge);
        row("card broadcast", "192.168.5.255", "", F::SubnetEdge);
        row("card network", "192.168.5.0", "", F::SubnetEdge);
        row("other subnet's .255", "10.1.0.255", "", F::None); // a host of the /16 below
        row("loopback from the LAN", "127.0.0.1", "192.168.5.9", F::Loopback);
    }
    void rule()
    {
        QFETCH(QByteArray, ip);
        QFETCH(QByteArray, sender);
        QFETCH(int, fault);
        const QVector<Ipv4::sSubnet> cards{{0xC0A80514u, 0xFFFFFF00u}, {0x0A010005u, 0xFFFF0000u}};
        QCOMPARE(int(Ipv4::nodeAddressFault(ip, sender, cards)), fault);
    }

    void plans()
    {
        using C = AddressPlan::ECheck;
        const QStringList two{"10.0.0.5", "10.0.0.6"};
        const auto check = [&two](const char *start, const char *mask, const char *gateway) {
            return AddressPlan::check(start, mask, gateway, two, {});
        };
        QCOMPARE(check("10.0.0.20", "255.255.255.0", "10.0.0.1"), C::Ok);
        QCOMPARE(check("10.0.0.20", "255.255.0.0", "10.0.9.1"), C::Ok);
        for (const char *start : {"0.0.0.5", "224.0.0.1", "240.0.0.9", "10.0.0.0", "10.0.0.255", "10.0.0"})
            QVERIFY2(check(start, "255.255.255.0", "10.0.0.1") == C::BadStart, start);
        for (const char *mask : {"255.0.255.0", "0.0.0.0", "255.255.255.255", "255.255.255.1"})
            QVERIFY2(check("10.0.0.20", mask, "10.0.0.1") == C::BadMask, mask);
        for (const char *gateway : {"10.0.1.1", "10.0.0.20", "10.0.0.21", "10.0.0.255", "10.0.0.0", "224.0.0.1"})
            QVERIFY2(check("10.0.0.20", "255.255.255.0", gateway) == C::BadGateway, gateway);
        QCOMPARE(check("10.0.0.254", "255.255.255.0", "10.0.0.1"), C::RunsOut);
        QCOMPARE(check("10.0.0.126", "255.255.255.128", "10.0.0.1"), C::RunsOut); // .127 is that subnet's broadcast
        QCOMPARE(AddressPlan::check("10.0.0.20", "255.255.255.0", "10.0.0.1", two, {"10.0.0.21"}), C::Conflict);
        QCOMPARE(AddressPlan::checkOne("10.0.0.21", "255.255.255.252", "10.0.0.22"), C::Ok);
        QCOMPARE(AddressPlan::checkOne("10.0.0.20", "255.255.255.252", "10.0.0.21"), C::BadStart);
    }

    void hostileScanAnswers()
    {
        CDeviceCtrlObserver observer;
        const auto answer = [&observer](int64_t id, const char *ip, const char *sender = "") {
            sDecoderInfo d = decoder(id, ip, "");
            d.sender = sender;
            observer.onResult(Protocol::AnsScan, &d, 0, DecoderNode);
        };
        answer(7, "127.0.1.3", "127.0.1.3");
        answer(7, "127.0.1.2", "127.0.1.2");   // a twin at a lower address
        answer(7, "127.0.1.2", "127.0.1.2");   // the same answer again is one row
        answer(8, "255.255.255.255", "127.0.1.4");
        answer(9, "127.0.1.1", "127.0.1.5");   // says another node's address
        CNodeListModel model;
        model.refreshSnapshot();
        const QVector<sListedNode> rows = model.listedNodes(sNodeFilter());
        QStringList listed;
        for (const sListedNode &row : rows)
            listed << QStringLiteral("%1@%2:%3").arg(row.info.id).arg(QString::fromLatin1(row.info.ip)).arg(row.info.addrMarks);
        QCOMPARE(listed, (QStringList{"9@127.0.1.1:2", "7@127.0.1.2:4", "7@127.0.1.3:4", "8@255.255.255.255:3"}));
        QVERIFY(CNodeListModel::addressNote(rows.at(0).info).contains("127.0.1.5"));
        QVERIFY(model.hasAddress("127.0.1.3"));
        QVERIFY(!model.hasAddress("255.255.255.255"));

        // A flood ends at the limit.
        for (int i = 0; i < CDeviceCtrlObserver::kMaxScanRecords + 50; ++i)
            answer(100 + i, "10.0.0.1");
        QCOMPARE(CDecoderList::instance().size(), CDeviceCtrlObserver::kMaxScanRecords);
    }
};

QTEST_GUILESS_MAIN(TestNodeModel)
#include "tst_nodemodel.moc"
