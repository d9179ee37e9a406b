#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

#include "operations/crolloutplan.h"
#include "model/sdeviceinfo.h"

class CDeviceCtrlJob;
class COperation;
class CProgressDialog;
class CNodeListModel;
class QWidget;

// The hub's bulk and tool commands: each checks its selection, runs its dialog
// modally over the hub and sends through the hub's job. Each returns true when
// the hub should rescan afterwards.
namespace DeviceCommands {

// Runs the operation off this thread while this thread's event loop goes on, then finishes
// it (its history line). With busy given, the busy indicator turns modally meanwhile and
// closing it cancels the operation; without it a local loop waits. whenDone runs here once
// the operation has ended (or was cancelled); busy then stays lingerMs longer. Returns false
// when the operator cancelled it.
bool runOperation(COperation &operation, CProgressDialog *busy = nullptr, const std::function<void()> &whenDone = {},
                  int lingerMs = 0);
// The hub's busy indicator when hub is the hub and shows one, else null.
CProgressDialog *busyOf(QWidget *hub);

// Full records of the selected rows, looked up in the table's model.
QList<sDeviceInfo> recordsOf(const CNodeListModel &model, const SelectedNodeList &selected);

bool switchType(CDeviceCtrlJob &job, const CNodeListModel &model, const SelectedNodeList &selected,
                QWidget *hub);
bool restart(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub);
bool factoryReset(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub);
// Asks, then rescans (through rescan) before sending the time to every node.
void syncTime(CDeviceCtrlJob &job, QWidget *hub, const std::function<void()> &rescan);
bool importData(CDeviceCtrlJob &job, QWidget *hub);
bool exportData(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub);
bool modelSwitch(CDeviceCtrlJob &job, CNodeListModel &model, QWidget *hub);
void proxyLogLevel(QWidget *hub);
// Consecutive addresses from startIp for the nodes, in list order, as the network
// configuration checked them.
void configureNetwork(CDeviceCtrlJob &job, const SelectedNodeList &nodes, const QString &startIp,
                      const QString &mask, const QString &gateway, QWidget *hub);
// The firmware (or, with application, the app) upgrade dialog over the nodes, staged as
// rollout says (default: every node at once); versions: what the table lists, by address.
void upgrade(bool application, const QString &packagePath, const SelectedNodeList &nodes, QWidget *hub,
             const sRolloutOptions &rollout = sRolloutOptions(), const QHash<QString, QByteArray> &versions = {});

} // namespace DeviceCommands
