// The English interface: the compiled translations in the program's resources, the
// switch from the more menu, and the texts dialogs show afterwards.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "dialog/chistorydialog.h"
#include "dialog/caboutdlg.h"
#include "dialog/cdecodersettingdlg.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cmaintitlebar.h"
#include "dialog/cnodescanui/cnodeheaderview.h"
#include "dialog/cnodescanui/customcheckbox.h"
#include "dialog/guiresources.h"
#include "dialog/mainwindow.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "modaldriver.h"
#include "nodefixtures.h"
#include "ui/cipaddredit.h"
#include "ui/gradienttextlabel.h"

using namespace fixtures;

namespace
{
const QString kChineseQm = QStringLiteral(":/res/res/translate/chinese_cn.qm");

QStringList items(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// Texts still holding Chinese characters: the ones a switch to English missed.
QStringList chineseIn(const QStringList &texts)
{
    QStringList left;
    for (const QString &t : texts) {
        for (const QChar c : t) {
            if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) {
                left << t;
                break;
            }
        }
    }
    return left;
}
} // namespace

class TestEnglish final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installAppStyleSheet(*qApp);
        registerNodeMetaTypes();
        QFont font(QStringLiteral("Microsoft YaHei"));
        font.setPixelSize(12);
        QApplication::setFont(font);
        QVERIFY(m_configDir.isValid());
        CAppConfig::instance()->setConfigDirOverride(m_configDir.path());
        QVERIFY(m_startup.load(kChineseQm));
        QApplication::installTranslator(&m_startup);
    }

    void init()
    {
        CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
        QFile::remove(CAppConfig::instance()->configFilePath());
        clearStores();
        CDecoderList::instance().addNode(decoder(11, "127.0.1.11", "00:aa:00:00:00:11", 0, "V1.2.0", "大厅拼接屏"));
        CDecoderList::instance().addNode(decoder(12, "127.0.1.12", "00:aa:00:00:00:12", 1, "V1.2.0", "坐席-1"));
        CDecoderList::instance().addNode(decoder(13, "127.0.1.13", "00:aa:00:00:00:13", 2, "V1.1.5", "矩阵输出"));
        CEncoderList::instance().addNode(encoder(21, "127.0.1.21", "00:aa:00:00:00:21", "摄像机-1", "V2.0.1", "前门摄像"));
        CEncoderList::instance().addNode(encoder(22, "127.0.1.22", "00:aa:00:00:00:22", "", "V2.0.1", "机房电脑"));
        m_window = new MainWindow;
        m_window->deviceManage()->setBusyMs(0);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        page()->updateDeviceInfo();
    }

    void cleanup()
    {
        // Qt starts the search box's clear-button fade (160 ms) without a parent: a box
        // deleted while it runs leaves the animation behind.
        QTest::qWait(250);
        delete m_window;
        m_window = nullptr;
        clearStores();
    }

    void moreMenuSwitchesEveryOpenText()
    {
        CMainTitleBar *bar = m_window->titleBar();
        CNodeHeaderView *header = page()->headerView();
        const auto shown = [&] {
            QStringList texts = items(header->typeBox()) + items(header->modeBox())
                + QStringList{bar->titleLabel()->text(), header->selectAllBox()->text(), header->versionBox()->itemText(0)};
            for (const QPushButton *b : bar->commandButtons())
                texts << b->text();
            return texts;
        };
        page()->singleSelectOrCancel(12);
        CCommandHistory::instance()->append(CCommandHistory::key("CDeviceManage", "设备重启"),
                                            {{12, QStringLiteral("127.0.1.12"), CCommandHistory::sentText(), true}});

        chooseLanguage(QStringLiteral("英语(English)"));
        // The switch keeps the marks, and says so in the new language.
        QCOMPARE(page()->selectedNodeList().size(), 1);
        QCOMPARE(page()->selectionCountLabel()->text(), QStringLiteral("Selected 1 / 5"));
        // The history reads in the language of the moment, with the node's name.
        {
            CHistoryDialog history(CCommandHistory::instance()->entries(), m_window);
            QCOMPARE(history.table()->item(0, CHistoryDialog::CommandColumn)->text(), QStringLiteral("Device restart"));
            QCOMPARE(history.table()->item(0, CHistoryDialog::NameColumn)->text(), QStringLiteral("坐席-1"));
            QCOMPARE(history.table()->item(0, CHistoryDialog::ResultColumn)->text(), QStringLiteral("Sent"));
        }
        page()->searchBox()->setText(QStringLiteral("zzzz"));
        QCOMPARE(page()->noMatchLabel()->text(), QStringLiteral("No matching node"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Quorvane"));
        QCOMPARE(chineseIn(shown()), QStringList());
        for (const QPushButton *b : bar->widthButtons()) // laid out for the longer English names
            QVERIFY2(b->fontMetrics().horizontalAdvance(b->text()) < b->width(), qPrintable(b->text()));
        // The choice is kept in memory and written at the next application state change.
        QCOMPARE(CAppConfig::instance()->language(), QStringLiteral("EN"));
        QVERIFY(!QFile::exists(CAppConfig::instance()->configFilePath()));

        // A settings dialog opened now reads in English and refuses in English.
        {
            CDecoderSettingDlg dlg(page()->nodeListModel(), 11, m_window);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            QStringList labels{dlg.titleLabel()->text()};
            for (const QLabel *label : dlg.findChildren<QLabel *>(QStringLiteral("settingLabel")))
                labels << label->text();
            QCOMPARE(chineseIn(labels), QStringList());
            for (const char *name : {"basicButton", "advanceButton"}) { // the longer page names fit their buttons
                auto *button = dlg.findChild<QPushButton *>(QLatin1String(name));
                QVERIFY2(button && button->fontMetrics().horizontalAdvance(button->text()) < button->width(), name);
            }
            dlg.onAdvance();
            auto *ip = dlg.findChild<CIpAddrEdit *>(QStringLiteral("ipEdit"));
            QVERIFY(ip);
            ip->field(0)->clear();
            QCOMPARE(ModalDriver::messageFrom([&] { dlg.onOkClicked(); }), QStringLiteral("IP adress cannot be empty."));
            QVERIFY(dlg.isVisible()); // refused, not saved

            // The translation entry for the maker's name matches the owner data.
            const QString companyEn = CAboutDialog::ownerInfo().companyNameEn;
            CAboutDialog about(m_window);
            const auto *company = about.findChild<QLabel *>(QStringLiteral("aboutCompany"));
            QVERIFY(!companyEn.isEmpty() && company && company->text() == companyEn);
        }

        // The menu itself now reads in English, and leads back.
        chooseLanguage(QStringLiteral("Chinese"));
        QCOMPARE(CAppConfig::instance()->language(), QStringLiteral("CN"));
        QCOMPARE(bar->titleLabel()->text(), QStringLiteral("分布式配置软件"));
        QCOMPARE(header->typeBox()->itemText(0), QStringLiteral("所有类型"));
        // Qt's own dialogs speak the program's language too.
        QVERIFY(QCoreApplication::translate("QFileDialog", "&Open") != QStringLiteral("&Open"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    }

private:
    // Picks an entry of the language submenu the way the operator does.
    void chooseLanguage(const QString &entry)
    {
        bool picked = false;
        QTimer::singleShot(0, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction *top : menu->actions()) {
                if (!top->menu())
                    continue;
                for (QAction *action : top->menu()->actions()) {
                    if (action->text() == entry) {
                        action->trigger();
                        picked = true;
                    }
                }
            }
            menu->close();
        });
        m_window->titleBar()->moreButton()->click();
        QVERIFY2(picked, qPrintable(entry));
        // Installing a translator posts the language change events.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCoreApplication::processEvents(); // lay the new widths out before anything is grabbed
    }

    CMainShowWidget *page() const { return m_window->deviceManage()->mainShowWidget(); }

    QTemporaryDir m_configDir;
    QTranslator m_startup; // installed once, beneath the window's own
    MainWindow *m_window = nullptr;
};

QTEST_MAIN(TestEnglish)
#include "tst_english.moc"
