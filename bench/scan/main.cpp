// quorvane-bench-scan: scans a simulated LAN of 10, 100, 300 and 1000 nodes and prints,
// for each size, the nodes found and how long the receive window stayed open after the
// last answer. Run only inside scripts/netns.sh.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

#include "../common/benchsetup.h"
#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "comm/protocol.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"

namespace {

// Notes when the last scan answer reached the parser (on the scanning thread).
class LastAnswerClock final : public IObserver
{
public:
    explicit LastAnswerClock(const QElapsedTimer &clock) : m_clock(clock) {}
    void onResult(int cmdType, void *, int, int) override
    {
        if (cmdType == Protocol::AnsScan)
            m_lastNs = m_clock.nsecsElapsed();
    }
    void onTransEnd(const sTransAnswer *) override {}
    void onTransProgress(const QString &, uint32_t) override {}
    qint64 lastNs() const { return m_lastNs; }

private:
    const QElapsedTimer &m_clock;
    qint64 m_lastNs = 0;
};

struct Run
{
    int found = 0;
    double totalMs = 0;
    double afterLastMs = 0;
};

Run scanOnce(CDeviceCtrlJob &job)
{
    QElapsedTimer clock;
    clock.start();
    LastAnswerClock last(clock);
    CObserverList::instance().add(&last);
    job.scanNodes();
    const qint64 endNs = clock.nsecsElapsed();
    CObserverList::instance().remove(&last);

    QSet<QByteArray> ips;
    for (const auto &d : CDecoderList::instance().nodes())
        ips.insert(d.ip);
    for (const auto &e : CEncoderList::instance().nodes())
        ips.insert(e.ip);
    Run r;
    r.found = ips.size();
    r.totalMs = endNs / 1e6;
    r.afterLastMs = last.lastNs() > 0 ? (endNs - last.lastNs()) / 1e6 : -1;
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Bench::requireNamespace("quorvane-bench-scan");
    Bench::quietDebug();

    const int spreadMs = 50;
    const int rounds = 5;
    CDeviceCtrlObserver storeObserver;
    CObserverList::instance().add(&storeObserver);
    CDeviceCtrlJob job(nullptr);

    printf("scan: nodes answering within %d ms, %d scans per size\n", spreadMs, rounds);
    printf("%6s %12s %14s %26s\n", "nodes", "found (min)", "scan ms (med)", "window after last (med/max)");
    bool allFound = true;
    for (const int n : {10, 100, 300, 1000}) {
        QProcess sim;
        if (!Bench::startSimulator(sim, QStringLiteral(QV_NODESIM_PATH),
                                   {"--decoders", QString::number(n / 2), "--encoders", QString::number(n - n / 2),
                                    "--seed", QString::number(n), "--spread", QString::number(spreadMs)})) {
            fprintf(stderr, "simulator did not start for %d nodes\n", n);
            return 1;
        }

        std::vector<Run> runs;
        for (int i = 0; i < rounds; ++i)
            runs.push_back(scanOnce(job));
        sim.terminate();
        sim.waitForFinished(5000);

        int minFound = n;
        std::vector<double> total, after;
        for (const Run &r : runs) {
            minFound = std::min(minFound, r.found);
            total.push_back(r.totalMs);
            after.push_back(r.afterLastMs);
        }
        std::sort(total.begin(), total.end());
        std::sort(after.begin(), after.end());
        printf("%6d %7d/%-4d %14.1f %16.1f / %.1f\n", n, minFound, n, total[total.size() / 2],
               after[after.size() / 2], after.back());
        fflush(stdout);
        allFound = allFound && minFound == n;
    }
    CObserverList::instance().remove(&storeObserver);
    return allFound ? 0 : 1;
}
