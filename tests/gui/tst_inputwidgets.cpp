#include "ui/cipaddredit.h"
#include "ui/clineedit.h"
#include "ui/cmacaddredit.h"
#include "ui/cresolutionedit.h"

#include "modaldriver.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QTextCodec>
#include <QtTest>

namespace {
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

class TestInputWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    void ipTextAndSetText();
    void ipRangeCorrection();
    void ipMaskMode();
    void ipZeroIsNormalised();

    void macTextAndCheck();

    void resolutionCorrection_data();
    void resolutionCorrection();
    void resolutionTyped();

    void nameCutInTwoByteEncoding();
    void nameCutKeepsWholeCharacters();


private:
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
};

void TestInputWidgets::ipTextAndSetText()
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

void TestInputWidgets::ipRangeCorrection()
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

void TestInputWidgets::ipMaskMode()
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

void TestInputWidgets::ipZeroIsNormalised()
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

void TestInputWidgets::macTextAndCheck()
{
    CMacAddrEdit mac;
    QVERIFY(!mac.isEditable());
    QVERIFY(!mac.field(0)->isEnabled());
    QCOMPARE(mac.field(0)->focusPolicy(), Qt::NoFocus);

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
    QCOMPARE(mac.field(0)->focusPolicy(), Qt::ClickFocus);
}

void TestInputWidgets::resolutionCorrection_data()
{
    QTest::addColumn<bool>("isWidth");
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("expected");
    QTest::newRow("w 700") << true << 700 << 720;
    QTest::newRow("w 722") << true << 722 << 720;
    QTest::newRow("w 1920") << true << 1920 << 1920;
    QTest::newRow("h 1081") << false << 1081 << 1081;
}

void TestInputWidgets::resolutionCorrection()
{
    QFETCH(bool, isWidth);
    QFETCH(int, typed);
    QFETCH(int, expected);
    QCOMPARE(isWidth ? CResolutionEdit::correctedWidth(typed) : CResolutionEdit::correctedHeight(typed), expected);
}

void TestInputWidgets::resolutionTyped()
{
    CResolutionEdit res;
    res.setText(QStringLiteral("1920*1080"));
    QCOMPARE(res.widthEdit()->text(), QStringLiteral("1920"));
    QCOMPARE(res.text(), QStringLiteral("1920*1080"));
    res.setText(QStringLiteral("1*2*3"));
    res.setText(QStringLiteral("1280x720"));
    QCOMPARE(res.text(), QStringLiteral("1920*1080"));

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

    // Letters and zero-only values are refused as they are typed.
    res.heightEdit()->clear();
    QTest::keyClicks(res.heightEdit(), QStringLiteral("a0"));
    QCOMPARE(res.heightEdit()->hasAcceptableInput(), false);
}

void TestInputWidgets::nameCutInTwoByteEncoding()
{
    QTextCodec *gbk = QTextCodec::codecForName("GBK");
    QVERIFY(gbk);
    QTextCodec *old = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(gbk);

    CLineEdit name(QStringLiteral("节点"));
    QCOMPARE(name.counterLabel()->text(), QStringLiteral("4<font color='gray'>/16<font>"));
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

void TestInputWidgets::nameCutKeepsWholeCharacters()
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

QTEST_MAIN(TestInputWidgets)
#include "tst_inputwidgets.moc"
