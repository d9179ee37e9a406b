#include "dialog/cdataexportwidget.h"

#include "operations/cexportworker.h"
#include "dialog/progressrows.h"
#include "ui/cprogreslistitem.h"

#include <QListWidget>
#include <QVBoxLayout>

CDataExportWidget::CDataExportWidget(CDeviceCtrlJob *job, QWidget *parent) : CCustomDialog(parent), m_job(job)
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
    m_worker = new CExportWorker(nodes, m_job, folder);
    CExportWorker *worker = m_worker;
    m_rows = new CRowBuilder(m_list, ProgressKind::Export, [worker](CProgressListItem *item) {
        connect(item, &CProgressListItem::sigRetry, worker, [worker, item](const QString &ip) {
            ProgressRows::start(item, ProgressRows::Pending);
            worker->retry(worker->indexOf(ip));
        });
    }, this);
    QStringList ips;
    for (const sSelectedNode &node : nodes)
        ips << QString::fromUtf8(node.ip);
    m_rows->add(ips);
    connect(m_worker, &COperation::sigNodeEnded, this, [this](int index, const sNodeOutcome &outcome) {
        if (outcome.state != sNodeOutcome::Cancelled)
            setImportResult(QString::fromUtf8(m_worker->node(index).ip), outcome.code);
    });
    m_worker->start();
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
    // Ends every request (and writes the history line); no result comes after.
    delete m_worker;
    m_worker = nullptr;
}
