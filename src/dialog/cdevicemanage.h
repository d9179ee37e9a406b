#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "dialog/cautorefresh.h"
#include "dialog/menutype.h"
#include "model/sdeviceinfo.h"

class QMenu;
class QVBoxLayout;
class CMainShowWidget;
class CProgressDialog;
class CDeviceCtrlJob;

// The hub below the title bar: owns the node table page, the busy indicator and the
// control job; turns each command of the title bar into its dialog and a rescan. One
// command at a time: from its start to the end of its own rescan no other command (nor
// the auto refresh) starts, and none waits in a nested event loop for the nodes.
class CDeviceManage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDeviceManage)

public:
    // What a command needs marked in the table before its dialog opens.
    enum class Need { Nothing, AnyNode, NodeWithAddress };
    struct CommandRule
    {
        Need need = Need::Nothing;
        const char *message = nullptr; // shown when the need is not met
    };
    static CommandRule ruleFor(menuType type);

    explicit CDeviceManage(QWidget *parent = nullptr);
    ~CDeviceManage() override;

    CMainShowWidget *mainShowWidget() const { return m_page; }
    CDeviceCtrlJob *job() const { return m_job; }
    CProgressDialog *busyIndicator() const { return m_busy; }
    // Rescans every few seconds off the GUI thread, keeping what the rows show.
    CAutoRefresh *autoRefresh() const { return m_autoRefresh; }
    // How long the busy indicator stays after a scan; tests shorten it.
    void setBusyMs(int ms) { m_busyMs = ms; }
    int busyMs() const { return m_busyMs; }

    // Scans on a worker while the window keeps painting; refreshes the table once the
    // answers have stopped. A refresh under way ends unmerged first. Returns at once;
    // sigCommandEnded follows. False (nothing started) while a command runs.
    bool scanNodes();
    // A command (or a scan) runs, from its start to the end of its rescan.
    bool isCommandRunning() const { return m_hold != nullptr; }

signals:
    // Every command that passed its precondition, before its own handling.
    void sigCommandAccepted(menuType type);
    // The command that sigCommandAccepted (or scanNodes) started has ended, rescan included.
    void sigCommandEnded(menuType type);

public slots:
    // Both run once any refresh under way has come in: at once when none runs, else later.
    void switch2SettingWidget(menuType type);
    void nodeSetting(ENodeType type, int64_t nodeID);
    void updateTitleBar(const QString &curLang);
    // One checkable entry per network card the scan may use; unticking one leaves it out
    // of every later scan and keeps that in the configuration.
    void fillCardMenu(QMenu *menu);

private:
    void runCommand(menuType type);
    void beginCommand(menuType type);
    void endCommand();
    // Scans, then runs then (both from the event loop).
    void scan(const std::function<void()> &then);
    void scanThenEnd();
    void editNode(ENodeType type, int64_t nodeID);
    bool checkPrecondition(menuType type);
    void showMessage(const QString &text);
    void showAbout();
    // Commands 4 and 5: package chooser, then the upgrade dialog; true when it ran.
    bool runUpgrade(bool application);

    QVBoxLayout *m_layout = nullptr;
    CMainShowWidget *m_page = nullptr;
    CProgressDialog *m_busy = nullptr;
    CDeviceCtrlJob *m_job = nullptr;
    CAutoRefresh *m_autoRefresh = nullptr;
    int m_busyMs = 300;
    menuType m_command = MenuScanNode;
    std::unique_ptr<CAutoRefresh::Hold> m_hold; // set exactly while a command runs
};
