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
#include "operations/cexportworker.h"
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

// How long a node has to answer an import, as in the window.
constexpr int kImportDeadlineMs = 15000;

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
    QHash<QString, int> done;
    CCliLoop loop([&] { return done.size() >= nodes.size(); });
    {
        CDeviceCtrlJob job(&lan.model());
        ObserverScope observer;
        CExportWorker worker(asSelection(nodes), &job, dir);
        QObject::connect(observer.get(), &CDeviceCtrlObserver::sigExportData, &worker, &CExportWorker::exportDataSave,
                         Qt::DirectConnection);
        QObject::connect(&worker, &CExportWorker::setExportResult, &worker,
                         [&](const QString &ip, int res) {
                             done.insert(ip, res);
                             loop.poke();
                         }, Qt::QueuedConnection);
        worker.process();
        loop.run(inv.timeoutSec * 1000);
        observer.release();
        worker.requestStop();
    }
    for (const sDeviceInfo &node : nodes) {
        const QString ip = QString::fromUtf8(node.ip);
        const auto it = done.constFind(ip);
        if (it == done.constEnd())
            outcomes.append({node.ip, node.id, false, cutShort(QStringLiteral("not exported"))});
        else if (*it == 0)
            outcomes.append({node.ip, node.id, true,
                             QStringLiteral("written to %1").arg(QDir(dir).filePath(CExportWorker::fileNameFor(node.ip, node.nodeType)))});
        else
            outcomes.append({node.ip, node.id, false, QStringLiteral("export failed: no answer, or the file could not be written")});
    }
    return reportOutcomes(QStringLiteral("export-data"), outcomes, inv.json);
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
    // A file names its node; only a node this scan found gets it, never whoever the
    // address happens to lead to.
    QVector<sCliOutcome> outcomes;
    CCliLan lan;
    if (!lan.scan(inv.timeoutSec * 1000, inv.interfaces)) {
        printError(QStringLiteral("quorvane-cli: the scan could not be sent"));
        return 1;
    }
    for (auto it = files.begin(); it != files.end();) {
        if (lan.model().hasAddress(it->ip)) {
            ++it;
            continue;
        }
        outcomes.append({it->ip, 0, false, QStringLiteral("no node of this scan has this address; nothing sent")});
        it = files.erase(it);
    }

    QMutex mutex;
    QHash<QByteArray, int> pending; // IP -> the task waiting for its answer
    CBulkRunner runner;
    runner.setDeadlineMs(kImportDeadlineMs);
    QVector<sBulkOutcome> results(files.size());
    QVector<bool> ended(files.size(), false);
    CCliLoop loop([&] { return !ended.contains(false); });
    QObject::connect(&runner, &CBulkRunner::sigOutcome, &runner, [&](int index, const sBulkOutcome &outcome) {
        results[index] = outcome;
        ended[index] = true;
        loop.poke();
    }, Qt::QueuedConnection);
    {
        ObserverScope observer;
        QObject::connect(observer.get(), &CDeviceCtrlObserver::sigImportRes, &runner, [&](sImportDataRes *data) {
            if (!data || data->result < 0 || data->result > 2)
                return;
            QMutexLocker lock(&mutex);
            const auto it = pending.find(data->ip);
            if (it == pending.end())
                return;
            const int index = it.value();
            pending.erase(it);
            if (data->result == 0)
                job.closeLink(QString::fromUtf8(data->ip));
            runner.complete(index, {data->result == 0 ? sBulkOutcome::Succeeded : sBulkOutcome::Failed, data->result, QString()});
        }, Qt::DirectConnection);
        runner.start(files.size(), [&](int index, const CBulkRunner::Control &) {
            {
                // Registered before the send: the answer may beat the send's return.
                QMutexLocker lock(&mutex);
                pending.insert(files.at(index).ip, index);
            }
            QString sentTo;
            if (job.importDataEntry(files.at(index).entry, sentTo))
                return sBulkOutcome{sBulkOutcome::Pending, 0, QString()};
            QMutexLocker lock(&mutex);
            pending.remove(files.at(index).ip);
            return sBulkOutcome{sBulkOutcome::Failed, 3, QString()};
        });
        loop.run(inv.timeoutSec * 1000);
        runner.cancel();
        runner.wait();
        observer.release();
        QStringList links;
        {
            QMutexLocker lock(&mutex);
            for (auto it = pending.cbegin(); it != pending.cend(); ++it)
                links << QString::fromUtf8(it.key());
        }
        for (const QString &ip : qAsConst(links))
            job.closeLink(ip);
    }
    for (int i = 0; i < files.size(); ++i) {
        const sBulkOutcome &r = results.at(i);
        QString text;
        if (!ended.at(i) || r.state == sBulkOutcome::Cancelled)
            text = cutShort(QStringLiteral("not imported"));
        else if (r.state == sBulkOutcome::Succeeded)
            text = QStringLiteral("imported from %1").arg(files.at(i).path);
        else if (r.state != sBulkOutcome::Failed)
            text = QStringLiteral("import failed: no answer");
        else if (r.code == 1)
            text = QStringLiteral("type mismatch: the node is not of the file's type");
        else if (r.code == 3)
            text = QStringLiteral("device offline: nothing sent");
        else
            text = QStringLiteral("import failed");
        outcomes.append({files.at(i).ip, 0, ended.at(i) && r.state == sBulkOutcome::Succeeded, text});
    }
    return reportOutcomes(QStringLiteral("import-data"), outcomes, inv.json);
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
    QVector<int> results(nodes.size(), -1);
    QVector<int> reasons(nodes.size(), 0); // csftpclient::LogFailure of each fetch
    {
        CUpdateManagerCtrl manager;
        TransFlag go = makeTransFlag();
        for (const sDeviceInfo &node : qAsConst(nodes)) {
            sTransInfo info;
            info.ip = QString::fromUtf8(proxy ? node.managerIP : node.ip);
            info.localPath = dir;
            info.transEnable = go;
            manager.addClient(info);
        }
        CBulkRunner runner;
        runner.setDeadlineMs(0); // a fetch ends by itself, or by the stop
        CCliLoop loop([&] { return !results.contains(-1); });
        QObject::connect(&runner, &CBulkRunner::sigOutcome, &runner, [&](int index, const sBulkOutcome &outcome) {
            // A fetch cut short by the stop is no fetch.
            if (outcome.state != sBulkOutcome::Cancelled && !CCliSignals::instance().interrupted()) {
                results[index] = outcome.state == sBulkOutcome::Succeeded ? 1 : 0;
                reasons[index] = outcome.code;
            }
            loop.poke();
        }, Qt::QueuedConnection);
        runner.start(nodes.size(), [&](int index, const CBulkRunner::Control &) {
            const sDeviceInfo &node = nodes.at(index);
            csftpclient *client = manager.findClient(QString::fromUtf8(proxy ? node.managerIP : node.ip));
            csftpclient::LogFailure why = csftpclient::LogFailure::Transfer;
            const bool ok = client && (proxy ? client->downloadProxyLogs(node, &why) : client->downloadNodeLogs(node, &why));
            return sBulkOutcome{ok ? sBulkOutcome::Succeeded : sBulkOutcome::Failed, int(why), QString()};
        });
        loop.run(inv.timeoutSec * 1000);
        go->store(0); // a fetch still running ends at once
        runner.cancel();
        runner.wait();
    }
    for (int i = 0; i < nodes.size(); ++i) {
        const sDeviceInfo &node = nodes.at(i);
        const QByteArray ip = proxy ? node.managerIP : node.ip;
        const QString folder = QDir(dir).filePath(csftpclient::logFolderName(node.name, QString::fromUtf8(ip), proxy));
        QString failure = QStringLiteral("the logs could not be fetched or written");
        if (results.at(i) < 0)
            failure = cutShort(QStringLiteral("not fetched"));
        else if (reasons.at(i) == int(csftpclient::LogFailure::TooLarge))
            failure = QStringLiteral("a log file is larger than maxLogFileBytes (%1 bytes) and was not kept")
                          .arg(CAppConfig::instance()->maxLogFileBytes());
        else if (reasons.at(i) == int(csftpclient::LogFailure::UnsafeName))
            failure = QStringLiteral("a log file whose name cannot be a local file name was left out");
        if (results.at(i) == 1)
            outcomes.append({ip, proxy ? 0 : node.id, true, QStringLiteral("logs written to %1").arg(folder)});
        else if (results.at(i) >= 0 && !HostKeys::refusedKey(QString::fromUtf8(ip)).isEmpty())
            outcomes.append({ip, proxy ? 0 : node.id, false, hostKeyRefusal(HostKeys::refusedKey(QString::fromUtf8(ip)))});
        else
            outcomes.append({ip, proxy ? 0 : node.id, false, failure});
    }
    return reportOutcomes(proxy ? QStringLiteral("logs --proxy") : QStringLiteral("logs"), outcomes, inv.json);
}

} // namespace CliTransfer
