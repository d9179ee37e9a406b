#pragma once

#include <QString>

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class CLogExportWorker;
class COperationRows;
class CProgressListItem;
class QListWidget;

// Shows the fetch of one node's logs (or the proxy node's proxy logs) into a folder:
// one row that ends in the real outcome. The fetch is CNodeLogOperation's or
// CProxyLogOperation's, which keeps its history line when the dialog goes.
class CLogExportWidget final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CLogExportWidget)

public:
    explicit CLogExportWidget(QWidget *parent = nullptr);
    ~CLogExportWidget() override;

    void startLogExport(const QString &folder, const sDeviceInfo &node, bool proxyMode);

    CProgressListItem *row() const;
    QListWidget *rowList() const { return m_rowList; }

public slots:
    void onOkClicked() override;
    void onCancelClicked() override;

private:
    void finish(int result);
    void stop();

    QListWidget *m_rowList = nullptr;
    CLogExportWorker *m_operation = nullptr; // owned; deleted by stop()
    COperationRows *m_rows = nullptr;     // child
    bool m_closing = false;
};
