#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QRunnable>
#include <QSet>
#include <QString>
#include <QVector>
#include <memory>
#include <vector>

#include "operations/cbulkrunner.h"
#include "comm/sdevicedata.h"
#include "model/sdeviceinfo.h"

class CDeviceCtrlJob;

// Asks the nodes for their data through a bulk runner (at most the configured number
// of nodes in flight, each with its own deadline from its own request) and writes each
// answer to a file. Answers arrive on the link threads (exportDataSave). Lives on the
// dialog's thread; the runners own every thread it starts.
class CExportWorker final : public QObject, public QRunnable
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CExportWorker)

public:
    // A node's request and its answer: the row fails only when this has passed.
    static constexpr int kDeadlineMs = 15000;

    CExportWorker(const SelectedNodeList &nodes, CDeviceCtrlJob *job, const QString &folder,
                  QObject *parent = nullptr);
    ~CExportWorker() override; // cancels and joins every runner

    void run() override {}

    // Cancels every request; waits for a file being written on a link thread. After
    // it no result is reported any more.
    void requestStop();
    bool stopRequested() const;
    // No request is running any more (every node has its result).
    bool isIdle() const;

    // prefix + ip + ".json"; empty when ip is not a dotted IPv4 address, so that
    // a name taken from a node's answer can never leave the folder.
    static QString fileNameFor(const QByteArray &ip, int type);

public slots:
    void process();
    void retry(QString ip);
    void exportDataSave(sDeviceData *deviceData);

signals:
    // res 0: the file is written; 2: no file (no link, write failure, or deadline).
    void setExportResult(QString ip, int res);

private:
    struct sRequest
    {
        CBulkRunner *runner = nullptr;
        int index = -1;
    };
    using NodeList = QVector<QPair<QString, int>>; // IP, node type

    void startRun(const NodeList &nodes);
    sBulkOutcome request(CBulkRunner *runner, int index, const QString &ip, int type);
    void dropFinishedRuns();

    const SelectedNodeList m_nodes;
    QSet<QString> m_selected; // set in the constructor, then only read (any thread)
    CDeviceCtrlJob *const m_job;
    const QString m_folder;
    QHash<QString, int> m_types; // this object's thread only
    std::vector<std::unique_ptr<CBulkRunner>> m_runs;

    mutable QMutex m_mutex; // m_pending and m_stop; held while an answer is handled
    QHash<QString, sRequest> m_pending; // the request an answer for the IP ends
    bool m_stop = false;
};
