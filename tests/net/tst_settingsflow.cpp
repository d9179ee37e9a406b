// Settings, add node and node log export end to end: the hub opens the dialogs,
// the test drives them like the operator, the simulated nodes take the commands.

#include <QtTest>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "cappconfig.h"
#include "ccommandhistory.h"
#include "comm/cdevicectrljob.h"
#include "dialog/caddnodedlg.h"
#include "dialog/cdecodersettingdlg.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cencodersettingdlg.h"
#include "dialog/clogexportwidget.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/menutype.h"
#include "modaldriver.h"
#include "model/cdecoderlist.h"
#include "model/cnodelistmodel.h"
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

} // namespace

class TestSettingsFlow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void renameDecoderAndChangeMode();
    void encoderSettingsReachNode();
    void addNodeFindsNodeByAddress();
    void nodeLogExport();

private:
    bool startHub(const QStringList &simArgs, bool withSftp = false);
    CMainShowWidget *page() const { return m_hub->mainShowWidget(); }
    CNodeListModel *model() const { return page()->nodeListModel(); }
    int rowOf(int64_t id) const;
    QRect rowRect(int row) const;
    void sendMouse(QEvent::Type type, const QPoint &pos);
    void doubleClickRow(int row);

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
}

bool TestSettingsFlow::startHub(const QStringList &simArgs, bool withSftp)
{
    if (!m_lan->start(simArgs, withSftp)) {
        qWarning() << m_lan->errorString();
        return false;
    }
    m_hub = std::make_unique<CDeviceManage>();
    m_hub->setBusyMs(0);
    m_hub->resize(1366, 700);
    m_hub->show();
    if (!QTest::qWaitForWindowExposed(m_hub.get()))
        return false;
    m_hub->scanNodes();
    return true;
}

int TestSettingsFlow::rowOf(int64_t id) const
{
    const QList<sDeviceInfo> rows = page()->rows();
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).id == id)
            return i;
    }
    return -1;
}

QRect TestSettingsFlow::rowRect(int row) const
{
    return page()->tableView()->visualRect(model()->itemModel()->index(row, 0));
}

void TestSettingsFlow::sendMouse(QEvent::Type type, const QPoint &pos)
{
    QWidget *viewport = page()->tableView()->viewport();
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, viewport->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

// What a real double-click on the row's name delivers.
void TestSettingsFlow::doubleClickRow(int row)
{
    const QRect r = rowRect(row);
    const QPoint pos(r.left() + 200, r.center().y());
    sendMouse(QEvent::MouseButtonPress, pos);
    sendMouse(QEvent::MouseButtonRelease, pos);
    sendMouse(QEvent::MouseButtonDblClick, pos);
    sendMouse(QEvent::MouseButtonRelease, pos);
}

void TestSettingsFlow::renameDecoderAndChangeMode()
{
    QVERIFY(startHub({"--decoders", "2", "--encoders", "1"}));
    QCOMPARE(model()->decoders().size(), 2);
    const sDecoderInfo before = model()->decoders().at(1);
    const int64_t id = before.id;
    const int newMode = before.mode == 2 ? 1 : 2;
    const int row = rowOf(id);
    QVERIFY(row >= 0);

    QString openedFor;
    auto watch = ModalDriver::expect<CDecoderSettingDlg>([&](CDecoderSettingDlg *dlg) {
        openedFor = dlg->openingIp();
        child<CLineEdit>(dlg, "nameEdit")->setText(QStringLiteral("大厅二号"));
        dlg->onAdvance();
        child<CBanWheelComboBox>(dlg, "modeCombo")->setCurrentIndex(newMode);
        dlg->okButton()->click();
    });
    doubleClickRow(row);
    QVERIFY(watch.came());
    QCOMPARE(openedFor, QString::fromUtf8(before.ip));

    // Sent once, to the node's address; the rescan after it shows both changes.
    const QList<QJsonObject> sent = m_lan->records(3501);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().value("node").toString(), QString::fromUtf8(before.ip));
    const sDecoderInfo *after = model()->decoderById(id);
    QVERIFY(after);
    QCOMPARE(QString::fromUtf8(after->name), QStringLiteral("大厅二号"));
    QCOMPARE(after->mode, newMode);
    QCOMPARE(after->ip, before.ip);
    QCOMPARE(page()->rows().at(rowOf(id)).name, QStringLiteral("大厅二号").toUtf8());
    // The other decoder was left alone.
    const sDecoderInfo *other = model()->decoderById(model()->decoders().at(0).id);
    QVERIFY(other && other->name != after->name);
}

