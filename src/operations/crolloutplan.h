#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// How an upgrade goes out over many nodes. The defaults send it to every node at once.
struct sRolloutOptions
{
    static constexpr int kDefaultVerifyTimeoutSec = 600;

    int canary = 0;           // the first N nodes in address order, all verified before any other starts
    int wave = 0;             // at most this many nodes at a time; 0: all the rest together
    int maxFailures = 0;      // no node starts once this many have failed; 0: no limit
    bool skipCurrent = false; // a node already reporting the package's version gets nothing
    int verifyTimeoutSec = kDefaultVerifyTimeoutSec;

    bool staged() const { return canary > 0 || wave > 0 || maxFailures > 0 || skipCurrent; }
};

// Which node gets the package when. Bookkeeping only: no threads, no I/O; its user locks it.
// Nodes are planned in address order: skipped ones first taken out, then the canary (wave 0
// when asked for), then waves of at most `wave` nodes. A wave starts once every node of the
// one before has ended; a failed canary node or the failure limit stops every start after it.
class CRolloutPlan final
{
public:
    enum class EState { Waiting, Skipped, Running, Succeeded, Failed, NotStarted };
    enum class ECanary { None, Pending, Passed, Failed };

    struct sNode
    {
        QString ip;
        QByteArray version; // as the last scan reported it
    };

    CRolloutPlan() = default;
    CRolloutPlan(const QVector<sNode> &nodes, const QByteArray &packageVersion, const sRolloutOptions &options);

    int count() const { return m_states.size(); }
    // Node indices of each wave in start order; the canary first when there is one.
    const QVector<QVector<int>> &waves() const { return m_waves; }
    int waveOf(int node) const { return m_waveOf.value(node, -1); } // -1: skipped
    bool hasCanary() const { return m_hasCanary; }
    int currentWave() const { return m_current; } // -1 before the first

    // The next wave once the current one has ended; empty while it runs, once stopped
    // (the nodes left end NotStarted) or when there is none.
    QVector<int> nextWave();
    // Asked as a node of the current wave is about to start: false (and the node ends
    // NotStarted) once the rollout has stopped.
    bool mayStart(int node);
    // A started node's end: verified (or, where nothing can be verified, answered) or not.
    void setResult(int node, bool ok);

    bool stopped() const;
    // Nothing runs and nothing is left to start.
    bool finished() const;
    EState state(int node) const { return m_states.value(node, EState::NotStarted); }
    ECanary canary() const;
    int failures() const { return m_failures; }

private:
    bool waveOver(int wave) const;

    sRolloutOptions m_options;
    QVector<EState> m_states;
    QVector<int> m_waveOf;
    QVector<QVector<int>> m_waves;
    bool m_hasCanary = false;
    int m_current = -1;
    int m_failures = 0;
};
