#include "guitestutil.h"

#include "ui/cbanwheelcombobox.h"
#include "ui/chorispacewidget.h"
#include "ui/cipaddredit.h"
#include "ui/clineedit.h"
#include "ui/cmacaddredit.h"
#include "ui/cresolutionedit.h"
#include "ui/ctoolbutton.h"
#include "ui/cunderlinebutton.h"
#include "ui/gradienttextlabel.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QFormLayout>
#include <QInputMethodEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTextCodec>
#include <QWheelEvent>
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
    void initTestCase() { applyAppStyle(); }

    void ipTextAndSetText();
    void ipRangeCorrection();
    void ipMaskMode();
    void ipDigitsMoveOn();
    void ipZeroIsNormalised();
    void ipNavigationKeys();

    void macTextAndCheck();
    void macTypingAndKeys();

    void resolutionCorrection_data();
    void resolutionCorrection();
    void resolutionTyped();

    void nameCutInTwoByteEncoding();
    void nameCutKeepsWholeCharacters();

    void smallWidgets();
    void editorsScreenshot();

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

    edit.setFixedSize(300, 32);
    QCOMPARE(edit.size(), QSize(300, 32));
    QCOMPARE(edit.findChild<QWidget *>(QStringLiteral("frameIP"))->size(), QSize(300, 32));
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

void TestInputWidgets::ipDigitsMoveOn()
{
    Ip ip;
    QVERIFY(ip.ready);
    ip.f(0)->setFocus();
    QTest::keyClicks(ip.f(0), QStringLiteral("19"));
    QTest::keyClicks(ip.f(0), QStringLiteral("2"));
    QCOMPARE(ip.f(0)->text(), QStringLiteral("192"));
    QCOMPARE(QApplication::focusWidget(), ip.f(0));

    // A full field hands the next digit's focus on; the digit itself goes nowhere.
    QTest::keyClicks(ip.f(0), QStringLiteral("1"));
    QCOMPARE(ip.f(0)->text(), QStringLiteral("192"));
    QCOMPARE(QApplication::focusWidget(), ip.f(1));
    QCOMPARE(ip.f(1)->text(), QString());

    QTest::keyClicks(ip.f(1), QStringLiteral("26"));
    QTest::keyClicks(ip.f(1), QStringLiteral("3"));
    QCOMPARE(ip.f(1)->text(), QStringLiteral("26"));
    QCOMPARE(QApplication::focusWidget(), ip.f(2));
    QCOMPARE(ip.f(2)->text(), QString());

    // Moving on selects the next field, so typing replaces it.
    ip.f(3)->setText(QStringLiteral("77"));
    ip.f(2)->setText(QStringLiteral("255"));
    ip.f(2)->setFocus();
    ip.f(2)->end(false);
    QTest::keyClicks(ip.f(2), QStringLiteral("5"));
    QCOMPARE(QApplication::focusWidget(), ip.f(3));
    QCOMPARE(ip.f(3)->selectedText(), QStringLiteral("77"));
    QTest::keyClicks(ip.f(3), QStringLiteral("8"));
    QCOMPARE(ip.f(3)->text(), QStringLiteral("8"));

    // The last field does not pass anything on.
    QTest::keyClicks(ip.f(3), QStringLiteral("99"));
    QCOMPARE(ip.f(3)->text(), QStringLiteral("89"));
    QCOMPARE(QApplication::focusWidget(), ip.f(3));
    QCOMPARE(ip.edit.text(), QStringLiteral("192.26.255.89"));
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

void TestInputWidgets::ipNavigationKeys()
{
    Ip ip;
    QVERIFY(ip.ready);
    ip.edit.setText(QStringLiteral("10.20.30.40"));

    // Backspace at the start goes back without deleting.
    ip.f(2)->setFocus();
    ip.f(2)->home(false);
    QTest::keyClick(ip.f(2), Qt::Key_Backspace);
    QCOMPARE(QApplication::focusWidget(), ip.f(1));
    QCOMPARE(ip.f(1)->cursorPosition(), 2);
    QCOMPARE(ip.edit.text(), QStringLiteral("10.20.30.40"));
    // ...and deletes normally elsewhere.
    QTest::keyClick(ip.f(1), Qt::Key_Backspace);
    QCOMPARE(ip.f(1)->text(), QStringLiteral("2"));
    QTest::keyClick(ip.f(1), Qt::Key_Backspace);
    QTest::keyClick(ip.f(1), Qt::Key_Backspace); // empty: back to the first field
    QCOMPARE(QApplication::focusWidget(), ip.f(0));
    ip.f(0)->home(false);
    QTest::keyClick(ip.f(0), Qt::Key_Backspace);
    QCOMPARE(QApplication::focusWidget(), ip.f(0));
    QCOMPARE(ip.f(0)->text(), QStringLiteral("10"));

    // Right at the end moves on to the start of the next; Left at 0 comes back.
    ip.f(0)->end(false);
    QTest::keyClick(ip.f(0), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), ip.f(1));
    QTest::keyClick(ip.f(1), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), ip.f(2));
    QCOMPARE(ip.f(2)->cursorPosition(), 0);
    QTest::keyClick(ip.f(2), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), ip.f(2));
    QCOMPARE(ip.f(2)->cursorPosition(), 1);
    QTest::keyClick(ip.f(2), Qt::Key_Left);
    QTest::keyClick(ip.f(2), Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), ip.f(1));
    QCOMPARE(ip.f(1)->cursorPosition(), 0);
    ip.f(3)->setFocus();
    ip.f(3)->end(false);
    QTest::keyClick(ip.f(3), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), ip.f(3));

    // "." jumps to the next field and is never typed.
    ip.f(0)->setFocus();
    QTest::keyClicks(ip.f(0), QStringLiteral("."));
    QCOMPARE(QApplication::focusWidget(), ip.f(1));
    ip.f(3)->setFocus();
    QTest::keyClicks(ip.f(3), QStringLiteral("."));
    QCOMPARE(ip.f(3)->text(), QStringLiteral("40"));
    QCOMPARE(QApplication::focusWidget(), ip.f(3));
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

