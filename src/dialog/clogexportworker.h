#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <atomic>

#include "transfer/stransinfo.h"
#include <cstdint>

#include "model/sdeviceinfo.h"

class CUpdateManagerCtrl;

// Fetches one node's log files, or the proxy node's proxy logs, into a folder
// on this computer. Lives in the log export dialog's worker thread.
class CLogExportWorker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CLogExportWorker)

public:
    CLogExportWorker(const QString &folder, const sDeviceInfo &node, QObject *parent = nullptr);

    // From any thread: the fetch in progress ends at once and no further file
    // is fetched, so closing the dialog never waits for an unreachable node.
    void requestStop() { m_transEnable->store(0); }

public slots:
    void exportAllLog();
    void exportProxyLog();
    void retry(QString ip);

signals:
    // ip is the row's (the record's own IP); ok only when the listing worked
    // and every file was written.
    void sigExportResult(QString ip, bool ok);

private:
    void fetch();
    QString fetchIp() const;
    bool stopAsked() const;

    QString m_folder;
    sDeviceInfo m_node;
    QHash<QString, int> m_nodeTypes; // IP actually fetched from -> node type
    CUpdateManagerCtrl *m_manager = nullptr;
    bool m_proxyMode = false;
    TransFlag m_transEnable = makeTransFlag();
};
