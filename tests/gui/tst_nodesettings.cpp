// Decoder and encoder settings dialogs, headless: pages, checks, leave confirmation.

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "dialog/cdecodersettingdlg.h"
#include "dialog/cencodersettingdlg.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "comm/cprotocolpacker.h"
#include "modaldriver.h"
#include "nodefixtures.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/cipaddredit.h"
#include "ui/clineedit.h"
#include "ui/cmacaddredit.h"
#include "ui/cmessagedialog.h"
#include "ui/cresolutionedit.h"

namespace {

sDecoderInfo decoder(int64_t id, const char *ip, const char *mac, const char *name)
{
    sDecoderInfo r = fixtures::decoder(id, ip, mac, 1, "V1.0.0", name);
    r.getway = "192.168.1.1";
    r.model = 16;
    r.logLevel = 2;
    return r;
}

sEncoderInfo encoder(int64_t id, const char *ip, const char *mac, const char *name)
{
    sEncoderInfo r = fixtures::encoder(id, ip, mac, "Camera", "V1.0.0", name);
    r.getway = "192.168.1.1";
    r.model = 17;
    r.sourceWidth = 3840;
    r.sourceHeight = 2160;
    r.width = 1920;
    r.height = 1080;
    r.bitRate = 8.f;
    r.videoFormat = "H264";
    r.level = 2;
    r.audioFormat = "AAC";
    r.audioGain = 50;
    r.enableUSB = true;
    r.logLevel = 2;
    return r;
}

// Runs action, which must open nothing.
void quietly(const std::function<void()> &action)
{
    auto none = ModalDriver::expectNone();
    action();
}

template <typename T>
T *child(QWidget *dlg, const char *name)
{
    T *w = dlg->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

QStringList items(QComboBox *combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

} // namespace

class TestNodeSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void modelNames_data();
    void modelNames();
    void modeGovernsResolution();
    void resolutionChoiceWritesThrough();
    void saveChecksInOrder();
    void ipConflictOutranksMac();
    void ownNameAcceptedOtherRefused();
    void saveWritesDecoderRecord();
    void decoderLeaveConfirmation();

    void encoderResolutionInsertions_data();
    void encoderResolutionInsertions();
    void encoderCodecRefillsLevels();
    void encoderGainCorrection();
    void encoderUnlistedRatesKept();
    void encoderLeaveConfirmation();
    void encoderSaveWritesRecord();


private:
    void fillStores(const QVector<sDecoderInfo> &decoders, const QVector<sEncoderInfo> &encoders);
    CNodeListModel *m_model = nullptr;
};

void TestNodeSettings::initTestCase()
{
    ModalDriver::useProgramLook();
    m_model = new CNodeListModel(this);
}

void TestNodeSettings::init()
{
    fillStores({decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1")}, {});
}

void TestNodeSettings::fillStores(const QVector<sDecoderInfo> &decoders, const QVector<sEncoderInfo> &encoders)
{
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
    for (const sDecoderInfo &d : decoders)
        CDecoderList::instance().addNode(d);
    for (const sEncoderInfo &e : encoders)
        CEncoderList::instance().addNode(e);
    m_model->refreshSnapshot();
}

void TestNodeSettings::modelNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("shown");
    QTest::newRow("17") << 17 << "Vela-S";
    QTest::newRow("18 has a name but is not accepted") << 18 << "Model_Error";
}

void TestNodeSettings::modelNames()
{
    QFETCH(int, code);
    QFETCH(QString, shown);
    sDecoderInfo d = decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1");
    d.model = code;
    sEncoderInfo e = encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1");
    e.model = code;
    fillStores({d}, {e});
    CDecoderSettingDlg dec(m_model, 1);
    QCOMPARE(child<QLabel>(&dec, "modelName")->text(), shown);
    CEncoderSettingDlg enc(m_model, 2);
    QCOMPARE(child<QLabel>(&enc, "modelName")->text(), shown);
}

void TestNodeSettings::modeGovernsResolution()
{
    sDecoderInfo wall = decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1");
    wall.mode = 0;
    fillStores({wall, decoder(2, "192.168.1.11", "AA:AA:AA:AA:AA:02", "Seat-1")}, {});

    CDecoderSettingDlg dlg(m_model, 1);
    auto *mode = child<CBanWheelComboBox>(&dlg, "modeCombo");
    auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
    QCOMPARE(mode->currentText(), QStringLiteral("大屏"));
    QVERIFY(!res->isEnabled());
    mode->setCurrentIndex(1);
    QCOMPARE(mode->currentText(), QStringLiteral("坐席"));
    QVERIFY(res->isEnabled());
    mode->setCurrentIndex(2);
    QVERIFY(res->isEnabled());
    mode->setCurrentIndex(0);
    QVERIFY(!res->isEnabled());

    CDecoderSettingDlg seat(m_model, 2);
    QVERIFY(child<CBanWheelComboBox>(&seat, "resolutionCombo")->isEnabled());
}

void TestNodeSettings::resolutionChoiceWritesThrough()
{
    sDecoderInfo odd = decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1");
    odd.w = 1024;
    odd.h = 768;
    fillStores({odd}, {});
    CDecoderSettingDlg dlg(m_model, 1);
    auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
    auto *edit = child<CResolutionEdit>(&dlg, "resolutionEdit");
    QCOMPARE(items(res), CDecoderSettingDlg::resolutionList());
    // An unlisted resolution is still shown.
    QCOMPARE(edit->text(), QStringLiteral("1024*768"));
    QCOMPARE(res->currentIndex(), -1);

    // Even the first entry counts as a choice.
    res->setCurrentIndex(0);
    QCOMPARE(dlg.decoderRecord().w, 3840);
    QCOMPARE(dlg.decoderRecord().h, 2160);
    QCOMPARE(edit->text(), QStringLiteral("3840*2160"));
    res->setCurrentText(QStringLiteral("1280*720"));
    res->setCurrentIndex(res->findText(QStringLiteral("1280*720")));
    QCOMPARE(dlg.decoderRecord().w, 1280);
    QCOMPARE(dlg.decoderRecord().h, 720);

    // Typed sizes are corrected but never taken over.
    edit->widthEdit()->setText(QStringLiteral("1366"));
    emit edit->widthEdit()->editingFinished();
    QCOMPARE(edit->widthEdit()->text(), QStringLiteral("1364"));
    QCOMPARE(dlg.decoderRecord().w, 1280);
}

void TestNodeSettings::saveChecksInOrder()
{
    fillStores({decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1")}, {});
    CDecoderSettingDlg dlg(m_model, 1);
    dlg.show();
    auto *name = child<CLineEdit>(&dlg, "nameEdit");
    auto *ip = child<CIpAddrEdit>(&dlg, "ipEdit");

    // An empty name is refused before anything else, even with an empty IP field.
    name->setText(QString());
    ip->field(0)->clear();
    QCOMPARE(ModalDriver::messageFrom([&] { dlg.onOkClicked(); }), QStringLiteral("名称不能为空，请重新输入"));
    QVERIFY(dlg.isVisible());

    // Only the first IP field empty, everything else filled.
    name->setText(QStringLiteral("Hall-2"));
    QCOMPARE(ip->text(), QStringLiteral(".168.1.10"));
    QCOMPARE(ModalDriver::messageFrom([&] { dlg.onOkClicked(); }), QStringLiteral("IP地址不能为空，请重新输入"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    ip->field(0)->setText(QStringLiteral("192"));
    ip->field(3)->clear();
    QCOMPARE(ModalDriver::messageFrom([&] { dlg.onOkClicked(); }), QStringLiteral("IP地址不能为空，请重新输入"));

    // Nothing was stored by the refused attempts.
    sDecoderInfo stored;
    m_model->findById(stored, 1);
    QCOMPARE(stored.name, QByteArray("Hall-1"));
    // The input survives the refusal.
    QCOMPARE(name->text(), QStringLiteral("Hall-2"));
}

void TestNodeSettings::ipConflictOutranksMac()
{
    // The MAC twin sorts before the IP twin, and is a decoder while the IP twin is an encoder.
    fillStores({decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1"),
                decoder(2, "192.168.1.3", "AA:AA:AA:AA:AA:02", "Hall-2")},
               {encoder(3, "192.168.1.40", "AA:AA:AA:AA:AA:03", "Cam-1")});
    CDecoderSettingDlg dlg(m_model, 1);
    dlg.show();
    auto *ip = child<CIpAddrEdit>(&dlg, "ipEdit");
    auto *mac = child<CMacAddrEdit>(&dlg, "macEdit");
    ip->setText(QStringLiteral("192.168.1.40"));
    mac->setText(QStringLiteral("AA:AA:AA:AA:AA:02"));
    QCOMPARE(ModalDriver::messageFrom([&] { dlg.onOkClicked(); }), QStringLiteral("IP地址与其他节点冲突，请重新输入"));

    ip->setText(QStringLiteral("192.168.1.11"));
    QCOMPARE(ModalDriver::messageFrom([&] { dlg.onOkClicked(); }), QStringLiteral("MAC地址与其他节点冲突，请重新输入"));

    // Comparison is exact: the same MAC in lower case is not a clash.
    mac->setText(QStringLiteral("aa:aa:aa:aa:aa:02"));
    quietly([&] { dlg.onOkClicked(); });
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestNodeSettings::ownNameAcceptedOtherRefused()
{
    fillStores({decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1")},
               {encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1")});
    {
        CDecoderSettingDlg dlg(m_model, 1);
        dlg.show();
        child<CLineEdit>(&dlg, "nameEdit")->setText(QStringLiteral("Cam-1"));
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.onOkClicked(); }), QStringLiteral("名称已重复，请重新输入"));
        QVERIFY(dlg.isVisible());
    }
    {
        CDecoderSettingDlg dlg(m_model, 1);
        dlg.show();
        QCOMPARE(child<CLineEdit>(&dlg, "nameEdit")->text(), QStringLiteral("Hall-1"));
        quietly([&] { dlg.onOkClicked(); });
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
}

void TestNodeSettings::saveWritesDecoderRecord()
{
    CDecoderSettingDlg dlg(m_model, 1);
    dlg.show();
    QCOMPARE(dlg.openingIp(), QStringLiteral("192.168.1.10"));
    child<CLineEdit>(&dlg, "nameEdit")->setText(QStringLiteral("大厅一"));
    child<CIpAddrEdit>(&dlg, "ipEdit")->setText(QStringLiteral("192.168.1.77"));
    child<CIpAddrEdit>(&dlg, "gatewayEdit")->setText(QStringLiteral("192.168.1.254"));
    child<CBanWheelComboBox>(&dlg, "modeCombo")->setCurrentIndex(2);
    child<CBanWheelComboBox>(&dlg, "audioCombo")->setCurrentIndex(1);
    child<CBanWheelComboBox>(&dlg, "logLevelCombo")->setCurrentIndex(3);
    auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
    res->setCurrentIndex(res->findText(QStringLiteral("1280*800")));
    QSignalSpy accepted(&dlg, &QDialog::accepted);
    quietly([&] { dlg.onOkClicked(); });
    QCOMPARE(accepted.count(), 1);

    sDecoderInfo expected = decoder(1, "192.168.1.77", "AA:AA:AA:AA:AA:01", "大厅一");
    expected.getway = "192.168.1.254";
    expected.mode = 2;
    expected.audioOutput = 1;
    expected.logLevel = 4;
    expected.w = 1280;
    expected.h = 800;
    sDecoderInfo stored;
    m_model->findById(stored, 1);
    QCOMPARE(CProtocolPacker::decoderSettingsObject(stored), CProtocolPacker::decoderSettingsObject(expected));
    // The hub still sends to where the node was.
    QCOMPARE(dlg.openingIp(), QStringLiteral("192.168.1.10"));
}

void TestNodeSettings::decoderLeaveConfirmation()
{
    const QString ask = QStringLiteral("修改未保存，请确定是否退出？");
    {
        // Log level only: asked; declining keeps the dialog, confirming leaves.
        CDecoderSettingDlg dlg(m_model, 1);
        dlg.show();
        child<CBanWheelComboBox>(&dlg, "logLevelCombo")->setCurrentIndex(0);
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.onCancelClicked(); }, false), ask);
        QVERIFY(dlg.isVisible());
        QSignalSpy rejected(&dlg, &QDialog::rejected);
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.onCancelClicked(); }, true), ask);
        QCOMPARE(rejected.count(), 1);
    }
    {
        // Resolution only: leaves at once.
        CDecoderSettingDlg dlg(m_model, 1);
        dlg.show();
        auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
        res->setCurrentIndex(res->findText(QStringLiteral("800*600")));
        QSignalSpy rejected(&dlg, &QDialog::rejected);
        quietly([&] { dlg.onCancelClicked(); });
        QCOMPARE(rejected.count(), 1);
    }
    // Nothing reached the model.
    sDecoderInfo stored;
    m_model->findById(stored, 1);
    QCOMPARE(stored.logLevel, 2);
    QCOMPARE(stored.w, 1920);
}

void TestNodeSettings::encoderResolutionInsertions_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("extended");
    QTest::newRow("1600*900 before 1440*900") << 1600 << 900 << 5 << true;
    QTest::newRow("5120*2880 first") << 5120 << 2880 << 0 << true;
    QTest::newRow("640*480 last") << 640 << 480 << 12 << true;
    QTest::newRow("1366*768 listed") << 1366 << 768 << 7 << false;
}

void TestNodeSettings::encoderResolutionInsertions()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, index);
    QFETCH(bool, extended);
    sEncoderInfo e = encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1");
    e.width = width;
    e.height = height;
    fillStores({}, {e});
    CEncoderSettingDlg dlg(m_model, 2);
    auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
    const QString text = QStringLiteral("%1*%2").arg(width).arg(height);
    QCOMPARE(dlg.resolutionListExtended(), extended);
    QCOMPARE(res->count(), CEncoderSettingDlg::resolutionList().size() + (extended ? 1 : 0));
    QCOMPARE(res->itemText(index), text);
    QCOMPARE(res->currentIndex(), index);
    QStringList rest = items(res);
    if (extended)
        rest.removeAt(index);
    QCOMPARE(rest, CEncoderSettingDlg::resolutionList());
}

