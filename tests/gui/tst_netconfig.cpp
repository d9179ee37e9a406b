// Network configuration (address plan and its check) and add node, headless.

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "dialog/caddnodedlg.h"
#include "dialog/cnetconfigdlg.h"
#include "comm/addressplan.h"
#include "modaldriver.h"
#include "ui/cipaddredit.h"
#include "ui/cmessagedialog.h"

namespace {

const QString kConflict = QStringLiteral("将要配置的节点IP和已有未选中节点IP冲突，请重新配置IP");
const QString kRunsOut = QStringLiteral("起始IP之后的地址不够分配给所有选中的节点，请重新配置IP");

// The message action opened (accepted), or empty when it opened none.
QString messageOrNone(const std::function<void()> &action, bool expected)
{
    if (expected)
        return ModalDriver::messageFrom(action);
    auto none = ModalDriver::expectNone();
    action();
    return {};
}

CIpAddrEdit *edit(QWidget *dlg, const char *name)
{
    auto *e = dlg->findChild<CIpAddrEdit *>(QString::fromLatin1(name));
    if (!e)
        qFatal("no editor %s", name);
    return e;
}

} // namespace

class TestNetConfig : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nextAddress_data();
    void nextAddress();
    void planCheck_data();
    void planCheck();
    void editorsPrefilled();
    void addNodePassesTextAsTyped();
};

void TestNetConfig::initTestCase()
{
    ModalDriver::useProgramLook();
}

void TestNetConfig::nextAddress_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("next");
    QTest::newRow("plain") << "192.168.1.10" << "192.168.1.11";
    QTest::newRow("254 ends the plan") << "192.168.1.254" << "";
    QTest::newRow("octets above never change") << "10.0.9.99" << "10.0.9.100";
    QTest::newRow("incomplete") << "192.168..10" << "";
    QTest::newRow("out of range") << "192.168.1.300" << "";
}

void TestNetConfig::nextAddress()
{
    QFETCH(QString, ip);
    QFETCH(QString, next);
    QCOMPARE(AddressPlan::next(ip), next);
}

void TestNetConfig::planCheck_data()
{
    // Where n selected nodes are now.
    auto nodes = [](int n) {
        QStringList ips;
        for (int i = 1; i <= n; ++i)
            ips << QStringLiteral("10.9.9.%1").arg(i);
        return ips;
    };
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QStringList>("unselected");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("unselected at .12") << "192.168.1.10" << nodes(3) << QStringList{"192.168.1.12"} << kConflict;
    QTest::newRow("unselected at .13") << "192.168.1.10" << nodes(3) << QStringList{"192.168.1.13"} << QString();
    QTest::newRow("unselected at the start") << "192.168.1.10" << nodes(1) << QStringList{"192.168.1.10"} << kConflict;
    QTest::newRow("other subnet") << "192.168.1.10" << nodes(3) << QStringList{"192.168.2.11"} << QString();
    QTest::newRow("from .253 runs out") << "192.168.1.253" << nodes(3) << QStringList{"192.168.1.1"} << kRunsOut;
    QTest::newRow("from .253, an unselected node without address")
        << "192.168.1.253" << nodes(3) << QStringList{""} << kRunsOut;
    QTest::newRow("from .253, two nodes") << "192.168.1.253" << nodes(2) << QStringList{""} << QString();
    QTest::newRow("nothing selected") << "192.168.1.10" << nodes(0) << QStringList{"192.168.1.10"} << QString();
    // A selected node whose address cannot be sent to takes no address from the plan.
    QTest::newRow("from .253, a node without usable address")
        << "192.168.1.253" << QStringList{"10.9.9.1", "10.9.9.300", "10.9.9.3"} << QStringList{"192.168.1.1"} << QString();
}

void TestNetConfig::planCheck()
{
    QFETCH(QString, start);
    QFETCH(QStringList, selected);
    QFETCH(QStringList, unselected);
    QFETCH(QString, refusal);

    CNetConfigDlg dlg(start, QStringLiteral("192.168.1.1"), QStringLiteral("255.255.255.0"));
    dlg.setSelectedIps(selected);
    dlg.setUnselectedIps(unselected);
    dlg.show();
    QSignalSpy accepted(&dlg, &QDialog::accepted);
    // Through the OK button, as the operator does it.
    QCOMPARE(messageOrNone([&] { dlg.okButton()->click(); }, !refusal.isEmpty()), refusal);
    QCOMPARE(accepted.count(), refusal.isEmpty() ? 1 : 0);
}

void TestNetConfig::editorsPrefilled()
{
    CNetConfigDlg dlg(QStringLiteral("192.168.1.10"), QStringLiteral("192.168.1.1"), QStringLiteral("255.255.0.0"));
    QCOMPARE(dlg.startIp(), QStringLiteral("192.168.1.10"));
    QCOMPARE(dlg.gateway(), QStringLiteral("192.168.1.1"));
    QCOMPARE(dlg.mask(), QStringLiteral("255.255.0.0"));
    QVERIFY(edit(&dlg, "maskEdit")->maskMode());
    QVERIFY(!edit(&dlg, "startIpEdit")->maskMode());
    QVERIFY(!edit(&dlg, "gatewayEdit")->maskMode());

    // A text that is not an address leaves the editor empty, and an empty editor is refused.
    CNetConfigDlg bad(QStringLiteral("not an ip"), QString(), QString());
    QCOMPARE(bad.startIp(), QStringLiteral("..."));
    bad.setSelectedIps({QStringLiteral("10.9.9.1")});
    bad.show();
    QSignalSpy accepted(&bad, &QDialog::accepted);
    QCOMPARE(messageOrNone([&] { bad.okButton()->click(); }, true), QStringLiteral("起始IP无效，请重新输入"));
    QCOMPARE(accepted.count(), 0);

    // The operator's own start address is what is checked.
    CNetConfigDlg typed(QStringLiteral("192.168.1.10"), QStringLiteral("10.0.0.1"), QStringLiteral("255.0.0.0"));
    typed.setSelectedIps({QStringLiteral("10.9.9.1"), QStringLiteral("10.9.9.2")});
    typed.setUnselectedIps({QStringLiteral("10.0.0.6")});
    typed.show();
    edit(&typed, "startIpEdit")->setText(QStringLiteral("10.0.0.5"));
    QCOMPARE(ModalDriver::messageFrom([&] { typed.okButton()->click(); }), kConflict);
    QCOMPARE(typed.startIp(), QStringLiteral("10.0.0.5"));
}

void TestNetConfig::addNodePassesTextAsTyped()
{
    CAddNodeDlg dlg;
    dlg.show();
    auto *ip = edit(&dlg, "ipEdit");
    ip->field(0)->setText(QStringLiteral("192"));
    ip->field(1)->setText(QStringLiteral("168"));
    QCOMPARE(dlg.ipText(), QStringLiteral("192.168.."));
    QSignalSpy accepted(&dlg, &QDialog::accepted);
    dlg.okButton()->click();
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(dlg.ipText(), QStringLiteral("192.168.."));
}

QTEST_MAIN(TestNetConfig)
#include "tst_netconfig.moc"
