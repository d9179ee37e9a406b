#include "dialog/cdevicemanage.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>

#include "config/cappconfig.h"
#include "comm/cdevicectrljob.h"
#include "comm/netinterfaces.h"
#include "dialog/caboutdlg.h"
#include "dialog/caddnodedlg.h"
#include "dialog/cautorefresh.h"
#include "dialog/cdecodersettingdlg.h"
#include "dialog/cencodersettingdlg.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnetconfigdlg.h"
#include "dialog/coperationrun.h"
#include "dialog/cupdatedlg.h"
#include "dialog/devicecommands.h"
#include "operations/cscanoperation.h"
#include "operations/csendoperation.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogressdialog.h"

namespace {
// Texts of the hub, collected for the translator.
const char *const kNeedTypeSwitch = QT_TRANSLATE_NOOP("CDeviceManage", "请选择需要切换的设备");
const char *const kNeedNetConfig = QT_TRANSLATE_NOOP("CDeviceManage", "请选择需要配置网络的设备");
const char *const kNeedUpgrade = QT_TRANSLATE_NOOP("CDeviceManage", "请选择需要升级的设备");
const char *const kNeedRestart = QT_TRANSLATE_NOOP("CDeviceManage", "请选择需要重启的设备");
const char *const kNeedReset = QT_TRANSLATE_NOOP("CDeviceManage", "请选择需要恢复出厂设置的设备");
const char *const kNeedExport = QT_TRANSLATE_NOOP("CDeviceManage", "请选择需要导出数据的设备");
} // namespace

CDeviceManage::CommandRule CDeviceManage::ruleFor(menuType type)
{
    switch (type) {
    case MenuTypeSwitch:
        return {Need::AnyNode, kNeedTypeSwitch};
    case MenuNetConfig:
        return {Need::NodeWithAddress, kNeedNetConfig};
    case MenuDeviceUpdate:
    case MenuAppUpdate:
        return {Need::AnyNode, kNeedUpgrade};
    case MenuDeviceRestart:
        return {Need::AnyNode, kNeedRestart};
    case MenuResumeFactorySet:
        return {Need::AnyNode, kNeedReset};
    case MenuDataExport:
        return {Need::AnyNode, kNeedExport};
    default:
        return {};
    }
}

CDeviceManage::CDeviceManage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("deviceManage"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x11, 0x11, 0x11));
    setPalette(pal);

    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_page = new CMainShowWidget(this);
    m_layout->addWidget(m_page);

    m_busy = new CProgressDialog(this);
    m_job = new CDeviceCtrlJob(m_page->nodeListModel());

    connect(m_page, &CMainShowWidget::sigSelectRows, this, &CDeviceManage::nodeSetting);

    m_autoRefresh = new CAutoRefresh(
        [job = m_job] { return std::make_unique<CScanOperation>(*job); },
        [page = m_page] { page->refreshKeepingState(); }, this);
    connect(m_autoRefresh, &CAutoRefresh::sigStateChanged, this, [this] {
        m_page->setRefreshState(m_autoRefresh->interval(), m_autoRefresh->isRunning(), m_autoRefresh->lastRefresh());
    });
    m_autoRefresh->setInterval(CAppConfig::instance()->autoRefreshSeconds());

}

CDeviceManage::~CDeviceManage()
{
    // A command's operation and the refresh's worker send through the job: they end first.
    qDeleteAll(findChildren<COperationRun *>(QString(), Qt::FindDirectChildrenOnly));
    m_hold.reset();
    delete m_autoRefresh;
    delete m_job;
}

void CDeviceManage::beginCommand(menuType type)
{
    m_command = type;
    m_hold = std::make_unique<CAutoRefresh::Hold>(m_autoRefresh);
}

void CDeviceManage::endCommand()
{
    m_hold.reset();
    emit sigCommandEnded(m_command);
}

bool CDeviceManage::scanNodes()
{
    if (isCommandRunning())
        return false;
    beginCommand(MenuScanNode);
    scan([this] { endCommand(); });
    return true;
}

void CDeviceManage::scan(const std::function<void()> &then)
{
    m_autoRefresh->drop();
    // Closing the indicator early only stops the wait for more answers; the table shows
    // whatever came.
    DeviceCommands::runOperation(
        std::make_unique<CScanOperation>(*m_job), DeviceCommands::busyOf(this), [this] { m_page->updateDeviceInfo(); },
        m_busyMs,
        [this, then](COperation &, bool) {
            m_autoRefresh->noteRefreshed();
            then();
        },
        this);
}

