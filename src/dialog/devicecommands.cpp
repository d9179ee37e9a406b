#include "dialog/devicecommands.h"

#include "history/ccommandhistory.h"
#include "comm/addressplan.h"
#include "comm/cdevicectrljob.h"
#include "comm/upgradecmd.h"
#include "dialog/cdataexportwidget.h"
#include "dialog/cdataimportwidget.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/cdeviceupdatewidget.h"
#include "dialog/cmodelswitch.h"
#include "dialog/cproxyloglevel.h"
#include "dialog/csoftwareupdatewidget.h"
#include "dialog/ctypeswitchwidget.h"
#include "dialog/filechooser.h"
#include "model/cnodelistmodel.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogressdialog.h"

#include <QCoreApplication>
#include <QEventLoop>
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

// The command's name as the history keeps it: shown in the language of the moment.
QString historyKey(const char *context, const char *source)
{
    return CCommandHistory::key(context, source);
}

// A restart is a datagram nodes do not answer: its evidence is that it was sent.
void recordRestart(const SelectedNodeList &nodes, bool ok)
{
    CCommandHistory::instance()->append(historyKey("CDeviceManage", "设备重启"),
                                        CCommandHistory::outcomes(nodes, ok ? CCommandHistory::sentText()
                                                                            : CCommandHistory::failedText(), ok));
}

// For commands nodes do not answer: the node's own send is what there is to record.
sHistoryNode sendOutcome(int64_t id, const QByteArray &ip, int sent, bool finished)
{
    const bool ok = sent > 0;
    const QString notSent = finished ? CCommandHistory::failedText() : CCommandHistory::cancelledText();
    return {id, QString::fromUtf8(ip), ok ? CCommandHistory::sentText() : notSent, ok};
}
} // namespace

