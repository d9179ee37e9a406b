#include "dialog/mainwindow.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTranslator>
#include <QVBoxLayout>

#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "comm/cdevicectrljob.h"
#include "dialog/cautorefresh.h"
#include "dialog/cdevicemanage.h"
#include "dialog/chistorydialog.h"
#include "dialog/cinventorydiffdlg.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cmaintitlebar.h"
#include "dialog/filechooser.h"
#include "dialog/guiresources.h"
#include "model/nodecsv.h"
#include "operations/csiteinventory.h"
#include "ui/cmessagedialog.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <windowsx.h>
#endif

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , m_translator(new QTranslator(this))
{
    setObjectName(QStringLiteral("MainWindow"));
    resize(800, 600);
    setWindowTitle(tr("Quorvane"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowMaximizeButtonHint);
    setMinimumSize(1366, 768);
    setContentsMargins(4, 4, 4, 4);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x2c, 0x2e, 0x33));
    setPalette(pal);

    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("centralWidget"));
    m_titleBar = new CMainTitleBar(this);
    m_deviceManage = new CDeviceManage(m_central);
    auto *layout = new QVBoxLayout(m_central);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_titleBar);
    layout->addWidget(m_deviceManage, 1);
    setCentralWidget(m_central);

    setMouseTracking(true);
    m_central->setMouseTracking(true);
    m_titleBar->setMouseTracking(true);

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        m_screen = screen;
        m_availableSize = screen->availableSize();
    }

    connect(m_titleBar, &CMainTitleBar::sigSwitch2SettingWidget, m_deviceManage,
            &CDeviceManage::switch2SettingWidget);
    connect(m_deviceManage, &CDeviceManage::sigCommandAccepted, m_titleBar,
            [this](menuType type) { m_titleBar->showCommandRunning(type, true); });
    connect(m_deviceManage, &CDeviceManage::sigCommandEnded, m_titleBar,
            [this](menuType type) { m_titleBar->showCommandRunning(type, false); });
    connect(m_titleBar, &CMainTitleBar::sigLanguageChange, this, &MainWindow::onLanguageChange);
    connect(m_titleBar, &CMainTitleBar::LanguageChange, m_deviceManage, &CDeviceManage::updateTitleBar);
    connect(m_titleBar, &CMainTitleBar::sigCardMenu, m_deviceManage, &CDeviceManage::fillCardMenu);
    connect(m_titleBar, &CMainTitleBar::sigWindowSizeChange, this, &MainWindow::onWindowSizeChange);
    connect(m_titleBar, &CMainTitleBar::sigExportList, this, &MainWindow::onExportList);
    connect(m_titleBar, &CMainTitleBar::sigAutoRefresh, this, &MainWindow::onAutoRefresh);
    connect(m_titleBar, &CMainTitleBar::sigShowHistory, this, &MainWindow::onShowHistory);
    connect(m_titleBar, &CMainTitleBar::sigSaveInventory, this, &MainWindow::onSaveInventory);
    connect(m_titleBar, &CMainTitleBar::sigCompareInventory, this, &MainWindow::onCompareInventory);


    setWindowOpacity(0.0);
    auto *fade = new QPropertyAnimation(this, "windowOpacity", this);
    fade->setDuration(1000);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->setEasingCurve(QEasingCurve::OutCurve);
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

MainWindow::~MainWindow()
{
    QApplication::removeTranslator(m_translator);
}

void MainWindow::onLanguageChange(const QString &Lang)
{
    QApplication::removeTranslator(m_translator);
    if (Lang == QLatin1String("EN")) {
        CAppConfig::instance()->setLanguage(Lang);
        m_translator->load(QStringLiteral(":/res/res/translate/english_en.qm"));
    } else if (Lang == QLatin1String("CN")) {
        CAppConfig::instance()->setLanguage(Lang);
        m_translator->load(QStringLiteral(":/res/res/translate/chinese_cn.qm"));
    }
    QApplication::installTranslator(m_translator);
    setQtLanguage(CAppConfig::instance()->language());
}

CAutoRefresh *MainWindow::autoRefresh() const
{
    return m_deviceManage->autoRefresh();
}

void MainWindow::onWindowSizeChange(bool isMax)
{
    m_pendingRestore = isMax;
    m_maximizedByTitleBar = isMax;
}

