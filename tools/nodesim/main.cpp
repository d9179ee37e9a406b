// quorvane-nodesim: a LAN of simulated encoder and decoder nodes on 127.x
// addresses, for tests, benchmarks and the demo. Run it only inside the
// private network namespace (scripts/netns.sh).

#include "simconfig.h"
#include "simlanserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QSocketNotifier>

#include <cstdio>

#ifndef Q_OS_WIN
#include <csignal>
#include <cerrno>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    const ssize_t n = ::write(g_signalPipe[1], &c, 1);
    (void)n;
}

// SIGTERM/SIGINT end the event loop through a self-pipe.
bool installSignalHandlers(QCoreApplication *app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return false;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [app] { app->quit(); });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    return sigaction(SIGTERM, &sa, nullptr) == 0 && sigaction(SIGINT, &sa, nullptr) == 0;
}

// When whoever started us goes away, its end of our stdin closes: follow it.
void watchStdin(QCoreApplication *app)
{
    auto *notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [app, notifier] {
        char buf[512];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
            notifier->setEnabled(false);
            app->quit();
        }
    });
}
#endif

int fail(const QString &text)
{
    std::fprintf(stderr, "quorvane-nodesim: %s\n", qPrintable(text));
    return 2;
}

bool readInt(const QCommandLineParser &p, const QString &name, int *out, QString *error)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < 0) {
        *error = QStringLiteral("--%1 needs a non-negative number").arg(name);
        return false;
    }
    *out = v;
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvane-nodesim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Simulated encoder/decoder nodes on 127.x addresses. Run only inside scripts/netns.sh.\n"
        "Prints \"ready\" once every socket is bound; ends on SIGTERM, SIGINT or when stdin closes.\n"
        "Fault modes: silent offline twice dup-ip dup-mac short-frame bad-length huge not-json\n"
        "data-not-object bad-node-type delay=MS tcp-silent tcp-refuse unreachable tcp-delay=MS tcp-split tcp-two-frames\n"
        "tcp-len8 tcp-len-below-8 tcp-huge-length import-fail upgrade-code=VALUE upgrade-silent\n"
        "upgrade-keeps-version "
        "claim-ip=TEXT export-ip=TEXT flood=N.\n"
        "See tools/nodesim/README.md."));
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("config"), QStringLiteral("JSON configuration file (options below win)."), QStringLiteral("file")},
        {QStringLiteral("decoders"), QStringLiteral("Number of generated decoders."), QStringLiteral("n")},
        {QStringLiteral("encoders"), QStringLiteral("Number of generated encoders."), QStringLiteral("n")},
        {QStringLiteral("seed"), QStringLiteral("Seed of every generated value."), QStringLiteral("n")},
        {QStringLiteral("base"), QStringLiteral("First node address (default 127.0.1.1)."), QStringLiteral("ip")},
        {QStringLiteral("manager"), QStringLiteral("Manager (proxy) address reported by every node (default: the first node's)."), QStringLiteral("ip")},
        {QStringLiteral("spread"), QStringLiteral("Broadcast answers spread over 0..ms."), QStringLiteral("ms")},
        {QStringLiteral("node"), QStringLiteral("Extra node: decoder@IP[,key=value...] or encoder@IP[,...]; repeatable."), QStringLiteral("spec")},
        {QStringLiteral("fault"), QStringLiteral("Fault mode[=value][@index|ip,...]; repeatable."), QStringLiteral("spec")},
        {QStringLiteral("record"), QStringLiteral("JSON-lines file of every received command."), QStringLiteral("file")},
        {QStringLiteral("state"), QStringLiteral("JSON file with the state of every node, rewritten on change."), QStringLiteral("file")},
        {QStringLiteral("sftp-root"), QStringLiteral("NODES folder of scripts/lan-sshd.sh, for the MD5 check of 4501."), QStringLiteral("dir")},
        {QStringLiteral("reboot-ms"), QStringLiteral("A rebooted (or upgraded) node stays silent this long."), QStringLiteral("ms")},
        {QStringLiteral("upgrade-delay"), QStringLiteral("Delay before the answer to 4501."), QStringLiteral("ms")},
        {QStringLiteral("no-stdin"), QStringLiteral("Do not end when stdin closes.")},
        {QStringLiteral("dump"), QStringLiteral("Print the generated LAN as JSON and exit without opening sockets.")},
        {QStringLiteral("verbose"), QStringLiteral("Echo every record line to stderr.")},
    });
    p.process(app);
    if (!p.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument %1").arg(p.positionalArguments().first()));

    SimConfig config;
    QString error;
    if (p.isSet(QStringLiteral("config")) && !config.loadFile(p.value(QStringLiteral("config")), &error))
        return fail(error);
    if (!readInt(p, QStringLiteral("decoders"), &config.decoders, &error)
        || !readInt(p, QStringLiteral("encoders"), &config.encoders, &error)
        || !readInt(p, QStringLiteral("spread"), &config.spreadMs, &error)
        || !readInt(p, QStringLiteral("reboot-ms"), &config.rebootMs, &error)
        || !readInt(p, QStringLiteral("upgrade-delay"), &config.upgradeDelayMs, &error))
        return fail(error);
    if (p.isSet(QStringLiteral("seed"))) {
        bool ok = false;
        config.seed = p.value(QStringLiteral("seed")).toULongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed needs a number"));
    }
    if (p.isSet(QStringLiteral("base")))
        config.base = p.value(QStringLiteral("base"));
    if (p.isSet(QStringLiteral("manager")))
        config.manager = p.value(QStringLiteral("manager"));
    if (p.isSet(QStringLiteral("record")))
        config.recordPath = p.value(QStringLiteral("record"));
    if (p.isSet(QStringLiteral("state")))
        config.statePath = p.value(QStringLiteral("state"));
    if (p.isSet(QStringLiteral("sftp-root")))
        config.sftpRoot = p.value(QStringLiteral("sftp-root"));
    for (const QString &spec : p.values(QStringLiteral("node")))
        if (!config.addNodeSpec(spec, &error))
            return fail(error);
    config.faults += p.values(QStringLiteral("fault"));

    std::vector<SimNode> nodes;
    if (!config.buildNodes(&nodes, &error))
        return fail(error);

    const bool dumpOnly = p.isSet(QStringLiteral("dump"));
    if (dumpOnly) {
        config.recordPath.clear();
        config.statePath.clear();
    }
    SimLanServer lan(config, std::move(nodes), p.isSet(QStringLiteral("verbose")));
    if (dumpOnly) {
        std::fputs(QJsonDocument(lan.state()).toJson(QJsonDocument::Indented).constData(), stdout);
        return 0;
    }

#ifndef Q_OS_WIN
    // Two listeners per node and a connection per link: a site of 2000 nodes needs
    // more descriptors than the usual soft limit.
    rlimit files {};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    if (!installSignalHandlers(&app))
        return fail(QStringLiteral("cannot install signal handlers"));
    if (!p.isSet(QStringLiteral("no-stdin")))
        watchStdin(&app);
#endif
    if (!lan.start(&error))
        return fail(error);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return app.exec();
}