bool runOffThread(const CBulkRunner::BatchTask &work, CProgressDialog *busy,
                  const std::function<void()> &whenDone, int lingerMs)
{
    // Longer than any bulk command; the indicator's own timeout must not end the wait.
    constexpr int kUntilDone = 24 * 3600 * 1000;
    CBulkRunner runner;
    QEventLoop loop;
    bool done = false;
    QObject::connect(&runner, &CBulkRunner::sigFinished, &loop, [&] {
        done = true;
        if (whenDone)
            whenDone();
        if (!busy)
            loop.quit();
        else if (lingerMs > 0)
            busy->startWaiting(lingerMs);
        else
            busy->stopWaiting();
    });
    if (!runner.startBatch(0, work))
        return false;
    if (busy) {
        busy->startWaiting(kUntilDone);
        busy->exec();
        if (!done)
            runner.cancel(); // the operator closed the indicator
    } else {
        loop.exec();
    }
    runner.wait();
    if (!done && whenDone)
        whenDone();
    return !runner.wasCancelled();
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

bool switchType(CDeviceCtrlJob &job, const CNodeListModel &model, const SelectedNodeList &selected,
                QWidget *hub)
{
    if (selected.isEmpty()) {
        tell(QCoreApplication::translate("CDeviceManage", "请选择需要切换的设备"), hub);
        return false;
    }
    return CTypeSwitchWidget::run(
        recordsOf(model, selected), [&job, hub](const QList<sDeviceInfo> &nodes, QList<sDeviceInfo> &failed) {
            // Nodes a cancel left unsent count as failed, so the summary offers them again.
            runOffThread([&](const CBulkRunner::Control &ctl) {
                job.switchNodeType(nodes, failed, [&ctl] { return ctl.stopRequested(); });
            }, busyOf(hub));
            // As the switch-result box tells it; a node without an id was never sent to.
            QVector<sHistoryNode> outcomes;
            for (const sDeviceInfo &node : nodes) {
                const auto same = [&node](const sDeviceInfo &f) { return f.id == node.id && f.ip == node.ip; };
                const bool ok = node.id > 0 && std::none_of(failed.cbegin(), failed.cend(), same);
                outcomes.append({node.id, QString::fromUtf8(node.ip),
                                 ok ? historyKey("CMessageDialog", "切换成功") : historyKey("CMessageDialog", "切换失败"),
                                 ok});
            }
            CCommandHistory::instance()->append(historyKey("CMainTitleBar", "类型切换"), outcomes);
        });
}

bool restart(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub)
{
    if (selected.isEmpty()) {
        tell(QCoreApplication::translate("CDeviceManage", "请选择需要重启的设备"), hub);
        return false;
    }
    if (!ask(QCoreApplication::translate("CDeviceManage", "设备重启"),
             withReach(QCoreApplication::translate("CDeviceManage", "是否重启设备？"), selected.size()), hub))
        return false;
    bool ok = false;
    // A cancelled restart has reached only some nodes: no verdict, but a rescan.
    if (!runOffThread([&](const CBulkRunner::Control &ctl) {
            ok = job.rebootNodes(selected, [&ctl] { return ctl.stopRequested(); });
        }, busyOf(hub))) {
        CCommandHistory::instance()->append(historyKey("CDeviceManage", "设备重启"),
                                            CCommandHistory::outcomes(selected, CCommandHistory::cancelledText(), false));
        return true;
    }
    if (!ok) {
        recordRestart(selected, false);
        tell(QCoreApplication::translate("CDeviceManage", "重启失败"), hub);
        return false;
    }
    recordRestart(selected, true);
    tell(QCoreApplication::translate("CDeviceManage", "重启成功"), hub);
    return true;
}

bool factoryReset(CDeviceCtrlJob &job, const SelectedNodeList &selected, QWidget *hub)
{
    if (selected.isEmpty()) {
        tell(QCoreApplication::translate("CDeviceManage", "请选择需要恢复出厂设置的设备"), hub);
        return false;
    }
    if (!ask(QCoreApplication::translate("CDeviceManage", "恢复出厂设置"),
             withReach(QCoreApplication::translate("CDeviceManage", "是否恢复出厂设置？"), selected.size()), hub))
        return false;
    QVector<int> sent;
    const bool finished = runOffThread([&](const CBulkRunner::Control &ctl) {
        job.factoryResetNodes(selected, [&ctl] { return ctl.stopRequested(); }, &sent);
    }, busyOf(hub));
    QVector<sHistoryNode> outcomes;
    for (int i = 0; i < selected.size(); ++i)
        outcomes.append(sendOutcome(selected.at(i).id, selected.at(i).ip, sent.value(i), finished));
    CCommandHistory::instance()->append(historyKey("CDeviceManage", "恢复出厂设置"), outcomes);
    return true;
}

void syncTime(CDeviceCtrlJob &job, QWidget *hub, const std::function<void()> &rescan)
{
    if (!ask(QCoreApplication::translate("CDeviceManage", "同步系统时间"),
             QCoreApplication::translate("CDeviceManage", "是否同步当前系统时间到所有设备？"), hub))
        return;
    if (rescan)
        rescan();
    const int64_t now = timeBaseValue();
    runOffThread([&](const CBulkRunner::Control &) { job.syncTime(QString(), now); }, busyOf(hub));
    CCommandHistory::instance()->append(historyKey("CDeviceManage", "同步系统时间"), {});
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
    CDataImportWidget dlg(&job, hub);
    dlg.startImport(files);
    dlg.exec();
    CCommandHistory::instance()->append(historyKey("CMainTitleBar", "数据导入"), dlg.outcomes());
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
    CDataExportWidget dlg(&job, hub);
    dlg.startExport(folder, selected);
    dlg.exec();
    CCommandHistory::instance()->append(historyKey("CMainTitleBar", "数据导出"), dlg.outcomes());
    return true;
}

bool modelSwitch(CDeviceCtrlJob &job, CNodeListModel &model, QWidget *hub)
{
    QList<sDecoderInfo> switched;
    {
        CModelSwitch dlg(&model, hub);
        if (dlg.exec() != QDialog::Accepted)
            return false;
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
    QVector<int> sent;
    runOffThread([&](const CBulkRunner::Control &ctl) {
        job.setDecoders(records, [&ctl] { return ctl.stopRequested(); }, &sent);
    }, busyOf(hub));
    int succeeded = 0;
    QVector<sHistoryNode> outcomes;
    for (int i = 0; i < records.size(); ++i) {
        const bool ok = sent.value(i) > 0;
        succeeded += ok ? 1 : 0;
        outcomes.append({records.at(i).id, QString::fromUtf8(records.at(i).ip),
                         ok ? CCommandHistory::sentText() : CCommandHistory::failedText(), ok});
    }
    CCommandHistory::instance()->append(historyKey("CMainTitleBar", "解码节点模式切换"), outcomes);
    if (!switched.isEmpty() && succeeded == switched.size())
        tell(QCoreApplication::translate("CDeviceManage", "切换成功"), hub);
    return true;
}

void proxyLogLevel(QWidget *hub)
{
    CProxyLogLevel dlg(hub);
    dlg.exec();
}

void configureNetwork(CDeviceCtrlJob &job, const SelectedNodeList &nodes, const QString &startIp,
                      const QString &mask, const QString &gateway, QWidget *hub)
{
    QStringList ips;
    for (const sSelectedNode &node : nodes)
        ips << QString::fromUtf8(node.ip);
    QVector<int> sent;
    const bool finished = runOffThread([&](const CBulkRunner::Control &ctl) {
        job.setNetwork(startIp, mask, gateway, ips, [&ctl] { return ctl.stopRequested(); }, &sent);
    }, busyOf(hub));
    // One result per send, in plan order; the plan leaves out an address it cannot send to.
    const QVector<AddressPlan::sPlannedAddress> plan = AddressPlan::plan(startIp, ips);
    QVector<sHistoryNode> outcomes;
    int entry = 0;
    int send = 0;
    for (int i = 0; i < nodes.size(); ++i) {
        int result = 0;
        if (entry < plan.size() && plan.at(entry).current == ips.at(i) && !plan.at(entry++).planned.isEmpty())
            result = sent.value(send++);
        outcomes.append(sendOutcome(nodes.at(i).id, nodes.at(i).ip, result, finished));
    }
    CCommandHistory::instance()->append(historyKey("CMainTitleBar", "网络配置"), outcomes);
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
        run(dlg, historyKey("CMainTitleBar", "app升级"));
    } else {
        CDeviceUpdateWidget dlg(hub);
        run(dlg, historyKey("CMainTitleBar", "设备升级"));
    }
}

void recordSettings(int64_t id, const QString &ip, bool sent)
{
    CCommandHistory::instance()->append(
        historyKey("CDeviceManage", QT_TRANSLATE_NOOP("CDeviceManage", "节点设置")),
        {{id, ip, sent ? CCommandHistory::sentText() : CCommandHistory::failedText(), sent}});
}

} // namespace DeviceCommands
