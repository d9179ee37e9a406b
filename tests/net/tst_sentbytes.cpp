// What reaches a node when the operator saves: a field left alone goes back exactly as the
// node sent it, an edited one must be complete or nothing is sent; the address plan that
// is checked is the one sent, and the rescan finds the nodes there.

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>

#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "dialog/cdecodersettingdlg.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cencodersettingdlg.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnetconfigdlg.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/menutype.h"
#include "modaldriver.h"
#include "model/cnodelistmodel.h"
#include "nodefixtures.h"
#include "simlan.h"
#include "ui/cipaddredit.h"
#include "ui/clineedit.h"
#include "ui/cmacaddredit.h"
#include "ui/cmessagedialog.h"


namespace {

using fixtures::child;

// Clicks OK and returns the text of the message box it raised (empty when none).
QString okMessage(CCustomDialog *dlg)
{
    QString text;
    auto box = ModalDriver::maybe<CMessageDialog>(
        [&](CMessageDialog *m) {
            text = m->messageLabel()->text();
            m->accept();
        });
    dlg->okButton()->click();
    return text;
}

// Clicks Cancel, confirming a question if one comes; true when one came.
bool cancelAsks(CCustomDialog *dlg)
{
    auto box = ModalDriver::maybe<CMessageDialog>([](CMessageDialog *m) { m->accept(); });
    dlg->cancelButton()->click();
    return box.came();
}

QJsonObject payload(const QJsonObject &record, const char *part = nullptr)
{
    const QJsonObject p = record.value("payload").toObject();
    return part ? p.value(QLatin1String(part)).toObject() : p;
}

// The keys of `expected` as the payload has them.
QJsonObject subset(const QJsonObject &payload, const QJsonObject &expected)
{
    QJsonObject out;
    for (auto it = expected.begin(); it != expected.end(); ++it)
        out.insert(it.key(), payload.value(it.key()));
    return out;
}

} // namespace

class TestSentBytes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The history of commands goes beside the configuration: not into the user's documents.
        CAppConfig::instance()->setConfigDirOverride(m_config.path());
    }
    void init() { m_lan = std::make_unique<SimLan>(); }
    void cleanup()
    {
        m_hub.reset();
        m_lan.reset();
    }

    void untouchedValuesGoBackAsSent();
    void editedAddressesMustBeComplete();
    void networkPlanCheckedIsSent();

private:
    bool startHub(const QStringList &simArgs);
    CMainShowWidget *page() const { return m_hub->mainShowWidget(); }

    std::unique_ptr<SimLan> m_lan;
    QTemporaryDir m_config;
    std::unique_ptr<CDeviceManage> m_hub;
};

bool TestSentBytes::startHub(const QStringList &simArgs)
{
    if (!m_lan->start(simArgs)) {
        qWarning() << m_lan->errorString();
        return false;
    }
    m_hub = fixtures::scannedHub();
    return m_hub != nullptr;
}

