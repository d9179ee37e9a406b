#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

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

// Per-datagram debug lines would measure the terminal, not the work.
inline void quietDebug()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
}

} // namespace Bench
