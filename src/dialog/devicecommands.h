#pragma once

#include <QList>
#include <functional>

#include "model/sdeviceinfo.h"

class CDeviceCtrlJob;
class CNodeListModel;
class QWidget;

// The hub's bulk and tool commands: each checks its selection, runs its dialog
// modally over the hub and sends through the hub's job. Each returns true when
// the hub should rescan afterwards.
namespace DeviceCommands {

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

} // namespace DeviceCommands
