#include "dialog/cproxyloglevel.h"

#include "operations/csendoperation.h"
#include "comm/cdevicectrljob.h"
#include "dialog/clogexportwidget.h"
#include "dialog/coperationrun.h"
#include "dialog/devicecommands.h"
#include "dialog/filechooser.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/cmessagedialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <algorithm>

CProxyLogLevel::CProxyLogLevel(QWidget *parent)
    : CCustomDialog(parent)
    , m_job(new CDeviceCtrlJob(nullptr, this))
    , m_proxy(findProxy())
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setTitle(tr("代理节点日志等级设置"));
    setOkText(tr("确定"));
    setCancelText(tr("取消"));
    setFixedWidth(480);
    // OK sends the level from a worker; the dialog closes itself once it has gone out.
    setKeepOpenOnOk(true);

    auto *levelLabel = new QLabel(tr("日志等级"), contentWidget());
    m_level = new CBanWheelComboBox(contentWidget());
    m_level->setView(new QListView(m_level));
    m_level->addItems({QStringLiteral("DEBUG"), QStringLiteral("INFO"), QStringLiteral("WARN"),
                       QStringLiteral("ERROR")});
    m_level->setFixedSize(300, 32);
    // A level the node reports outside 1..4 shows the nearest one.
    m_level->setCurrentIndex(std::clamp(m_proxy.logLevel, 1, 4) - 1);

    auto *exportLabel = new QLabel(tr("日志导出"), contentWidget());
    m_exportButton = new QPushButton(tr("日志导出"), contentWidget());
    m_exportButton->setFixedSize(120, 32);
    m_exportButton->setCursor(Qt::PointingHandCursor);
    for (QLabel *l : {levelLabel, exportLabel})
        l->setStyleSheet(QStringLiteral("color: rgba(196, 196, 196, 1);"));

    auto *grid = new QGridLayout(contentWidget());
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(16);
    grid->addWidget(levelLabel, 0, 0);
    grid->addWidget(m_level, 0, 1, Qt::AlignLeft);
    grid->addWidget(exportLabel, 1, 0);
    grid->addWidget(m_exportButton, 1, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    connect(m_exportButton, &QPushButton::clicked, this, &CProxyLogLevel::onClickExportLog);
    adjustSize();
}

sDeviceInfo CProxyLogLevel::findProxy()
{
    sDeviceInfo proxy;
    CDecoderList::instance().findManagerNode(proxy);
    if (proxy.id < 1)
        CEncoderList::instance().findManagerNode(proxy);
    return proxy;
}

CProxyLogLevel::~CProxyLogLevel()
{
    // A send under way goes before the job it sends through.
    qDeleteAll(findChildren<COperationRun *>(QString(), Qt::FindDirectChildrenOnly));
}

void CProxyLogLevel::onOkClicked()
{
    if (m_sending)
        return;
    // Sent from a worker; the dialog takes no second click meanwhile.
    const int level = m_level->currentIndex() + 1;
    m_sending = true;
    setEnabled(false);
    DeviceCommands::runOperation(SendOperations::logLevel(*m_job, level), nullptr, {}, 0,
                                 [this](COperation &, bool) {
                                     m_sending = false;
                                     setEnabled(true);
                                     emit sigLevelSent();
                                     accept();
                                 },
                                 this);
}

void CProxyLogLevel::onClickExportLog()
{
    const QString folder = FileChooser::chooseFolder(
        this, tr("日志导出"), QStringLiteral("/"), {tr("文件名:"), tr("选择文件夹"), tr("取消")});
    if (folder.isEmpty())
        return;
    // The logs are fetched with the fixed login: only from a node this scan found, never from
    // whatever address a record names as its manager.
    const auto scanned = [this](const sDeviceInfo &n) {
        return n.ip == m_proxy.managerIP && !(n.addrMarks & AddrInvalid);
    };
    const auto decoders = CDecoderList::instance().nodes();
    const auto encoders = CEncoderList::instance().nodes();
    if (m_proxy.managerIP.isEmpty()
        || (std::none_of(decoders.cbegin(), decoders.cend(), scanned)
            && std::none_of(encoders.cbegin(), encoders.cend(), scanned))) {
        CMessageDialog(tr("代理节点不在本次扫描的节点中，未获取日志"), this).exec();
        return;
    }
    CLogExportWidget dlg(this);
    dlg.startLogExport(folder, m_proxy, true);
    dlg.exec();
}
