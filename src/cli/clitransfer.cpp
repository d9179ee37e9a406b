#include "cli/clitransfer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QSet>
#include <memory>

#include "config/cappconfig.h"
#include "cli/cliinvocation.h"
#include "cli/clilan.h"
#include "cli/cliprogress.h"
#include "cli/clireport.h"
#include "cli/clisignals.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "comm/ipv4.h"
#include "comm/protocol.h"
#include "comm/upgradecmd.h"
#include "operations/cdeviceworker.h"
#include "operations/cdataimportoperation.h"
#include "operations/cexportworker.h"
#include "operations/clogexportworker.h"
#include "operations/crolloutplan.h"
#include "operations/csoftwareworker.h"
#include "model/plaintext.h"
#include "platform/filesafety.h"
#include "transfer/csftpclient.h"
#include "transfer/hostkeys.h"
#include "transfer/cupdatemanagerctrl.h"

namespace CliTransfer {

namespace {

using namespace CliRun;

// An observer added for the life of a command; removing it waits for a call into it.
class ObserverScope final
{
    Q_DISABLE_COPY_MOVE(ObserverScope)

public:
    ObserverScope() { CObserverList::instance().add(&m_observer); }
    ~ObserverScope() { release(); }
    void release()
    {
        if (m_added)
            CObserverList::instance().remove(&m_observer);
        m_added = false;
    }
    CDeviceCtrlObserver *get() { return &m_observer; }

private:
    CDeviceCtrlObserver m_observer;
    bool m_added = true;
};

// What a node that never ended was stopped by.
QString cutShort(const QString &what)
{
    return QStringLiteral("%1: %2").arg(what, CCliSignals::instance().interrupted() ? QStringLiteral("interrupted")
                                                                                     : QStringLiteral("timed out"));
}

QString hostKeyRefusal(const QString &key)
{
    return QStringLiteral("refused: the node's SSH host key changed (new key %1); nothing was sent. If the node was "
                          "reset, run again with --accept-new-host-key").arg(key);
}

QString upgradeFailure(uint32_t code)
{
    switch (code) {
    case Protocol::kUpgradeKillAppFailed: return QStringLiteral("the node could not stop its application");
    case Protocol::kUpgradeRemoveAppFailed: return QStringLiteral("the node could not remove its application");
    case Protocol::kUpgradeWriteAppFailed: return QStringLiteral("the node could not write the application");
    case Protocol::kUpgradeMd5Mismatch: return QStringLiteral("MD5 mismatch: the package arrived damaged");
    case Protocol::kUpgradeModelMismatch: return QStringLiteral("the package is for another device model");
    case Protocol::kUpgradeVersionTooLow: return QStringLiteral("the node's current version is too old for this package");
    case Protocol::kUpgradeFrameMismatch: return QStringLiteral("frame number mismatch");
    case Protocol::kUpgradeOtherError: return QStringLiteral("the node reported an error");
    case Protocol::kUpgradeBadFile: return QStringLiteral("the node refused the package file");
    default: return QStringLiteral("not upgraded");
    }
}

// The nodes a file command acts on, IP listed once, in the table's order.
QVector<sDeviceInfo> withAddress(const QVector<sDeviceInfo> &nodes, QVector<sCliOutcome> &outcomes)
{
    QVector<sDeviceInfo> out;
    QSet<QByteArray> seen;
    for (const sDeviceInfo &node : nodes) {
        if (node.ip.isEmpty()) {
            outcomes.append({node.ip, node.id, false, QStringLiteral("node has no address")});
            continue;
        }
        if (!seen.contains(node.ip)) {
            seen.insert(node.ip);
            out.append(node);
        }
    }
    return out;
}

// A folder that exists (made if needed) and can be written to, or a usage error.
bool writableFolder(const QString &dir, int *status)
{
    if (dir.isEmpty()) {
        *status = usageError(QStringLiteral("--dir is needed"));
        return false;
    }
    // A folder made here holds node data and logs: the user's alone.
    if (!Platform::makeOwnerFolder(dir) || !QFileInfo(dir).isDir() || !QFileInfo(dir).isWritable()) {
        *status = usageError(QStringLiteral("cannot write to the folder '%1'").arg(dir));
        return false;
    }
    return true;
}

} // namespace

namespace {

// A whole number from an upgrade option, within [low, high]; the default when not given.
bool rolloutNumber(const sCliInvocation &inv, const QString &name, int low, int high, int *out, int *status)
{
    if (!inv.parser.isSet(name))
        return true;
    bool ok = false;
    const int value = inv.parser.value(name).toInt(&ok);
    if (!ok || value < low || value > high) {
        *status = usageError(QStringLiteral("--%1 takes a number from %2 to %3").arg(name).arg(low).arg(high));
        return false;
    }
    *out = value;
    return true;
}

// What a node's stage says while it goes on, and the node's outcome when it ended there.
QString stageText(EUpgradeStage stage, const QByteArray &seen, qint64 ms, int verifyTimeoutSec)
{
    const QString version = PlainText::singleLine(QString::fromUtf8(seen));
    switch (stage) {
    case EUpgradeStage::Uploading: return QStringLiteral("uploading");
    case EUpgradeStage::Installing: return QStringLiteral("installing");
    case EUpgradeStage::Verifying: return QStringLiteral("verifying");
    case EUpgradeStage::Verified: return QStringLiteral("upgraded, verified: %1 after %2 s").arg(version).arg(ms / 1000);
    case EUpgradeStage::StillOld:
        return QStringLiteral("verification failed: still %1 after %2 s").arg(version).arg(verifyTimeoutSec);
    case EUpgradeStage::NotBack:
        return QStringLiteral("verification failed: answered success, then did not come back within %1 s").arg(verifyTimeoutSec);
    case EUpgradeStage::Unverified: return QStringLiteral("upgraded (an application upgrade: no scan reports its version, not verified)");
    case EUpgradeStage::Skipped: return QStringLiteral("skipped: already runs %1").arg(version);
    case EUpgradeStage::NotStarted: return QStringLiteral("not started: the rollout stopped before this node (retry it later)");
    case EUpgradeStage::Failed: break;
    }
    return QString();
}

} // namespace

int upgradeCommand(sCliInvocation &inv)
{
    const QString package = inv.parser.value(QStringLiteral("package"));
    if (package.isEmpty())
        return usageError(QStringLiteral("--package is needed"));
    QFile file(package);
    if (!QFileInfo(package).isFile() || !file.open(QIODevice::ReadOnly))
        return usageError(QStringLiteral("cannot read the package '%1'").arg(package));
    file.close();
    if (UpgradeCmd::fileNameOf(package).isEmpty())
        return usageError(QStringLiteral("'%1' does not name a package file").arg(package));
    const bool app = inv.parser.isSet(QStringLiteral("app"));
    sRolloutOptions rollout;
    int status = 0;
    if (!rolloutNumber(inv, QStringLiteral("canary"), 1, 100000, &rollout.canary, &status)
        || !rolloutNumber(inv, QStringLiteral("wave"), 1, 100000, &rollout.wave, &status)
        || !rolloutNumber(inv, QStringLiteral("max-failures"), 1, 100000, &rollout.maxFailures, &status)
        || !rolloutNumber(inv, QStringLiteral("verify-timeout"), 1, 86400, &rollout.verifyTimeoutSec, &status))
        return status;
    rollout.skipCurrent = inv.parser.isSet(QStringLiteral("skip-current"));

    CCliLan lan;
    QVector<sDeviceInfo> chosen;
    QVector<sCliOutcome> outcomes;
    if (!scanAndSelect(inv, lan, chosen, outcomes))
        return 1;
    // Each node's package check comes before any byte goes out; a refused node is named.
    QVector<sDeviceInfo> nodes;
    QVector<sUpgradeTarget> targets;
    for (const sDeviceInfo &node : withAddress(chosen, outcomes)) {
        switch (UpgradeCmd::refusalOf(package, app ? 1 : 0, node.nodeType)) {
        case UpgradeCmd::ERefusal::None:
            nodes.append(node);
            targets.append({QString::fromUtf8(node.ip), node.id, node.nodeType, node.version});
            continue;
        case UpgradeCmd::ERefusal::EmptyPackage:
            outcomes.append({node.ip, node.id, false, QStringLiteral("refused: the package is empty; nothing was sent")});
            continue;
        case UpgradeCmd::ERefusal::NoKindOrVersion:
            outcomes.append({node.ip, node.id, false,
                             QStringLiteral("refused: the package name holds no kind (decoder or encoder) or no "
                                            "version; nothing was sent")});
            continue;
        case UpgradeCmd::ERefusal::WrongKind:
            outcomes.append({node.ip, node.id, false,
                             QStringLiteral("refused: the package is for the other node type; nothing was sent")});
            continue;
        }
    }
    QStringList ips;
    for (const sDeviceInfo &node : qAsConst(nodes))
        ips << QString::fromUtf8(node.ip);
    // The nodes ended before the run go into the run's history entry first.
    QVector<sHistoryNode> endedBefore;
    for (const sCliOutcome &o : qAsConst(outcomes))
        endedBefore.append({o.id, QString::fromUtf8(o.ip), o.text, o.ok});
    // Each wave may take the answer time-out and then the verification limit.
    int waves = 1;
    {
        QVector<CRolloutPlan::sNode> planned;
        for (const sUpgradeTarget &t : qAsConst(targets))
            planned.append({t.ip, t.version});
        waves = qMax(1, CRolloutPlan(planned, QByteArray(), rollout).waves().size());
    }
    const qint64 limitMs = qint64(waves) * (qint64(inv.timeoutSec) + (app ? 0 : rollout.verifyTimeoutSec)) * 1000 + 5000;

    struct sEnd
    {
        bool ok = false;
        QString text;
        QString version;
    };
    QHash<QString, sEnd> done;
    bool rolloutDone = false;
    CCliLoop loop([&] { return rolloutDone || (done.size() >= ips.size()); });
    {
        CUpdateManagerCtrl manager;
        ObserverScope observer;
        std::unique_ptr<CUpgradeWorker> worker;
        if (app) {
            auto *w = new CSoftwareWorker(&manager, observer.get());
            worker.reset(w);
        } else {
            worker.reset(new CDeviceWorker(&manager, observer.get()));
        }
        worker->setTargets(targets);
        worker->setRollout(rollout);
        worker->setHistory(QStringLiteral("quorvane-cli ") + (app ? QStringLiteral("upgrade --app") : QStringLiteral("upgrade")),
                           endedBefore);
        CCliProgress progress(ips, CUpdateManagerCtrl::packageSize(package), CCliProgress::stderrIsTerminal());
        CUpgradeWorker *raw = worker.get();
        QObject::connect(observer.get(), &CDeviceCtrlObserver::sigTransProgress, raw, &CUpgradeWorker::updateTransProgress);
        // The record lives only during the emit: handed over at once, on the link thread.
        QObject::connect(observer.get(), &CDeviceCtrlObserver::sigUpdateRes, raw, [raw](sUpdateRes *data) {
            if (data)
                raw->updateResult(QString::fromUtf8(data->ip), int(data->value));
        }, Qt::DirectConnection);
        // How each upload ended says why a node got no command.
        QHash<QString, CURLcode> uploads;
        QObject::connect(observer.get(), &CDeviceCtrlObserver::sigTransAnswer, raw,
                         [&uploads](const QString &ip, CURLcode res) { uploads.insert(ip, res); });
        const auto end = [&](const QString &ip, bool ok, const QString &text, const QString &version) {
            if (done.contains(ip)) // the first end is the node's; a late answer changes nothing
                return;
            done.insert(ip, {ok, text, version});
            progress.setDone(ip, ok, text);
            loop.poke();
        };
        QObject::connect(raw, &CUpgradeWorker::setUpdateProgress, raw, [&](bool isProgress, const QString &ip, int res) {
            if (isProgress)
                progress.setBytes(ip, qint64(uint(res)));
            if (isProgress || uint32_t(res) == Protocol::kUpgradeOk)
                return; // success ends a node only once its stage says so
            QString text = upgradeFailure(uint32_t(res));
            if (res == CUpgradeWorker::kNotUpgraded) {
                const auto upload = uploads.constFind(ip);
                const QString refusedKey = HostKeys::refusedKey(ip);
                if (upload != uploads.constEnd() && *upload != CURLE_OK && !refusedKey.isEmpty())
                    text = hostKeyRefusal(refusedKey);
                else if (upload != uploads.constEnd() && *upload != CURLE_OK)
                    text = QStringLiteral("upload failed: %1").arg(QString::fromUtf8(curl_easy_strerror(*upload)));
                else if (upload != uploads.constEnd())
                    text = QStringLiteral("uploaded, but the node did not answer the upgrade command");
            }
            // A node the rollout never started is named by its stage, which follows at once.
            QMetaObject::invokeMethod(raw, [&, ip, text] { end(ip, false, text, QString()); }, Qt::QueuedConnection);
        });
        QObject::connect(raw, &CUpgradeWorker::sigStage, raw, [&](const QString &ip, int stage, const QByteArray &seen, qint64 ms) {
            const auto s = EUpgradeStage(stage);
            const QString text = stageText(s, seen, ms, rollout.verifyTimeoutSec);
            switch (s) {
            case EUpgradeStage::Uploading:
            case EUpgradeStage::Installing:
            case EUpgradeStage::Verifying:
                progress.setStage(ip, text);
                return;
            case EUpgradeStage::Failed:
                return; // named by the answer's code
            case EUpgradeStage::Verified:
            case EUpgradeStage::Unverified:
            case EUpgradeStage::Skipped:
                end(ip, true, text, QString::fromUtf8(seen));
                return;
            case EUpgradeStage::StillOld:
            case EUpgradeStage::NotBack:
                end(ip, false, text, QString::fromUtf8(seen));
                return;
            case EUpgradeStage::NotStarted:
                end(ip, false, text, QString());
                return;
            }
        });
        // Waves count from 1 after the canary, as from the first one without it.
        QObject::connect(raw, &CUpgradeWorker::sigWave, raw, [&rollout](int wave, bool canary, const QStringList &waveIps) {
            wave -= rollout.canary > 0 ? 1 : 0;
            printError(canary ? QStringLiteral("canary: %1 node(s): %2").arg(waveIps.size()).arg(waveIps.join(QStringLiteral(", ")))
                              : QStringLiteral("wave %1: %2 node(s): %3").arg(wave + 1).arg(waveIps.size()).arg(waveIps.join(QStringLiteral(", "))));
        });
        QObject::connect(raw, &CUpgradeWorker::sigRolloutDone, raw, [&] {
            rolloutDone = true;
            loop.poke();
        }, Qt::QueuedConnection);
        raw->SetTransStop(false);
        if (app)
            static_cast<CSoftwareWorker *>(raw)->startSoftwareUpdate(ips, package);
        else
            static_cast<CDeviceWorker *>(raw)->startDeviceUpdate(ips, package);
        loop.run(int(qMin<qint64>(limitMs, INT32_MAX)));
        progress.finish();
        // One order for every way out, as the window's: stop, let go of the observer, join, finish.
        // A stopped upload removes its part file from the node as it ends.
        raw->requestStop();
        observer.release();
        worker.reset(); // writes the run's history entry when the rollout had not ended
        for (const QString &ip : qAsConst(ips))
            manager.finishClient(ip);
    }
    for (const sDeviceInfo &node : nodes) {
        const QString ip = QString::fromUtf8(node.ip);
        const sEnd e = done.value(ip, {false, cutShort(QStringLiteral("not upgraded")), QString()});
        sCliOutcome o{node.ip, node.id, e.ok, e.text};
        o.hasVersion = true;
        o.version = e.version;
        outcomes.append(o);
    }
    for (sCliOutcome &o : outcomes)
        o.hasVersion = true;
    // The worker wrote the history entry, with its waves and verified versions.
    return reportOutcomes(app ? QStringLiteral("upgrade --app") : QStringLiteral("upgrade"), outcomes, inv.json, false);
}

int exportCommand(sCliInvocation &inv)
{
    const QString dir = inv.parser.value(QStringLiteral("dir"));
    int status = 0;
    if (!writableFolder(dir, &status))
        return status;
    CCliLan lan;
    QVector<sDeviceInfo> chosen;
    QVector<sCliOutcome> outcomes;
    if (!scanAndSelect(inv, lan, chosen, outcomes))
        return 1;
    const QVector<sDeviceInfo> nodes = withAddress(chosen, outcomes);
    CDeviceCtrlJob job(&lan.model());
    CExportWorker worker(asSelection(nodes), &job, dir);
    worker.setHistoryCommand(QStringLiteral("quorvane-cli export-data"));
    for (const sCliOutcome &refused : qAsConst(outcomes))
        worker.addRefused({refused.id, QString::fromUtf8(refused.ip), refused.text, false});
    int ended = 0;
    CCliLoop loop([&] { return ended >= worker.count(); });
    QObject::connect(&worker, &COperation::sigProgress, &worker, [&](int done, int) {
        ended = done;
        loop.poke();
    });
    worker.start();
    loop.run(inv.timeoutSec * 1000);
    worker.finish();
    for (int i = 0; i < worker.count(); ++i) {
        const sNodeOutcome r = worker.outcome(i);
        const sOperationNode &node = worker.node(i);
        if (!r.ended() || r.state == sNodeOutcome::Cancelled)
            outcomes.append({node.ip, node.id, false, cutShort(QStringLiteral("not exported"))});
        else if (r.ok())
            outcomes.append({node.ip, node.id, true, QStringLiteral("written to %1").arg(r.detail)});
        else
            outcomes.append({node.ip, node.id, false, QStringLiteral("export failed: no answer, or the file could not be written")});
    }
    return reportOutcomes(QStringLiteral("export-data"), outcomes, inv.json, false);
}

int importCommand(sCliInvocation &inv)
{
    struct sFile
    {
        QString path;
        QJsonObject entry;
        QByteArray ip;
    };
    CDeviceCtrlJob job(nullptr);
    QVector<sFile> files;
    // Every file is read first: one that cannot be used stops the command before anything is sent.
    for (const QString &path : inv.parser.positionalArguments()) {
        QJsonObject entry;
        if (QFileInfo(path).isFile())
            job.readJsonFile(path, entry);
        const QJsonObject devData = entry.value(QStringLiteral("devData")).toObject();
        const int type = devData.value(QStringLiteral("type")).toInt();
        const QString ip = devData.value(QStringLiteral("ip")).toString();
        if (entry.isEmpty())
            return usageError(QStringLiteral("cannot read '%1' as a data file").arg(path));
        if ((type != DecoderNode && type != EncoderNode) || ip.isEmpty())
            return usageError(QStringLiteral("'%1' is not a decoder's or an encoder's data file").arg(path));
        if (!Ipv4::isNodeAddress(ip.toUtf8()))
            return usageError(QStringLiteral("'%1' names %2, which is not a node address; nothing was sent").arg(path, ip));
        files.append({path, entry, ip.toUtf8()});
    }
    // A file names its node; only a node this scan found gets it (the job refuses any
    // other), never whoever the address happens to lead to.
    CCliLan lan;
    if (!lan.scan(inv.timeoutSec * 1000, inv.interfaces)) {
        printError(QStringLiteral("quorvane-cli: the scan could not be sent"));
        return 1;
    }
    CDeviceCtrlJob sender(&lan.model());
    QStringList paths;
    for (const sFile &file : qAsConst(files))
        paths << file.path;
    CDataImportOperation import(&sender, paths);
    import.setHistoryCommand(QStringLiteral("quorvane-cli import-data"));
    int ended = 0;
    CCliLoop loop([&] { return ended >= import.count(); });
    QObject::connect(&import, &COperation::sigProgress, &import, [&](int done, int) {
        ended = done;
        loop.poke();
    });
    import.start();
    loop.run(inv.timeoutSec * 1000);
    import.finish();
    QVector<sCliOutcome> outcomes;
    for (int i = 0; i < import.count(); ++i) {
        const sNodeOutcome r = import.outcome(i);
        const QByteArray ip = files.at(i).ip;
        QString text;
        if (!r.ended() || r.state == sNodeOutcome::Cancelled)
            text = cutShort(QStringLiteral("not imported"));
        else if (r.ok())
            text = QStringLiteral("imported from %1").arg(files.at(i).path);
        else if (r.state == sNodeOutcome::TimedOut)
            text = QStringLiteral("import failed: no answer");
        else if (r.code == CDataImportOperation::TypeMismatch)
            text = QStringLiteral("type mismatch: the node is not of the file's type");
        else if (r.code == CDataImportOperation::DeviceOffline && !lan.model().hasAddress(ip))
            text = QStringLiteral("no node of this scan has this address; nothing sent");
        else if (r.code == CDataImportOperation::DeviceOffline)
            text = QStringLiteral("device offline: nothing sent");
        else
            text = QStringLiteral("import failed");
        outcomes.append({ip, import.node(i).id, r.ok(), text});
    }
    return reportOutcomes(QStringLiteral("import-data"), outcomes, inv.json, false);
}

int logsCommand(sCliInvocation &inv)
{
    const QString dir = inv.parser.value(QStringLiteral("dir"));
    int status = 0;
    if (!writableFolder(dir, &status))
        return status;
    const bool proxy = inv.parser.isSet(QStringLiteral("proxy"));
    CAppConfig::instance()->loadLogFileLimit();
    CCliLan lan;
    QVector<sDeviceInfo> chosen;
    QVector<sCliOutcome> outcomes;
    if (!scanAndSelect(inv, lan, chosen, outcomes))
        return 1;
    QVector<sDeviceInfo> nodes;
    if (proxy) {
        // One fetch per proxy node, whichever of its nodes named it.
        QSet<QByteArray> proxies;
        for (const sDeviceInfo &node : qAsConst(chosen)) {
            if (node.managerIP.isEmpty()) {
                outcomes.append({node.ip, node.id, false, QStringLiteral("the node names no proxy node")});
            } else if (!lan.model().hasAddress(node.managerIP)) {
                // The proxy is a node of the LAN: an address no node of this scan holds (or one
                // that breaks the node address rule) is a node's word only, never a destination.
                outcomes.append({node.ip, node.id, false,
                                 QStringLiteral("the proxy address %1 is not a node of this scan; nothing fetched")
                                     .arg(QString::fromUtf8(node.managerIP))});
            } else if (!proxies.contains(node.managerIP)) {
                proxies.insert(node.managerIP);
                nodes.append(node);
            }
        }
    } else {
        nodes = withAddress(chosen, outcomes);
    }
    std::unique_ptr<CLogExportWorker> fetch;
    if (proxy)
        fetch = std::make_unique<CProxyLogOperation>(dir, nodes);
    else
        fetch = std::make_unique<CNodeLogOperation>(dir, nodes);
    fetch->setHistoryCommand(proxy ? QStringLiteral("quorvane-cli logs --proxy") : QStringLiteral("quorvane-cli logs"));
    for (const sCliOutcome &refused : qAsConst(outcomes))
        fetch->addRefused({refused.id, QString::fromUtf8(refused.ip), refused.text, false});
    int ended = 0;
    CCliLoop loop([&] { return ended >= fetch->count(); });
    QObject::connect(fetch.get(), &COperation::sigProgress, fetch.get(), [&](int done, int) {
        ended = done;
        loop.poke();
    });
    fetch->start();
    loop.run(inv.timeoutSec * 1000);
    fetch->finish(); // a fetch still running ends at once
    for (int i = 0; i < nodes.size(); ++i) {
        const sDeviceInfo &node = nodes.at(i);
        const sNodeOutcome r = fetch->outcome(i);
        const QByteArray ip = fetch->source(i);
        // A fetch cut short by the stop is no fetch.
        const bool fetched = r.ended() && r.state != sNodeOutcome::Cancelled && !CCliSignals::instance().interrupted();
        QString failure = QStringLiteral("the logs could not be fetched or written");
        if (!fetched)
            failure = cutShort(QStringLiteral("not fetched"));
        else if (r.cause == int(csftpclient::LogFailure::TooLarge))
            failure = QStringLiteral("a log file is larger than maxLogFileBytes (%1 bytes) and was not kept")
                          .arg(CAppConfig::instance()->maxLogFileBytes());
        else if (r.cause == int(csftpclient::LogFailure::UnsafeName))
            failure = QStringLiteral("a log file whose name cannot be a local file name was left out");
        if (fetched && r.ok())
            outcomes.append({ip, proxy ? 0 : node.id, true, QStringLiteral("logs written to %1").arg(fetch->folderOf(i))});
        else if (fetched && !HostKeys::refusedKey(QString::fromUtf8(ip)).isEmpty())
            outcomes.append({ip, proxy ? 0 : node.id, false, hostKeyRefusal(HostKeys::refusedKey(QString::fromUtf8(ip)))});
        else
            outcomes.append({ip, proxy ? 0 : node.id, false, failure});
    }
    return reportOutcomes(proxy ? QStringLiteral("logs --proxy") : QStringLiteral("logs"), outcomes, inv.json, false);
}

} // namespace CliTransfer