void TestInputWidgets::macTypingAndKeys()
{
    CMacAddrEdit mac;
    mac.setEditable(true);
    mac.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mac));
    mac.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&mac));

    mac.field(0)->setFocus();
    QTest::keyClicks(mac.field(0), QStringLiteral("a"));
    QCOMPARE(QApplication::focusWidget(), mac.field(0));
    QTest::keyClicks(mac.field(0), QStringLiteral("1"));
    QCOMPARE(QApplication::focusWidget(), mac.field(1));
    QTest::keyClicks(mac.field(1), QStringLiteral("zz")); // refused by the validator
    QCOMPARE(mac.field(1)->text(), QString());
    QTest::keyClicks(mac.field(1), QStringLiteral("FF"));
    QCOMPARE(QApplication::focusWidget(), mac.field(2));
    QCOMPARE(mac.text(), QStringLiteral("a1:FF:"));

    QTest::keyClick(mac.field(2), Qt::Key_Backspace);
    QCOMPARE(QApplication::focusWidget(), mac.field(1));
    QCOMPARE(mac.field(1)->cursorPosition(), 2);
    QCOMPARE(mac.field(1)->text(), QStringLiteral("FF"));
    mac.field(1)->home(false);
    QTest::keyClick(mac.field(1), Qt::Key_Left);
    QCOMPARE(QApplication::focusWidget(), mac.field(0));
    mac.field(0)->home(false);
    QTest::keyClick(mac.field(0), Qt::Key_Right);
    QTest::keyClick(mac.field(0), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), mac.field(0));
    QTest::keyClick(mac.field(0), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), mac.field(1));
}

