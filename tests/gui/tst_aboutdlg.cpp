#include "guitestutil.h"

#include "cappconfig.h"
#include "dialog/caboutdlg.h"
#include "ui/ctoolbutton.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QtTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { applyAppStyle(); }
    void ownerDataComesFromTheResource();
    void showsProductVersionAndMaker();
    void englishShowsEnglishCompanyName();
    void closesAndDrags();
};

void TestAboutDialog::ownerDataComesFromTheResource()
{
    const CAboutDialog::sOwnerInfo owner = CAboutDialog::ownerInfo();
    QVERIFY(!owner.companyName.isEmpty());
    QVERIFY(!owner.companyNameEn.isEmpty());
    QVERIFY(owner.webSite.startsWith(QStringLiteral("https://")));
    QVERIFY(QFile::exists(owner.logo));
    QVERIFY(QFile::exists(QStringLiteral(":/res/res/image/title/applogo.svg")));
}

void TestAboutDialog::showsProductVersionAndMaker()
{
    CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
    CAppConfig::instance()->setSoftVersion(QStringLiteral("Box_V1.2"));
    CAboutDialog dlg;
    dlg.setFixedWidth(420);
    const CAboutDialog::sOwnerInfo owner = CAboutDialog::ownerInfo();

    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("aboutTitle"))->text(), QStringLiteral("关于"));
    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("aboutProduct"))->text(), QStringLiteral("分布式配置软件"));
    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("softVersion"))->text(), QStringLiteral("Box_V1.2"));
    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("aboutCompany"))->text(), owner.companyName);
    const QLabel *link = dlg.findChild<QLabel *>(QStringLiteral("aboutLink"));
    QVERIFY(link->text().contains(QStringLiteral("href=\"%1\"").arg(owner.webSite)));
    QVERIFY(link->text().contains(QStringLiteral("rgb(9,119,229)")));
    QVERIFY(!link->openExternalLinks());
    QVERIFY(dlg.findChild<QLabel *>(QStringLiteral("aboutImage"))->styleSheet().contains(QStringLiteral("applogo.svg")));

    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.findChild<QWidget *>(QStringLiteral("aboutDialogTop"))->height(), 40);
    saveScreenshot(&dlg, QStringLiteral("about_dialog"));
    CAppConfig::instance()->setSoftVersion(QStringLiteral("Quorvane"));
}

void TestAboutDialog::englishShowsEnglishCompanyName()
{
    CAppConfig::instance()->setLanguage(QStringLiteral("EN"));
    CAboutDialog dlg;
    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("aboutCompany"))->text(), CAboutDialog::ownerInfo().companyNameEn);
    QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("softVersion"))->text(), QStringLiteral("Quorvane"));
    CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
}

void TestAboutDialog::closesAndDrags()
{
    CAboutDialog dlg;
    dlg.setFixedWidth(420);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QRect sg = QGuiApplication::primaryScreen()->geometry();
    QVERIFY((dlg.geometry().center() - sg.center()).manhattanLength() <= 2);

    const QPoint start = dlg.pos();
    auto send = [&dlg](QEvent::Type type, const QPoint &global, Qt::MouseButton b, Qt::MouseButtons bs) {
        const QPoint local = dlg.mapFromGlobal(global);
        QMouseEvent e(type, QPointF(local), QPointF(local), QPointF(global), b, bs, Qt::NoModifier);
        QApplication::sendEvent(&dlg, &e);
    };
    send(QEvent::MouseButtonPress, start + QPoint(100, 45), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, start + QPoint(130, 75), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(dlg.pos(), start);
    send(QEvent::MouseButtonRelease, start + QPoint(130, 75), Qt::LeftButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, start + QPoint(100, 20), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, start + QPoint(130, 50), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(dlg.pos(), start + QPoint(30, 30));
    send(QEvent::MouseButtonRelease, start + QPoint(130, 50), Qt::LeftButton, Qt::NoButton);

    auto *close = dlg.findChild<CToolButton *>();
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdlg.moc"
