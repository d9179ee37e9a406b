#include <QtTest>

#include "comm/addressplan.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/ipv4.h"
#include "comm/protocol.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"

// The one rule for node addresses, the plans a node may be given, and what a scan keeps of
// hostile answers: false addresses marked, an id twin beside the node it copies, a flood cut.
class TestNodeAddress final : public QObject
{
    Q_OBJECT

    static sDecoderInfo decoder(int64_t id, const char *ip, const char *sender = "")
    {
        sDecoderInfo d;
        d.id = id;
        d.ip = ip;
        d.sender = sender;
        return d;
    }

private slots:
    void cleanup()
    {
        CDecoderList::instance().clearNodes();
        CEncoderList::instance().clearNodes();
    }

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
        const auto answer = [&observer](const sDecoderInfo &d) {
            observer.onResult(Protocol::AnsScan, const_cast<sDecoderInfo *>(&d), 0, DecoderNode);
        };
        answer(decoder(7, "127.0.1.3", "127.0.1.3"));
        answer(decoder(7, "127.0.1.2", "127.0.1.2"));   // a twin at a lower address
        answer(decoder(7, "127.0.1.2", "127.0.1.2"));   // the same answer again is one row
        answer(decoder(8, "255.255.255.255", "127.0.1.4"));
        answer(decoder(9, "127.0.1.1", "127.0.1.5"));   // says another node's address
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
            answer(decoder(100 + i, "10.0.0.1"));
        QCOMPARE(CDecoderList::instance().size(), CDeviceCtrlObserver::kMaxScanRecords);
    }

};

QTEST_GUILESS_MAIN(TestNodeAddress)
#include "tst_nodeaddress.moc"
