// Against the simulated LAN: the control job's result rules (restart, reset, type,
// import), and settings, add node, the network plan and node log export end to end, where
// the hub opens the dialogs and the test drives them like the operator. What reaches a node
// when the operator saves: a field left alone goes back exactly as the node sent it, an
// edited one must be complete or nothing is sent; the address plan that is checked is the
// one sent, and the rescan finds the nodes there. Scans at scale are tst_mainwindow_scan's.

#include <QtTest>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/ctcpclient.h"
#include "comm/ctcpmanager.h"
#include "dialog/caddnodedlg.h"
#include "dialog/cdecodersettingdlg.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cencodersettingdlg.h"
#include "dialog/clogexportwidget.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnetconfigdlg.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/menutype.h"
#include "modaldriver.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "nodefixtures.h"
#include "simlan.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/cipaddredit.h"
#include "ui/clineedit.h"
#include "ui/cmacaddredit.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogreslistitem.h"

namespace {

template <typename T>
T *child(QWidget *dlg, const char *name)
{
    T *w = dlg->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

// A simulated node as a command's selection names it.
template <typename T>
T nodeOf(const QJsonObject &node)
{
    T s;
    s.id = int64_t(node.value("id").toDouble());
    s.ip = node.value("ip").toString().toUtf8();
    s.nodeType = node.value("type").toInt();
    return s;
}

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

class TestSettingsFlow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerCommMetaTypes(); }
    void init()
    {
        // The history of commands goes beside the configuration: not into the user's documents.
        CAppConfig::instance()->setConfigDirOverride(m_config.path());
        m_lan = std::make_unique<SimLan>();
#ifdef Q_OS_WIN
        // Under Wine only what differs there: nothing of what these dialogs send does.
        const QByteArray f = QTest::currentTestFunction();
        if (f == "untouchedValuesGoBackAsSent" || f == "editedAddressesMustBeComplete" || f == "networkPlanCheckedIsSent")
            QSKIP("the same on every platform");
#endif
    }

    void cleanup()
    {
        m_hub.reset();
        m_lan.reset();
        CTcpManager::instance().removeAll();
        QTRY_COMPARE(CTcpclient::instances(), 0);
        CDecoderList::instance().clearNodes();
        CEncoderList::instance().clearNodes();
    }

    void decoderSettingsReachTheNode()
    {
        QVERIFY(startHub({"--decoders", "2", "--encoders", "1"}));
        const sDecoderInfo before = model()->decoders().at(1);
        const int64_t id = before.id;
        const int newMode = before.mode == 2 ? 1 : 2;

        auto watch = ModalDriver::expect<CDecoderSettingDlg>([&](CDecoderSettingDlg *dlg) {
            child<CLineEdit>(dlg, "nameEdit")->setText(QStringLiteral("大厅二号"));
            dlg->onAdvance();
            child<CBanWheelComboBox>(dlg, "modeCombo")->setCurrentIndex(newMode);
            dlg->okButton()->click();
        });
        // What a double-click on the row asks for (tst_nodetable: the click gives this signal).
        m_hub->nodeSetting(DecoderNode, id);
        QVERIFY(watch.came());

        // Sent once, to the node's address; the rescan after it shows both changes.
        QCOMPARE(m_lan->records(3501).size(), 1);
        QCOMPARE(m_lan->records(3501).first().value("node").toString(), QString::fromUtf8(before.ip));
        const sDecoderInfo *after = model()->decoderById(id);
        QVERIFY(after && after->mode == newMode && after->name == QStringLiteral("大厅二号").toUtf8());

        // The encoder's dialog sends the same way (untouchedValuesGoBackAsSent); what its combos
        // mean: tst_nodesettings.
    }

    void addNodeFindsNodeByAddress()
    {
        QVERIFY(startHub({"--decoders", "2"}));
        const QString target = m_lan->addresses().at(1);
        auto watch = ModalDriver::expect<CAddNodeDlg>([&](CAddNodeDlg *dlg) {
            child<CIpAddrEdit>(dlg, "ipEdit")->setText(target);
            dlg->okButton()->click();
        });
        m_hub->switch2SettingWidget(MenuAddNode);
        QVERIFY(watch.came());

        // The probe goes out after the rescan's broadcast, so its answer stays listed.
        const QList<QJsonObject> scans = m_lan->records(1006);
        QVERIFY(scans.size() >= 3);
        QCOMPARE(scans.last().value("node").toString(), target);
        QCOMPARE(scans.at(scans.size() - 2).value("node").toString(), QStringLiteral("255.255.255.255"));
        QStringList listed;
        for (const sDeviceInfo &r : page()->rows())
            listed << QString::fromUtf8(r.ip);
        QCOMPARE(listed, m_lan->addresses());
        // Listed once and not marked as a conflict with itself.
        QCOMPARE(page()->rows().at(1).conflictState, 0);
    }