void CDeviceManage::scanThenEnd()
{
    scan([this] { endCommand(); });
}

void CDeviceManage::fillCardMenu(QMenu *menu)
{
    const QVector<sNetInterface> cards = NetInterfaces::candidates();
    const QStringList excluded = CAppConfig::instance()->scanExcludedInterfaces();
    // A card with several addresses is one entry: it is ticked or unticked as a whole.
    QHash<QString, QAction *> entries;
    for (const sNetInterface &card : cards) {
        QAction *&entry = entries[card.name];
        const QString address = QString::fromLatin1(card.address);
        if (entry) {
            entry->setText(entry->text() + QStringLiteral(", ") + address);
            continue;
        }
        entry = menu->addAction(card.humanName + QStringLiteral("  ") + address);
        entry->setCheckable(true);
        entry->setChecked(!excluded.contains(card.name));
        connect(entry, &QAction::toggled, this, [name = card.name](bool on) {
            CAppConfig::instance()->setInterfaceExcluded(name, !on);
            CAppConfig::instance()->save();
        });
    }
    if (cards.isEmpty())
        menu->addAction(tr("没有可用的网卡"))->setEnabled(false);
}

void CDeviceManage::showMessage(const QString &text)
{
    CMessageDialog box(text, this);
    box.exec();
}

bool CDeviceManage::checkPrecondition(menuType type)
{
    const CommandRule rule = ruleFor(type);
    bool met = true;
    if (rule.need == Need::AnyNode)
        met = !m_page->selectedNodes().isEmpty();
    else if (rule.need == Need::NodeWithAddress)
        met = !m_page->selectedAddresses().selected.isEmpty();
    if (!met)
        showMessage(tr(rule.message));
    return met;
}

void CDeviceManage::switch2SettingWidget(menuType type)
{
    if (isCommandRunning())
        return; // one command at a time
    // A command works on the list as it is once any refresh under way has come in.
    m_autoRefresh->settle(DeviceCommands::busyOf(this), [this, type] { runCommand(type); });
}

void CDeviceManage::runCommand(menuType type)
{
    if (isCommandRunning() || !checkPrecondition(type))
        return;
    beginCommand(type);
    emit sigCommandAccepted(type);

    const DeviceCommands::Done thenRescan = [this](bool rescan) {
        if (rescan)
            scanThenEnd();
        else
            endCommand();
    };
    // Each command's dialog plugs in here; each ends in endCommand(), most after a rescan.
    switch (type) {
    case MenuScanNode:
        scanThenEnd();
        break;
    case MenuAbout:
        showAbout();
        endCommand();
        break;
    case MenuNetConfig: {
        const sSelectedAddresses addresses = m_page->selectedAddresses();
        // The same rows as addresses.selected, in the same order, with their ids.
        SelectedNodeList nodes = m_page->selectedNodeList();
        nodes.erase(std::remove_if(nodes.begin(), nodes.end(), [](const sSelectedNode &n) { return n.ip.isEmpty(); }),
                    nodes.end());
        CNetConfigDlg dlg(addresses.selected.first(), addresses.gateway, addresses.mask, this);
        dlg.setSelectedIps(addresses.selected);
        dlg.setUnselectedIps(addresses.others);
        if (dlg.exec() != QDialog::Accepted) {
            endCommand();
            break;
        }
        DeviceCommands::configureNetwork(*m_job, nodes, dlg.startIp(), dlg.mask(), dlg.gateway(), this, thenRescan);
        break;
    }
    case MenuAddNode: {
        CAddNodeDlg dlg(this);
        dlg.setFixedSize(480, 218);
        if (dlg.exec() != QDialog::Accepted) {
            endCommand();
            break;
        }
        // A rescan starts from empty stores: probing first would lose the node again
        // unless it also answers the broadcast.
        scan([this, ip = dlg.ipText().toUtf8()] {
            DeviceCommands::runOperation(
                CScanOperation::probe(*m_job, ip), DeviceCommands::busyOf(this), [this] { m_page->updateDeviceInfo(); },
                0, [this](COperation &, bool) { endCommand(); }, this);
        });
        break;
    }
    case MenuDeviceUpdate:
    case MenuAppUpdate:
        thenRescan(runUpgrade(type == MenuAppUpdate));
        break;
    case MenuTypeSwitch:
        DeviceCommands::switchType(*m_job, *m_page->nodeListModel(), m_page->selectedNodeList(), this, thenRescan);
        break;
    case MenuDeviceRestart:
        DeviceCommands::restart(*m_job, m_page->selectedNodeList(), this, thenRescan);
        break;
    case MenuResumeFactorySet:
        DeviceCommands::factoryReset(*m_job, m_page->selectedNodeList(), this, thenRescan);
        break;
    case MenuDataImport:
        thenRescan(DeviceCommands::importData(*m_job, this));
        break;
    case MenuDataExport:
        thenRescan(DeviceCommands::exportData(*m_job, m_page->selectedNodeList(), this));
        break;
    case MenuSetDeviceTime:
        DeviceCommands::syncTime(
            *m_job, this, [this](const std::function<void()> &then) { scan(then); }, thenRescan);
        break;
    case MenuModelSwitch:
        DeviceCommands::modelSwitch(*m_job, *m_page->nodeListModel(), this, thenRescan);
        break;
    case MenuProxyLogLevel:
        DeviceCommands::proxyLogLevel(this);
        endCommand();
        break;
    case MenuOneKeyReplace: // hidden in the title bar; no function
        endCommand();
        break;
    }
}