void MainWindow::onExportList(bool visibleOnly)
{
    const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .filePath(QStringLiteral("nodes.csv"));
    const QString path = FileChooser::chooseSaveFile(this, QStringLiteral("Quorvane"), start,
                                                     QStringLiteral("CSV (*.csv)"), QStringLiteral("csv"),
                                                     {tr("文件名:"), tr("保存"), tr("取消")});
    if (path.isEmpty())
        return;
    const QVector<sListedNode> rows = m_deviceManage->mainShowWidget()->exportRows(visibleOnly);
    const QByteArray bytes = NodeCsv::toCsv(rows, CAppConfig::instance()->language(), true);
    QString error;
    const bool written = NodeCsv::writeFile(path, bytes, &error);
    CMessageDialog box(written ? tr("已导出%1个节点").arg(rows.size()) : tr("导出失败：%1").arg(error), this);
    box.exec();
}

void MainWindow::onAutoRefresh(int seconds)
{
    CAppConfig::instance()->setAutoRefreshSeconds(seconds);
    m_deviceManage->autoRefresh()->setInterval(CAppConfig::instance()->autoRefreshSeconds());
}

void MainWindow::onShowHistory()
{
    CHistoryDialog dlg(CCommandHistory::instance()->entries(), this);
    dlg.exec();
}

void MainWindow::onSaveInventory()
{
    const CSiteInventory inventory = CSiteInventory::fromRows(m_deviceManage->mainShowWidget()->exportRows(false));
    // An empty scan saved over a site's inventory would lose it.
    if (inventory.nodes().isEmpty()) {
        CMessageDialog box(tr("没有可保存的节点"), this);
        box.exec();
        return;
    }
    const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .filePath(QStringLiteral("inventory.json"));
    const QString path = FileChooser::chooseSaveFile(this, QStringLiteral("Quorvane"), start, QStringLiteral("JSON (*.json)"),
                                                     QStringLiteral("json"), {tr("文件名:"), tr("保存"), tr("取消")});
    if (path.isEmpty())
        return;
    QString error;
    const bool written = inventory.save(path, &error);
    CMessageDialog box(written ? tr("已保存%1个节点").arg(inventory.nodes().size()) : tr("保存失败：%1").arg(error), this);
    box.exec();
}

void MainWindow::onCompareInventory()
{
    const QString start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = FileChooser::chooseFile(this, QStringLiteral("Quorvane"), start, QStringLiteral("JSON (*.json)"),
                                                 {tr("文件名:"), tr("打开"), tr("取消")});
    if (path.isEmpty())
        return;
    CSiteInventory saved;
    QString error;
    if (!saved.load(path, &error)) {
        CMessageDialog box(tr("无法读取清单：%1").arg(error), this);
        box.exec();
        return;
    }
    const CSiteInventory now = CSiteInventory::fromRows(m_deviceManage->mainShowWidget()->exportRows(false));
    CInventoryDiffDlg dlg(SiteInventory::compare(saved, now), this);
    dlg.exec();
}

void MainWindow::raiseFromSecondInstance()
{
    // Un-minimise but keep a maximised window maximised.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        setWindowTitle(tr("Quorvane"));
        m_titleBar->retranslateUi();
    }
    QMainWindow::changeEvent(event);
}

MainWindow::EResizeDir MainWindow::directionAt(const QPoint &global, const QRect &r, int border)
{
    const int x = global.x();
    const int y = global.y();
    const bool left = x >= r.left() && x < r.left() + border;
    const bool right = x <= r.right() && x > r.right() - border;
    const bool top = y >= r.top() && y < r.top() + border;
    const bool bottom = y <= r.bottom() && y > r.bottom() - border;
    if (top && left)
        return ResizeTopLeft;
    if (bottom && right)
        return ResizeBottomRight;
    if (bottom && left)
        return ResizeBottomLeft;
    if (top && right)
        return ResizeTopRight;
    const bool insideX = x >= r.left() && x <= r.right();
    const bool insideY = y >= r.top() && y <= r.bottom();
    if (left && insideY)
        return ResizeLeft;
    if (right && insideY)
        return ResizeRight;
    if (top && insideX)
        return ResizeTop;
    if (bottom && insideX)
        return ResizeBottom;
    return ResizeNone;
}

