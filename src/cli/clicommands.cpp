#include "cli/clicommands.h"

#include <QCommandLineParser>
#include <QDir>
#include <QHostAddress>
#include <QJsonDocument>
#include <QVector>
#include <functional>

#include "cli/cliinvocation.h"
#include "cli/cliinventory.h"
#include "cli/clilan.h"
#include "cli/clisignals.h"
#include "cli/clitransfer.h"
#include "cli/clireport.h"
#include "comm/addressplan.h"
#include "operations/csendoperation.h"
#include "comm/cdevicectrljob.h"
#include "comm/ipv4.h"
#include "comm/upgradecmd.h"
#include "transfer/hostkeys.h"
#include "config/cappconfig.h"
#include "comm/netinterfaces.h"
#include "model/nodecsv.h"
#include "model/plaintext.h"

#include <cstdio>

namespace CliRun {

bool runOperation(const sCliInvocation &inv, COperation &operation)
{
    bool idle = false;
    CCliLoop loop([&idle] { return idle; });
    QObject::connect(&operation, &COperation::sigIdle, &operation, [&] {
        idle = true;
        loop.poke();
    });
    operation.start();
    const bool finished = loop.run(inv.timeoutSec * 1000);
    if (!finished)
        operation.cancel();
    operation.finish();
    return finished;
}

bool scanAndSelect(sCliInvocation &inv, CCliLan &lan, QVector<sDeviceInfo> &chosen, QVector<sCliOutcome> &outcomes)
{
    if (!lan.scan(inv.timeoutSec * 1000, inv.interfaces)) {
        printError(CCliSignals::instance().interrupted() ? QStringLiteral("quorvane-cli: interrupted during the scan")
                                                         : QStringLiteral("quorvane-cli: the scan could not be sent"));
        return false;
    }
    QStringList missing;
    const QVector<sDeviceInfo> found = lan.select(inv.all ? QStringList() : inv.addresses, &missing);
    if (inv.all && found.isEmpty()) {
        printError(QStringLiteral("quorvane-cli: the scan found no node"));
        return false;
    }
    for (const QString &address : qAsConst(missing))
        outcomes.append({address.toUtf8(), 0, false, QStringLiteral("no node answered from this address")});
    // Nodes that share an address cannot be told apart by it: each is reported, with its
    // own id, and none of them is acted on.
    chosen.clear();
    for (const sDeviceInfo &node : found) {
        QStringList others;
        for (const sDeviceInfo &other : found) {
            if (other.ip == node.ip && other.id != node.id)
                others << QString::number(other.id);
        }
        if (others.isEmpty() || node.ip.isEmpty())
            chosen.append(node);
        else
            outcomes.append({node.ip, node.id, false,
                             QStringLiteral("address conflict: node %1 has this address too; nothing sent")
                                 .arg(others.join(QStringLiteral(", ")))});
    }
    // A row whose address breaks the rule is listed, never a destination.
    for (auto it = chosen.begin(); it != chosen.end();) {
        if (it->addrMarks & AddrInvalid) {
            outcomes.append({it->ip, it->id, false, QStringLiteral("invalid node address; nothing sent")});
            it = chosen.erase(it);
        } else {
            ++it;
        }
    }
    return true;
}

SelectedNodeList asSelection(const QVector<sDeviceInfo> &nodes)
{
    SelectedNodeList list;
    for (const sDeviceInfo &node : nodes)
        list.append({node.id, node.ip, node.managerIP, node.nodeType});
    return list;
}

} // namespace CliRun

