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
#include "operations/crolloutplan.h"
#include "comm/sdevicedata.h"
#include "history/ccommandhistory.h"
#include "transfer/stransinfo.h"

class CDeviceCtrlObserver;
class CUpdateManagerCtrl;
class CUpgradeVerifier;
class csftpclient;

// A node's way through an upgrade, as both front ends show it.
enum class EUpgradeStage : int {
    Uploading,
    Installing,  // the command went out; the node installs and answers
    Verifying,   // answered success; waiting for a scan to show the package's version
    Verified,    // seen with the package's version
    StillOld,    // answered success, but still reported another version at the limit
    NotBack,     // answered success, then never answered a scan again
    Unverified,  // application upgrade: no scan reports its version, so none is checked
    Failed,      // no success answer (the row's result code says why)
    Skipped,     // already reported the package's version: nothing sent
    NotStarted,  // the rollout stopped before the node's turn; it may be retried
};

// One node an upgrade is meant for, as the last scan listed it.
struct sUpgradeTarget
{
    QString ip;
    int64_t id = 0;
    int nodeType = 0;
    QByteArray version;
};

// The part the firmware and application upgrade workers share. Runs each node's chain
// (upload, upgrade command, the node's answer) as one task of a bulk runner, and passes
// progress and results on to the dialog. The in-flight limit bounds the uploads and
// commands only: a node that has its package installs while the next ones upload, and
// its answer ends it when it comes. A firmware node that answers success then waits,
// without a slot, until a scan shows it with the package's version (CUpgradeVerifier).
// The rollout (CRolloutPlan) decides which wave goes when; the history entry of the run
// is written here, so the window and the command line record the same.
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
    // Verdict texts as the history keeps them (keys, shown in the language of the moment).
    static QString verifiedText();
    static QString stillOldText();
    static QString notBackText();
    static QString unverifiedText();
    static QString skippedText();
    static QString notStartedText();
    static QString verifyCutText(); // stopped while verifying

    CUpgradeWorker(CUpdateManagerCtrl *manager, CDeviceCtrlObserver *observer, int32_t upgradeType,
                   QObject *parent = nullptr);
    ~CUpgradeWorker() override; // stops and joins every runner

    // Running uploads end at once, waiting tasks give up, links being made close.
    void requestStop();
    // The type of each node by address, for the package check; set before the run starts.
    void setNodeTypes(const QHash<QString, int> &types) { m_nodeTypes = types; }
    // The nodes with their ids, types and versions (types as setNodeTypes); before the run.
    void setTargets(const QVector<sUpgradeTarget> &targets);
    // Canary, waves, failure limit, skipping and the verification limit; before the run.
    void setRollout(const sRolloutOptions &options) { m_options = options; }
    void setVerifyPollMs(int ms);
    // The history entry each run writes: its command, and nodes the front end ended before
    // the run (refused packages); no command: nothing written.
    void setHistory(const QString &command, const QVector<sHistoryNode> &endedBefore = {});
    // The package's version as the command carries it (empty for none).
    QByteArray packageVersion() const { return m_packageVersion; }

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
    // stage is an EUpgradeStage; seen: the version a scan showed (Verified, StillOld, Skipped);
    // ms: how long the verification waited.
    void sigStage(QString ip, int stage, QByteArray seen, qint64 ms);
    // A wave (index from 0; the canary's when canary is set) is starting with these nodes.
    void sigWave(int wave, bool canary, QStringList ips);
    // Every node of the first run has ended (and its history entry is written).
    void sigRolloutDone();

protected:
    void startUploads(const QStringList &ipList, const QString &fileName);

private:
    void startRun(const QStringList &ips, bool planned);
    sBulkOutcome upgradeNode(const QString &ip, const CBulkRunner::Control &ctl, bool planned);
    bool stopped() const;
    void nodeAnswered(const QString &ip, const sBulkOutcome &outcome);
    void onVerdict(const QString &ip, int verdict, const QByteArray &seen, qint64 ms);
    // The node's end: into the plan, the history and the next wave.
    void nodeEnded(const QString &ip, bool ok, EUpgradeStage stage, const sHistoryNode &record);
    void startNextWave();
    void writeHistory(bool cut);

    CUpdateManagerCtrl *m_manager = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    const int32_t m_upgradeType = 0;
    QString m_fileName;
    QSet<QString> m_nodes; // IPs with a client of ours; this object's thread only
    QHash<QString, int> m_nodeTypes; // written before the run, read by its tasks
    QHash<QString, sUpgradeTarget> m_targets;
    sRolloutOptions m_options;
    QByteArray m_packageVersion;
    std::unique_ptr<CUpgradeVerifier> m_verifier;
    // The plan of the first run; its tasks ask it (mayStart) from the runner's threads.
    mutable QMutex m_planMutex;
    CRolloutPlan m_plan;
    QStringList m_planIps; // plan index -> IP
    bool m_rolloutDone = false;
    // The history: the command, nodes ended before the run, each node's record by IP, and
    // the nodes still to end before the entry is written (the first run's, then a retry's).
    QString m_historyCommand;
    QVector<sHistoryNode> m_endedBefore;
    QHash<QString, sHistoryNode> m_records;
    QStringList m_recordOrder;
    QSet<QString> m_open;
    QVector<sHistoryWave> m_waves;
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
