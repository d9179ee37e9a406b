#include "dialog/cdataimportwidget.h"

#include "dialog/progressrows.h"
#include "operations/cdataimportoperation.h"

#include <QListWidget>
#include <QVBoxLayout>

CDataImportWidget::CDataImportWidget(CDeviceCtrlJob *job, QWidget *parent) : CCustomDialog(parent), m_job(job)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(660, 465);
    setTitle(tr("数据导入"));
    setOkText(tr("确定"));
    hideCancelButton();

    m_list = ProgressRows::makeList(contentWidget());
    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
}

CDataImportWidget::~CDataImportWidget()
{
    // Ends the import (and writes its history) before the rows go.
    delete m_operation;
}

CProgressListItem *CDataImportWidget::row(int index) const
{
    return m_rows ? m_rows->row(index) : nullptr;
}

void CDataImportWidget::startImport(const QStringList &paths)
{
    if (paths.isEmpty() || m_operation)
        return;
    m_operation = new CDataImportOperation(m_job, {paths.first()}, this);
    m_rows = new COperationRows(m_list, m_operation, this);
    m_operation->start();
}