    void nodeLogExport()
    {
        QVERIFY(startHub({"--decoders", "1"}, true));
        const sDecoderInfo node = model()->decoders().first();
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString logDir = folder.path() + QLatin1Char('/') + QString::fromUtf8(node.name) + QLatin1Char('_')
            + QString::fromUtf8(node.ip) + QStringLiteral("_log");

        QString resultText;
        auto watch = ModalDriver::expect<CDecoderSettingDlg>([&](CDecoderSettingDlg *dlg) {
            dlg->onAdvance();
            auto chooser = ModalDriver::expect<QFileDialog>([&](QFileDialog *fd) {
                fd->setDirectory(folder.path());
                // Typed, as the operator would: selectFile() can leave the parent folder chosen.
                auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                name->setText(folder.path());
                static_cast<QDialog *>(fd)->accept(); // QFileDialog hides it
            });
            auto exporter = ModalDriver::expect<CLogExportWidget>(
                [&](CLogExportWidget *w) {
                    QTRY_VERIFY_WITH_TIMEOUT(w->row() && !w->row()->isAnimating(), 20000);
                    resultText = w->row()->resultLabel()->text();
                    w->okButton()->click();
                },
                30000);
            child<QPushButton>(dlg, "logExportButton")->click();
            QVERIFY(chooser.came());
            QVERIFY(exporter.came());
            // Nothing was edited: leaving does not ask.
            dlg->cancelButton()->click();
        });
        m_hub->nodeSetting(DecoderNode, node.id);
        QVERIFY(watch.came());
        QCOMPARE(resultText, QStringLiteral("导出成功"));
        for (const char *name : {"/a.log", "/b.txt", "/log_proxy.1"})
            QVERIFY2(QFileInfo::exists(logDir + QLatin1String(name)), name);
        // A cancelled settings dialog sends nothing.
        QCOMPARE(m_lan->records(3501).size(), 0);
    }

    // The control job's rules against the LAN: a restart's result is its last send's and a node
    // without an id is not sent to; a reset goes to every node with an id and reports success; a
    // type switch lists the nodes it could not reach; an import entry of an unknown type is not
    // sent. (What a node refusing an import shows: tst_hostile, through the command line.)
    void controlJobResults()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3", "--encoders", "1", "--seed", "2"}), qPrintable(lan.errorString()));
        CDeviceCtrlJob job(nullptr);
        const auto selected = [&lan](int i) { return nodeOf<sSelectedNode>(lan.node(i)); };

        QVERIFY(job.rebootNodes({selected(0), selected(3)}));
        QTRY_COMPARE(lan.node(3).value("rebootCount").toInt(), 1);
        // Failing sends before a good one: the last decides.
        sSelectedNode bad1 = selected(1);
        bad1.ip = "not-an-address";
        QVERIFY(job.rebootNodes({bad1, selected(2)}));
        QTRY_COMPARE(lan.node(2).value("rebootCount").toInt(), 1);
        QVERIFY(!job.rebootNodes({selected(2), bad1}));
        sSelectedNode noId = selected(1);
        noId.id = 0;
        QVERIFY(!job.rebootNodes({noId}));
        QCOMPARE(lan.node(1).value("rebootCount").toInt(), 0);

        // Factory reset: ids of 0 are skipped; the result is true whatever the sends gave.
        QVERIFY(job.factoryResetNodes({noId, selected(1)}));
        QTRY_COMPARE(lan.node(1).value("resetCount").toInt(), 1);
        QVERIFY(job.factoryResetNodes({bad1}));
        QCOMPARE(lan.records(1012).size(), 1);

