#pragma once

#include <QObject>
#include <functional>

class CBulkRunner;
class QSocketNotifier;

// SIGINT and SIGTERM (Ctrl+C and close on Windows) end a command cleanly: the handler only
// writes the signal's number into a socket pair; a notifier on the main thread reads it and
// emits sigInterrupted(), so the command stops its work, cleans up and reports.
class CCliSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CCliSignals)

public:
    static CCliSignals &instance();
    // Once, on the main thread, after the application object exists.
    bool install();
    // The signal that came (0 while none did).
    int signalNumber() const { return m_signal; }
    bool interrupted() const { return m_signal != 0; }

signals:
    void sigInterrupted();

private:
    CCliSignals() = default;
    Q_INVOKABLE void onSignal(int signo);

    QSocketNotifier *m_notifier = nullptr;
    int m_signal = 0;
};

// Runs the main thread's event loop for a command's wait, without polling: until done()
// holds (checked whenever poke() is called), the time is up, or a signal came.
class CCliLoop final
{
    Q_DISABLE_COPY_MOVE(CCliLoop)

public:
    explicit CCliLoop(std::function<bool()> done);
    ~CCliLoop();
    // From the main thread, whenever what done() looks at has changed.
    void poke();
    // false on the time-out or a signal.
    bool run(int timeoutMs);

private:
    struct sPrivate;
    sPrivate *d;
};

// Waits for a bulk run the same way; false when it had to be cancelled (time-out or
// signal). Connect before the runner starts: its end is caught from then on.
class CRunnerWait final
{
    Q_DISABLE_COPY_MOVE(CRunnerWait)

public:
    explicit CRunnerWait(CBulkRunner &runner);
    ~CRunnerWait();
    bool wait(int timeoutMs);

private:
    CBulkRunner &m_runner;
    bool m_finished = false;
    CCliLoop m_loop;
    QObject m_context; // a late end notice dies with this object
};
