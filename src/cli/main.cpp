// quorvane-cli: the program's commands for scripts, without a window.
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QStringList>
#include <QTranslator>

#include "cli/clicommands.h"
#include "cli/clireport.h"
#include "cli/clisignals.h"
#include "history/ccommandhistory.h"
#include "comm/cdevicectrlobserver.h"
#include "model/sdeviceinfo.h"
#include "platform/console.h"
#include "transfer/csftpclient.h"

namespace {

QString topHelp()
{
    return QStringLiteral(
               "Usage: quorvane-cli COMMAND [OPTIONS] [ADDRESS...]\n\n"
               "Finds the encoder, decoder and proxy nodes of the LAN and configures them, as the\n"
               "Quorvane window does. Commands that act on nodes scan first (on every network card\n"
               "that is up, or on the cards named with --interface) and act on --all or on the\n"
               "nodes with the given addresses.\n\n"
               "Commands:\n%1\n"
               "Options of every command: --json, --timeout SECONDS, --help.\n"
               "Exit status: 0 every node succeeded, 1 some failed (each named on stderr) or\n"
               "--all found no node, 2 bad usage or bad input, 128 + N after signal N (SIGINT,\n"
               "SIGTERM: the command stops cleanly).\n\n"
               "  -h, --help     show this help\n"
               "  -v, --version  show the version\n")
        .arg(CliCommands::summary());
}

} // namespace

int main(int argc, char *argv[])
{
    Platform::prepareStdio();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QV_VERSION));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given\n\n") + topHelp());
    const QString first = args.first();
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        printLine(QStringLiteral("quorvane-cli %1").arg(QStringLiteral(QV_VERSION)));
        return 0;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        printLine(topHelp().trimmed());
        return 0;
    }
    // The library's debug lines are for developers; a script reads stdout and stderr.
    if (qEnvironmentVariableIsEmpty("QUORVANE_DEBUG")) {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
        csftpclient::setTransferTrace(false);
    }
    QTranslator english;
    if (english.load(QStringLiteral(":/res/res/translate/english_en.qm")))
        QCoreApplication::installTranslator(&english);
    registerNodeMetaTypes();
    registerCommMetaTypes();
    CCliSignals &stops = CCliSignals::instance();
    if (!stops.install())
        printError(QStringLiteral("quorvane-cli: SIGINT and SIGTERM could not be caught"));
    const int status = CliCommands::run(args);
    if (!stops.interrupted())
        return status;
    // Stopped by a signal: the command has cleaned up; the history says it was cut short.
    if (!historyWritten())
        CCommandHistory::instance()->append(QStringLiteral("quorvane-cli ") + args.first(), {});
    printError(QStringLiteral("quorvane-cli: interrupted"));
    return 128 + stops.signalNumber();
}
