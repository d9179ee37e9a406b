#include "dialog/clogexportwidget.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "dialog/progressrows.h"
#include "operations/clogexportworker.h"
#include "ui/cprogreslistitem.h"

CLogExportWidget::CLogExportWidget(QWidget *parent) : CCustomDialog(parent)
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setFixedSize(650, 465);
    setTitle(tr("日志导出"));
    setOkText(tr("确定"));
    hideCancelButton();
    setSelfClosing(true);

    m_rowList = ProgressRows::makeList(contentWidget());
    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_rowList);
}

CLogExportWidget::~CLogExportWidget()
{
    stop();
}

CProgressListItem *CLogExportWidget::row() const
{
    return m_rows ? m_rows->row(0) : nullptr;
}

void CLogExportWidget::stop()
{
    // Ends a fetch in progress at once, joins it and writes the history line.
    delete m_operation;
    m_operation = nullptr;
}

void CLogExportWidget::startLogExport(const QString &folder, const sDeviceInfo &node, bool proxyMode)
{
    if (m_operation)
        return;
    if (proxyMode)
        m_operation = new CProxyLogOperation(folder, {node});
    else
        m_operation = new CNodeLogOperation(folder, {node});
    m_rows = new COperationRows(m_rowList, m_operation, this);
    const QString source = QString::fromUtf8(m_operation->source(0));
    connect(m_operation, &COperation::sigNodeEnded, this, [this, source](int, const sNodeOutcome &outcome) {
        if (outcome.state != sNodeOutcome::Cancelled && !outcome.ok() && !m_closing)
            ProgressRows::offerNewHostKey(this, source);
    });
    m_operation->start();
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
