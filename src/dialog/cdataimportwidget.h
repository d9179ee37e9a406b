#pragma once

#include <QStringList>

#include "ui/ccustomdialog.h"

class CDataImportOperation;
class CDeviceCtrlJob;
class COperationRows;
class CProgressListItem;
class QListWidget;

// Shows a data import: one row for the node the file names. The import itself is
// CDataImportOperation's, which also keeps its history line when the dialog goes.
class CDataImportWidget final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDataImportWidget)

public:
    explicit CDataImportWidget(CDeviceCtrlJob *job, QWidget *parent = nullptr);
    ~CDataImportWidget() override;

    // Only the first path is imported.
    void startImport(const QStringList &paths);

    QListWidget *rowList() const { return m_list; }
    CProgressListItem *row(int index) const;
    CDataImportOperation *operation() const { return m_operation; }

public slots:
    void onOkClicked() override {}
    void onCancelClicked() override {}

private:
    QListWidget *m_list = nullptr;
    CDeviceCtrlJob *m_job = nullptr;
    CDataImportOperation *m_operation = nullptr; // child
    COperationRows *m_rows = nullptr;            // child
};
