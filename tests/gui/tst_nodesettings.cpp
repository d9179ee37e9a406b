// Decoder and encoder settings dialogs, headless: pages, checks, leave confirmation; and
// the address, resolution and name fields they are made of.

#include <QClipboard>
#include <QInputMethodEvent>
#include <QTextCodec>
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

// Chinese arrives through the input method, one committed character at a time.
void commitText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        QInputMethodEvent e;
        e.setCommitString(QString(c));
        QApplication::sendEvent(w, &e);
    }
}

// An address field in an active window, so typing reaches it.
struct Ip
{
    CIpAddrEdit edit;
    bool ready = false;
    Ip()
    {
        edit.show();
        edit.activateWindow();
        ready = QTest::qWaitForWindowActive(&edit);
    }
    QLineEdit *f(int i) const { return edit.field(i); }
};

} // namespace

class TestNodeSettings : public QObject
{
    Q_OBJECT

    CNodeListModel *m_model = nullptr;

    void fillStores(const QVector<sDecoderInfo> &decoders, const QVector<sEncoderInfo> &encoders)
    {
        CDecoderList::instance().clearNodes();
        CEncoderList::instance().clearNodes();
        for (const sDecoderInfo &d : decoders)
            CDecoderList::instance().addNode(d);
        for (const sEncoderInfo &e : encoders)
            CEncoderList::instance().addNode(e);
        m_model->refreshSnapshot();
    }

private slots:
    void initTestCase()
    {
        ModalDriver::useProgramLook();
        m_model = new CNodeListModel(this);
    }

