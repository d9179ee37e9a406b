// Against the simulated LAN: the control job's result rules (restart, reset, type,
// import), and settings, add node and node log export end to end, where the hub opens
// the dialogs and the test drives them like the operator. Scans at scale are
// tst_bulkscale's and tst_mainwindow_scan's; the network plan is tst_sentbytes'.

#include <QtTest>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "config/cappconfig.h"
#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/ctcpclient.h"
#include "comm/ctcpmanager.h"
#include "dialog/caddnodedlg.h"
#include "dialog/cdecodersettingdlg.h"
#include "dialog/cdevicemanage.h"
#include "dialog/clogexportwidget.h"
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

        // The encoder's dialog sends the same way: tst_sentbytes; what its combos mean: tst_nodesettings.
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
