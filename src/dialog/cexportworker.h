#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QRunnable>
#include <QString>
#include <atomic>

#include "comm/sdevicedata.h"
#include "model/sdeviceinfo.h"

class CDeviceCtrlJob;

// Lives in the export dialog's worker thread: asks the nodes for their data and
// writes each answer to a file. Answers arrive on the link threads (exportDataSave).
class CExportWorker final : public QObject, public QRunnable
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CExportWorker)

public:
    CExportWorker(const SelectedNodeList &nodes, CDeviceCtrlJob *job, const QString &folder);

    void run() override {}

    // Set before the worker goes; every slot checks it first. Waits for a file
    // being written on a link thread.
    void requestStop();
    bool stopRequested() const;

    // prefix + ip + ".json"; empty when ip is not a dotted IPv4 address, so that
    // a name taken from a node's answer can never leave the folder.
    static QString fileNameFor(const QByteArray &ip, int type);

public slots:
    void process();
    void retry(QString ip);
    void exportDataSave(sDeviceData *deviceData);

signals:
    void setExportResult(QString ip, int res);

private:
    void request(const QString &ip, int type);

    const SelectedNodeList m_nodes;
    CDeviceCtrlJob *const m_job;
    const QString m_folder;
    QHash<QString, int> m_types; // worker thread only
    std::atomic_bool m_stop{false};
    QMutex m_saveMutex; // held while an answer is handled, so stopping waits for it
};
