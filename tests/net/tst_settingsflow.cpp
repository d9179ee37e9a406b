// Against the simulated LAN: a node's settings and add node end to end, where the hub
// opens the dialogs and the test drives them like the operator (the encoder's record as
// sent is tst_sentbytes'; the bulk commands are tst_bulkcommands'; node logs are the
// command line's and tst_upgradeflow's). Scans at scale are
// tst_bulkscale's and tst_mainwindow_scan's; the network plan is tst_sentbytes'.

#include <QtTest>

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "comm/ctcpclient.h"
#include "comm/ctcpmanager.h"
#include "dialog/caddnodedlg.h"
#include "dialog/cdecodersettingdlg.h"
#include "dialog/cdevicerestartdlg.h"
#include "ui/cmessagedialog.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
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


namespace {

using fixtures::child;

} // namespace

class TestSettingsFlow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { registerCommMetaTypes(); }
    void init();
    void cleanup();

    void decoderAndEncoderSettingsReachTheNodes();
    void addNodeFindsNodeByAddress();
    void oneCommandAtATime();

private:
    bool startHub(const QStringList &simArgs);
    CMainShowWidget *page() const { return m_hub->mainShowWidget(); }
    CNodeListModel *model() const { return page()->nodeListModel(); }

    std::unique_ptr<SimLan> m_lan;
    std::unique_ptr<CDeviceManage> m_hub;
    QTemporaryDir m_config;
};

void TestSettingsFlow::init()
{
    // The history of commands goes beside the configuration: not into the user's documents.
    CAppConfig::instance()->setConfigDirOverride(m_config.path());
    m_lan = std::make_unique<SimLan>();
}

void TestSettingsFlow::cleanup()
{
    m_hub.reset();
    m_lan.reset();
    CTcpManager::instance().removeAll();
    QTRY_COMPARE(CTcpclient::instances(), 0);
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
}

bool TestSettingsFlow::startHub(const QStringList &simArgs)
{
    if (!m_lan->start(simArgs)) {
        qWarning() << m_lan->errorString();
        return false;
    }
    m_hub = fixtures::scannedHub();
    return m_hub != nullptr;
}

void TestSettingsFlow::decoderAndEncoderSettingsReachTheNodes()
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
    QVERIFY(fixtures::finishCommand(*m_hub, [&] { m_hub->nodeSetting(DecoderNode, id); }));
    QVERIFY(watch.came());

    // Sent once, to the node's address; the rescan after it shows both changes.
    QCOMPARE(m_lan->records(3501).size(), 1);
    QCOMPARE(m_lan->records(3501).first().value("node").toString(), QString::fromUtf8(before.ip));
    const sDecoderInfo *after = model()->decoderById(id);
    QVERIFY(after && after->mode == newMode && after->name == QStringLiteral("大厅二号").toUtf8());
    // The save keeps its history line itself.
    QCOMPARE(fixtures::newestHistoryShown(), (QVector<sHistoryNode>{{id, QString::fromUtf8(before.ip), QStringLiteral("已发送"), true}}));

}

void TestSettingsFlow::addNodeFindsNodeByAddress()
{
    QVERIFY(startHub({"--decoders", "2"}));
    const QString target = m_lan->addresses().at(1);
    auto watch = ModalDriver::expect<CAddNodeDlg>([&](CAddNodeDlg *dlg) {
        child<CIpAddrEdit>(dlg, "ipEdit")->setText(target);
        dlg->okButton()->click();
    });
    QVERIFY(fixtures::finishCommand(*m_hub, [&] { m_hub->switch2SettingWidget(MenuAddNode); }));
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


// While a command or its rescan runs, no other command starts, from a button, a row or
// the scan; the hub takes commands again once it has ended.
void TestSettingsFlow::oneCommandAtATime()
{
    QVERIFY(startHub({"--decoders", "2"}));
    const int64_t id = model()->decoders().first().id;
    page()->selectOrCancelAll(1);
    QSignalSpy accepted(m_hub.get(), &CDeviceManage::sigCommandAccepted);
    QSignalSpy ended(m_hub.get(), &CDeviceManage::sigCommandEnded);
    const int scans = m_lan->records(1006).size();
    QVERIFY(m_hub->scanNodes());
    QVERIFY(m_hub->isCommandRunning());
    {
        auto none = ModalDriver::expectNone(300);
        m_hub->switch2SettingWidget(MenuDeviceRestart);
        m_hub->nodeSetting(DecoderNode, id);
        QVERIFY(!m_hub->scanNodes());
        QTest::qWait(300);
    }
    QCOMPARE(accepted.count(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!m_hub->isCommandRunning(), 30000);
    QCOMPARE(ended.count(), 1);
    QVERIFY(m_lan->waitForRecords(1006, scans + 1));
    QTest::qWait(200);
    QCOMPARE(m_lan->records(1006).size(), scans + 1);
    QCOMPARE(m_lan->records(1011).size(), 0);

    // Ended: the next one runs to its own end, rescan included (the scan's own empties the marks).
    page()->selectOrCancelAll(1);
    auto ask = ModalDriver::expect<CDeviceRestartDlg>([](CDeviceRestartDlg *w) { w->accept(); });
    QCOMPARE(ModalDriver::messageFrom([&] {
                 QVERIFY(fixtures::finishCommand(*m_hub, [&] { m_hub->switch2SettingWidget(MenuDeviceRestart); }));
             }),
             QStringLiteral("重启成功"));
    QCOMPARE(m_lan->records(1011).size(), 2);
    QCOMPARE(accepted.count(), 1);
}

QTEST_MAIN(TestSettingsFlow)
#include "tst_settingsflow.moc"