        sDeviceInfo broken = nodeOf<sDeviceInfo>(lan.node(1));
        broken.ip = "nowhere";
        QList<sDeviceInfo> failed;
        QVERIFY(job.switchNodeType({nodeOf<sDeviceInfo>(lan.node(0)), broken, nodeOf<sDeviceInfo>(lan.node(3))}, failed));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().ip, QByteArray("nowhere"));
        QTRY_COMPARE(lan.node(0).value("type").toInt(), 2);
        QCOMPARE(lan.node(3).value("type").toInt(), 1);
        QCOMPARE(lan.records(1013).size(), 2);

        sDeviceData data;
        data.id = int64_t(lan.node(2).value("id").toDouble());
        data.ip = lan.node(2).value("ip").toString().toUtf8();
        data.type = 3;
        data.data = "{}";
        QString ip;
        QVERIFY(job.importDataEntry(job.packDataEntry(data), ip));
        QTest::qWait(100);
        QCOMPARE(lan.records(3532).size() + lan.records(4016).size(), 0);
    }


    void untouchedValuesGoBackAsSent()
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
        m_hub->nodeSetting(EncoderNode, encoderId);
        QVERIFY(leave.came() && !asked);

        // A rename sends everything else back as the node sent it.
        auto renameDecoder = ModalDriver::maybe<CDecoderSettingDlg>([](CDecoderSettingDlg *dlg) {
            child<CLineEdit>(dlg, "nameEdit")->setText(QStringLiteral("改名"));
            dlg->okButton()->click();
        });
        m_hub->nodeSetting(DecoderNode, decoderId);
        QCOMPARE(m_lan->records(3501).size(), 1);
        const QJsonObject decoderSent{{"name", "改名"}, {"mask", ""},        {"getway", "10.1.1"}, {"macAddr", "3c-6a-2c"},
                                      {"mode", 7},      {"audioOutput", 5}, {"logLevel", 9}};
        QCOMPARE(subset(payload(m_lan->records(3501).first()), decoderSent), decoderSent);

        auto renameEncoder = ModalDriver::maybe<CEncoderSettingDlg>([](CEncoderSettingDlg *dlg) {
            child<CLineEdit>(dlg, "nameEdit")->setText(QStringLiteral("Cam"));
            dlg->okButton()->click();
        });
        m_hub->nodeSetting(EncoderNode, encoderId);
        QCOMPARE(m_lan->records(4001).size(), 1);
        const QJsonObject basic{{"name", "Cam"}, {"subMask", "255.255.0"}, {"getway", ""}, {"macAddr", "3c6a2c0102"}, {"logLevel", 7}};
        const QJsonObject stream{{"videoEncodeFmt", "H266"}, {"level", 5}, {"audioEncodeFmt", "OPUS"}};
        QCOMPARE(subset(payload(m_lan->records(4001).first(), "basicInfo"), basic), basic);
        QCOMPARE(subset(payload(m_lan->records(4001).first(), "signalStream"), stream), stream);
    }

    void editedAddressesMustBeComplete()
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
        m_hub->nodeSetting(DecoderNode, node.id);
        QVERIFY(askedAfterEdit);
        QCOMPARE(refusals, QStringList({"子网掩码无效，请重新输入", "网关无效，请重新输入", "MAC地址无效，请重新输入", ""}));

        // Only the complete save went out, with the two edits and the rest as it was.
        QCOMPARE(m_lan->records(3501).size(), 1);
        const QJsonObject sent{{"mask", "255.255.0.0"}, {"getway", QString::fromUtf8(node.getway)},
                               {"macAddr", QString::fromUtf8(node.macAddr.left(15)) + "9A"}, {"ip", QString::fromUtf8(node.ip)}};
        QCOMPARE(subset(payload(m_lan->records(3501).first()), sent), sent);
    }

    void networkPlanCheckedIsSent()
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
        m_hub->switch2SettingWidget(MenuNetConfig);
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
private:
    bool startHub(const QStringList &simArgs, bool withSftp = false)
    {
        if (!m_lan->start(simArgs, withSftp)) {
            qWarning() << m_lan->errorString();
            return false;
        }
        m_hub = fixtures::scannedHub();
        return m_hub != nullptr;
    }

    CMainShowWidget *page() const { return m_hub->mainShowWidget(); }
    CNodeListModel *model() const { return page()->nodeListModel(); }

    std::unique_ptr<SimLan> m_lan;
    std::unique_ptr<CDeviceManage> m_hub;
    QTemporaryDir m_config;
};

QTEST_MAIN(TestSettingsFlow)
#include "tst_settingsflow.moc"
