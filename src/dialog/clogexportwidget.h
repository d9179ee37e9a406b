#pragma once

#include <QString>

#include "history/ccommandhistory.h"
#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class CLogExportWorker;
class CProgressListItem;
class QListWidget;

// Fetches one node's logs (or the proxy node's proxy logs) into a folder and
// shows one row that ends in the real outcome.
class CLogExportWidget final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CLogExportWidget)

public:
    // The row's result code while the fetch is still running: the export kind
    // has no text for it, so the animation's end keeps "正在导出" on show.
    static constexpr int kExportPending = 1;
    static constexpr int kExportOk = 0;
    static constexpr int kExportFailed = 2;
    static constexpr int kExportTooLarge = 4; // a log file passed the size limit

    explicit CLogExportWidget(QWidget *parent = nullptr);
    ~CLogExportWidget() override;

    void startLogExport(const QString &folder, const sDeviceInfo &node, bool proxyMode);

    CProgressListItem *row() const { return m_row; }
    // The node as its row shows it now; empty before the export started.
    QVector<sHistoryNode> outcomes();
    QListWidget *rowList() const { return m_rowList; }

signals:
    void retrySignal(QString ip);

public slots:
    void onOkClicked() override;
    void onCancelClicked() override;

private slots:
    void onExportResult(QString ip, int res);

private:
    void finish(int result);
    void stop();

    QListWidget *m_rowList = nullptr;
    CProgressListItem *m_row = nullptr;
    int64_t m_nodeId = 0;
    QString m_transferIp; // the node's, or its manager's for proxy logs
    CLogExportWorker *m_worker = nullptr; // owned; deleted by stop()
    bool m_closing = false;
};