void TestSettingsFlow::encoderSettingsReachNode()
{
    QVERIFY(startHub({"--decoders", "1", "--encoders", "1"}));
    QCOMPARE(model()->encoders().size(), 1);
    const sEncoderInfo before = model()->encoders().first();
    const QString bits = before.bitRate == 20.f ? QStringLiteral("30Mbps") : QStringLiteral("20Mbps");
    const float frameRate = before.frameRate;

    auto watch = ModalDriver::expect<CEncoderSettingDlg>([&](CEncoderSettingDlg *dlg) {
        child<CLineEdit>(dlg, "nameEdit")->setText(QStringLiteral("Cam-East"));
        dlg->onAdvance();
        child<CBanWheelComboBox>(dlg, "bitRateCombo")->setCurrentText(bits);
        dlg->okButton()->click();
    });
    doubleClickRow(rowOf(before.id));
    QVERIFY(watch.came());
    QCOMPARE(m_lan->records(4001).size(), 1);
    QCOMPARE(m_lan->records(4001).first().value("node").toString(), QString::fromUtf8(before.ip));
    const sEncoderInfo *after = model()->encoderById(before.id);
    QVERIFY(after);
    QCOMPARE(after->name, QByteArray("Cam-East"));
    QCOMPARE(after->bitRate, bits.chopped(4).toFloat());
    // Untouched, the frame rate comes back as it was.
    QCOMPARE(after->frameRate, frameRate);
}

void TestSettingsFlow::addNodeFindsNodeByAddress()
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
    int copies = 0;
    for (const sDecoderInfo &r : CDecoderList::instance().nodes())
        copies += r.ip == target.toUtf8() ? 1 : 0;
    QCOMPARE(copies, 2); // once from the broadcast, once from the probe
    QStringList listed;
    for (const sDeviceInfo &r : page()->rows())
        listed << QString::fromUtf8(r.ip);
    QCOMPARE(listed, m_lan->addresses());
    // Listed once and not marked as a conflict with itself.
    QCOMPARE(page()->rows().at(1).conflictState, 0);
}

void TestSettingsFlow::nodeLogExport()
{
    QVERIFY(startHub({"--decoders", "1"}, true));
    const sDecoderInfo node = model()->decoders().first();
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString logDir = folder.path() + QLatin1Char('/') + QString::fromUtf8(node.name) + QLatin1Char('_')
        + QString::fromUtf8(node.ip) + QStringLiteral("_log");

    QString chooserTitle;
    QString resultText;
    auto watch = ModalDriver::expect<CDecoderSettingDlg>([&](CDecoderSettingDlg *dlg) {
        dlg->onAdvance();
        auto chooser = ModalDriver::expect<QFileDialog>([&](QFileDialog *fd) {
            chooserTitle = fd->windowTitle();
            fd->setDirectory(folder.path());
            // Typed, as the operator would: selectFile() can leave the parent folder chosen.
            auto *name = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(folder.path());
            static_cast<QDialog *>(fd)->accept(); // QFileDialog hides it
        });
        auto exporter = ModalDriver::expect<CLogExportWidget>(
            [&](CLogExportWidget *w) {
                QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(logDir + QStringLiteral("/b.txt")), 20000);
                QTRY_VERIFY_WITH_TIMEOUT(!w->row()->findChildren<QLabel *>().isEmpty(), 20000);
                QTRY_VERIFY_WITH_TIMEOUT(
                    [&] {
                        for (QLabel *l : w->row()->findChildren<QLabel *>()) {
                            if (l->text() == QStringLiteral("导出成功"))
                                return true;
                        }
                        return false;
                    }(),
                    20000);
                resultText = QStringLiteral("导出成功");
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
    QCOMPARE(chooserTitle, QStringLiteral("日志导出"));
    QCOMPARE(resultText, QStringLiteral("导出成功"));
    QVERIFY(QFileInfo::exists(logDir + QStringLiteral("/a.log")));
    QVERIFY(QFileInfo::exists(logDir + QStringLiteral("/log_proxy.1")));
    // A cancelled settings dialog sends nothing.
    QCOMPARE(m_lan->records(3501).size(), 0);
}

QTEST_MAIN(TestSettingsFlow)
#include "tst_settingsflow.moc"
