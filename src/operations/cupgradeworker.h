#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <curl/curl.h>
#include <memory>
#include <vector>

#include "operations/cbulkrunner.h"
#include "comm/sdevicedata.h"
#include "transfer/stransinfo.h"

class CDeviceCtrlObserver;
class CUpdateManagerCtrl;
class csftpclient;

// The part the firmware and application upgrade workers share. Runs each node's chain
// (upload, upgrade command, the node's answer) as one task of a bulk runner, and passes
// progress and results on to the dialog. The in-flight limit bounds the uploads and
// commands only: a node that has its package installs while the next ones upload, and
// its answer ends it when it comes.
// Lives on the dialog's thread; the runners own every thread it starts, and the stop
// flag the uploads read is shared with them.
class CUpgradeWorker : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUpgradeWorker)

public:
    // No row text is defined for a node that never got the command; this code
    // has none of the node's meanings and shows as "升级失败".
    static constexpr int kNotUpgraded = 0;
    // How long a node may take to answer its upgrade command (it installs first).
    static constexpr int kAnswerWaitMs = 300000;

    CUpgradeWorker(CUpdateManagerCtrl *manager, CDeviceCtrlObserver *observer, int32_t upgradeType,
                   QObject *parent = nullptr);
    ~CUpgradeWorker() override; // stops and joins every runner

    // Running uploads end at once, waiting tasks give up, links being made close.
    void requestStop();
    // The type of each node by address, for the package check; set before the run starts.
    void setNodeTypes(const QHash<QString, int> &types) { m_nodeTypes = types; }

public slots:
    void updateTransProgress(QString ip, ulong finishedSize);
    void onTransAnswer(QString ip, CURLcode res);
    void updateOver(sUpdateRes *data);
    // The node's answer by value (what updateOver reads from the record); any thread.
    void updateResult(const QString &ip, int value);
    void retry(QString ip);
    void SetTransStop(bool bStop);

signals:
    void setUpdateProgress(bool isProgress, QString ip, int res);

protected:
    void startUploads(const QStringList &ipList, const QString &fileName);

private:
    void startRun(const QStringList &ips);
    sBulkOutcome upgradeNode(const QString &ip, const CBulkRunner::Control &ctl);
    bool stopped() const;

    CUpdateManagerCtrl *m_manager = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    const int32_t m_upgradeType = 0;
    QString m_fileName;
    QSet<QString> m_nodes; // IPs with a client of ours; this object's thread only
    QHash<QString, int> m_nodeTypes; // written before the run, read by its tasks
    std::vector<std::unique_ptr<CBulkRunner>> m_runs; // the first run and one per retry
    TransFlag m_transEnable = makeTransFlag(); // given to every client; uploads read it

    // Where a node's answer goes: its run and its index there.
    struct sWaiter
    {
        CBulkRunner *runner = nullptr;
        int index = -1;
    };
    mutable QMutex m_mutex;
    QHash<QString, sWaiter> m_waiting; // IP -> the node's current task, from its start
};
