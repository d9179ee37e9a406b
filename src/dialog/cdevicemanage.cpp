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
    // Its worker scans through the job: it ends first.
    delete m_autoRefresh;
    delete m_job;
}

void CDeviceManage::scanNodes()
{
    m_autoRefresh->drop();
    const CAutoRefresh::Hold hold(m_autoRefresh);
    // Closing the indicator early only stops the wait for more answers; the table shows
    // whatever came.
    CScanOperation scan(*m_job);
    DeviceCommands::runOperation(scan, DeviceCommands::busyOf(this), [this] { m_page->updateDeviceInfo(); }, m_busyMs);
    m_autoRefresh->noteRefreshed();
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
    // A command works on the list as it is once any refresh under way has come in.
    m_autoRefresh->settle(DeviceCommands::busyOf(this), [this, type] { runCommand(type); });
}

void CDeviceManage::runCommand(menuType type)
{
    // Without a modal busy indicator (tests) the timer could fire between two of its steps.
    const CAutoRefresh::Hold hold(m_autoRefresh);
    if (!checkPrecondition(type))
        return;
    emit sigCommandAccepted(type);

    // Each command's dialog plugs in here; a command without one yet does nothing.
    switch (type) {
    case MenuScanNode:
        scanNodes();
        break;
    case MenuAbout:
        showAbout();
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
        if (dlg.exec() != QDialog::Accepted)
            break;
        DeviceCommands::configureNetwork(*m_job, nodes, dlg.startIp(), dlg.mask(), dlg.gateway(), this);
        scanNodes();
        break;
    }
    case MenuAddNode: {
        CAddNodeDlg dlg(this);
        dlg.setFixedSize(480, 218);
        if (dlg.exec() != QDialog::Accepted)
            break;
        // A rescan starts from empty stores: probing first would lose the node again
        // unless it also answers the broadcast.
        scanNodes();
        const QByteArray ip = dlg.ipText().toUtf8();
        DeviceCommands::runOperation(*CScanOperation::probe(*m_job, ip), DeviceCommands::busyOf(this),
                                     [this] { m_page->updateDeviceInfo(); });
        break;
    }
    case MenuDeviceUpdate:
        runUpgrade(false);
        break;
    case MenuAppUpdate:
        runUpgrade(true);
        break;
    case MenuTypeSwitch:
        if (DeviceCommands::switchType(*m_job, *m_page->nodeListModel(), m_page->selectedNodeList(), this))
            scanNodes();
        break;
    case MenuDeviceRestart:
        if (DeviceCommands::restart(*m_job, m_page->selectedNodeList(), this))
            scanNodes();
        break;
    case MenuResumeFactorySet:
        if (DeviceCommands::factoryReset(*m_job, m_page->selectedNodeList(), this))
            scanNodes();
        break;
    case MenuDataImport:
        if (DeviceCommands::importData(*m_job, this))
            scanNodes();
        break;
    case MenuDataExport:
        if (DeviceCommands::exportData(*m_job, m_page->selectedNodeList(), this))
            scanNodes();
        break;
    case MenuSetDeviceTime:
        DeviceCommands::syncTime(*m_job, this, [this] { scanNodes(); });
        break;
    case MenuModelSwitch:
        if (DeviceCommands::modelSwitch(*m_job, *m_page->nodeListModel(), this))
            scanNodes();
        break;
    case MenuProxyLogLevel:
        DeviceCommands::proxyLogLevel(this);
        break;
    case MenuOneKeyReplace: // hidden in the title bar; no function
        break;
    }
}

void CDeviceManage::runUpgrade(bool application)
{
    CUpdateDlg chooser(this);
    // The chooser's OK confirms the upgrade: its title says how many nodes it reaches.
    chooser.setTitle(QStringLiteral("%1 · %2").arg(application ? tr("app升级") : tr("设备升级"),
                                                   tr("将发送到 %1 个节点").arg(m_page->selectedNodeList().size())));
    if (chooser.exec() != QDialog::Accepted)
        return;
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
    scanNodes();
}

void CDeviceManage::showAbout()
{
    CAboutDialog about(this);
    about.setFixedWidth(420);
    about.exec();
}

void CDeviceManage::nodeSetting(ENodeType type, int64_t nodeID)
{
    m_autoRefresh->settle(DeviceCommands::busyOf(this), [this, type, nodeID] { editNode(type, nodeID); });
}

void CDeviceManage::editNode(ENodeType type, int64_t nodeID)
{
    const CAutoRefresh::Hold hold(m_autoRefresh);
    CNodeListModel *model = m_page->nodeListModel();
    // The record is read here, on the model's thread; the send and its receive window run
    // off this thread so the window keeps painting.
    if (type == DecoderNode) {
        CDecoderSettingDlg dlg(model, nodeID, this);
        if (dlg.exec() != QDialog::Accepted)
            return;
        // To where the node was: the saved record may carry its new address.
        sDecoderInfo record;
        model->findById(record, nodeID);
        DeviceCommands::runOperation(*SendOperations::decoderSettings(*m_job, nodeID, dlg.openingIp(), record),
                                     DeviceCommands::busyOf(this));
    } else if (type == EncoderNode) {
        CEncoderSettingDlg dlg(model, nodeID, this);
        if (dlg.exec() != QDialog::Accepted)
            return;
        sEncoderInfo record;
        model->findById(record, nodeID);
        DeviceCommands::runOperation(*SendOperations::encoderSettings(*m_job, nodeID, dlg.openingIp(), record),
                                     DeviceCommands::busyOf(this));
    } else {
        return;
    }
    scanNodes();
}

void CDeviceManage::updateTitleBar(const QString &curLang)
{
    m_page->updateCombox(curLang);
}
