#include "cli/clisignals.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

#include "operations/cbulkrunner.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
#ifndef Q_OS_WIN
int g_pair[2] = {-1, -1};

void onPosixSignal(int signo)
{
    const unsigned char byte = static_cast<unsigned char>(signo);
    // Nothing else is safe here; a full pipe only loses a repeat.
    const ssize_t written = ::write(g_pair[0], &byte, 1);
    (void)written;
}
#else
BOOL WINAPI onConsoleEvent(DWORD event)
{
    // Runs on a thread of its own: the notice is queued to the main thread.
    const int signo = event == CTRL_C_EVENT ? 2 : 15;
    QMetaObject::invokeMethod(&CCliSignals::instance(), "onSignal", Qt::QueuedConnection, Q_ARG(int, signo));
    return TRUE;
}
#endif
} // namespace

CCliSignals &CCliSignals::instance()
{
    static CCliSignals *self = new CCliSignals; // lives until the process ends
    return *self;
}

bool CCliSignals::install()
{
#ifndef Q_OS_WIN
    if (m_notifier)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pair) != 0)
        return false;
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(g_pair[1], &byte, 1) == 1)
            onSignal(byte);
    });
    struct sigaction action = {};
    action.sa_handler = onPosixSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
#else
    return SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
#endif
}

void CCliSignals::onSignal(int signo)
{
    if (m_signal != 0)
        return; // the first one is being handled
    m_signal = signo;
    emit sigInterrupted();
}

struct CCliLoop::sPrivate
{
    QEventLoop loop;
    std::function<bool()> done;
};

CCliLoop::CCliLoop(std::function<bool()> done) : d(new sPrivate)
{
    d->done = std::move(done);
    QObject::connect(&CCliSignals::instance(), &CCliSignals::sigInterrupted, &d->loop, &QEventLoop::quit);
}

CCliLoop::~CCliLoop()
{
    delete d;
}

void CCliLoop::poke()
{
    if (d->done())
        d->loop.quit();
}

bool CCliLoop::run(int timeoutMs)
{
    if (CCliSignals::instance().interrupted())
        return false;
    if (d->done())
        return true;
    bool timedOut = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &d->loop, [&] {
        timedOut = true;
        d->loop.quit();
    });
    deadline.start(timeoutMs);
    d->loop.exec();
    return !timedOut && !CCliSignals::instance().interrupted() && d->done();
}

CRunnerWait::CRunnerWait(CBulkRunner &runner)
    : m_runner(runner), m_loop([this] { return m_finished; })
{
    QObject::connect(&runner, &CBulkRunner::sigFinished, &m_context, [this] {
        m_finished = true;
        m_loop.poke();
    }, Qt::QueuedConnection);
}

CRunnerWait::~CRunnerWait() = default;

bool CRunnerWait::wait(int timeoutMs)
{
    const bool finished = m_loop.run(timeoutMs);
    if (!finished)
        m_runner.cancel();
    m_runner.wait();
    return finished && !m_runner.wasCancelled();
}
