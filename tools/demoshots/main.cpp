// Drives the real main window against the demo's simulated LAN and saves one screenshot per
// node-list feature: search (and no match), sort, the selection count with the refresh
// indicator, keyboard focus, the restart question with its reach, a node gone after a restart
// with its tool tip, the more menu with its language tick, the history.
// Run only by scripts/demo.sh, inside the private namespace.
//
//   quorvane-demoshots CN|EN OUTPUT_DIR RESTART_IP CHECK_IP
//   quorvane-demoshots CN|EN OUTPUT_DIR --inventory FILE
// The second form scans, compares the LAN with the inventory FILE (written by quorvane-cli
// inventory save against an earlier LAN) and saves the window with the comparison over it.
// RESTART_IP is restarted and stays silent (the simulator's --reboot-ms); CHECK_IP is checked
// beside it, to show that the check survives the refresh.
//
//   quorvane-demoshots upgrade CN|EN OUTPUT_FILE PACKAGE IP...
// The package chooser with its staged-rollout fold open (a canary of one, waves of two),
// beside the upgrade dialog once every decoder IP has been verified or has failed; needs the
// simulator with SFTP servers (scripts/lan-sshd.sh, --sftp-root) on those addresses.
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QToolTip>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QToolButton>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "comm/cdevicectrljob.h"
#include "dialog/cautorefresh.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cdeviceupdatewidget.h"
#include "dialog/cupdatedlg.h"
#include "dialog/chistorydialog.h"
#include "dialog/cinventorydiffdlg.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/cmaintitlebar.h"
#include "dialog/cnodescanui/cnodeheaderview.h"
#include "dialog/guiresources.h"
#include "dialog/mainwindow.h"
#include "operations/csiteinventory.h"

