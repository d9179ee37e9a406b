// Network configuration (address plan and its check) and add node, headless.

#include <QPushButton>
#include <QtTest>

#include "dialog/caddnodedlg.h"
#include "dialog/cnetconfigdlg.h"
#include "modaldriver.h"
#include "ui/cipaddredit.h"

namespace {

// The message action opened (accepted), or empty when it opened none.
QString messageOrNone(const std::function<void()> &action, bool expected)
{
    if (expected)
        return ModalDriver::messageFrom(action);
    auto none = ModalDriver::expectNone();
    action();
    return {};
}

} // namespace

class TestNetConfig : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }
    // The plan's own cases are tested with the plan; here each refusal must reach the operator
    // through the OK button with its text, and a sound plan must close the dialog. A conflict
    // and a plan that runs out, typed by the operator: tst_sentbytes, against nodes.
    void refusalsReachTheOperator()
    {
        const QStringList three{"10.9.9.1", "10.9.9.2", "10.9.9.3"};
        struct Case
        {
            const char *start;
            const char *gateway;
            QStringList unselected;
            QString refusal;
        };
        const Case cases[] = {
            {"192.168.1.10", "192.168.1.1", {"192.168.1.13", "192.168.2.11", ""}, QString()},
            {"not an ip", "192.168.1.1", {}, QStringLiteral("起始IP无效，请重新输入")},
            {"192.168.1.255", "192.168.1.1", {}, QStringLiteral("起始IP无效，请重新输入")},
            {"192.168.1.10", "192.168.2.1", {}, QStringLiteral("网关无效，请重新输入")},
            {"192.168.1.10", "192.168.1.11", {}, QStringLiteral("网关无效，请重新输入")},
        };
        for (const Case &c : cases) {
            CNetConfigDlg dlg(QString::fromLatin1(c.start), QString::fromLatin1(c.gateway), QStringLiteral("255.255.255.0"));
            dlg.setSelectedIps(three);
            dlg.setUnselectedIps(c.unselected);
            dlg.show();
            QSignalSpy accepted(&dlg, &QDialog::accepted);
            QCOMPARE(messageOrNone([&] { dlg.okButton()->click(); }, !c.refusal.isEmpty()), c.refusal);
            QCOMPARE(accepted.count(), c.refusal.isEmpty() ? 1 : 0);
        }
        CNetConfigDlg mask(QStringLiteral("192.168.1.10"), QStringLiteral("192.168.1.1"), QStringLiteral("255.0.255.0"));
        mask.setSelectedIps(three);
        mask.show();
        QCOMPARE(ModalDriver::messageFrom([&] { mask.okButton()->click(); }), QStringLiteral("子网掩码无效，请重新输入"));
    }

    void addNodePassesTextAsTyped()
    {
        CAddNodeDlg dlg;
        dlg.show();
        auto *ip = dlg.findChild<CIpAddrEdit *>(QStringLiteral("ipEdit"));
        QVERIFY(ip);
        ip->field(0)->setText(QStringLiteral("192"));
        ip->field(1)->setText(QStringLiteral("168"));
        QSignalSpy accepted(&dlg, &QDialog::accepted);
        dlg.okButton()->click();
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(dlg.ipText(), QStringLiteral("192.168.."));
    }

};

QTEST_MAIN(TestNetConfig)
#include "tst_netconfig.moc"
