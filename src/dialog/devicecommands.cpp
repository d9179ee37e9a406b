#include "dialog/devicecommands.h"

#include "history/ccommandhistory.h"
#include "comm/addressplan.h"
#include "comm/cdevicectrljob.h"
#include "comm/upgradecmd.h"
#include "operations/csendoperation.h"
#include "dialog/cdataexportwidget.h"
#include "dialog/cdataimportwidget.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/cdeviceupdatewidget.h"
#include "dialog/cmodelswitch.h"
#include "dialog/cproxyloglevel.h"
#include "dialog/csoftwareupdatewidget.h"
#include "dialog/ctypeswitchwidget.h"
#include "dialog/coperationrun.h"
#include "dialog/filechooser.h"
#include "model/cnodelistmodel.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogressdialog.h"

#include <QCoreApplication>
#include <algorithm>

// The hub shows these texts, so they translate in its context. Each call is spelt out:
// lupdate does not look into macros.
namespace DeviceCommands {

namespace {
void tell(const QString &text, QWidget *hub)
{
    CMessageDialog box(text, hub);
    box.exec();
}

bool ask(const QString &title, const QString &question, QWidget *hub)
{
    return CDeviceRestartDlg::ask(title, question, hub);
}

// A command on the checked rows says how many nodes it will reach before it is confirmed.
QString withReach(const QString &question, int nodes)
{
    return question + QLatin1Char('\n') + QCoreApplication::translate("CDeviceManage", "将发送到 %1 个节点").arg(nodes);
}

} // namespace

void runOperation(std::unique_ptr<COperation> operation, CProgressDialog *busy, std::function<void()> whenDone,
                  int lingerMs, Then then, QObject *context)
{
    auto *run = new COperationRun(std::move(operation), busy, std::move(whenDone), lingerMs, std::move(then), context);
    run->start();
}

CProgressDialog *busyOf(QWidget *hub)
{
    auto *manage = qobject_cast<CDeviceManage *>(hub);
    return manage && manage->busyMs() > 0 ? manage->busyIndicator() : nullptr;
}

QList<sDeviceInfo> recordsOf(const CNodeListModel &model, const SelectedNodeList &selected)
{
    QList<sDeviceInfo> records;
    for (const sSelectedNode &node : selected) {
        sDeviceInfo record;
        if (const sDecoderInfo *d = node.nodeType == DecoderNode ? model.decoderById(node.id) : nullptr)
            record = *d;
        else if (const sEncoderInfo *e = node.nodeType == EncoderNode ? model.encoderById(node.id) : nullptr)
            record = *e;
        else {
            record.id = node.id;
            record.ip = node.ip;
            record.managerIP = node.managerIP;
        }
        // The row's own address: a record of the id at another address (an id conflict)
        // is another row.
        record.ip = node.ip;
        record.nodeType = node.nodeType;
        records.append(record);
    }
    return records;
}

void switchType(CDeviceCtrlJob &job, const CNodeListModel &model, const SelectedNodeList &selected, QWidget *hub,
                Done done)
{
    if (selected.isEmpty()) {
        tell(QCoreApplication::translate("CDeviceManage", "请选择需要切换的设备"), hub);
        done(false);
        return;
    }
    const auto switcher = [&job, hub](const QList<sDeviceInfo> &nodes, const CTypeSwitchWidget::Switched &switched) {
        runOperation(SendOperations::typeSwitch(job, nodes), busyOf(hub), {}, 0,
                     [nodes, switched](COperation &sw, bool) {
                         // Nodes a cancel left unsent count as failed, so the summary offers
                         // them again; one without an id is never sent to, nor offered.
                         QList<sDeviceInfo> failed;
                         for (int i = 0; i < sw.count(); ++i) {
                             if (!sw.outcome(i).ok() && nodes.at(i).id > 0)
                                 failed.append(nodes.at(i));
                         }
                         switched(failed);
                     },
                     hub);
    };
    CTypeSwitchWidget::run(recordsOf(model, selected), switcher, done);
}

void restart(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub, Done done)
{
    if (selected.isEmpty()) {
        tell(QCoreApplication::translate("CDeviceManage", "请选择需要重启的设备"), hub);
        done(false);
        return;
    }
    if (!ask(QCoreApplication::translate("CDeviceManage", "设备重启"),
             withReach(QCoreApplication::translate("CDeviceManage", "是否重启设备？"), selected.size()), hub)) {
        done(false);
        return;
    }
    runOperation(SendOperations::restart(job, selected), busyOf(hub), {}, 0,
                 [hub, done](COperation &reboot, bool finished) {
                     // A cancelled restart has reached only some nodes: no verdict, but a rescan.
                     if (!finished) {
                         done(true);
                         return;
                     }
                     // The last node with an id decides, as the batch's own result.
                     bool ok = false;
                     for (int i = 0; i < reboot.count(); ++i) {
                         if (reboot.node(i).id > 0)
                             ok = reboot.outcome(i).ok();
                     }
                     tell(ok ? QCoreApplication::translate("CDeviceManage", "重启成功")
                             : QCoreApplication::translate("CDeviceManage", "重启失败"),
                          hub);
                     done(ok);
                 },
                 hub);
}

void factoryReset(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub, Done done)
{
    if (selected.isEmpty()) {
        tell(QCoreApplication::translate("CDeviceManage", "请选择需要恢复出厂设置的设备"), hub);
        done(false);
        return;
    }
    if (!ask(QCoreApplication::translate("CDeviceManage", "恢复出厂设置"),
             withReach(QCoreApplication::translate("CDeviceManage", "是否恢复出厂设置？"), selected.size()), hub)) {
        done(false);
        return;
    }
    runOperation(SendOperations::factoryReset(job, selected), busyOf(hub), {}, 0,
                 [done](COperation &, bool) { done(true); }, hub);
}

void syncTime(CDeviceCtrlJob &job, QWidget *hub, const std::function<void(std::function<void()>)> &rescan,
              Done done)
{
    if (!ask(QCoreApplication::translate("CDeviceManage", "同步系统时间"),
             QCoreApplication::translate("CDeviceManage", "是否同步当前系统时间到所有设备？"), hub)) {
        done(false);
        return;
    }
    const auto send = [&job, hub, done] {
        runOperation(SendOperations::timeSync(job, timeBaseValue()), busyOf(hub), {}, 0,
                     [done](COperation &, bool) { done(false); }, hub);
    };
    if (rescan)
        rescan(send);
    else
        send();
}

bool importData(CDeviceCtrlJob &job, QWidget *hub)
{
    const QStringList files = FileChooser::chooseFiles(
        hub, QStringLiteral("Quorvane"), QStringLiteral("*.json"),
        {QCoreApplication::translate("CDeviceManage", "文件名:"),
         QCoreApplication::translate("CDeviceManage", "打开"),
         QCoreApplication::translate("CDeviceManage", "取消")});
    if (files.isEmpty())
        return false;
    // The import keeps its own history line as the dialog goes.
    CDataImportWidget dlg(&job, hub);
    dlg.startImport(files);
    dlg.exec();
    return true;
}

bool exportData(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub)
{
    if (selected.isEmpty()) {
        tell(QCoreApplication::translate("CDeviceManage", "请选择需要导出数据的设备"), hub);
        return false;
    }
    const QString folder = FileChooser::chooseFolder(
        hub, QStringLiteral("Quorvane"), QString(),
        {QCoreApplication::translate("CDeviceManage", "文件名:"),
         QCoreApplication::translate("CDeviceManage", "选择文件夹"),
         QCoreApplication::translate("CDeviceManage", "取消")});
    if (folder.isEmpty())
        return false;
    // The export keeps its own history line as the dialog goes.
    CDataExportWidget dlg(&job, hub);
    dlg.startExport(folder, selected);
    dlg.exec();
    return true;
}

void modelSwitch(CDeviceCtrlJob &job, CNodeListModel &model, QWidget *hub, Done done)
{
    QList<sDecoderInfo> switched;
    {
        CModelSwitch dlg(&model, hub);
        if (dlg.exec() != QDialog::Accepted) {
            done(false);
            return;
        }
        switched = dlg.resultList();
    }
    // Each node gets its record as the model now holds it (the dialog changed only the
    // mode, so it still carries the node's address), read here on the model's thread.
    QList<sDecoderInfo> records;
    for (const sDecoderInfo &d : qAsConst(switched)) {
        sDecoderInfo record;
        model.findById(record, d.id);
        if (record.id > 0)
            records.append(record);
    }
    runOperation(SendOperations::modeSwitch(job, records), busyOf(hub), {}, 0,
                 [hub, done, chosen = switched.size()](COperation &modes, bool) {
                     int succeeded = 0;
                     for (int i = 0; i < modes.count(); ++i)
                         succeeded += modes.outcome(i).ok() ? 1 : 0;
                     if (chosen > 0 && succeeded == chosen)
                         tell(QCoreApplication::translate("CDeviceManage", "切换成功"), hub);
                     done(true);
                 },
                 hub);
}

void proxyLogLevel(QWidget *hub)
{
    CProxyLogLevel dlg(hub);
    dlg.exec();
}

void configureNetwork(CDeviceCtrlJob &job, const SelectedNodeList &nodes, const QString &startIp,
                      const QString &mask, const QString &gateway, QWidget *hub, Done done)
{
    runOperation(SendOperations::network(job, nodes, startIp, mask, gateway), busyOf(hub), {}, 0,
                 [done](COperation &, bool) { done(true); }, hub);
}

void upgrade(bool application, const QString &packagePath, const SelectedNodeList &nodes, QWidget *hub,
             const sRolloutOptions &rollout, const QHash<QString, QByteArray> &versions)
{
    // The upgrade's core writes the history entry (waves, canary, verified versions).
    const auto run = [&](CUpgradeWidget &dlg, const QString &command) {
        dlg.setRollout(rollout);
        dlg.setNodeVersions(versions);
        dlg.setHistoryCommand(command);
        dlg.startUpdate(packagePath, nodes);
        dlg.exec();
    };
    if (application) {
        CSoftwareUpdateWidget dlg(hub);
        run(dlg, CCommandHistory::key("CMainTitleBar", "app升级"));
    } else {
        CDeviceUpdateWidget dlg(hub);
        run(dlg, CCommandHistory::key("CMainTitleBar", "设备升级"));
    }
}

} // namespace DeviceCommands
