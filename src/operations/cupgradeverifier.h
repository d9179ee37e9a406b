#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "comm/iobserver.h"

// Whether upgraded nodes come back with the package's version. One poll serves every node
// waiting: a batch of unicast scans (one window for all answers) every pollMs, on a thread of
// its own; scan answers from anywhere (the window's own scans too) count as they arrive.
// A node is matched by the address its answer came from, and its version compared byte for
// byte: what a node reports is its own word, never trusted further.
class CUpgradeVerifier final : public QObject, public IObserver
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUpgradeVerifier)

public:
    static constexpr int kDefaultPollMs = 2000;

    enum EVerdict : int {
        Verified, // answered with the package's version
        StillOld, // answered, but with another version, until the limit
        NotBack,  // no answer at all since the upgrade, until the limit
    };

    explicit CUpgradeVerifier(QObject *parent = nullptr);
    ~CUpgradeVerifier() override; // stops and joins its thread

    void setPollMs(int ms);
    // Waits for ip to report version, for at most timeoutMs; a second watch of ip replaces the first.
    void watch(const QString &ip, const QByteArray &version, int timeoutMs);
    // Every watch ends without a verdict.
    void stop();

    void onResult(int cmdType, void *record, int result, int nodeType) override;
    void onTransEnd(const sTransAnswer *) override {}
    void onTransProgress(const QString &, uint32_t) override {}

signals:
    // From the verifier's or a scanning thread. seen: the version last reported since the
    // watch began (empty when none); waitedMs: since the watch began.
    void sigVerdict(QString ip, int verdict, QByteArray seen, qint64 waitedMs);

private:
    using Clock = std::chrono::steady_clock;
    struct sWatch
    {
        QByteArray version;
        QByteArray seen;
        bool answered = false;
        Clock::time_point since;
        Clock::time_point deadline;
    };

    void loop();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QHash<QString, sWatch> m_watches;
    std::thread m_thread;
    bool m_stop = false;
    int m_pollMs = kDefaultPollMs;
    bool m_registered = false;
};
