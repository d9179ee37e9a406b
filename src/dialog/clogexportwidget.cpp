#include "dialog/clogexportwidget.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "operations/clogexportworker.h"
#include "dialog/progressrows.h"
#include "ui/cprogreslistitem.h"

static_assert(CLogExportWidget::kExportOk == CLogExportWorker::kLogsWritten
                  && CLogExportWidget::kExportFailed == CLogExportWorker::kLogsFailed
                  && CLogExportWidget::kExportTooLarge == CLogExportWorker::kLogsTooLarge,
              "the worker reports the row's codes");

CLogExportWidget::CLogExportWidget(QWidget *parent) : CCustomDialog(parent)
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setFixedSize(650, 465);
    setTitle(tr("日志导出"));
    setOkText(tr("确定"));
    hideCancelButton();
    setSelfClosing(true);

    m_rowList = new QListWidget(contentWidget());
    m_rowList->setObjectName(QStringLiteral("importData"));
    m_rowList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rowList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_rowList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_rowList);

}

CLogExportWidget::~CLogExportWidget()
{
    stop();
}

void CLogExportWidget::stop()
{
    // The order of every worker dialog: stop, then delete (which joins the fetch).
    if (m_worker)
        m_worker->requestStop();
    delete m_worker;
    m_worker = nullptr;
}

void CLogExportWidget::startLogExport(const QString &folder, const sDeviceInfo &node, bool proxyMode)
{
    if (m_worker)
        return;
    m_nodeId = node.id;
    m_transferIp = QString::fromUtf8(proxyMode ? node.managerIP : node.ip);
    m_worker = new CLogExportWorker(folder, node);
    connect(this, &CLogExportWidget::retrySignal, m_worker, &CLogExportWorker::retry);
    connect(m_worker, &CLogExportWorker::sigExportResult, this, &CLogExportWidget::onExportResult);
    if (proxyMode)
        m_worker->exportProxyLog();
    else
        m_worker->exportAllLog();

    m_row = new CProgressListItem(QString::fromUtf8(node.ip), false);
    m_row->setKind(ProgressKind::Export);
    auto *item = new QListWidgetItem(m_rowList);
    item->setSizeHint(QSize(586, 80));
    m_rowList->setItemWidget(item, m_row);
    m_row->startRow();
    m_row->setResultCode(kExportPending);
    connect(m_row, &CProgressListItem::sigRetry, this, [this](const QString &ip) {
        if (m_closing)
            return;
        emit retrySignal(ip);
        m_row->startRow();
        m_row->setResultCode(kExportPending);
    });
}

QVector<sHistoryNode> CLogExportWidget::outcomes()
{
    if (!m_row)
        return {};
    return {ProgressRows::outcome(m_row, m_nodeId)};
}

void CLogExportWidget::onExportResult(QString ip, int res)
{
    if (!m_row || m_row->ip() != ip)
        return;
    m_row->setResultCode(res);
    // While the bar still runs, its end shows the result.
    if (!m_row->isAnimating())
        m_row->showResult();
    if (res != kExportOk && !m_closing)
        ProgressRows::offerNewHostKey(this, m_transferIp);
}

void CLogExportWidget::onOkClicked()
{
    finish(QDialog::Accepted);
}

void CLogExportWidget::onCancelClicked()
{
    finish(QDialog::Rejected);
}

void CLogExportWidget::finish(int result)
{
    if (m_closing)
        return;
    m_closing = true;
    done(result);
    // Ends a fetch in progress at once instead of when the library gives up.
    stop();
}
