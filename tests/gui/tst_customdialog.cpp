#include "ui/ccustomdialog.h"
#include "ui/cmessagedialog.h"
#include "ui/ctoolbutton.h"
#include "modaldriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {
class ProbeDialog final : public CCustomDialog
{
public:
    explicit ProbeDialog(QWidget *parent = nullptr)
        : CCustomDialog(parent)
    {
        setFixedSize(480, 240);
        setTitle(QStringLiteral("测试"));
        auto *layout = new QVBoxLayout(contentWidget());
        layout->setContentsMargins(0, 0, 0, 0);
        edit = new QLineEdit(contentWidget());
        layout->addWidget(edit);
    }
    void onOkClicked() override { ++okCalls; }
    void onCancelClicked() override { ++cancelCalls; }

    QLineEdit *edit = nullptr;
    int okCalls = 0;
    int cancelCalls = 0;
};

void sendMouse(QWidget *w, QEvent::Type type, const QPoint &local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(local), QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

sDeviceInfo node(const char *ip)
{
    sDeviceInfo d;
    d.ip = ip;
    return d;
}
} // namespace

class TestCustomDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    void escapeAndEnterDoNotClose();
    void okAndCancelFollowFlags_data();
    void okAndCancelFollowFlags();
    void closeButtonCancelsOnRelease();
    void dragBandIsFortyPixels();
    void findsMainWindowAsParent();
    void messageAndConfirmation();
    void switchResultSummary();
};

void TestCustomDialog::escapeAndEnterDoNotClose()
{
    ProbeDialog dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.cancelCalls, 0);

    // Neither from the frame, nor from a focused field, nor from the focused OK button.
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTest::keyClick(dlg.edit, Qt::Key_Enter);
    QTest::keyClick(dlg.edit, Qt::Key_Escape);
    QTest::keyClick(dlg.okButton(), Qt::Key_Return);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.okCalls, 0);
    QCOMPARE(dlg.cancelCalls, 0);
    QCOMPARE(dlg.result(), 0);

    // Other keys still reach the content.
    dlg.edit->setFocus();
    QTest::keyClicks(dlg.edit, QStringLiteral("ab"));
    QCOMPARE(dlg.edit->text(), QStringLiteral("ab"));
}

void TestCustomDialog::okAndCancelFollowFlags_data()
{
    QTest::addColumn<bool>("keepOpenOnOk");
    QTest::addColumn<bool>("selfClosing");
    QTest::addColumn<bool>("okCloses");
    QTest::addColumn<bool>("cancelCloses");
    QTest::newRow("plain") << false << false << true << true;
    QTest::newRow("keepOpenOnOk") << true << false << false << true;
    QTest::newRow("selfClosing") << false << true << false << false;
}

void TestCustomDialog::okAndCancelFollowFlags()
{
    QFETCH(bool, keepOpenOnOk);
    QFETCH(bool, selfClosing);
    QFETCH(bool, okCloses);
    QFETCH(bool, cancelCloses);

    ProbeDialog dlg;
    dlg.setKeepOpenOnOk(keepOpenOnOk);
    dlg.setSelfClosing(selfClosing);
    dlg.show();
    QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
    QCOMPARE(dlg.okCalls, 1);
    QCOMPARE(!dlg.isVisible(), okCloses);
    if (okCloses)
        QCOMPARE(dlg.result(), int(QDialog::Accepted));

    ProbeDialog dlg2;
    dlg2.setKeepOpenOnOk(keepOpenOnOk);
    dlg2.setSelfClosing(selfClosing);
    dlg2.show();
    QTest::mouseClick(dlg2.cancelButton(), Qt::LeftButton);
    QCOMPARE(dlg2.cancelCalls, 1);
    QCOMPARE(dlg2.okCalls, 0);
    QCOMPARE(!dlg2.isVisible(), cancelCloses);
    if (cancelCloses)
        QCOMPARE(dlg2.result(), int(QDialog::Rejected));
}

