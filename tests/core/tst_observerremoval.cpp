// Removing an observer waits for a call into it that is running on another thread.
#include <QtTest>
#include <atomic>
#include <thread>

#include "comm/cobserverlist.h"

namespace {
class SlowObserver final : public IObserver
{
public:
    std::atomic_bool entered{false};
    std::atomic_bool left{false};
    void onResult(int, void *, int, int) override
    {
        entered = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        left = true;
    }
    void onTransEnd(const sTransAnswer *) override {}
    void onTransProgress(const QString &, uint32_t) override {}
};

} // namespace

class TstObserverRemoval : public QObject
{
    Q_OBJECT

private slots:
    void removeWaitsForACallInProgress()
    {
        SlowObserver observer;
        CObserverList::instance().add(&observer);
        std::thread link([] { CObserverList::instance().announceResult(11006, nullptr, 0, 1); });
        QTRY_VERIFY(observer.entered);
        CObserverList::instance().remove(&observer);
        QVERIFY(observer.left); // the call had ended before remove() returned
        link.join();
    }
};

QTEST_MAIN(TstObserverRemoval)
#include "tst_observerremoval.moc"
