#pragma once

#include <QEventLoop>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <memory>

// What every benchmark does before it measures anything.
namespace Bench {

[[noreturn]] inline void die(const char *name, const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", name, qPrintable(message));
    std::exit(1);
}

// A benchmark broadcasts and connects to node addresses: only inside scripts/netns.sh.
inline void requireNamespace(const char *name)
{
    if (qgetenv("QV_IN_NETNS") != "1") {
        std::fprintf(stderr, "%s: run it through scripts/netns.sh\n", name);
        std::exit(2);
    }
}

// A widget benchmark runs headless unless told otherwise; call before QApplication exists.
inline void gui(const char *name)
{
    requireNamespace(name);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Starts the simulator with args and waits for its "ready"; false when it never came.
inline bool startSimulator(QProcess &sim, const QString &program, const QStringList &args)
{
    sim.setProgram(program);
    sim.setArguments(args);
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start();
    bool ready = sim.waitForStarted(5000);
    QByteArray out;
    while (ready && !out.contains("ready")) {
        ready = sim.waitForReadyRead(30000);
        out += sim.readAll();
    }
    return ready;
}

// Per-datagram debug lines would measure the terminal, not the work.
inline void quietDebug()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
}

// Runs this thread's event loop until the continuation start was given has run.
template <typename Start>
void untilDone(Start start)
{
    QEventLoop loop;
    bool done = false;
    start([&done, &loop](auto &&...) {
        done = true;
        loop.quit();
    });
    if (!done)
        loop.exec();
}

// The hub's own scan (or a command it started), to its end.
template <typename Hub, typename Begin>
void commandToEnd(Hub &hub, Begin begin)
{
    untilDone([&hub, &begin](auto done) {
        auto ended = std::make_shared<QMetaObject::Connection>();
        *ended = QObject::connect(&hub, &Hub::sigCommandEnded, [ended, done] {
            QObject::disconnect(*ended);
            done();
        });
        begin();
    });
}

template <typename Hub>
void scanToEnd(Hub &hub)
{
    commandToEnd(hub, [&hub] { hub.scanNodes(); });
}

} // namespace Bench
