// Decoder and encoder settings dialogs, headless: checks, leave confirmation, what the
// combos mean; and the address, resolution and name fields they are made of. What goes
// on the wire is tst_settingsflow's.

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QtTest>

#include "dialog/cdecodersettingdlg.h"
#include "dialog/cencodersettingdlg.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "modaldriver.h"
#include "nodefixtures.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/cipaddredit.h"
#include "ui/clineedit.h"
#include "ui/cmacaddredit.h"
#include "ui/cresolutionedit.h"

namespace {

const QString kLeave = QStringLiteral("修改未保存，请确定是否退出？");

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
    r.sourceWidth = 3840;
    r.sourceHeight = 2160;
    r.width = 1920;
    r.height = 1080;
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

using fixtures::child;

// Chinese arrives through the input method, one committed character at a time.
void commitText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        QInputMethodEvent e;
        e.setCommitString(QString(c));
        QApplication::sendEvent(w, &e);
    }
}

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

    // The mode decides whether a resolution can be chosen; an unlisted one is still shown,
    // the first entry counts as a choice, and typed sizes are corrected but never taken over.
    void decoderResolution()
    {
        sDecoderInfo odd = decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1");
        odd.mode = 0;
        odd.w = 1024;
        odd.h = 768;
        fillStores({odd}, {});
        CDecoderSettingDlg dlg(m_model, 1);
        auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
        auto *edit = child<CResolutionEdit>(&dlg, "resolutionEdit");
        QVERIFY(!res->isEnabled());
        child<CBanWheelComboBox>(&dlg, "modeCombo")->setCurrentIndex(1);
        QVERIFY(res->isEnabled());
        QCOMPARE(edit->text(), QStringLiteral("1024*768"));
        QCOMPARE(res->currentIndex(), -1);
        res->setCurrentIndex(0);
        QCOMPARE(dlg.decoderRecord().w, 3840);
        QCOMPARE(dlg.decoderRecord().h, 2160);
        edit->widthEdit()->setText(QStringLiteral("1366"));
        emit edit->widthEdit()->editingFinished();
        QCOMPARE(edit->widthEdit()->text(), QStringLiteral("1364"));
        QCOMPARE(dlg.decoderRecord().w, 3840);

        // Widths are rounded and held to their range (720 at least), heights only held to it;
        // a text of another form is ignored.
        const QString shown = edit->text();
        edit->setText(QStringLiteral("1280x720"));
        QCOMPARE(edit->text(), shown);
        dlg.show();
        const auto enter = [](QLineEdit *field, const char *keys) {
            field->clear();
            field->setFocus();
            QTest::keyClicks(field, QLatin1String(keys));
            QTest::keyClick(field, Qt::Key_Return);
            return field->text();
        };
        QCOMPARE(enter(edit->widthEdit(), "3"), QStringLiteral("720"));
        QCOMPARE(enter(edit->heightEdit(), "200"), QStringLiteral("480"));
        QCOMPARE(enter(edit->heightEdit(), "1081"), QStringLiteral("1081"));
        edit->heightEdit()->clear();
        QTest::keyClicks(edit->heightEdit(), QStringLiteral("a0"));
        QVERIFY(!edit->heightEdit()->hasAcceptableInput());
    }

    // Checks in their order: empty name before empty IP, IP conflict before MAC conflict
    // (exact comparison), a name taken by another node; refusals store nothing.
    void saveRefusals()
    {
        fillStores({decoder(1, "192.168.1.10", "AA:AA:AA:AA:AA:01", "Hall-1"),
                    decoder(2, "192.168.1.3", "AA:AA:AA:AA:AA:02", "Hall-2")},
                   {encoder(3, "192.168.1.40", "AA:AA:AA:AA:AA:03", "Cam-1")});
        CDecoderSettingDlg dlg(m_model, 1);
        dlg.show();
        auto *name = child<CLineEdit>(&dlg, "nameEdit");
        auto *ip = child<CIpAddrEdit>(&dlg, "ipEdit");
        auto *mac = child<CMacAddrEdit>(&dlg, "macEdit");
        const auto refusal = [&dlg] { return ModalDriver::messageFrom([&dlg] { dlg.onOkClicked(); }); };
        name->setText(QString());
        ip->field(0)->clear();
        QCOMPARE(refusal(), QStringLiteral("名称不能为空，请重新输入"));
        name->setText(QStringLiteral("Hall-1"));
        QCOMPARE(refusal(), QStringLiteral("IP地址不能为空，请重新输入"));
        ip->setText(QStringLiteral("192.168.1.40"));
        mac->setText(QStringLiteral("AA:AA:AA:AA:AA:02"));
        QCOMPARE(refusal(), QStringLiteral("IP地址与其他节点冲突，请重新输入"));
        ip->setText(QStringLiteral("192.168.1.11"));
        QCOMPARE(refusal(), QStringLiteral("MAC地址与其他节点冲突，请重新输入"));
        mac->setText(QStringLiteral("aa:aa:aa:aa:aa:02"));
        name->setText(QStringLiteral("Cam-1"));
        QCOMPARE(refusal(), QStringLiteral("名称已重复，请重新输入"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(m_model->decoderById(1)->ip, QByteArray("192.168.1.10"));
        name->setText(QStringLiteral("Hall-1"));
        quietly([&] { dlg.onOkClicked(); });
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(m_model->decoderById(1)->ip, QByteArray("192.168.1.11"));
    }

    // A changed log level asks (confirmed: leaves; declined, the edits stay: tst_settingsflow);
    // a changed resolution alone leaves at once and stores nothing.
    void decoderLeaveConfirmation()
    {
        {
            CDecoderSettingDlg dlg(m_model, 1);
            dlg.show();
            child<CBanWheelComboBox>(&dlg, "logLevelCombo")->setCurrentIndex(0);
            QCOMPARE(ModalDriver::messageFrom([&] { dlg.onCancelClicked(); }, true), kLeave);
            QVERIFY(!dlg.isVisible());
        }
        CDecoderSettingDlg dlg(m_model, 1);
        dlg.show();
        auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
        res->setCurrentIndex(res->findText(QStringLiteral("800*600")));
        quietly([&] { dlg.onCancelClicked(); });
        QVERIFY(!dlg.isVisible());
        QVERIFY(m_model->decoderById(1)->logLevel == 2 && m_model->decoderById(1)->w == 1920);
    }

    // An unlisted encoder resolution is inserted in order and chosen; picking another then
    // is not a change worth asking about, while changing a listed one asks.
    void encoderResolutionInsertions()
    {
        const QStringList listed = CEncoderSettingDlg::resolutionList();
        for (const auto &[w, h, index, extended] : {std::tuple{1600, 900, 5, true}, std::tuple{640, 480, 12, true},
                                                     std::tuple{1366, 768, 7, false}}) {
            sEncoderInfo e = encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1");
            e.width = w;
            e.height = h;
            fillStores({}, {e});
            CEncoderSettingDlg dlg(m_model, 2);
            dlg.show();
            auto *res = child<CBanWheelComboBox>(&dlg, "resolutionCombo");
            QCOMPARE(res->count(), listed.size() + (extended ? 1 : 0));
            QCOMPARE(res->currentIndex(), index);
            QCOMPARE(res->itemText(index), QStringLiteral("%1*%2").arg(w).arg(h));
            res->setCurrentText(QStringLiteral("1280*720"));
            if (extended) {
                quietly([&] { dlg.onCancelClicked(); });
                QVERIFY(!dlg.isVisible());
            } else {
                QCOMPARE(ModalDriver::messageFrom([&] { dlg.onCancelClicked(); }, false), kLeave);
            }
        }
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
        QVERIFY(level->count() == 2 && level->itemText(0) == "Main" && level->itemText(1) == "Main10");
        auto *gain = child<CLineEdit>(&dlg, "gainEdit");
        for (const auto &[typed, held] : {std::pair{"150", "100"}, std::pair{"-5", "0"}}) {
            gain->clear();
            QTest::keyClicks(gain, QLatin1String(typed));
            QCOMPARE(gain->text(), QLatin1String(held));
        }
        gain->setText(QStringLiteral("75"));
        quietly([&] { dlg.onOkClicked(); });
        const sEncoderInfo *stored = m_model->encoderById(2);
        QVERIFY(stored->videoFormat == "H265" && stored->level == 0 && stored->audioGain == 75);
    }

    // What the combos mean in the record; a frame rate no list holds is kept (the store snaps
    // 59.9 to 59.94). The fields the dialog leaves alone going back as sent: tst_settingsflow.
    void encoderSaveWritesRecord()
    {
        sEncoderInfo e = encoder(2, "192.168.1.20", "AA:AA:AA:AA:AA:02", "Cam-1");
        e.frameRate = 59.9f;
        fillStores({}, {e});
        CEncoderSettingDlg dlg(m_model, 2);
        dlg.show();
        child<CLineEdit>(&dlg, "nameEdit")->setText(QStringLiteral("Cam-9"));
        child<CBanWheelComboBox>(&dlg, "resolutionCombo")->setCurrentText(QStringLiteral("4096*2160"));
        child<CBanWheelComboBox>(&dlg, "audioCombo")->setCurrentText(QStringLiteral("G711A"));
        child<CBanWheelComboBox>(&dlg, "usbCombo")->setCurrentIndex(1);
        child<CBanWheelComboBox>(&dlg, "logLevelCombo")->setCurrentIndex(0);
        child<CBanWheelComboBox>(&dlg, "levelCombo")->setCurrentIndex(1);
        child<CBanWheelComboBox>(&dlg, "bitRateCombo")->setCurrentText(QStringLiteral("30Mbps"));
        quietly([&] { dlg.onOkClicked(); });
        const sEncoderInfo *s = m_model->encoderById(2);
        QVERIFY(s->name == "Cam-9" && s->width == 4096 && s->height == 2160 && s->audioFormat == "G711A");
        QVERIFY(!s->enableUSB && s->logLevel == 1 && s->level == 1 && s->frameRate == 59.94f && s->bitRate == 30.f);
        QVERIFY(s->videoFormat == "H264" && s->audioGain == 50 && s->sourceWidth == 3840);
    }

    // Input widgets of the settings dialogs.
    void ipEdit()
    {
        struct
        {
            CIpAddrEdit edit;
            QLineEdit *f(int i) const { return edit.field(i); }
        } ip;
        ip.edit.show();
        ip.edit.activateWindow(); // so typing reaches it
        QVERIFY(QTest::qWaitForWindowActive(&ip.edit));
        // Anything but a whole dotted address leaves the fields alone; the program's is not corrected.
        ip.edit.setText(QStringLiteral("0.0.0.0"));
        for (const char *bad : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "a.b.c.d", " 10.0.0.1", ""})
            ip.edit.setText(QString::fromLatin1(bad));
        QCOMPARE(ip.edit.text(), QStringLiteral("0.0.0.0"));
        for (int i = 0; i < 4; ++i)
            ip.f(i)->clear();
        QCOMPARE(ip.edit.text(), QStringLiteral("..."));
        const auto type = [&ip](int field, const char *keys) {
            ip.f(field)->setFocus();
            QTest::keyClicks(ip.f(field), QLatin1String(keys));
            return ip.f(field)->text();
        };
        const auto paste = [&ip](int field, const char *text) {
            ip.f(field)->setFocus();
            ip.f(field)->selectAll();
            QApplication::clipboard()->setText(QLatin1String(text));
            ip.f(field)->paste();
            return ip.f(field)->text();
        };
        // Typed or pasted values are held to their range: the first field 1..223, others 0..255.
        QCOMPARE(paste(1, "300"), QStringLiteral("255"));
        QCOMPARE(type(0, "230"), QStringLiteral("223"));
        QCOMPARE(paste(0, "0"), QStringLiteral("1"));
        ip.f(2)->clear();
        // A lone 0 is replaced by the next digit and a 0 in front is swallowed.
        QCOMPARE(type(2, "007"), QStringLiteral("7"));
        ip.f(2)->home(false);
        QCOMPARE(type(2, "0"), QStringLiteral("7"));
        // An emptied field stays empty.
        ip.f(2)->end(false);
        QTest::keyClick(ip.f(2), Qt::Key_Backspace);
        QCOMPARE(ip.f(2)->text(), QString());
        // A mask takes 0 and up to 255 first; 290 > 255, so "299" stops at "29".
        ip.edit.setMaskMode(true);
        ip.f(0)->clear();
        QCOMPARE(type(0, "0"), QStringLiteral("0"));
        ip.f(0)->clear();
        QCOMPARE(type(0, "299"), QStringLiteral("29"));
        QCOMPARE(paste(0, "299"), QStringLiteral("255"));
    }

    // Names are held to 16 bytes in the locale's encoding, whole characters only, cursor kept.
    void nameCutToWholeCharacters()
    {
        QTextCodec *old = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("GBK"));
        CLineEdit name(QStringLiteral("节点"));
        name.show();
        QVERIFY(QTest::qWaitForWindowExposed(&name));
        name.clear();
        name.setFocus();
        commitText(&name, QStringLiteral("一二三四五六七八九"));
        QCOMPARE(name.text(), QStringLiteral("一二三四五六七八"));
        QCOMPARE(name.counterLabel()->text(), QStringLiteral("16<font color='gray'>/16<font>"));
        name.setText(QStringLiteral("a一二三四五六七"));
        name.setCursorPosition(3);
        commitText(&name, QStringLiteral("八"));
        QCOMPARE(name.text(), QStringLiteral("a一二八三四五六"));
        QCOMPARE(name.cursorPosition(), 4);

        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        QCOMPARE(CLineEdit::cutToBytes(QStringLiteral("一二三四五六"), 16), QStringLiteral("一二三四五"));
        // A character outside the basic plane is never split into half a pair.
        QCOMPARE(CLineEdit::cutToBytes(QString::fromUtf8("abcdefghijklm\xF0\x9F\x98\x80"), 16), QStringLiteral("abcdefghijklm"));
        QTextCodec::setCodecForLocale(old);
    }
};

QTEST_MAIN(TestNodeSettings)
#include "tst_nodesettings.moc"