void TestSentBytes::untouchedValuesGoBackAsSent()
{
    // Values no editor or list can show: empty, unparsable, outside every list.
    QTemporaryDir dir;
    const QString config = dir.filePath("lan.json");
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QJsonObject encoder{{"type", "encoder"},     {"ip", "127.0.1.2"},      {"mask", "255.255.0"},
                              {"getway", ""},          {"macAddr", "3c6a2c0102"}, {"logLevel", 7},
                              {"streamInfo", QJsonObject{{"videoFormat", "H266"}, {"level", 5}, {"audioFormat", "OPUS"}}}};
    file.write(QJsonDocument(QJsonObject{{"nodes", QJsonArray{encoder}}}).toJson());
    file.close();
    QVERIFY(startHub({"--config", config, "--node",
                      "decoder@127.0.1.1,mask=,getway=10.1.1,macAddr=3c-6a-2c,mode=7,audioOutput=5,logLevel=9"}));
    QCOMPARE(page()->rows().size(), 2);
    const int64_t decoderId = page()->nodeListModel()->decoders().first().id;
    const int64_t encoderId = page()->nodeListModel()->encoders().first().id;

    // Nothing edited: leaving does not ask.
    bool asked = true;
    auto leave = ModalDriver::maybe<CEncoderSettingDlg>([&](CEncoderSettingDlg *dlg) { asked = cancelAsks(dlg); });
    QVERIFY(fixtures::finishCommand(*m_hub, [&] { m_hub->nodeSetting(EncoderNode, encoderId); }));
    QVERIFY(leave.came() && !asked);

    // A rename sends everything else back as the node sent it.
    auto renameDecoder = ModalDriver::maybe<CDecoderSettingDlg>([](CDecoderSettingDlg *dlg) {
        child<CLineEdit>(dlg, "nameEdit")->setText(QStringLiteral("改名"));
        dlg->okButton()->click();
    });
    QVERIFY(fixtures::finishCommand(*m_hub, [&] { m_hub->nodeSetting(DecoderNode, decoderId); }));
    QCOMPARE(m_lan->records(3501).size(), 1);
    const QJsonObject decoderSent{{"name", "改名"}, {"mask", ""},        {"getway", "10.1.1"}, {"macAddr", "3c-6a-2c"},
                                  {"mode", 7},      {"audioOutput", 5}, {"logLevel", 9}};
    QCOMPARE(subset(payload(m_lan->records(3501).first()), decoderSent), decoderSent);

    auto renameEncoder = ModalDriver::maybe<CEncoderSettingDlg>([](CEncoderSettingDlg *dlg) {
        child<CLineEdit>(dlg, "nameEdit")->setText(QStringLiteral("Cam"));
        dlg->okButton()->click();
    });
    QVERIFY(fixtures::finishCommand(*m_hub, [&] { m_hub->nodeSetting(EncoderNode, encoderId); }));
    QCOMPARE(m_lan->records(4001).size(), 1);
    const QJsonObject basic{{"name", "Cam"}, {"subMask", "255.255.0"}, {"getway", ""}, {"macAddr", "3c6a2c0102"}, {"logLevel", 7}};
    const QJsonObject stream{{"videoEncodeFmt", "H266"}, {"level", 5}, {"audioEncodeFmt", "OPUS"}};
    QCOMPARE(subset(payload(m_lan->records(4001).first(), "basicInfo"), basic), basic);
    QCOMPARE(subset(payload(m_lan->records(4001).first(), "signalStream"), stream), stream);
}

void TestSentBytes::editedAddressesMustBeComplete()
{
    QVERIFY(startHub({"--decoders", "1"}));
    const sDecoderInfo node = page()->nodeListModel()->decoders().first();

    QStringList refusals;
    bool askedAfterEdit = false;
    auto watch = ModalDriver::maybe<CDecoderSettingDlg>([&](CDecoderSettingDlg *dlg) {
        auto *mask = child<CIpAddrEdit>(dlg, "maskEdit");
        auto *gateway = child<CIpAddrEdit>(dlg, "gatewayEdit");
        auto *mac = child<CMacAddrEdit>(dlg, "macEdit");
        mask->field(3)->clear();
        refusals << okMessage(dlg);
        mask->setText(QStringLiteral("255.255.0.0"));
        gateway->field(0)->clear();
        refusals << okMessage(dlg);
        gateway->setText(QString::fromUtf8(node.getway));
        child<QPushButton>(dlg, "imageButton")->click(); // unlocks the MAC
        mac->field(5)->clear();
        refusals << okMessage(dlg);
        mac->field(5)->setText(QStringLiteral("9A"));
        // Cancel now asks; declining keeps the edits for the save.
        auto box = ModalDriver::maybe<CMessageDialog>([](CMessageDialog *m) { m->reject(); });
        dlg->cancelButton()->click();
        askedAfterEdit = box.came();
        refusals << okMessage(dlg);
    });
    QVERIFY(fixtures::finishCommand(*m_hub, [&] { m_hub->nodeSetting(DecoderNode, node.id); }));
    QVERIFY(askedAfterEdit);
    QCOMPARE(refusals, QStringList({"子网掩码无效，请重新输入", "网关无效，请重新输入", "MAC地址无效，请重新输入", ""}));

    // Only the complete save went out, with the two edits and the rest as it was.
    QCOMPARE(m_lan->records(3501).size(), 1);
    const QJsonObject sent{{"mask", "255.255.0.0"}, {"getway", QString::fromUtf8(node.getway)},
                           {"macAddr", QString::fromUtf8(node.macAddr.left(15)) + "9A"}, {"ip", QString::fromUtf8(node.ip)}};
    QCOMPARE(subset(payload(m_lan->records(3501).first()), sent), sent);
}

