#pragma once

#include <QString>
#include <QVector>

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class CDeviceCtrlJob;
class CExportWorker;
class CProgressListItem;
class CRowBuilder;
class QListWidget;

// Shows a data export (CExportWorker): one row per selected node, showing its node's
// result whenever it comes.
class CDataExportWidget final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDataExportWidget)

public:
    explicit CDataExportWidget(CDeviceCtrlJob *job, QWidget *parent = nullptr);
    ~CDataExportWidget() override;

    void startExport(const QString &folder, const SelectedNodeList &nodes);

    QListWidget *rowList() const { return m_list; }
    CProgressListItem *row(int index) const;
    CExportWorker *operation() const { return m_worker; }

public slots:
    void setImportResult(QString ip, int res);
    void onOkClicked() override { finish(); }
    void onCancelClicked() override { finish(); }

private:
    void finish();

    QString m_folder;
    QListWidget *m_list = nullptr;
    CRowBuilder *m_rows = nullptr; // child
    CDeviceCtrlJob *m_job = nullptr;
    CExportWorker *m_worker = nullptr; // owned; deleted in finish(), which writes its history
};