void TestInputWidgets::resolutionCorrection_data()
{
    QTest::addColumn<bool>("isWidth");
    QTest::addColumn<int>("typed");
    QTest::addColumn<int>("expected");
    QTest::newRow("w 1366") << true << 1366 << 1364;
    QTest::newRow("w 3") << true << 3 << 720;
    QTest::newRow("w 700") << true << 700 << 720;
    QTest::newRow("w 722") << true << 722 << 720;
    QTest::newRow("w 1920") << true << 1920 << 1920;
    QTest::newRow("h 200") << false << 200 << 480;
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
    QCOMPARE(name.size(), QSize(432, 28));
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

void TestInputWidgets::smallWidgets()
{
    // The wheel never changes a CBanWheelComboBox.
    CBanWheelComboBox combo;
    combo.addItems({QStringLiteral("所有模式"), QStringLiteral("大屏"), QStringLiteral("坐席")});
    combo.show();
    QWheelEvent wheel(QPointF(5, 5), QPointF(combo.mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&combo, &wheel);
    QCOMPARE(combo.currentIndex(), 0);
    QVERIFY(!wheel.isAccepted());
    combo.showPopup();
    QWidget *popup = combo.view()->window();
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->y(), combo.mapToGlobal(QPoint(0, combo.height() + 1)).y());
    combo.hidePopup();
    combo.setPopupThreshold(10);
    combo.showPopup();
    QTRY_VERIFY(popup->isVisible());
    QCOMPARE(popup->y() + popup->height(), combo.mapToGlobal(QPoint(0, 0)).y());
    combo.hidePopup();

    // CToolButton acts on the press.
    CToolButton tool;
    QSignalSpy pressed(&tool, &QPushButton::pressed);
    QSignalSpy clicked(&tool, &QPushButton::clicked);
    QSignalSpy released(&tool, &QPushButton::released);
    QTest::mousePress(&tool, Qt::LeftButton);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(released.count(), 0);
    QTest::mouseRelease(&tool, Qt::LeftButton);
    QCOMPARE(released.count(), 1);
    QCOMPARE(clicked.count(), 1);

    // CUnderlineButton: a press checks it once.
    CUnderlineButton tab(QStringLiteral("基本设置"));
    QCOMPARE(tab.objectName(), QStringLiteral("underlineButton"));
    QSignalSpy tabClicked(&tab, &QPushButton::clicked);
    QTest::mousePress(&tab, Qt::LeftButton);
    QVERIFY(tab.isChecked());
    QCOMPARE(tabClicked.count(), 1);
    QTest::mouseRelease(&tab, Qt::LeftButton);
    QTest::mousePress(&tab, Qt::LeftButton);
    QVERIFY(tab.isChecked());
    QCOMPARE(tabClicked.count(), 1);

    CHoriSpaceWidget line;
    QCOMPARE(line.height(), 1);
    const QImage img = line.grab().toImage();
    QCOMPARE(QColor(img.pixel(0, 0)), QColor(17, 17, 17));
}

void TestInputWidgets::editorsScreenshot()
{
    QWidget panel;
    panel.setStyleSheet(QStringLiteral("QWidget#panel{background-color: rgba(33, 35, 38, 1);}"));
    panel.setObjectName(QStringLiteral("panel"));
    panel.setAttribute(Qt::WA_StyledBackground);
    auto *form = new QFormLayout(&panel);
    form->setContentsMargins(24, 24, 24, 24);
    form->setHorizontalSpacing(32);
    form->setVerticalSpacing(10);

    auto *title = new GradientTextLabel(QStringLiteral("分布式配置软件"), &panel);
    QFont tf = title->font();
    tf.setPixelSize(18);
    tf.setWeight(75);
    title->setFont(tf);
    title->setFixedHeight(32);
    form->addRow(title);
    form->addRow(new CHoriSpaceWidget(&panel));

    auto *tabs = new QWidget(&panel);
    auto *tabRow = new QHBoxLayout(tabs);
    tabRow->setContentsMargins(0, 0, 0, 0);
    auto *basic = new CUnderlineButton(QStringLiteral("基本设置"), tabs);
    basic->setChecked(true);
    tabRow->addWidget(basic);
    tabRow->addWidget(new CUnderlineButton(QStringLiteral("输出设置"), tabs));
    tabRow->addStretch();
    form->addRow(tabs);

    auto label = [&panel](const char *t) {
        auto *l = new QLabel(QString::fromUtf8(t), &panel);
        l->setStyleSheet(QStringLiteral("color: rgba(196, 196, 196, 1);"));
        return l;
    };
    auto *name = new CLineEdit(QStringLiteral("会议室解码"), &panel);
    form->addRow(label("节点名称"), name);
    auto *ip = new CIpAddrEdit(&panel);
    ip->setText(QStringLiteral("192.168.10.125"));
    form->addRow(label("IP地址"), ip);
    auto *mask = new CIpAddrEdit(&panel);
    mask->setMaskMode(true);
    mask->setText(QStringLiteral("255.255.255.0"));
    form->addRow(label("子网掩码"), mask);
    auto *mac = new CMacAddrEdit(&panel);
    mac->setText(QStringLiteral("00:1A:2B:3C:4D:5E"));
    auto *macEdit = new CMacAddrEdit(&panel);
    macEdit->setEditable(true);
    macEdit->setText(QStringLiteral("00:1A:2B:3C:4D:5F"));
    form->addRow(label("MAC"), mac);
    form->addRow(label("MAC (可编辑)"), macEdit);
    auto *res = new CResolutionEdit(&panel);
    res->setFixedSize(200, 28);
    res->setText(QStringLiteral("1920*1080"));
    form->addRow(label("输出分辨率"), res);
    auto *combo = new CBanWheelComboBox(&panel);
    combo->addItems({QStringLiteral("HDMI"), QStringLiteral("3.5mm")});
    combo->setFixedSize(200, 28);
    form->addRow(label("音频输出"), combo);
    auto *tool = new CToolButton(QStringLiteral("工具"), &panel);
    tool->setIcon(QIcon(QStringLiteral(":/res/res/image/common/edit.svg")));
    tool->setIconSize(QSize(16, 16));
    tool->setFixedSize(80, 28);
    form->addRow(label("CToolButton"), tool);

    panel.resize(560, 0);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    saveScreenshot(&panel, QStringLiteral("editors"));
}

QTEST_MAIN(TestInputWidgets)
#include "tst_inputwidgets.moc"