namespace CliCommands {

namespace {

using namespace CliRun;

using Handler = std::function<int(sCliInvocation &)>;

struct Command
{
    QString name;
    QString summary;
    // Words: scans, and the handler reads its own positional arguments.
    enum Select { NoNodes, AllOrAddresses, Addresses, Files, NoScan, Words };
    QString positional;   // empty: takes no positional arguments
    Select select;
    std::function<void(QCommandLineParser &)> addOptions;
    Handler handler;
};

const QCommandLineOption kJson(QStringLiteral("json"), QStringLiteral("Print the result as JSON."));
const QCommandLineOption kTimeout(QStringLiteral("timeout"),
                                  QStringLiteral("Give up on nodes that have not answered after <seconds> (1-3600, default 120)."),
                                  QStringLiteral("seconds"), QStringLiteral("120"));
const QCommandLineOption kAcceptHostKey(QStringLiteral("accept-new-host-key"),
                                         QStringLiteral("Keep a node's new SSH host key instead of refusing the transfer "
                                                        "(after a factory reset)."));
const QCommandLineOption kAll(QStringLiteral("all"), QStringLiteral("Act on every node the scan finds."));
const QCommandLineOption kInterface(QStringLiteral("interface"),
                                    QStringLiteral("Scan on this network card only (repeat for more; default: every card that is up)."),
                                    QStringLiteral("name"));


QString sendText(int result, bool finished)
{
    if (result > 0)
        return QStringLiteral("sent");
    if (finished)
        return QStringLiteral("could not be sent");
    return CCliSignals::instance().interrupted() ? QStringLiteral("not sent: interrupted")
                                                 : QStringLiteral("not sent: timed out");
}

int scanCommand(sCliInvocation &inv)
{
    CCliLan lan;
    if (!lan.scan(inv.timeoutSec * 1000, inv.interfaces)) {
        printError(CCliSignals::instance().interrupted() ? QStringLiteral("quorvane-cli: interrupted during the scan")
                                                         : QStringLiteral("quorvane-cli: the scan could not be sent"));
        return 1;
    }
    if (inv.json && inv.parser.isSet(QStringLiteral("csv")))
        return usageError(QStringLiteral("scan prints either --json or --csv"));
    if (inv.json) {
        printLine(QString::fromUtf8(QJsonDocument(nodesToJson(lan)).toJson(QJsonDocument::Indented)).trimmed());
    } else if (inv.parser.isSet(QStringLiteral("csv"))) {
        // The list export's format; no byte-order mark on a stream that scripts read.
        const QByteArray csv = NodeCsv::toCsv(lan.rows(), QStringLiteral("EN"), false);
        std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
        std::fflush(stdout);
    } else {
        for (const QJsonValue &value : nodesToJson(lan)) {
            const QJsonObject o = value.toObject();
            QStringList cells;
            // Node strings escaped: a tab or a line break in a name cannot make a cell or a row.
            for (const char *key : {"ip", "type", "name", "version", "macAddr", "conflict"})
                cells.append(PlainText::singleLine(o.value(QLatin1String(key)).toString()));
            printLine(cells.join(QLatin1Char('\t')));
        }
        printLine(QStringLiteral("%1 nodes").arg(lan.rows().size()));
    }
    return 0;
}

using NodeWalk = SendOperations::Operation (*)(CDeviceCtrlJob &, const SelectedNodeList &);

// The operation's history line, under the command line's name, with the nodes refused
// before it started.
void nameHistory(COperation &operation, const QString &name, const QVector<sCliOutcome> &refused)
{
    operation.setHistoryCommand(QStringLiteral("quorvane-cli ") + name);
    for (const sCliOutcome &o : refused) {
        if (o.ip != kBroadcastTarget)
            operation.addRefused({o.id, QString::fromUtf8(o.ip), o.text, false});
    }
}

// Restart and factory reset: one batch, one command per node with an id; nodes do not answer.
int perNodeUdp(sCliInvocation &inv, const QString &name, NodeWalk make)
{
    CCliLan lan;
    QVector<sDeviceInfo> chosen;
    QVector<sCliOutcome> outcomes;
    if (!scanAndSelect(inv, lan, chosen, outcomes))
        return 1;
    CDeviceCtrlJob job(&lan.model());
    const SendOperations::Operation op = make(job, asSelection(chosen));
    nameHistory(*op, name, outcomes);
    const bool finished = runOperation(inv, *op);
    for (int i = 0; i < chosen.size(); ++i) {
        const sDeviceInfo &node = chosen.at(i);
        const bool ok = op->outcome(i).ok();
        if (node.id <= 0)
            outcomes.append({node.ip, node.id, false, QStringLiteral("node has no id; nothing sent")});
        else
            outcomes.append({node.ip, node.id, ok, sendText(ok ? 1 : 0, finished)});
    }
    return reportOutcomes(name, outcomes, inv.json, false);
}

int typeSwitchCommand(sCliInvocation &inv)
{
    CCliLan lan;
    QVector<sDeviceInfo> chosen;
    QVector<sCliOutcome> outcomes;
    if (!scanAndSelect(inv, lan, chosen, outcomes))
        return 1;
    CDeviceCtrlJob job(&lan.model());
    const SendOperations::Operation op = SendOperations::typeSwitch(job, QList<sDeviceInfo>(chosen.cbegin(), chosen.cend()));
    nameHistory(*op, QStringLiteral("type-switch"), outcomes);
    const bool finished = runOperation(inv, *op);
    for (int i = 0; i < chosen.size(); ++i) {
        const sDeviceInfo &node = chosen.at(i);
        const bool bad = !op->outcome(i).ok();
        const QString target = node.nodeType == DecoderNode ? QStringLiteral("encoder") : QStringLiteral("decoder");
        if (node.id < 1)
            outcomes.append({node.ip, node.id, false, QStringLiteral("node has no id; nothing sent")});
        else
            outcomes.append({node.ip, node.id, !bad, bad ? sendText(0, finished) : QStringLiteral("switch to %1 sent").arg(target)});
    }
    return reportOutcomes(QStringLiteral("type-switch"), outcomes, inv.json, false);
}

int modeCommand(sCliInvocation &inv)
{
    const QString modeText = inv.parser.value(QStringLiteral("mode"));
    const QStringList modes{QStringLiteral("screen"), QStringLiteral("kvm"), QStringLiteral("matrix")};
    const int mode = modes.indexOf(modeText);
    if (mode < 0)
        return usageError(QStringLiteral("--mode takes screen, kvm or matrix"));
    CCliLan lan;
    QVector<sDeviceInfo> chosen;
    QVector<sCliOutcome> outcomes;
    if (!scanAndSelect(inv, lan, chosen, outcomes))
        return 1;
    QList<sDecoderInfo> records;
    for (const sDeviceInfo &node : qAsConst(chosen)) {
        if (node.nodeType != DecoderNode) {
            // --all means every decoder; a named encoder is a mistake worth reporting.
            if (!inv.all)
                outcomes.append({node.ip, node.id, false, QStringLiteral("not a decoder; the mode is a decoder setting")});
            continue;
        }
        sDecoderInfo decoder;
        lan.model().findById(decoder, node.id);
        decoder.mode = mode;
        records.append(decoder);
    }
    CDeviceCtrlJob job(&lan.model());
    const SendOperations::Operation op = SendOperations::modeSwitch(job, records);
    nameHistory(*op, QStringLiteral("mode"), outcomes);
    const bool finished = runOperation(inv, *op);
    for (int i = 0; i < records.size(); ++i) {
        const bool ok = op->outcome(i).ok();
        outcomes.append({records.at(i).ip, records.at(i).id, ok,
                         ok ? QStringLiteral("mode %1 sent").arg(modeText) : sendText(0, finished)});
    }
    return reportOutcomes(QStringLiteral("mode"), outcomes, inv.json, false);
}

// One broadcast: the proxy log level or the time. Nodes do not answer.
int broadcastCommand(sCliInvocation &inv, const QString &name,
                     const std::function<SendOperations::Operation(CDeviceCtrlJob &)> &make, const QString &what)
{
    CDeviceCtrlJob job(nullptr);
    const SendOperations::Operation op = make(job);
    nameHistory(*op, name, {});
    bool sent = false;
    if (!CCliSignals::instance().interrupted()) {
        runOperation(inv, *op);
        sent = op->broadcastSent();
    }
    return reportOutcomes(name, {{kBroadcastTarget, 0, sent, sent ? what : sendText(0, !CCliSignals::instance().interrupted())}},
                          inv.json, false);
}

int logLevelCommand(sCliInvocation &inv)
{
    bool ok = false;
    const int level = inv.parser.value(QStringLiteral("level")).toInt(&ok);
    if (!ok || level < 1 || level > 4)
        return usageError(QStringLiteral("--level takes 1 (DEBUG), 2 (INFO), 3 (WARN) or 4 (ERROR)"));
    return broadcastCommand(inv, QStringLiteral("log-level"), [level](CDeviceCtrlJob &job) { return SendOperations::logLevel(job, level); },
                            QStringLiteral("level %1 broadcast to the proxy").arg(level));
}

int timeSyncCommand(sCliInvocation &inv)
{
    // The window rescans before it sends the time; so does this.
    CCliLan lan;
    lan.scan(inv.timeoutSec * 1000, inv.interfaces);
    return broadcastCommand(inv, QStringLiteral("time-sync"),
                            [](CDeviceCtrlJob &job) { return SendOperations::timeSync(job, timeBaseValue()); },
                            QStringLiteral("time broadcast to every node"));
}

int setNetworkCommand(sCliInvocation &inv)
{
    const QString start = inv.parser.value(QStringLiteral("start"));
    const QString mask = inv.parser.value(QStringLiteral("mask"));
    const QString gateway = inv.parser.value(QStringLiteral("gateway"));
    CCliLan lan;
    QVector<sDeviceInfo> chosen;
    QVector<sCliOutcome> outcomes;
    if (!scanAndSelect(inv, lan, chosen, outcomes))
        return 1;
    // A missing node would shift every address after it: nothing is sent then.
    if (!outcomes.isEmpty())
        return usageError(QStringLiteral("no node answered from %1; nothing was sent").arg(QString::fromUtf8(outcomes.first().ip)));
    QStringList others;
    for (const sDeviceInfo &node : lan.nodes()) {
        if (!inv.addresses.contains(QString::fromUtf8(node.ip)) && !node.ip.isEmpty())
            others.append(QString::fromUtf8(node.ip));
    }
    switch (AddressPlan::check(start, mask, gateway, inv.addresses, others)) {
    case AddressPlan::ECheck::Ok:
        break;
    case AddressPlan::ECheck::BadStart:
        return usageError(QStringLiteral("--start '%1' is not an address a node can hold (IPv4, not 0/8, multicast, "
                                         "240/4, nor the subnet's network or broadcast address); nothing was sent").arg(start));
    case AddressPlan::ECheck::BadMask:
        return usageError(QStringLiteral("--mask '%1' is not a subnet mask (leading ones, neither 0.0.0.0 nor "
                                         "255.255.255.255); nothing was sent").arg(mask));
    case AddressPlan::ECheck::BadGateway:
        return usageError(QStringLiteral("--gateway '%1' is not a host address of the new subnet apart from the "
                                         "nodes' own; nothing was sent").arg(gateway));
    case AddressPlan::ECheck::Conflict:
        return usageError(QStringLiteral("the plan refused: an address to be given is held by a node that is not being configured; nothing was sent"));
    case AddressPlan::ECheck::RunsOut:
        return usageError(QStringLiteral("the plan refused: there are not enough addresses after %1 for %2 nodes; nothing was sent")
                              .arg(start).arg(inv.addresses.size()));
    }
    const QVector<AddressPlan::sPlannedAddress> plan = AddressPlan::plan(start, inv.addresses);
    CDeviceCtrlJob job(&lan.model());
    // The nodes in the order given: the plan's order.
    SelectedNodeList nodes;
    for (const AddressPlan::sPlannedAddress &entry : plan) {
        sSelectedNode node{0, entry.current.toUtf8(), QByteArray(), 0};
        for (const sDeviceInfo &n : qAsConst(chosen)) {
            if (n.ip == node.ip)
                node = {n.id, n.ip, n.managerIP, n.nodeType};
        }
        nodes.append(node);
    }
    const SendOperations::Operation op = SendOperations::network(job, nodes, start, mask, gateway);
    nameHistory(*op, QStringLiteral("set-network"), outcomes);
    const bool finished = runOperation(inv, *op);
    for (int i = 0; i < plan.size(); ++i) {
        const bool ok = op->outcome(i).ok();
        outcomes.append({nodes.at(i).ip, nodes.at(i).id, ok,
                         ok ? QStringLiteral("new address %1 sent").arg(plan.at(i).planned) : sendText(0, finished)});
    }
    return reportOutcomes(QStringLiteral("set-network"), outcomes, inv.json, false);
}

QVector<Command> commands()
{
    auto none = [](QCommandLineParser &) {};
    const QString addressArg = QStringLiteral("[ADDRESS...]");
    return {
        {QStringLiteral("scan"), QStringLiteral("List the nodes of the LAN in IP order"), QString(), Command::NoNodes,
         [](QCommandLineParser &p) {
             p.addOption({QStringLiteral("csv"), QStringLiteral("Print the list as CSV (UTF-8, a header row), as the window's list export.")});
         },
         scanCommand},
        {QStringLiteral("restart"), QStringLiteral("Restart nodes"), addressArg, Command::AllOrAddresses, none,
         [](sCliInvocation &inv) { return perNodeUdp(inv, QStringLiteral("restart"), &SendOperations::restart); }},
        {QStringLiteral("reset"), QStringLiteral("Restore nodes to their factory settings"), addressArg, Command::AllOrAddresses, none,
         [](sCliInvocation &inv) { return perNodeUdp(inv, QStringLiteral("reset"), &SendOperations::factoryReset); }},
        {QStringLiteral("time-sync"), QStringLiteral("Send this computer's time to every node"), QString(), Command::NoNodes, none, timeSyncCommand},
        {QStringLiteral("type-switch"), QStringLiteral("Switch nodes between decoder and encoder"), addressArg, Command::AllOrAddresses, none, typeSwitchCommand},
        {QStringLiteral("mode"), QStringLiteral("Switch decoders' display mode"), addressArg, Command::AllOrAddresses,
         [](QCommandLineParser &p) {
             p.addOption({QStringLiteral("mode"), QStringLiteral("The new mode: screen, kvm or matrix."), QStringLiteral("mode")});
         },
         modeCommand},
        {QStringLiteral("log-level"), QStringLiteral("Set the proxy node's log level"), QString(), Command::NoScan,
         [](QCommandLineParser &p) {
             p.addOption({QStringLiteral("level"), QStringLiteral("1 DEBUG, 2 INFO, 3 WARN or 4 ERROR."), QStringLiteral("level")});
         },
         logLevelCommand},
        {QStringLiteral("set-network"), QStringLiteral("Give nodes consecutive addresses, in the order given"), QStringLiteral("ADDRESS..."), Command::Addresses,
         [](QCommandLineParser &p) {
             p.addOption({QStringLiteral("start"), QStringLiteral("The first node's new address."), QStringLiteral("ip")});
             p.addOption({QStringLiteral("mask"), QStringLiteral("The subnet mask every node gets."), QStringLiteral("mask")});
             p.addOption({QStringLiteral("gateway"), QStringLiteral("The gateway every node gets."), QStringLiteral("ip")});
         },
         setNetworkCommand},
        {QStringLiteral("upgrade"), QStringLiteral("Upload a package to nodes and upgrade them"), addressArg, Command::AllOrAddresses,
         [](QCommandLineParser &p) {
             p.addOption({QStringLiteral("package"), QStringLiteral("The upgrade package."), QStringLiteral("file")});
             p.addOption({QStringLiteral("app"), QStringLiteral("Upgrade the application instead of the firmware.")});
             p.addOption({QStringLiteral("canary"), QStringLiteral("Upgrade the first N nodes (address order) first; the rest "
                                                                   "only once all of them are verified."), QStringLiteral("N")});
             p.addOption({QStringLiteral("wave"), QStringLiteral("Upgrade at most W nodes at a time, wave after wave."),
                          QStringLiteral("W")});
             p.addOption({QStringLiteral("max-failures"), QStringLiteral("Start no more nodes once K have failed; the rest "
                                                                         "are reported not started."), QStringLiteral("K")});
             p.addOption({QStringLiteral("skip-current"), QStringLiteral("Leave out nodes that already report the package's version.")});
             p.addOption({QStringLiteral("verify-timeout"), QStringLiteral("How long an upgraded node has to show the package's "
                                                                           "version in a scan (seconds, default 600)."),
                          QStringLiteral("seconds"), QStringLiteral("600")});
         },
         CliTransfer::upgradeCommand},
        {QStringLiteral("export-data"), QStringLiteral("Save nodes' data as JSON files"), addressArg, Command::AllOrAddresses,
         [](QCommandLineParser &p) {
             p.addOption({QStringLiteral("dir"), QStringLiteral("The folder the files are written to."), QStringLiteral("dir")});
         },
         CliTransfer::exportCommand},
        {QStringLiteral("import-data"), QStringLiteral("Send data files back to their nodes"), QStringLiteral("FILE..."), Command::Files, none,
         CliTransfer::importCommand},
        {QStringLiteral("logs"), QStringLiteral("Fetch nodes' log files"), addressArg, Command::AllOrAddresses,
         [](QCommandLineParser &p) {
             p.addOption({QStringLiteral("dir"), QStringLiteral("The folder the logs are written to, one folder per node."), QStringLiteral("dir")});
             p.addOption({QStringLiteral("proxy"), QStringLiteral("Fetch the proxy logs of the nodes' proxy node instead.")});
         },
         CliTransfer::logsCommand},
        {QStringLiteral("inventory"), QStringLiteral("Save every node of the LAN to a file, or compare the LAN with one"),
         QStringLiteral("save|diff FILE"), Command::Words, none, CliInventory::inventoryCommand},
    };
}

} // namespace

QString summary()
{
    QString text;
    for (const Command &c : commands())
        text += QStringLiteral("  %1%2\n").arg(c.name, -14).arg(c.summary);
    return text;
}

int run(const QStringList &args)
{
    const QVector<Command> all = commands();
    const auto it = std::find_if(all.cbegin(), all.cend(), [&](const Command &c) { return c.name == args.value(0); });
    if (it == all.cend())
        return usageError(QStringLiteral("unknown command '%1' (see quorvane-cli --help)").arg(args.value(0)));

    sCliInvocation inv;
    QCommandLineParser &p = inv.parser;
    p.setApplicationDescription(it->summary + QLatin1Char('.'));
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.addHelpOption();
    p.addOption(kJson);
    p.addOption(kTimeout);
    p.addOption(kAcceptHostKey);
    if (it->select == Command::AllOrAddresses)
        p.addOption(kAll);
    if (it->select != Command::NoScan && it->select != Command::Files)
        p.addOption(kInterface);
    it->addOptions(p);
    if (it->select == Command::Files) {
        p.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A data file written by export-data."), it->positional);
    } else if (it->select == Command::Words) {
        p.addPositionalArgument(QStringLiteral("save|diff"),
                                QStringLiteral("save: write every node a scan finds (id, type, name, address, mask, gateway, "
                                               "MAC, version, mode, manager) to FILE as JSON. diff: scan and compare with FILE: "
                                               "nodes missing, new, and changed field by field (old \u2192 new); exit 0 the "
                                               "same, 1 differences, 2 FILE unreadable or not an inventory."));
        p.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The inventory file."), QStringLiteral("FILE"));
    } else if (!it->positional.isEmpty()) {
        p.addPositionalArgument(QStringLiteral("ADDRESS"), QStringLiteral("IPv4 address of a node."), it->positional);
    }

    if (!p.parse(args))
        return usageError(p.errorText());
    if (p.isSet(QStringLiteral("help"))) {
        // Qt names the program by its path; the command line reads better.
        QString help = p.helpText().trimmed();
        const int end = help.indexOf(QLatin1String(" [options]"));
        if (help.startsWith(QLatin1String("Usage: ")) && end > 0)
            help.replace(7, end - 7, QStringLiteral("quorvane-cli ") + it->name);
        printLine(help);
        return 0;
    }
    inv.json = p.isSet(kJson);
    // Beside the configuration, as the window keeps it.
    HostKeys::setFile(QDir(CAppConfig::instance()->configDir()).filePath(QStringLiteral("known_hosts")));
    HostKeys::setAcceptAllNew(p.isSet(kAcceptHostKey));
    bool ok = false;
    inv.timeoutSec = p.value(kTimeout).toInt(&ok);
    if (!ok || inv.timeoutSec < 1 || inv.timeoutSec > 3600)
        return usageError(QStringLiteral("--timeout takes a number of seconds from 1 to 3600"));
    if (it->select != Command::NoScan && it->select != Command::Files) {
        inv.interfaces = p.values(kInterface);
        QVector<sNetInterface> cards;
        QStringList unknown;
        NetInterfaces::named(NetInterfaces::candidates(), inv.interfaces, cards, unknown);
        if (!unknown.isEmpty())
            return usageError(QStringLiteral("no network card that is up is named '%1'").arg(unknown.join(QStringLiteral("', '"))));
    }
    if (it->select == Command::Files) {
        inv.addresses.clear(); // the files are the handler's to read
        if (p.positionalArguments().isEmpty())
            return usageError(QStringLiteral("%1 needs data files").arg(it->name));
        return it->handler(inv);
    }
    if (it->select == Command::Words)
        return it->handler(inv);
    inv.addresses = p.positionalArguments();
    if (it->positional.isEmpty() && !inv.addresses.isEmpty())
        return usageError(QStringLiteral("%1 takes no addresses").arg(it->name));
    for (int i = 0; i < inv.addresses.size(); ++i) {
        const QString &address = inv.addresses.at(i);
        // The one rule for node addresses: a broadcast or network address is never a node.
        const Ipv4::EFault fault = Ipv4::nodeAddressFault(address.toUtf8());
        if (fault == Ipv4::EFault::NotLiteral)
            return usageError(QStringLiteral("'%1' is not an IPv4 address").arg(address));
        if (fault != Ipv4::EFault::None)
            return usageError(QStringLiteral("'%1' is not a node address (reserved, broadcast or network address)").arg(address));
        // Acting twice on one node is never meant; for set-network it would shift every address.
        if (inv.addresses.indexOf(address) != i)
            return usageError(QStringLiteral("'%1' is given twice").arg(address));
    }
    if (it->select == Command::AllOrAddresses) {
        inv.all = p.isSet(kAll);
        if (inv.all == !inv.addresses.isEmpty())
            return usageError(QStringLiteral("%1 needs either --all or node addresses").arg(it->name));
    } else if (it->select == Command::Addresses && inv.addresses.isEmpty()) {
        return usageError(QStringLiteral("%1 needs node addresses").arg(it->name));
    }
    return it->handler(inv);
}

} // namespace CliCommands
