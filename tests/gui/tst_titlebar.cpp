#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "dialog/guiresources.h"

#include "cappconfig.h"
#include "dialog/cmaintitlebar.h"
#include "ui/gradienttextlabel.h"

class TestTitleBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installAppStyleSheet(*qApp);
        qRegisterMetaType<menuType>();
        CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
    }

    void commandRow()
    {
        QWidget window;
        CMainTitleBar bar(&window);
        window.resize(1366, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QList<QPushButton *> &buttons = bar.commandButtons();
        QCOMPARE(buttons.size(), 14);
        QCOMPARE(bar.widthButtons().size(), 12);
        QSignalSpy spy(&bar, &CMainTitleBar::sigSwitch2SettingWidget);
        for (int i = 0; i < buttons.size(); ++i) {
            QPushButton *b = buttons.at(i);
            const bool hidden = i == 3 || i == 5 || i == 10;
            QCOMPARE(b->isVisible(), !hidden);
            if (hidden)
                b->click(); // still wired: the hub decides what a hidden command does
            else
                QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(spy.count(), i + 1);
            QCOMPARE(spy.last().at(0).value<menuType>(), menuType(i));
        }
        bar.onAbout();
        QCOMPARE(spy.last().at(0).value<menuType>(), MenuAbout);
        QCOMPARE(bar.titleLabel()->text(), QStringLiteral("分布式配置软件"));
    }

    void languageChoiceOrder()
    {
        QWidget window;
        CMainTitleBar bar(&window);
        QStringList order;
        connect(&bar, &CMainTitleBar::LanguageChange, this, [&](const QString &code) {
            // The widths are already those of the new language.
            const int w = bar.widthButtons().first()->width();
            order << "table:" + code + ":" + QString::number(w);
        });
        connect(&bar, &CMainTitleBar::sigLanguageChange, this,
                [&](const QString &code) { order << "window:" + code; });
        bar.onLanguageSelected(QStringLiteral("EN"));
        const int enWidth = bar.widthButtons().first()->fontMetrics().horizontalAdvance("Scan node") + 20;
        QCOMPARE(order, (QStringList{"table:EN:" + QString::number(enWidth), "window:EN"}));
    }

    void maximiseFromTopRowOnly()
    {
        QWidget window;
        window.setMinimumSize(800, 200);
        CMainTitleBar bar(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy size(&bar, &CMainTitleBar::sigWindowSizeChange);

        QTest::mouseDClick(bar.commandRow(), Qt::LeftButton, Qt::NoModifier, QPoint(bar.commandRow()->width() - 5, 20));
        QCOMPARE(size.count(), 0);

        QTest::mouseDClick(bar.topRow(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 20));
        QCOMPARE(size.count(), 1);
        QCOMPARE(size.last().at(0).toBool(), true);
        QTRY_VERIFY(window.isMaximized());

        QTest::mouseClick(bar.maxButton(), Qt::LeftButton);
        QCOMPARE(size.count(), 2);
        QCOMPARE(size.last().at(0).toBool(), false);
    }
};

QTEST_MAIN(TestTitleBar)
#include "tst_titlebar.moc"