void TestNodeSettings::encoderCodecRefillsLevels()
{
    fillStores({}, {encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1")});
    CEncoderSettingDlg dlg(m_model, 2);
    dlg.show();
    auto *codec = child<CBanWheelComboBox>(&dlg, "videoCombo");
    auto *level = child<CBanWheelComboBox>(&dlg, "levelCombo");
    QCOMPARE(items(level), QStringList({"Baseline", "Main", "High"}));
    QCOMPARE(level->currentText(), QStringLiteral("High"));
    codec->setCurrentText(QStringLiteral("H265"));
    QCOMPARE(items(level), QStringList({"Main", "Main10"}));
    QCOMPARE(level->currentIndex(), 0);
    quietly([&] { dlg.onOkClicked(); });
    sEncoderInfo stored;
    m_model->findById(stored, 2);
    QCOMPARE(stored.videoFormat, QByteArray("H265"));
    QCOMPARE(stored.level, 0);

}

void TestNodeSettings::encoderGainCorrection()
{
    fillStores({}, {encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1")});
    CEncoderSettingDlg dlg(m_model, 2);
    dlg.show();
    auto *gain = child<CLineEdit>(&dlg, "gainEdit");
    QCOMPARE(gain->text(), QStringLiteral("50"));
    gain->clear();
    QTest::keyClicks(gain, QStringLiteral("150"));
    QCOMPARE(gain->text(), QStringLiteral("100"));
    gain->clear();
    QTest::keyClicks(gain, QStringLiteral("-5"));
    QCOMPARE(gain->text(), QStringLiteral("0"));
    gain->setText(QStringLiteral("75"));
    quietly([&] { dlg.onOkClicked(); });
    sEncoderInfo stored;
    m_model->findById(stored, 2);
    QCOMPARE(stored.audioGain, 75);
}

void TestNodeSettings::encoderUnlistedRatesKept()
{
    // The store snaps 59.9 to 59.94, which the frame rate list does not hold.
    sEncoderInfo e = encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1");
    e.frameRate = 59.9f;
    e.bitRate = 12.5f;
    fillStores({}, {e});
    sEncoderInfo snapped;
    m_model->findById(snapped, 2);
    QCOMPARE(snapped.frameRate, 59.94f);

    CEncoderSettingDlg dlg(m_model, 2);
    dlg.show();
    auto *rate = child<CBanWheelComboBox>(&dlg, "frameRateCombo");
    auto *bits = child<CBanWheelComboBox>(&dlg, "bitRateCombo");
    QCOMPARE(items(rate), QStringList({"24Hz", "25Hz", "30Hz", "59.94Hz", "60Hz"}));
    QCOMPARE(rate->currentText(), QStringLiteral("59.94Hz"));
    QCOMPARE(items(bits), QStringList({"4Mbps", "8Mbps", "10Mbps", "12.5Mbps", "15Mbps", "20Mbps", "30Mbps", "40Mbps"}));
    QCOMPARE(bits->currentText(), QStringLiteral("12.5Mbps"));

    // Untouched: leaving does not ask, saving keeps both values.
    quietly([&] { dlg.onCancelClicked(); });
    CEncoderSettingDlg save(m_model, 2);
    save.show();
    quietly([&] { save.onOkClicked(); });
    sEncoderInfo stored;
    m_model->findById(stored, 2);
    QCOMPARE(stored.frameRate, 59.94f);
    QCOMPARE(stored.bitRate, 12.5f);

    // A listed value picked instead is what gets saved.
    CEncoderSettingDlg pick(m_model, 2);
    pick.show();
    child<CBanWheelComboBox>(&pick, "frameRateCombo")->setCurrentText(QStringLiteral("25Hz"));
    child<CBanWheelComboBox>(&pick, "bitRateCombo")->setCurrentText(QStringLiteral("40Mbps"));
    quietly([&] { pick.onOkClicked(); });
    m_model->findById(stored, 2);
    QCOMPARE(stored.frameRate, 25.f);
    QCOMPARE(stored.bitRate, 40.f);
}

void TestNodeSettings::encoderLeaveConfirmation()
{
    const QString ask = QStringLiteral("修改未保存，请确定是否退出？");
    sEncoderInfo odd = encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1");
    odd.width = 1600;
    odd.height = 900;
    fillStores({}, {encoder(1, "192.168.1.21", "AA:AA:AA:AA:AA:01", "Cam-0"), odd});
    {
        // Listed resolution changed: asks.
        CEncoderSettingDlg dlg(m_model, 1);
        dlg.show();
        child<CBanWheelComboBox>(&dlg, "resolutionCombo")->setCurrentText(QStringLiteral("1280*720"));
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.onCancelClicked(); }, false), ask);
        QVERIFY(dlg.isVisible());
    }
    {
        // Inserted resolution, another picked, nothing else: leaves at once.
        CEncoderSettingDlg dlg(m_model, 2);
        dlg.show();
        child<CBanWheelComboBox>(&dlg, "resolutionCombo")->setCurrentText(QStringLiteral("1280*720"));
        QSignalSpy rejected(&dlg, &QDialog::rejected);
        quietly([&] { dlg.onCancelClicked(); });
        QCOMPARE(rejected.count(), 1);
    }
    CEncoderSettingDlg dlg(m_model, 1);
    dlg.show();
    child<CBanWheelComboBox>(&dlg, "usbCombo")->setCurrentText(QStringLiteral("禁用"));
    QCOMPARE(ModalDriver::messageFrom([&] { dlg.onCancelClicked(); }, false), ask);
}

void TestNodeSettings::encoderSaveWritesRecord()
{
    fillStores({}, {encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1")});
    CEncoderSettingDlg dlg(m_model, 2);
    dlg.show();
    QCOMPARE(child<QLabel>(&dlg, "sourceResolution")->text(), QStringLiteral("3840*2160"));
    QCOMPARE(child<CBanWheelComboBox>(&dlg, "usbCombo")->currentIndex(), 0);
    child<CLineEdit>(&dlg, "nameEdit")->setText(QStringLiteral("Cam-9"));
    child<CBanWheelComboBox>(&dlg, "resolutionCombo")->setCurrentText(QStringLiteral("4096*2160"));
    child<CBanWheelComboBox>(&dlg, "audioCombo")->setCurrentText(QStringLiteral("G711A"));
    child<CBanWheelComboBox>(&dlg, "usbCombo")->setCurrentIndex(1);
    child<CBanWheelComboBox>(&dlg, "logLevelCombo")->setCurrentIndex(0);
    child<CBanWheelComboBox>(&dlg, "levelCombo")->setCurrentIndex(1);
    quietly([&] { dlg.onOkClicked(); });
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    sEncoderInfo expected = encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-9");
    expected.width = 4096;
    expected.height = 2160;
    expected.audioFormat = "G711A";
    expected.enableUSB = false;
    expected.logLevel = 1;
    expected.level = 1;
    sEncoderInfo stored;
    m_model->findById(stored, 2);
    // Fields the dialog does not show are kept too.
    QCOMPARE(CProtocolPacker::encoderSettingsObject(stored), CProtocolPacker::encoderSettingsObject(expected));
}

QTEST_MAIN(TestNodeSettings)
#include "tst_nodesettings.moc"
