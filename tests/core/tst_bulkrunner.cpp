// The bulk runner: in-flight limit, per-node deadlines, cancel, and outcomes
// delivered once per node to the receiver's thread.
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <mutex>

#include "comm/cbulkrunner.h"

namespace {
using Outcome = sBulkOutcome;

// Collects what a GUI would see: queued signals on the test thread.
struct Seen
{
    QVector<int> count;
    QVector<Outcome> outcome;
    bool finished = false;
    bool cancelled = false;
    bool offThread = false;

    explicit Seen(CBulkRunner &runner, int n) : count(n, 0), outcome(n)
    {
        QObject::connect(&runner, &CBulkRunner::sigOutcome, &runner, [this](int i, const Outcome &o) {
            offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
            ++count[i];
            outcome[i] = o;
        });
        QObject::connect(&runner, &CBulkRunner::sigFinished, &runner, [this](bool c) {
            finished = true;
            cancelled = c;
        });
    }
    bool eachOnce() const { return std::all_of(count.begin(), count.end(), [](int c) { return c == 1; }); }
};
} // namespace

class TestBulkRunner : public QObject
{
    Q_OBJECT

private slots:
    void inFlightLimitHoldsForRunningAndWaitingNodes();
    void eachNodeHasItsOwnDeadline();
    void awaitingNodesGiveTheirSlotBack();
    void cancelStopsRunningAndQueuedNodes();
    void batchReportsInOrderAndFailsTheRest();
};

void TestBulkRunner::inFlightLimitHoldsForRunningAndWaitingNodes()
{
    // Half the nodes block, half wait for an answer given from another thread: both hold a slot.
    CBulkRunner runner;
    runner.setMaxInFlight(4);
    // open counts a node from before its slot is taken to after it is given back, so it
    // never undercounts what is in flight.
    std::atomic<int> open{0}, peak{0};
    std::mutex waitingMutex;
    QVector<int> waiting;
    const int n = 40;
    Seen seen(runner, n);
    QVERIFY(runner.start(n, [&](int i, const CBulkRunner::Control &) {
        const int now = ++open;
        int p = peak.load();
        while (now > p && !peak.compare_exchange_weak(p, now)) {}
        if (i % 2) {
            std::lock_guard<std::mutex> lock(waitingMutex);
            waiting.append(i);
            return Outcome{Outcome::Pending, 0, QString()};
        }
        QThread::msleep(5);
        --open;
        return Outcome{Outcome::Succeeded, i, QString()};
    }));
    // The answers come later, from the test thread, as an answer signal would bring them.
    QTimer answers;
    connect(&answers, &QTimer::timeout, [&] {
        QVector<int> ready;
        {
            std::lock_guard<std::mutex> lock(waitingMutex);
            ready.swap(waiting);
        }
        for (int i : qAsConst(ready)) {
            --open;
            QVERIFY(runner.complete(i, Outcome{Outcome::Succeeded, i, QStringLiteral("late")}));
        }
    });
    answers.start(10);
    QTRY_VERIFY_WITH_TIMEOUT(seen.finished, 20000);
    QVERIFY(runner.wait(5000));
    QVERIFY(peak.load() <= 4);
    QVERIFY(seen.eachOnce());
    QVERIFY(!seen.offThread);
    for (int i = 0; i < n; ++i)
        QCOMPARE(seen.outcome[i], (Outcome{Outcome::Succeeded, i, i % 2 ? QStringLiteral("late") : QString()}));
    QVERIFY(!runner.complete(1, Outcome{Outcome::Failed, 0, QString()})); // once ended, stays ended
}

void TestBulkRunner::eachNodeHasItsOwnDeadline()
{
    // Two slots, six silent nodes: they time out in three waves, each after its own 150 ms.
    CBulkRunner runner;
    runner.setMaxInFlight(2);
    runner.setDeadlineMs(150);
    Seen seen(runner, 6);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(runner.start(6, [](int i, const CBulkRunner::Control &) {
        return i == 5 ? Outcome{Outcome::Succeeded, 0, QString()} : Outcome{Outcome::Pending, 0, QString()};
    }));
    QTRY_VERIFY_WITH_TIMEOUT(seen.finished, 20000);
    QVERIFY(clock.elapsed() >= 2 * 150); // nodes 4 and 5 started only after the first waves ended
    QVERIFY(seen.eachOnce());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(seen.outcome[i].state, int(Outcome::TimedOut));
    QCOMPARE(seen.outcome[5].state, int(Outcome::Succeeded));
    QVERIFY(!runner.complete(0, Outcome{Outcome::Succeeded, 0, QString()}));
    QCOMPARE(runner.outcomes()[0].state, int(Outcome::TimedOut));
}

