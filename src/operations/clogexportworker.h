#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

#include <cstdint>

#include "operations/cbulkrunner.h"
#include "model/sdeviceinfo.h"
#include "transfer/stransinfo.h"

class CUpdateManagerCtrl;

// Fetches one node's log files, or the proxy node's proxy logs, into a folder on this
// computer. Each fetch (the first and every retry) runs as a bulk run of one node, off
// the dialog's thread; the worker lives on the dialog's thread and owns those runs.
class CLogExportWorker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CLogExportWorker)

public:
    CLogExportWorker(const QString &folder, const sDeviceInfo &node, QObject *parent = nullptr);
    ~CLogExportWorker() override; // stops and joins the fetch

    // Row result codes: every file written; something was not; a file passed the size limit.
    static constexpr int kLogsWritten = 0;
    static constexpr int kLogsFailed = 2;
    static constexpr int kLogsTooLarge = 4;

    // The fetch in progress ends at once and no further file is fetched, so closing
    // the dialog never waits for an unreachable node.
    void requestStop();

public slots:
    void exportAllLog();
    void exportProxyLog();
    void retry(QString ip);

signals:
    // ip is the row's (the record's own IP); res is the row's result code.
    void sigExportResult(QString ip, int res);

private:
    void fetch();
    QString fetchIp() const;
    bool stopAsked() const { return m_transEnable->load() == 0; }

    const QString m_folder;
    const sDeviceInfo m_node;
    QHash<QString, int> m_nodeTypes; // IP actually fetched from -> node type
    CUpdateManagerCtrl *m_manager = nullptr; // child
    bool m_proxyMode = false;
    TransFlag m_transEnable = makeTransFlag();
    std::vector<std::unique_ptr<CBulkRunner>> m_runs; // the first fetch and one per retry
};