bool CDeviceManage::runUpgrade(bool application)
{
    CUpdateDlg chooser(this);
    // The chooser's OK confirms the upgrade: its title says how many nodes it reaches.
    chooser.setTitle(QStringLiteral("%1 · %2").arg(application ? tr("app升级") : tr("设备升级"),
                                                   tr("将发送到 %1 个节点").arg(m_page->selectedNodeList().size())));
    if (chooser.exec() != QDialog::Accepted)
        return false;
    // The versions the table lists, for skipping nodes that already run the package's.
    QHash<QString, QByteArray> versions;
    for (const sSelectedNode &node : m_page->selectedNodeList()) {
        sDecoderInfo decoder;
        sEncoderInfo encoder;
        if (node.nodeType == EncoderNode)
            m_page->nodeListModel()->findById(encoder, node.id);
        else
            m_page->nodeListModel()->findById(decoder, node.id);
        const sDeviceInfo &info = node.nodeType == EncoderNode ? static_cast<const sDeviceInfo &>(encoder)
                                                               : static_cast<const sDeviceInfo &>(decoder);
        if (info.id == node.id && info.ip == node.ip)
            versions.insert(QString::fromUtf8(node.ip), info.version);
    }
    DeviceCommands::upgrade(application, chooser.path(), m_page->selectedNodeList(), this, chooser.rollout(), versions);
    return true;
}

void CDeviceManage::showAbout()
{
    CAboutDialog about(this);
    about.setFixedWidth(420);
    about.exec();
}

void CDeviceManage::nodeSetting(ENodeType type, int64_t nodeID)
{
    if (isCommandRunning())
        return; // one command at a time
    m_autoRefresh->settle(DeviceCommands::busyOf(this), [this, type, nodeID] { editNode(type, nodeID); });
}

void CDeviceManage::editNode(ENodeType type, int64_t nodeID)
{
    if (isCommandRunning() || (type != DecoderNode && type != EncoderNode))
        return;
    beginCommand(MenuScanNode); // a node's save ends, as a scan does, in the table's rescan
    CNodeListModel *model = m_page->nodeListModel();
    // The record is read here, on the model's thread; the send and its receive window run
    // off this thread so the window keeps painting.
    std::unique_ptr<COperation> save;
    if (type == DecoderNode) {
        CDecoderSettingDlg dlg(model, nodeID, this);
        if (dlg.exec() == QDialog::Accepted) {
            // To where the node was: the saved record may carry its new address.
            sDecoderInfo record;
            model->findById(record, nodeID);
            save = SendOperations::decoderSettings(*m_job, nodeID, dlg.openingIp(), record);
        }
    } else {
        CEncoderSettingDlg dlg(model, nodeID, this);
        if (dlg.exec() == QDialog::Accepted) {
            sEncoderInfo record;
            model->findById(record, nodeID);
            save = SendOperations::encoderSettings(*m_job, nodeID, dlg.openingIp(), record);
        }
    }
    if (!save) {
        endCommand();
        return;
    }
    DeviceCommands::runOperation(std::move(save), DeviceCommands::busyOf(this), {}, 0,
                                 [this](COperation &, bool) { scanThenEnd(); }, this);
}

void CDeviceManage::updateTitleBar(const QString &curLang)
{
    m_page->updateCombox(curLang);
}
