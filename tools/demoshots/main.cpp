// Drives the real main window against the demo's simulated LAN and saves one screenshot per
// node-list feature: search, sort, a node gone after a restart, the more menu, the history.
// Run only by scripts/demo.sh, inside the private namespace.
//
//   quorvane-demoshots CN|EN OUTPUT_DIR RESTART_IP CHECK_IP
// RESTART_IP is restarted and stays silent (the simulator's --reboot-ms); CHECK_IP is checked
// beside it, to show that the check survives the refresh.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "cappconfig.h"
#include "ccommandhistory.h"
#include "comm/cdevicectrljob.h"
#include "dialog/cautorefresh.h"
#include "dialog/cdevicemanage.h"
#include "dialog/chistorydialog.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cmaintitlebar.h"
#include "dialog/cnodescanui/cnodeheaderview.h"
#include "dialog/guiresources.h"
#include "dialog/mainwindow.h"

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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: quorvane-demoshots CN|EN OUTPUT_DIR RESTART_IP CHECK_IP\n");
        return 2;
    }
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
    settle(1200); // past the fade-in
    bool ok = true;

    // Search: Ctrl+F focuses the box; it narrows the list by name, IP or MAC.
    page->searchBox()->setFocus();
    page->searchBox()->setText(QStringLiteral("重复"));
    settle(200);
    ok &= save(window.grab(), out, QStringLiteral("search_") + lang);
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
    const bool rebooted = hub->job()->rebootNodes(restarted);
    CCommandHistory::instance()->append(
        QCoreApplication::translate("CDeviceManage", "设备重启"),
        CCommandHistory::outcomes(restarted,
                                  QCoreApplication::translate("CDeviceManage", rebooted ? "重启成功" : "重启失败"),
                                  rebooted));
    window.onAutoRefresh(5);
    window.autoRefresh()->tick();
    settle(200);
    ok &= save(window.grab(), out, QStringLiteral("refresh_gone_") + lang);
    window.onAutoRefresh(0);

    // The more menu with the new entries.
    QTimer::singleShot(400, &app, [&] {
        ok &= save(QGuiApplication::primaryScreen()->grabWindow(0), out, QStringLiteral("more_menu_") + lang);
        if (QWidget *menu = QApplication::activePopupWidget())
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
