#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

class QScreen;
class QTranslator;
class CMainTitleBar;
class CDeviceManage;
class CAutoRefresh;

// The frameless top-level window: title bar above the hub, resizable by its edges,
// movable by dragging, kept within its screen.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    enum EResizeDir {
        ResizeNone = -1,
        ResizeTop = 0,
        ResizeBottom = 1,
        ResizeLeft = 2,
        ResizeRight = 3,
        ResizeTopLeft = 4,
        ResizeBottomLeft = 5,
        ResizeTopRight = 6,
        ResizeBottomRight = 7,
    };

    static constexpr int BorderWidth = 3;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    CMainTitleBar *titleBar() const { return m_titleBar; }
    CDeviceManage *deviceManage() const { return m_deviceManage; }
    CAutoRefresh *autoRefresh() const;

    // The edge or corner a global point lies on, against the given global rectangle.
    static EResizeDir directionAt(const QPoint &global, const QRect &globalRect, int border = BorderWidth);
    // The geometry after dragging edge `dir` to `global`, never below minimum.
    static QRect resizedGeometry(const QRect &start, EResizeDir dir, const QPoint &global, const QSize &minimum);

    // Brings the window back from a second start of the program.
    void raiseFromSecondInstance();

public slots:
    void onLanguageChange(const QString &Lang);
    void onWindowSizeChange(bool isMax);
    // More menu: the node list to a CSV file, the refresh interval, the history of commands.
    void onExportList(bool visibleOnly);
    void onAutoRefresh(int seconds);
    void onShowHistory();
    // More menu: every node of the current scan to an inventory file; the scan against one.
    void onSaveInventory();
    void onCompareInventory();

protected:
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;
#endif

private:
    void updateCursorShape(const QPoint &global);
    void trackScreen(const QPoint &global);

    QWidget *m_central = nullptr;
    CMainTitleBar *m_titleBar = nullptr;
    CDeviceManage *m_deviceManage = nullptr;
    QTranslator *m_translator = nullptr;
    QPoint m_dragOffset;
    bool m_pressed = false;
    bool m_resizing = false;
    EResizeDir m_dir = ResizeNone;
    QPointer<QScreen> m_screen;
    QSize m_availableSize;
    QSize m_lastSize;
    bool m_pendingRestore = false;
    bool m_maximizedByTitleBar = false;
};
