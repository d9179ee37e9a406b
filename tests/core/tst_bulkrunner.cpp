// The bulk runner: in-flight limit, per-node deadlines, cancel, and outcomes
// delivered once per node to the receiver's thread.
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

#include <atomic>

#include "operations/cbulkrunner.h"

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

    QMetaObject::Connection outcomes, end;

    explicit Seen(CBulkRunner &runner, int n) : count(n, 0), outcome(n)
    {
        outcomes = QObject::connect(&runner, &CBulkRunner::sigOutcome, &runner, [this](int i, const Outcome &o) {
            offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
            ++count[i];
            outcome[i] = o;
        });
        end = QObject::connect(&runner, &CBulkRunner::sigFinished, &runner, [this](bool c) {
            finished = true;
            cancelled = c;
        });
    }
    // A runner that outlives this (a failed check returns early) cancels into nothing.
    ~Seen()
    {
        QObject::disconnect(outcomes);
        QObject::disconnect(end);
    }
    bool eachOnce() const { return std::all_of(count.begin(), count.end(), [](int c) { return c == 1; }); }
};
} // namespace

class TestBulkRunner : public QObject
{
    Q_OBJECT

private slots:
    void pendingNodesHoldTheirSlotAwaitingOnesDoNot();
    void eachNodeHasItsOwnDeadline();
    void cancelStopsRunningAndQueuedNodes();
    void batchReportsInOrderAndFailsTheRest();
};

void TestBulkRunner::pendingNodesHoldTheirSlotAwaitingOnesDoNot()
{
    // Two slots. Nodes 0-3 wait for an answer that is part of their exchange (Pending) and
    // keep their slots: a third starts only when an answer frees one. Nodes 4-7 only wait
    // for the node (Awaiting): all of them start at once; unanswered ones end at their own
    // deadline. Answers come from the test thread, as an answer signal would bring them.
    std::atomic<int> started{0};
    CBulkRunner runner;
    runner.setMaxInFlight(2);
    runner.setDeadlineMs(0);
    Seen seen(runner, 8);
    QVERIFY(runner.start(8, [&](int i, const CBulkRunner::Control &ctl) {
        ++started;
        return i < 4 ? Outcome{Outcome::Pending, 0, QString()} : ctl.awaiting(1000);
    }));
    for (int i = 0; i < 3; ++i) {
        QTRY_COMPARE(started.load(), i + 2);
        QTest::qWait(20);
        QCOMPARE(started.load(), i + 2);
        QVERIFY(runner.complete(i, Outcome{Outcome::Succeeded, i, QStringLiteral("late")}));
    }
    // Node 3 holds one slot; 4-7 pass through the other.
    QTRY_COMPARE(started.load(), 8);
    QVERIFY(runner.complete(3, Outcome{Outcome::Succeeded, 3, QString()}));
    QVERIFY(runner.complete(4, Outcome{Outcome::Succeeded, 4, QString()}));
    QTRY_VERIFY_WITH_TIMEOUT(seen.finished, 10000);
    QVERIFY(seen.eachOnce());
    QVERIFY(!seen.offThread);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(seen.outcome[i].state, int(i < 5 ? Outcome::Succeeded : Outcome::TimedOut));
    QCOMPARE(seen.outcome[0].detail, QStringLiteral("late"));
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
    QTRY_VERIFY(seen.finished && !seen.cancelled);
    QCOMPARE(order, (QVector<int>{0, 1, 2, 3, 4}));
    QCOMPARE(seen.outcome[1], (Outcome{Outcome::Succeeded, 1, QString()}));
    QCOMPARE(seen.outcome[4].state, int(Outcome::Failed));
}

QTEST_GUILESS_MAIN(TestBulkRunner)
#include "tst_bulkrunner.moc"