namespace {

void settle(int ms)
{
    QTimer wait;
    wait.setSingleShot(true);
    wait.start(ms);
    while (wait.isActive())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(const QPixmap &shot, const QString &dir, const QString &name)
{
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    const bool ok = shot.save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok;
}

// The window with the comparison dialog where it opens over it.
int inventoryShot(MainWindow &window, const QString &file, const QString &out, const QString &lang)
{
    CSiteInventory saved;
    QString error;
    if (!saved.load(file, &error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(file), qPrintable(error));
        return 1;
    }
    const CSiteInventory now = CSiteInventory::fromRows(window.deviceManage()->mainShowWidget()->exportRows(false));
    CInventoryDiffDlg dlg(SiteInventory::compare(saved, now), &window);
    dlg.show();
    dlg.move(window.geometry().center() - dlg.rect().center());
    settle(400);
    QPixmap shot = window.grab();
    QPainter painter(&shot);
    painter.drawPixmap(window.mapFromGlobal(dlg.mapToGlobal(QPoint(0, 0))), dlg.grab());
    painter.end();
    return save(shot, out, QStringLiteral("inventory_compare_") + lang) ? 0 : 1;
}

// The rollout as the chooser's fold sets it, then the upgrade it starts, in one picture.
int upgradeShot(const QString &out, const QString &package, const QStringList &ips)
{
    CUpdateDlg chooser;
    chooser.setTitle(QCoreApplication::translate("CMainTitleBar", "设备升级"));
    chooser.setPath(package);
    chooser.setFoldOpen(true);
    chooser.canaryBox()->setValue(1);
    chooser.waveBox()->setValue(2);
    chooser.verifyTimeoutBox()->setValue(20);
    chooser.show();
    settle(300);
    const QPixmap chosen = chooser.grab();
    chooser.hide();

    CDeviceUpdateWidget dlg;
    dlg.setRollout(chooser.rollout());
    SelectedNodeList nodes;
    for (int i = 0; i < ips.size(); ++i)
        nodes.append({i + 1, ips.at(i).toUtf8(), QByteArray(), DecoderNode});
    dlg.startUpdate(package, nodes);
    dlg.show();
    const auto settled = [&dlg] {
        for (int i = 0; i < dlg.rowCount(); ++i) {
            const QString v = dlg.verification(i);
            if (v.isEmpty() || v == QCoreApplication::translate("CUpgradeWidget", "验证中")
                || v == QCoreApplication::translate("CUpgradeWidget", "上传中")
                || v == QCoreApplication::translate("CUpgradeWidget", "安装中"))
                return false;
        }
        return true;
    };
    for (int waited = 0; waited < 120000 && !settled(); waited += 200)
        settle(200);
    settle(300);
    const QPixmap rows = dlg.grab();
    QPixmap both(chosen.width() + 16 + rows.width(), qMax(chosen.height(), rows.height()));
    both.fill(QColor(30, 30, 30));
    QPainter painter(&both);
    painter.drawPixmap(0, 0, chosen);
    painter.drawPixmap(chosen.width() + 16, 0, rows);
    painter.end();
    const bool ok = both.save(out);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(out));
    dlg.onOkClicked();
    return ok && settled() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc >= 6 && QByteArray(argv[1]) == "upgrade") {
        initGuiResources();
        installAppStyleSheet(app);
        QFont font(QStringLiteral("Microsoft YaHei"));
        font.setPixelSize(12);
        QApplication::setFont(font);
        const QString lang = QString::fromLatin1(argv[2]);
        CAppConfig::instance()->setLanguage(lang);
        QTranslator translator;
        translator.load(lang == QLatin1String("EN") ? QStringLiteral(":/res/res/translate/english_en.qm")
                                                    : QStringLiteral(":/res/res/translate/chinese_cn.qm"));
        QApplication::installTranslator(&translator);
        QStringList ips;
        for (int i = 5; i < argc; ++i)
            ips << QString::fromLatin1(argv[i]);
        return upgradeShot(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]), ips);
    }
    if (argc != 5) {
        std::fprintf(stderr, "usage: quorvane-demoshots CN|EN OUTPUT_DIR RESTART_IP CHECK_IP|--inventory FILE\n");
        return 2;
    }
    const bool inventory = qstrcmp(argv[3], "--inventory") == 0;
    const QByteArray restartIp(argv[3]);
    const QByteArray checkIp(argv[4]);
    const QString lang = QString::fromLatin1(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    initGuiResources();
    installAppStyleSheet(app);
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    CAppConfig::instance()->setLanguage(lang);
    QTranslator translator;
    translator.load(lang == QLatin1String("EN") ? QStringLiteral(":/res/res/translate/english_en.qm")
                                                : QStringLiteral(":/res/res/translate/chinese_cn.qm"));
    QApplication::installTranslator(&translator);

    MainWindow window;
    window.setWindowOpacity(1.0);
    window.move(0, 0);
    window.show();
    CDeviceManage *hub = window.deviceManage();
    CMainShowWidget *page = hub->mainShowWidget();
    hub->setBusyMs(0);
    hub->scanNodes();
    while (hub->isCommandRunning()) // the scan ends on its own, from the event loop
        settle(50);
    settle(1200); // past the fade-in
    if (inventory)
        return inventoryShot(window, QString::fromLocal8Bit(argv[4]), out, lang);
    bool ok = true;

    // Search: Ctrl+F focuses the box; it narrows the list by name, IP or MAC.
    page->searchBox()->setFocus();
    page->searchBox()->setText(QStringLiteral("重复"));
    settle(200);
    ok &= save(window.grab(), out, QStringLiteral("search_") + lang);
    // Nothing matches: the table says so.
    page->searchBox()->setText(QStringLiteral("zzzz"));
    settle(200);
    ok &= save(window.grab(), out, QStringLiteral("no_match_") + lang);
    page->searchBox()->clear();

    // Sort: the version column, clicked twice (descending).
    page->headerView()->sortButton(ENodeColumn::Version)->click();
    page->headerView()->sortButton(ENodeColumn::Version)->click();
    settle(200);
    ok &= save(window.grab(), out, QStringLiteral("sort_") + lang);

    // Refresh on its own: two nodes checked, one of them restarted (the simulator keeps it
    // silent for a while), so the next refresh shows it greyed and keeps the other's check.
    const QList<sDeviceInfo> rows = page->rows();
    SelectedNodeList restarted;
    for (const sDeviceInfo &row : rows) {
        if (row.ip == restartIp || row.ip == checkIp)
            page->singleSelectOrCancel(row.id);
        if (row.ip == restartIp)
            restarted.append({row.id, row.ip, row.managerIP, row.nodeType});
    }
    if (restarted.isEmpty()) {
        std::fprintf(stderr, "no node at %s\n", restartIp.constData());
        return 1;
    }
    // The count of checked rows, always shown; the refresh indicator with its last time.
    window.onAutoRefresh(5);
    settle(200);
    ok &= save(window.grab(), out, QStringLiteral("selection_count_") + lang);

    // The restart question says how many nodes it reaches.
    {
        CDeviceRestartDlg question(QCoreApplication::translate("CDeviceManage", "设备重启"), &window);
        question.setText(QCoreApplication::translate("CDeviceManage", "是否重启设备？") + QLatin1Char('\n')
                         + QCoreApplication::translate("CDeviceManage", "将发送到 %1 个节点").arg(2));
        question.setFixedSize(480, 200);
        question.show();
        settle(300);
        ok &= save(question.grab(), out, QStringLiteral("restart_question_") + lang);
    }

    const bool rebooted = hub->job()->rebootNodes(restarted);
    CCommandHistory::instance()->append(
        CCommandHistory::key("CDeviceManage", "设备重启"),
        CCommandHistory::outcomes(restarted, rebooted ? CCommandHistory::sentText() : CCommandHistory::failedText(),
                                  rebooted));
    // The refresh scans on a worker: the window paints on meanwhile.
    window.autoRefresh()->tick();
    settle(100);
    ok &= save(window.grab(), out, QStringLiteral("refresh_running_") + lang);
    while (window.autoRefresh()->isRunning())
        settle(50);
    settle(200);
    ok &= save(window.grab(), out, QStringLiteral("refresh_gone_") + lang);
    // The greyed row explains itself.
    CNodeTableView *table = page->tableView();
    const QList<sDeviceInfo> after = page->rows();
    for (int row = 0; row < after.size(); ++row) {
        if (after.at(row).ip != restartIp)
            continue;
        const QModelIndex index = page->nodeListModel()->itemModel()->index(row, 0);
        const QRect r = table->visualRect(index);
        QToolTip::showText(table->viewport()->mapToGlobal(r.center()), index.data(Qt::ToolTipRole).toString(),
                           table->viewport());
        settle(400);
        ok &= save(QGuiApplication::primaryScreen()->grabWindow(0), out, QStringLiteral("gone_tooltip_") + lang);
        QToolTip::hideText();
    }
    window.onAutoRefresh(0);

    // Keyboard: the table has the focus, its current row is highlighted; Space checked it.
    window.activateWindow();
    settle(100);
    table->setFocus();
    table->setCurrentIndex(page->nodeListModel()->itemModel()->index(2, 0));
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(table, &space);
    settle(200);
    ok &= save(window.grab(), out, QStringLiteral("keyboard_focus_") + lang);

    // The more menu with the new entries.
    QTimer::singleShot(400, &app, [&] {
        // The language submenu open: its tick on the current language, the arrows visible.
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            menu->setActiveAction(menu->actions().value(0));
            QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
            QApplication::sendEvent(menu, &right);
        }
    });
    QTimer::singleShot(900, &app, [&] {
        ok &= save(QGuiApplication::primaryScreen()->grabWindow(0), out, QStringLiteral("more_menu_") + lang);
        while (QWidget *menu = QApplication::activePopupWidget())
            menu->close();
    });
    window.titleBar()->onMoreButton();

    // The history, newest first.
    CHistoryDialog history(CCommandHistory::instance()->entries(), &window);
    history.show();
    settle(300);
    ok &= save(history.grab(), out, QStringLiteral("history_") + lang);
    history.close();
    return ok ? 0 : 1;
}
