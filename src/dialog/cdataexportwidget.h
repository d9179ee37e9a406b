#pragma once

#include <QString>
#include <QVector>

#include "history/ccommandhistory.h"

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class CDeviceCtrlJob;
class CDeviceCtrlObserver;
class CExportWorker;
class CProgressListItem;
class CRowBuilder;
class QListWidget;

// Exports the data of the selected nodes, one JSON file per node, one row per node.
// A view of its worker's runs: a row shows its node's result whenever it comes.
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
    // Each node as its row shows it now.
    QVector<sHistoryNode> outcomes();

signals:
    void retrySignal(QString ip);

public slots:
    void setImportResult(QString ip, int res);
    void onOkClicked() override { finish(); }
    void onCancelClicked() override { finish(); }

private:
    void finish();

    QString m_folder;
    QVector<int64_t> m_ids; // one per row, in row order
    QListWidget *m_list = nullptr;
    CRowBuilder *m_rows = nullptr; // child
    CDeviceCtrlJob *m_job = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    CExportWorker *m_worker = nullptr; // owned; deleted in finish()
};
