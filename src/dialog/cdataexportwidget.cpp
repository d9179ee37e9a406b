#include "dialog/cdataexportwidget.h"

#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "operations/cexportworker.h"
#include "dialog/progressrows.h"
#include "ui/cprogreslistitem.h"

#include <QListWidget>
#include <QVBoxLayout>

CDataExportWidget::CDataExportWidget(CDeviceCtrlJob *job, QWidget *parent)
    : CCustomDialog(parent)
    , m_job(job)
    , m_observer(new CDeviceCtrlObserver(this))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(650, 465);
    setTitle(tr("数据导出"));
    setOkText(tr("确定"));
    hideCancelButton();

    m_list = ProgressRows::makeList(contentWidget());
    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);

    registerCommMetaTypes();
    CObserverList::instance().add(m_observer);
}

CDataExportWidget::~CDataExportWidget()
{
    finish();
}

CProgressListItem *CDataExportWidget::row(int index) const
{
    return ProgressRows::row(m_list, index);
}

void CDataExportWidget::startExport(const QString &folder, const SelectedNodeList &nodes)
{
    if (m_worker)
        return;
    m_folder = folder;

    m_rows = new CRowBuilder(m_list, ProgressKind::Export, [this](CProgressListItem *item) {
        connect(item, &CProgressListItem::sigRetry, this, [this, item](const QString &ip) {
            ProgressRows::start(item, ProgressRows::Pending);
            emit retrySignal(ip);
        });
    }, this);
    QStringList ips;
    for (const sSelectedNode &node : nodes) {
        ips << QString::fromUtf8(node.ip);
        m_ids << node.id;
    }
    m_rows->add(ips);

    m_worker = new CExportWorker(nodes, m_job, folder);
    connect(this, &CDataExportWidget::retrySignal, m_worker, &CExportWorker::retry);
    connect(m_observer, &CDeviceCtrlObserver::sigExportData, m_worker, &CExportWorker::exportDataSave,
            Qt::DirectConnection);
    connect(m_worker, &CExportWorker::setExportResult, this, &CDataExportWidget::setImportResult,
            Qt::QueuedConnection);
    m_worker->process();
}

QVector<sHistoryNode> CDataExportWidget::outcomes()
{
    if (m_rows)
        m_rows->buildAll();
    QVector<sHistoryNode> out;
    for (int i = 0; i < m_ids.size(); ++i) {
        if (CProgressListItem *item = row(i))
            out.append(ProgressRows::outcome(item, m_ids.at(i)));
    }
    return out;
}

void CDataExportWidget::setImportResult(QString ip, int res)
{
    if (m_rows)
        m_rows->setResult(ip, res);
    else
        ProgressRows::setResult(m_list, ip, res);
}

void CDataExportWidget::finish()
{
    // Waits for an answer being handled on a link thread; none reaches the worker after.
    CObserverList::instance().remove(m_observer);
    if (m_worker) {
        m_worker->requestStop();
        delete m_worker; // joins its runners' threads
        m_worker = nullptr;
    }
}
