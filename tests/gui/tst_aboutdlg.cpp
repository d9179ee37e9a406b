#include "cappconfig.h"
#include "dialog/caboutdlg.h"
#include "modaldriver.h"
#include "ui/ctoolbutton.h"

#include <QLabel>
#include <QtTest>

class TestAboutDialog : public QObject
{
    Q_OBJECT

    static QString label(const CAboutDialog &dlg, const char *name)
    {
        const auto *l = dlg.findChild<QLabel *>(QLatin1String(name));
        return l ? l->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
    }

private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    void showsProductVersionAndMakerPerLanguage()
    {
        const CAboutDialog::sOwnerInfo owner = CAboutDialog::ownerInfo();
        QVERIFY(!owner.companyName.isEmpty() && !owner.companyNameEn.isEmpty());
        QVERIFY(QFile::exists(owner.logo));

        CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
        CAppConfig::instance()->setSoftVersion(QStringLiteral("Box_V1.2"));
        {
            CAboutDialog dlg;
            QCOMPARE(label(dlg, "aboutProduct"), QStringLiteral("分布式配置软件"));
            QCOMPARE(label(dlg, "softVersion"), QStringLiteral("Box_V1.2"));
            QCOMPARE(label(dlg, "aboutCompany"), owner.companyName);
            QVERIFY(label(dlg, "aboutLink").contains(QStringLiteral("href=\"%1\"").arg(owner.webSite)));
        }
        CAppConfig::instance()->setSoftVersion(QStringLiteral("Quorvane"));
        CAppConfig::instance()->setLanguage(QStringLiteral("EN"));
        CAboutDialog dlg;
        QCOMPARE(label(dlg, "aboutCompany"), owner.companyNameEn);
        QCOMPARE(label(dlg, "softVersion"), QStringLiteral("Quorvane"));
        CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
    }

    void closesAndDragsByItsTop()
    {
        CAboutDialog dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QPoint start = dlg.pos();
        auto send = [&dlg](QEvent::Type type, const QPoint &global, Qt::MouseButton b, Qt::MouseButtons bs) {
            const QPoint local = dlg.mapFromGlobal(global);
            QMouseEvent e(type, QPointF(local), QPointF(local), QPointF(global), b, bs, Qt::NoModifier);
            QApplication::sendEvent(&dlg, &e);
        };
        // Below the top bar nothing moves; on it the dialog follows the mouse.
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
};

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdlg.moc"