    void init() { fillStores({decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1")}, {}); }

    // 18 has a name but is not an accepted model.
    void modelNames()
    {
        for (const auto &[code, shown] : {std::pair{17, "Vela-S"}, std::pair{18, "Model_Error"}}) {
            sDecoderInfo d = decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1");
            d.model = code;
            sEncoderInfo e = encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1");
            e.model = code;
            fillStores({d}, {e});
            CDecoderSettingDlg dec(m_model, 1);
            CEncoderSettingDlg enc(m_model, 2);
            QCOMPARE(child<QLabel>(&dec, "modelName")->text(), QString(shown));
            QCOMPARE(child<QLabel>(&enc, "modelName")->text(), QString(shown));
        }
    }

    void modeGovernsResolution()
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
        mode->setCurrentIndex(0);
        QVERIFY(!res->isEnabled());

        CDecoderSettingDlg seat(m_model, 2);
        QVERIFY(child<CBanWheelComboBox>(&seat, "resolutionCombo")->isEnabled());
    }

    void resolutionChoiceWritesThrough()
    {
        sDecoderInfo odd = decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1");
        odd.w = 1024;
        odd.h = 768;
        fillStores({odd}, {});
        CDecoderSettingDlg dlg(m_model, 1);
        auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
        auto *edit = child<CResolutionEdit>(&dlg, "resolutionEdit");
        // An unlisted resolution is still shown.
        QCOMPARE(edit->text(), QStringLiteral("1024*768"));
        QCOMPARE(res->currentIndex(), -1);

        // Even the first entry counts as a choice.
        res->setCurrentIndex(0);
        QCOMPARE(dlg.decoderRecord().w, 3840);
        QCOMPARE(dlg.decoderRecord().h, 2160);
        QCOMPARE(edit->text(), QStringLiteral("3840*2160"));

        // Typed sizes are corrected but never taken over.
        edit->widthEdit()->setText(QStringLiteral("1366"));
        emit edit->widthEdit()->editingFinished();
        QCOMPARE(edit->widthEdit()->text(), QStringLiteral("1364"));
        QCOMPARE(dlg.decoderRecord().w, 3840);
    }

    void saveChecksInOrder()
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

    void ipConflictOutranksMac()
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

    void ownNameAcceptedOtherRefused()
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

    void saveWritesDecoderRecord()
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

    void decoderLeaveConfirmation()
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

    void encoderResolutionInsertions_data()
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

    void encoderResolutionInsertions()
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

    // A codec refills the levels; the gain is held to 0..100 as it is typed.
    void encoderCodecLevelsAndGain()
    {
        fillStores({}, {encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1")});
        CEncoderSettingDlg dlg(m_model, 2);
        dlg.show();
        auto *level = child<CBanWheelComboBox>(&dlg, "levelCombo");
        QCOMPARE(level->currentText(), QStringLiteral("High"));
        child<CBanWheelComboBox>(&dlg, "videoCombo")->setCurrentText(QStringLiteral("H265"));
        QCOMPARE(items(level), QStringList({"Main", "Main10"}));
        QCOMPARE(level->currentIndex(), 0);
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
        QVERIFY(stored.videoFormat == "H265" && stored.level == 0 && stored.audioGain == 75);
    }

    void encoderUnlistedRatesKept()
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
        QCOMPARE(child<CBanWheelComboBox>(&dlg, "frameRateCombo")->currentText(), QStringLiteral("59.94Hz"));
        QCOMPARE(child<CBanWheelComboBox>(&dlg, "bitRateCombo")->currentText(), QStringLiteral("12.5Mbps"));

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

    void encoderLeaveConfirmation()
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

    void encoderSaveWritesRecord()
    {
        fillStores({}, {encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1")});
        CEncoderSettingDlg dlg(m_model, 2);
        dlg.show();
        QCOMPARE(child<QLabel>(&dlg, "sourceResolution")->text(), QStringLiteral("3840*2160"));
        child<CLineEdit>(&dlg, "nameEdit")->setText(QStringLiteral("Cam-9"));
        child<CBanWheelComboBox>(&dlg, "resolutionCombo")->setCurrentText(QStringLiteral("4096*2160"));
        child<CBanWheelComboBox>(&dlg, "audioCombo")->setCurrentText(QStringLiteral("G711A"));
        child<CBanWheelComboBox>(&dlg, "usbCombo")->setCurrentIndex(1);
        child<CBanWheelComboBox>(&dlg, "logLevelCombo")->setCurrentIndex(0);
        child<CBanWheelComboBox>(&dlg, "levelCombo")->setCurrentIndex(1);
        quietly([&] { dlg.onOkClicked(); });
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

    // Input widgets of the settings dialogs.
    void ipTextAndSetText()
    {
        CIpAddrEdit edit;
        QCOMPARE(edit.text(), QStringLiteral("..."));
        edit.setText(QStringLiteral("192.168.1.20"));
        QCOMPARE(edit.text(), QStringLiteral("192.168.1.20"));
        QCOMPARE(edit.field(2)->text(), QStringLiteral("1"));

        // Anything but a whole dotted address leaves the fields alone.
        for (const char *bad : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "a.b.c.d", " 10.0.0.1", "10.0.0.1x", ""})
            edit.setText(QString::fromLatin1(bad));
        QCOMPARE(edit.text(), QStringLiteral("192.168.1.20"));

        edit.field(1)->clear();
        QCOMPARE(edit.text(), QStringLiteral("192..1.20"));
    }

    void ipRangeCorrection()
    {
        Ip ip;
        QVERIFY(ip.ready);
        // Pasting 300 into the second field.
        QApplication::clipboard()->setText(QStringLiteral("300"));
        ip.f(1)->setFocus();
        ip.f(1)->paste();
        QCOMPARE(ip.f(1)->text(), QStringLiteral("255"));

        // Typing 300 into the fourth.
        ip.f(3)->setFocus();
        QTest::keyClicks(ip.f(3), QStringLiteral("300"));
        QCOMPARE(ip.f(3)->text(), QStringLiteral("255"));

        // First field: at most 223, never 0.
        ip.f(0)->setFocus();
        QTest::keyClicks(ip.f(0), QStringLiteral("230"));
        QCOMPARE(ip.f(0)->text(), QStringLiteral("223"));
        ip.f(0)->selectAll();
        QApplication::clipboard()->setText(QStringLiteral("0"));
        ip.f(0)->paste();
        QCOMPARE(ip.f(0)->text(), QStringLiteral("1"));

        // An emptied field stays empty.
        ip.f(2)->setFocus();
        QTest::keyClicks(ip.f(2), QStringLiteral("4"));
        QTest::keyClick(ip.f(2), Qt::Key_Backspace);
        QCOMPARE(ip.f(2)->text(), QString());

        // The address set by the program is not corrected.
        ip.edit.setText(QStringLiteral("0.0.0.0"));
        QCOMPARE(ip.edit.text(), QStringLiteral("0.0.0.0"));
    }

    void ipMaskMode()
    {
        Ip ip;
        QVERIFY(ip.ready);
        ip.edit.setMaskMode(true);
        ip.f(0)->setFocus();
        QTest::keyClicks(ip.f(0), QStringLiteral("230"));
        QCOMPARE(ip.f(0)->text(), QStringLiteral("230"));
        ip.f(0)->clear();
        QTest::keyClicks(ip.f(0), QStringLiteral("0"));
        QCOMPARE(ip.f(0)->text(), QStringLiteral("0"));
        // "29" then "9": 290 > 255, so the third digit moves on instead.
        QTest::keyClicks(ip.f(0), QStringLiteral("299"));
        QCOMPARE(ip.f(0)->text(), QStringLiteral("29"));
        ip.f(0)->selectAll();
        QApplication::clipboard()->setText(QStringLiteral("299"));
        ip.f(0)->paste();
        QCOMPARE(ip.f(0)->text(), QStringLiteral("255"));
    }

    void ipZeroIsNormalised()
    {
        Ip ip;
        QVERIFY(ip.ready);
        ip.f(1)->setFocus();
        QTest::keyClicks(ip.f(1), QStringLiteral("0"));
        QCOMPARE(ip.f(1)->text(), QStringLiteral("0"));
        QTest::keyClicks(ip.f(1), QStringLiteral("0"));
        QCOMPARE(ip.f(1)->text(), QStringLiteral("0"));
        // A digit after a lone 0 replaces it.
        QTest::keyClicks(ip.f(1), QStringLiteral("7"));
        QCOMPARE(ip.f(1)->text(), QStringLiteral("7"));
        // A 0 in front is swallowed.
        ip.f(1)->home(false);
        QTest::keyClicks(ip.f(1), QStringLiteral("0"));
        QCOMPARE(ip.f(1)->text(), QStringLiteral("7"));
        ip.f(1)->end(false);
        QTest::keyClicks(ip.f(1), QStringLiteral("0"));
        QCOMPARE(ip.f(1)->text(), QStringLiteral("70"));

        // The first field never holds a lone 0 outside mask mode.
        ip.f(0)->setFocus();
        QTest::keyClicks(ip.f(0), QStringLiteral("0"));
        QCOMPARE(ip.f(0)->text(), QStringLiteral("1"));
    }

    void macTextAndCheck()
    {
        CMacAddrEdit mac;
        QVERIFY(!mac.isEditable() && !mac.field(0)->isEnabled());

        mac.setText(QStringLiteral("00:1A:2b:3C:4d:5E"));
        QCOMPARE(mac.text(), QStringLiteral("00:1A:2b:3C:4d:5E"));
        QVERIFY(mac.isValid());
        for (const char *bad : {"00:1A:2b:3C:4d", "00-1A-2b-3C-4d-5E", "00:1A:2b:3C:4d:5G", "001A2b3C4d5E"})
            mac.setText(QString::fromLatin1(bad));
        QCOMPARE(mac.text(), QStringLiteral("00:1A:2b:3C:4d:5E"));

        // An empty field drops out and the result is no longer a MAC address.
        mac.field(2)->clear();
        QCOMPARE(mac.text(), QStringLiteral("00:1A:3C:4d:5E"));
        QVERIFY(!mac.isValid());
        mac.field(5)->clear();
        QCOMPARE(mac.text(), QStringLiteral("00:1A:3C:4d:"));
        mac.field(2)->setText(QStringLiteral("a"));
        mac.field(5)->setText(QStringLiteral("5E"));
        QVERIFY(!mac.isValid());

        mac.setEditable(true);
        QVERIFY(mac.field(0)->isEnabled());
    }

    void resolutionTyped()
    {
        CResolutionEdit res;
        res.setText(QStringLiteral("1920*1081"));
        QCOMPARE(res.text(), QStringLiteral("1920*1081"));
        res.setText(QStringLiteral("1*2*3"));
        res.setText(QStringLiteral("1280x720"));
        QCOMPARE(res.text(), QStringLiteral("1920*1081"));
        res.show();
        QVERIFY(QTest::qWaitForWindowExposed(&res));
        res.widthEdit()->clear();
        res.widthEdit()->setFocus();
        QTest::keyClicks(res.widthEdit(), QStringLiteral("1366"));
        QTest::keyClick(res.widthEdit(), Qt::Key_Return);
        QCOMPARE(res.widthEdit()->text(), QStringLiteral("1364"));

        res.widthEdit()->clear();
        QTest::keyClicks(res.widthEdit(), QStringLiteral("3"));
        QTest::keyClick(res.widthEdit(), Qt::Key_Return);
        QCOMPARE(res.widthEdit()->text(), QStringLiteral("720"));

        res.heightEdit()->clear();
        res.heightEdit()->setFocus();
        QTest::keyClicks(res.heightEdit(), QStringLiteral("200"));
        QTest::keyClick(res.heightEdit(), Qt::Key_Return);
        QCOMPARE(res.text(), QStringLiteral("720*480"));
        // Heights are only held to their range, not rounded.
        res.heightEdit()->clear();
        QTest::keyClicks(res.heightEdit(), QStringLiteral("1081"));
        QTest::keyClick(res.heightEdit(), Qt::Key_Return);
        QCOMPARE(res.heightEdit()->text(), QStringLiteral("1081"));

        // Letters and zero-only values are refused as they are typed.
        res.heightEdit()->clear();
        QTest::keyClicks(res.heightEdit(), QStringLiteral("a0"));
        QCOMPARE(res.heightEdit()->hasAcceptableInput(), false);
    }

    void nameCutInTwoByteEncoding()
    {
        QTextCodec *gbk = QTextCodec::codecForName("GBK");
        QVERIFY(gbk);
        QTextCodec *old = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(gbk);

        CLineEdit name(QStringLiteral("节点"));
        name.show();
        QVERIFY(QTest::qWaitForWindowExposed(&name));
        name.clear();
        name.setFocus();
        const QString nine = QStringLiteral("一二三四五六七八九");
        commitText(&name, nine);
        QCOMPARE(name.text(), nine.left(8));
        QCOMPARE(name.counterLabel()->text(), QStringLiteral("16<font color='gray'>/16<font>"));

        // A cut in the middle of a character takes the whole character and keeps the cursor.
        name.setText(QStringLiteral("a一二三四五六七"));
        name.setCursorPosition(3);
        commitText(&name, QStringLiteral("八"));
        QCOMPARE(name.text(), QStringLiteral("a一二八三四五六"));
        QCOMPARE(CLineEdit::byteCount(name.text()), 15);
        QCOMPARE(name.cursorPosition(), 4);
        QVERIFY(!name.text().contains(QChar(QChar::ReplacementCharacter)));

        QTextCodec::setCodecForLocale(old);
    }

    void nameCutKeepsWholeCharacters()
    {
        QTextCodec *old = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        // Three bytes a character: six of them make 18 bytes, five fit.
        QCOMPARE(CLineEdit::cutToBytes(QStringLiteral("一二三四五六"), 16), QStringLiteral("一二三四五"));
        QCOMPARE(CLineEdit::cutToBytes(QStringLiteral("abcdefghijklmnopq"), 16), QStringLiteral("abcdefghijklmnop"));
        // A character outside the basic plane is never split into half a pair.
        const QString emoji = QString::fromUtf8("abcdefghijklm\xF0\x9F\x98\x80");
        QCOMPARE(CLineEdit::cutToBytes(emoji, 16), QStringLiteral("abcdefghijklm"));

        CLineEdit name(QString{});
        name.show();
        name.setFocus();
        commitText(&name, QStringLiteral("一二三四五六"));
        QCOMPARE(name.text(), QStringLiteral("一二三四五"));
        QCOMPARE(name.counterLabel()->text(), QStringLiteral("15<font color='gray'>/16<font>"));

        // The plain variant has neither limit nor counter.
        CLineEdit plain;
        QCOMPARE(plain.counterLabel(), nullptr);
        plain.show();
        commitText(&plain, QStringLiteral("一二三四五六七八九十"));
        QCOMPARE(plain.text().size(), 10);
        QTextCodec::setCodecForLocale(old);
    }
};

QTEST_MAIN(TestNodeSettings)
#include "tst_nodesettings.moc"