void TestSentBytes::networkPlanCheckedIsSent()
{
    // The first node, which fills in mask and gateway, has neither.
    QVERIFY(startHub({"--base", "127.0.1.2", "--decoders", "3", "--node", "decoder@127.0.1.1,mask=,getway="}));
    CNodeTableView *table = page()->tableView();
    for (int row = 0; row < 3; ++row) {
        const QRect r = table->visualRect(page()->nodeListModel()->itemModel()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left() + 30, r.center().y()));
    }
    QStringList old = m_lan->addresses();
    old.sort(); // the table's order

    QStringList refusals;
    QString prefilled;
    auto watch = ModalDriver::maybe<CNetConfigDlg>([&](CNetConfigDlg *dlg) {
        prefilled = dlg->startIp();
        child<CIpAddrEdit>(dlg, "maskEdit")->setText(QStringLiteral("255.255.0.0"));
        child<CIpAddrEdit>(dlg, "gatewayEdit")->setText(QStringLiteral("127.0.2.1"));
        // From .2 the plan would hand out .4, which belongs to the unmarked node.
        child<CIpAddrEdit>(dlg, "startIpEdit")->setText(QStringLiteral("127.0.1.2"));
        refusals << okMessage(dlg);
        // .253, .254, then nothing for the third node.
        child<CIpAddrEdit>(dlg, "startIpEdit")->setText(QStringLiteral("127.0.1.253"));
        refusals << okMessage(dlg);
        child<CIpAddrEdit>(dlg, "startIpEdit")->setText(QStringLiteral("127.0.2.252"));
        refusals << okMessage(dlg);
    });
    QVERIFY(fixtures::finishCommand(*m_hub, [&] { m_hub->switch2SettingWidget(MenuNetConfig); }));
    QCOMPARE(prefilled, old.first());
    QCOMPARE(refusals, QStringList({"将要配置的节点IP和已有未选中节点IP冲突，请重新配置IP",
                                    "起始IP之后的地址不够分配给所有选中的节点，请重新配置IP", ""}));

    const QList<QJsonObject> sent = m_lan->records(1007);
    QCOMPARE(sent.size(), 3);
    const QVector<sHistoryNode> history = CCommandHistory::instance()->entries().value(0).nodes;
    QCOMPARE(history.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(sent.at(i).value("node").toString(), old.at(i));
        const QJsonObject expected{
            {"ip", QStringLiteral("127.0.2.%1").arg(252 + i)}, {"mask", "255.255.0.0"}, {"getway", "127.0.2.1"}};
        QCOMPARE(payload(sent.at(i)), expected);
        QVERIFY(history.at(i).ip == old.at(i) && history.at(i).ok);
    }
    // The rescan lists them on their new addresses.
    QStringList listed;
    for (const sDeviceInfo &r : page()->rows())
        listed << QString::fromUtf8(r.ip);
    QCOMPARE(listed, (QStringList{old.at(3), "127.0.2.252", "127.0.2.253", "127.0.2.254"}));
}

QTEST_MAIN(TestSentBytes)
#include "tst_sentbytes.moc"
