#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

#include "comm/cobserverlist.h"

namespace {

// Transfer events reach observers the same way; tst_sftptransfer receives them end to end.
struct Counter final : IObserver
{
    std::atomic<int> results{0};
    std::function<void()> onCall;

    void onResult(int, void *, int, int) override
    {
        ++results;
        if (onCall)
            onCall();
    }
    void onTransEnd(const sTransAnswer *) override {}
    void onTransProgress(const QString &, uint32_t) override {}
};

void announce() { CObserverList::instance().announceResult(11006, nullptr, 0, 1); }

} // namespace

class TestObserverList final : public QObject
{
    Q_OBJECT

private slots:
    void addRemoveAndChangesDuringAnAnnouncement()
    {
        CObserverList &list = CObserverList::instance();
        Counter a, b;
        list.add(&a);
        list.add(&b);
        list.add(&a); // present twice: called twice
        announce();
        list.remove(&a); // every occurrence
        announce();
        QVERIFY(a.results == 2 && b.results == 2);
        list.remove(&b);

        Counter first, second, added;
        // The first removes the second (which may then be gone) and adds another.
        first.onCall = [&] {
            list.remove(&second);
            list.add(&added);
            list.remove(&first);
        };
        list.add(&first);
        list.add(&second);
        announce();
        QCOMPARE(second.results.load(), 0); // removed before its turn: skipped
        QCOMPARE(added.results.load(), 0);  // not in the copy
        announce();
        QVERIFY(added.results == 1 && first.results == 1);
        list.remove(&added);
    }

    void removeWaitsForACallInProgress()
    {
        Counter observer;
        std::atomic_bool left{false};
        observer.onCall = [&left] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            left = true;
        };
        CObserverList::instance().add(&observer);
        std::thread link([] { announce(); });
        QTRY_VERIFY(observer.results == 1);
        CObserverList::instance().remove(&observer);
        QVERIFY(left); // the call had ended before remove() returned
        link.join();
    }

    void concurrentAnnounceAndChange()
    {
        // Link threads announce while the GUI thread adds and removes observers.
        CObserverList &list = CObserverList::instance();
        Counter stable;
        list.add(&stable);
        std::atomic<bool> stop{false};
        std::thread announcer([&] {
            while (!stop)
                announce();
        });
        Counter churn[8];
        for (int round = 0; round < 2000; ++round) {
            for (Counter &c : churn)
                list.add(&c);
            for (Counter &c : churn)
                list.remove(&c);
        }
        stop = true;
        announcer.join();
        const int before = stable.results;
        announce();
        QCOMPARE(stable.results.load(), before + 1);
        list.remove(&stable);
    }
};

QTEST_GUILESS_MAIN(TestObserverList)
#include "tst_observerlist.moc"