void TestCustomDialog::closeButtonCancelsOnRelease()
{
    ProbeDialog dlg;
    dlg.show();
    QTest::mousePress(dlg.closeButton(), Qt::LeftButton);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.cancelCalls, 0);
    QTest::mouseRelease(dlg.closeButton(), Qt::LeftButton);
    QCOMPARE(dlg.cancelCalls, 1);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void TestCustomDialog::dragBandIsFortyPixels()
{
    ProbeDialog dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QPoint start = dlg.pos();

    sendMouse(&dlg, QEvent::MouseButtonPress, QPoint(200, 40), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(!dlg.isDragging());
    sendMouse(&dlg, QEvent::MouseMove, QPoint(230, 60), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(dlg.pos(), start);
    sendMouse(&dlg, QEvent::MouseButtonRelease, QPoint(230, 60), Qt::LeftButton, Qt::NoButton);

    // A right press in the band does not drag either.
    sendMouse(&dlg, QEvent::MouseButtonPress, QPoint(200, 10), Qt::RightButton, Qt::RightButton);
    QVERIFY(!dlg.isDragging());
    sendMouse(&dlg, QEvent::MouseButtonRelease, QPoint(200, 10), Qt::RightButton, Qt::NoButton);

    sendMouse(&dlg, QEvent::MouseButtonPress, QPoint(200, 39), Qt::LeftButton, Qt::LeftButton);
    QVERIFY(dlg.isDragging());
    const QPoint globalPress = start + QPoint(200, 39);
    QMouseEvent move(QEvent::MouseMove, QPointF(0, 0), QPointF(0, 0), QPointF(globalPress + QPoint(-50, 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &move);
    QCOMPARE(dlg.pos(), start + QPoint(-50, 30));
    sendMouse(&dlg, QEvent::MouseButtonRelease, QPoint(200, 39), Qt::LeftButton, Qt::NoButton);
    QVERIFY(!dlg.isDragging());

    // After the release moves do nothing.
    const QPoint settled = dlg.pos();
    sendMouse(&dlg, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::NoButton);
    QCOMPARE(dlg.pos(), settled);
}

void TestCustomDialog::findsMainWindowAsParent()
{
    {
        ProbeDialog orphan;
        QCOMPARE(orphan.parentWidget(), nullptr);
    }
    QWidget first;
    first.setObjectName(QStringLiteral("MainWindow"));
    QWidget second;
    second.setObjectName(QStringLiteral("MainWindow"));
    CMessageDialog dlg(QStringLiteral("x"));
    QVERIFY(dlg.parentWidget() == &first || dlg.parentWidget() == &second);

    QWidget explicitParent;
    CMessageDialog given(QStringLiteral("y"), &explicitParent);
    QCOMPARE(given.parentWidget(), &explicitParent);
}

void TestCustomDialog::messageAndConfirmation()
{
    // A message has OK only; a confirmation adds Cancel, which rejects.
    CMessageDialog msg(QStringLiteral("请选择需要升级的设备，然后再次点击设备升级按钮开始升级。"));
    msg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&msg));
    QVERIFY(!msg.cancelButton()->isVisible());
    QTest::mouseClick(msg.okButton(), Qt::LeftButton);
    QCOMPARE(msg.result(), int(QDialog::Accepted));

    CMessageDialog ask(QStringLiteral("是否重启设备？"));
    ask.setConfirm();
    ask.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ask));
    QTest::mouseClick(ask.cancelButton(), Qt::LeftButton);
    QCOMPARE(ask.result(), int(QDialog::Rejected));
}

void TestCustomDialog::switchResultSummary()
{
    const QList<sDeviceInfo> failed{node("192.168.1.11"), node("192.168.1.12"), node("192.168.1.13"),
                                    node("192.168.1.14")};
    QCOMPARE(CMessageDialog::failedText(failed),
             QStringLiteral("<font color ='red'>4 ( 192.168.1.11 192.168.1.12 192.168.1.13 "
                            "<br/>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;192.168.1.14  )</font>"));
}

QTEST_MAIN(TestCustomDialog)
#include "tst_customdialog.moc"