QRect MainWindow::resizedGeometry(const QRect &start, EResizeDir dir, const QPoint &global, const QSize &minimum)
{
    QRect g = start;
    const bool left = dir == ResizeLeft || dir == ResizeTopLeft || dir == ResizeBottomLeft;
    const bool right = dir == ResizeRight || dir == ResizeTopRight || dir == ResizeBottomRight;
    const bool top = dir == ResizeTop || dir == ResizeTopLeft || dir == ResizeTopRight;
    const bool bottom = dir == ResizeBottom || dir == ResizeBottomLeft || dir == ResizeBottomRight;
    // The opposite edge stays where it is.
    if (left)
        g.setLeft(qMin(global.x(), g.right() - minimum.width() + 1));
    if (right)
        g.setRight(qMax(global.x(), g.left() + minimum.width() - 1));
    if (top)
        g.setTop(qMin(global.y(), g.bottom() - minimum.height() + 1));
    if (bottom)
        g.setBottom(qMax(global.y(), g.top() + minimum.height() - 1));
    return g;
}

void MainWindow::updateCursorShape(const QPoint &global)
{
    m_dir = directionAt(global, QRect(mapToGlobal(QPoint(0, 0)), size()));
    switch (m_dir) {
    case ResizeTopLeft:
    case ResizeBottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case ResizeBottomLeft:
    case ResizeTopRight:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case ResizeLeft:
    case ResizeRight:
        setCursor(Qt::SizeHorCursor);
        break;
    case ResizeTop:
    case ResizeBottom:
        setCursor(Qt::SizeVerCursor);
        break;
    default:
        setCursor(Qt::ArrowCursor);
        break;
    }
    m_resizing = m_dir != ResizeNone;
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QMainWindow::mousePressEvent(event);
        return;
    }
    event->accept();
    m_pressed = true;
    m_dragOffset = event->globalPos() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (isMaximized() || isFullScreen()) {
        QMainWindow::mouseMoveEvent(event);
        return;
    }
    const QPoint global = event->globalPos();
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        updateCursorShape(global);
        return;
    }
    if (m_resizing) {
        setGeometry(resizedGeometry(geometry(), m_dir, global, minimumSize()));
    } else {
        move(global - m_dragOffset);
        trackScreen(global);
    }
    event->accept();
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    if (m_dir != ResizeNone) {
        releaseMouse();
        setCursor(Qt::ArrowCursor);
        m_dir = ResizeNone;
        m_resizing = false;
    }
    QMainWindow::mouseReleaseEvent(event);
}

void MainWindow::leaveEvent(QEvent *event)
{
    if (!m_pressed)
        setCursor(Qt::ArrowCursor);
    QMainWindow::leaveEvent(event);
}

void MainWindow::trackScreen(const QPoint &global)
{
    QScreen *screen = QGuiApplication::screenAt(global);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (m_screen && screen != m_screen && screen->geometry().size() != m_screen->geometry().size()) {
        m_screen = screen;
        m_availableSize = screen->availableSize();
        m_maximizedByTitleBar = false;
        resize(m_availableSize.width() / 2, m_availableSize.height() / 2);
        return;
    }
    m_screen = screen;
    m_availableSize = screen->availableSize();
    const QSize screenSize = screen->geometry().size();
    if (width() > screenSize.width() || height() > screenSize.height())
        resize(m_availableSize);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    m_lastSize = size();
    if (m_pendingRestore) {
        m_pendingRestore = false;
        m_maximizedByTitleBar = false;
        if (!m_availableSize.isEmpty())
            resize(m_availableSize);
    }
    QMainWindow::resizeEvent(event);
}

#ifdef Q_OS_WIN
bool MainWindow::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    MSG *msg = static_cast<MSG *>(message);
    switch (msg->message) {
    case WM_SETCURSOR:
        // A click on the window while a modal dialog is open.
        if (!isActiveWindow() && static_cast<short>(LOWORD(msg->lParam)) == HTERROR
            && HIWORD(msg->lParam) == WM_LBUTTONUP)
            activateWindow();
        break;
    case WM_GETMINMAXINFO:
        if (isMaximized()) {
            QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
            if (!screen)
                screen = QGuiApplication::primaryScreen();
            if (screen) {
                auto *info = reinterpret_cast<MINMAXINFO *>(msg->lParam);
                const qreal ratio = screen->devicePixelRatio();
                const QRect avail = screen->availableGeometry();
                info->ptMaxSize.x = qRound(avail.width() * ratio);
                info->ptMaxSize.y = qRound(avail.height() * ratio);
                // Relative to the monitor: a task bar on the left or at the top stays visible too.
                info->ptMaxPosition.x = qRound((avail.x() - screen->geometry().x()) * ratio);
                info->ptMaxPosition.y = qRound((avail.y() - screen->geometry().y()) * ratio);
            }
        }
        break;
    default:
        break;
    }
    return QMainWindow::nativeEvent(eventType, message, result);
}
#endif