void TestBulkRunner::awaitingNodesGiveTheirSlotBack()
{
    // Two slots, eight nodes that only wait for their answers (upgrades installing): all
    // eight are sent before any answer comes; unanswered ones end at their own deadline.
    CBulkRunner runner;
    runner.setMaxInFlight(2);
    runner.setDeadlineMs(0);
    std::atomic<int> started{0};
    Seen seen(runner, 8);
    QVERIFY(runner.start(8, [&](int, const CBulkRunner::Control &ctl) {
        ++started;
        return ctl.awaiting(300);
    }));
    QTRY_COMPARE_WITH_TIMEOUT(started.load(), 8, 10000);
    for (int i = 0; i < 4; ++i)
        QVERIFY(runner.complete(i, Outcome{Outcome::Succeeded, i, QString()}));
    QTRY_VERIFY_WITH_TIMEOUT(seen.finished, 10000);
    QVERIFY(seen.eachOnce());
    for (int i = 0; i < 8; ++i)
        QCOMPARE(seen.outcome[i].state, int(i < 4 ? Outcome::Succeeded : Outcome::TimedOut));
}

void TestBulkRunner::cancelStopsRunningAndQueuedNodes()
{
    auto runner = std::make_unique<CBulkRunner>();
    runner->setMaxInFlight(3);
    runner->setDeadlineMs(0);
    std::atomic<int> started{0};
    Seen seen(*runner, 100);
    QVERIFY(runner->start(100, [&](int, const CBulkRunner::Control &ctl) {
        ++started;
        while (!ctl.stopRequested())
            QThread::msleep(2);
        return Outcome{Outcome::Failed, 7, QString()};
    }));
    QTRY_COMPARE_WITH_TIMEOUT(started.load(), 3, 10000);
    QVERIFY(!runner->start(1, [](int, const CBulkRunner::Control &) { return Outcome(); })); // one run at a time
    runner->cancel();
    QTRY_VERIFY_WITH_TIMEOUT(seen.finished, 10000);
    QVERIFY(seen.cancelled);
    QVERIFY(seen.eachOnce());
    QCOMPARE(started.load(), 3);
    int stoppedRunning = 0;
    for (const Outcome &o : qAsConst(seen.outcome)) {
        QVERIFY(o.state == Outcome::Cancelled || o == (Outcome{Outcome::Failed, 7, QString()}));
        stoppedRunning += o.state == Outcome::Failed;
    }
    QCOMPARE(stoppedRunning, 3);

    // Destroying a runner in the middle stops and joins its threads.
    QVERIFY(runner->start(50, [](int, const CBulkRunner::Control &ctl) {
        while (!ctl.stopRequested())
            QThread::msleep(2);
        return Outcome();
    }));
    runner.reset();
}

void TestBulkRunner::batchReportsInOrderAndFailsTheRest()
{
    CBulkRunner runner;
    Seen seen(runner, 5);
    QVector<int> order;
    connect(&runner, &CBulkRunner::sigOutcome, &runner, [&](int i, const Outcome &) { order.append(i); });
    QVERIFY(runner.startBatch(5, [](const CBulkRunner::Control &ctl) {
        for (int i = 0; i < 3; ++i)
            ctl.report(i, Outcome{Outcome::Succeeded, i, QString()});
        ctl.report(1, Outcome{Outcome::Failed, 0, QString()}); // too late: node 1 has ended
    }));
    QVERIFY(runner.wait(10000));
    QTRY_VERIFY(seen.finished);
    QVERIFY(!seen.cancelled);
    QCOMPARE(order, (QVector<int>{0, 1, 2, 3, 4}));
    QCOMPARE(seen.outcome[1], (Outcome{Outcome::Succeeded, 1, QString()}));
    QCOMPARE(seen.outcome[4].state, int(Outcome::Failed));
}

QTEST_GUILESS_MAIN(TestBulkRunner)
#include "tst_bulkrunner.moc"
