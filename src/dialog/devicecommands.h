#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "operations/crolloutplan.h"
#include "model/sdeviceinfo.h"

class CDeviceCtrlJob;
class COperation;
class CProgressDialog;
class CNodeListModel;
class QObject;
class QWidget;

// The hub's bulk and tool commands: each checks its selection, runs its dialog
// modally over the hub and sends through the hub's job. None waits in a nested loop for
// the nodes: each returns once it has started, and its continuation done(rescan) runs
// exactly once, from the event loop, when the command has ended (at once when it ended
// before sending); rescan is true when the hub should rescan afterwards.
namespace DeviceCommands {

using Done = std::function<void(bool rescan)>;
// finished: false when the operator cancelled the operation.
using Then = std::function<void(COperation &operation, bool finished)>;

// Starts the operation off this thread and returns; this thread's event loop goes on.
// With busy given, the busy indicator turns window-modal meanwhile and closing it cancels
// the operation. whenDone runs once the operation has ended (or was cancelled); busy then
// stays lingerMs longer. Then the operation is finished (its history line) and then runs.
// context (the hub) owns the run: destroyed with it, the operation is cancelled and
// then never runs.
void runOperation(std::unique_ptr<COperation> operation, CProgressDialog *busy, std::function<void()> whenDone,
                  int lingerMs, Then then, QObject *context);
// The hub's busy indicator when hub is the hub and shows one, else null.
CProgressDialog *busyOf(QWidget *hub);

// Full records of the selected rows, looked up in the table's model.
QList<sDeviceInfo> recordsOf(const CNodeListModel &model, const SelectedNodeList &selected);

void switchType(CDeviceCtrlJob &job, const CNodeListModel &model, const SelectedNodeList &selected, QWidget *hub,
                Done done);
void restart(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub, Done done);
void factoryReset(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub, Done done);
// Asks, then rescans (rescan calls its argument once the scan has ended) before sending
// the time to every node. done(false) at its end.
void syncTime(CDeviceCtrlJob &job, QWidget *hub, const std::function<void(std::function<void()>)> &rescan,
              Done done);
// The import and export dialogs show their operation to its end themselves.
bool importData(CDeviceCtrlJob &job, QWidget *hub);
bool exportData(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub);
void modelSwitch(CDeviceCtrlJob &job, CNodeListModel &model, QWidget *hub, Done done);
void proxyLogLevel(QWidget *hub);
// Consecutive addresses from startIp for the nodes, in list order, as the network
// configuration checked them. done(true) at its end.
void configureNetwork(CDeviceCtrlJob &job, const SelectedNodeList &nodes, const QString &startIp,
                      const QString &mask, const QString &gateway, QWidget *hub, Done done);
// The firmware (or, with application, the app) upgrade dialog over the nodes, staged as
// rollout says (default: every node at once); versions: what the table lists, by address.
void upgrade(bool application, const QString &packagePath, const SelectedNodeList &nodes, QWidget *hub,
             const sRolloutOptions &rollout = sRolloutOptions(), const QHash<QString, QByteArray> &versions = {});

} // namespace DeviceCommands
