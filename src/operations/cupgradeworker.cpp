#include "operations/cupgradeworker.h"

#include <QCoreApplication>

#include "comm/cdevicectrlobserver.h"
#include "comm/ctcpmanager.h"
#include "comm/protocol.h"
#include "comm/upgradecmd.h"
#include "operations/cupgradeverifier.h"
#include "transfer/csftpclient.h"
#include "transfer/cupdatemanagerctrl.h"

namespace {
// What a task that the stopped rollout kept from starting returns.
const QString kNotStarted = QStringLiteral("not started");

QString historyKey(const char *source)
{
    return CCommandHistory::key("CUpgradeWorker", source);
}
} // namespace

QString CUpgradeWorker::verifiedText() { return historyKey(QT_TRANSLATE_NOOP("CUpgradeWorker", "已验证")); }
QString CUpgradeWorker::stillOldText() { return historyKey(QT_TRANSLATE_NOOP("CUpgradeWorker", "验证失败：版本未变")); }
QString CUpgradeWorker::notBackText() { return historyKey(QT_TRANSLATE_NOOP("CUpgradeWorker", "验证失败：节点未重新上线")); }
QString CUpgradeWorker::unverifiedText() { return historyKey(QT_TRANSLATE_NOOP("CUpgradeWorker", "升级成功（应用升级不验证版本）")); }
QString CUpgradeWorker::skippedText() { return historyKey(QT_TRANSLATE_NOOP("CUpgradeWorker", "已是该版本，已跳过")); }
QString CUpgradeWorker::verifyCutText() { return historyKey(QT_TRANSLATE_NOOP("CUpgradeWorker", "已应答成功，验证未完成")); }
QString CUpgradeWorker::notStartedText() { return historyKey(QT_TRANSLATE_NOOP("CUpgradeWorker", "未开始")); }

CUpgradeWorker::CUpgradeWorker(CUpdateManagerCtrl *manager, CDeviceCtrlObserver *observer,
                               int32_t upgradeType, QObject *parent)
    : QObject(parent), m_manager(manager), m_observer(observer), m_upgradeType(upgradeType)
    , m_verifier(std::make_unique<CUpgradeVerifier>())
{
    connect(m_verifier.get(), &CUpgradeVerifier::sigVerdict, this,
            [this](const QString &ip, int verdict, const QByteArray &seen, qint64 ms) { onVerdict(ip, verdict, seen, ms); },
            Qt::QueuedConnection);
}

CUpgradeWorker::~CUpgradeWorker()
{
    requestStop();
    {
        QMutexLocker lock(&m_mutex);
        m_waiting.clear(); // no answer reaches a runner from now on
    }
    m_runs.clear(); // each runner joins its threads
    m_verifier.reset();
    // Nodes that had not ended when the run was stopped are recorded as they stood.
    writeHistory(true);
}

void CUpgradeWorker::setTargets(const QVector<sUpgradeTarget> &targets)
{
    for (const sUpgradeTarget &t : targets) {
        m_targets.insert(t.ip, t);
        m_nodeTypes.insert(t.ip, t.nodeType);
    }
}

void CUpgradeWorker::setVerifyPollMs(int ms)
{
    m_verifier->setPollMs(ms);
}

void CUpgradeWorker::setHistory(const QString &command, const QVector<sHistoryNode> &endedBefore)
{
    m_historyCommand = command;
    m_endedBefore = endedBefore;
}

bool CUpgradeWorker::stopped() const
{
    return m_transEnable->load() == 0;
}

void CUpgradeWorker::requestStop()
{
    m_transEnable->store(0);
    if (m_verifier)
        m_verifier->stop();
    for (const auto &run : m_runs)
        run->cancel();
    QStringList waiting;
    {
        QMutexLocker lock(&m_mutex);
        waiting = m_waiting.keys();
    }
    // A command still waiting for its connection ends when its link is closed.
    for (const QString &ip : qAsConst(waiting))
        CTcpManager::instance().removeTcp(ip);
}

void CUpgradeWorker::startUploads(const QStringList &ipList, const QString &fileName)
{
    m_fileName = fileName;
    m_packageVersion = UpgradeCmd::versionTextOf(UpgradeCmd::fileNameOf(fileName).toLocal8Bit());
    QStringList ips;
    for (const QString &ip : ipList) {
        // A node listed twice gets one upload; its rows share it.
        if (ip.isEmpty() || m_nodes.contains(ip))
            continue;
        sTransInfo info;
        info.ip = ip;
        info.localPath = fileName;
        info.upgradeType = m_upgradeType;
        info.transEnable = m_transEnable;
        if (!m_manager->addClient(info))
            continue;
        m_nodes.insert(ip);
        ips << ip;
    }
    if (stopped())
        return;
    QVector<CRolloutPlan::sNode> planned;
    for (const QString &ip : qAsConst(ips)) {
        planned.append({ip, m_targets.value(ip).version});
        m_recordOrder.append(ip);
        m_open.insert(ip);
        m_records.insert(ip, {m_targets.value(ip).id, ip, CCommandHistory::cancelledText(), false});
    }
    {
        QMutexLocker lock(&m_planMutex);
        m_planIps = ips;
        // An application's version is no scan's to report: nothing to skip by.
        sRolloutOptions options = m_options;
        if (m_upgradeType == 1)
            options.skipCurrent = false;
        m_plan = CRolloutPlan(planned, m_packageVersion, options);
    }
    for (int i = 0; i < ips.size(); ++i) {
        if (m_plan.state(i) != CRolloutPlan::EState::Skipped)
            continue;
        const QString &ip = ips.at(i);
        sHistoryNode record{m_targets.value(ip).id, ip, skippedText(), true};
        record.version = QString::fromUtf8(m_targets.value(ip).version);
        // The row takes it as done: the node runs what the package would give it.
        emit setUpdateProgress(false, ip, int(Protocol::kUpgradeOk));
        nodeEnded(ip, true, EUpgradeStage::Skipped, record);
    }
    startNextWave();
}

void CUpgradeWorker::startNextWave()
{
    if (stopped())
        return;
    QVector<int> wave;
    int number = -1;
    bool canary = false;
    QStringList notStarted;
    {
        QMutexLocker lock(&m_planMutex);
        wave = m_plan.nextWave();
        number = m_plan.currentWave();
        canary = m_plan.hasCanary() && number == 0;
        for (int i = 0; i < m_planIps.size(); ++i) {
            if (m_plan.state(i) == CRolloutPlan::EState::NotStarted && m_open.contains(m_planIps.at(i)))
                notStarted << m_planIps.at(i);
        }
    }
    for (const QString &ip : qAsConst(notStarted)) {
        emit setUpdateProgress(false, ip, kNotUpgraded);
        nodeEnded(ip, false, EUpgradeStage::NotStarted, {m_targets.value(ip).id, ip, notStartedText(), false});
    }
    if (wave.isEmpty())
        return;
    QStringList ips;
    for (int i : qAsConst(wave))
        ips << m_planIps.at(i);
    if (m_options.staged())
        m_waves.append({number, canary, ips.size(), 0, 0});
    emit sigWave(number, canary, ips);
    startRun(ips, true);
}

void CUpgradeWorker::startRun(const QStringList &ips, bool planned)
{
    if (ips.isEmpty() || stopped())
        return;
    auto run = std::make_unique<CBulkRunner>();
    CBulkRunner *runner = run.get();
    runner->setDeadlineMs(0); // each phase has its own limit inside the task
    connect(runner, &CBulkRunner::sigOutcome, this, [this, ips](int index, const sBulkOutcome &outcome) {
        if (outcome.state == sBulkOutcome::Cancelled || stopped())
            return;
        // The node is done with its link whichever way it ended.
        CTcpManager::instance().removeTcp(ips.at(index));
        nodeAnswered(ips.at(index), outcome);
    }, Qt::QueuedConnection);
    {
        // Registered before any command goes out: an answer may beat the task's return.
        QMutexLocker lock(&m_mutex);
        for (int i = 0; i < ips.size(); ++i)
            m_waiting.insert(ips.at(i), {runner, i});
    }
    m_runs.push_back(std::move(run));
    runner->start(ips.size(), [this, ips, planned](int index, const CBulkRunner::Control &ctl) {
        return upgradeNode(ips.at(index), ctl, planned);
    });
}

sBulkOutcome CUpgradeWorker::upgradeNode(const QString &ip, const CBulkRunner::Control &ctl, bool planned)
{
    const sBulkOutcome cancelled{sBulkOutcome::Cancelled, 0, QString()};
    const sBulkOutcome notUpgraded{sBulkOutcome::Failed, kNotUpgraded, QString()};
    csftpclient *client = m_manager->findClient(ip);
    if (!client || ctl.stopRequested())
        return cancelled;
    if (planned) {
        // A node queued behind the in-flight limit starts only while the rollout goes on.
        QMutexLocker lock(&m_planMutex);
        if (!m_plan.mayStart(m_planIps.indexOf(ip)))
            return {sBulkOutcome::Failed, kNotUpgraded, kNotStarted};
    }
    emit sigStage(ip, int(EUpgradeStage::Uploading), QByteArray(), 0);
    // An empty package, one without kind or version, or one for the other node type never
    // leaves this PC: the node would take it and report nothing useful.
    if (UpgradeCmd::refusalOf(m_fileName, uint32_t(m_upgradeType), m_nodeTypes.value(ip)) != UpgradeCmd::ERefusal::None)
        return notUpgraded;
    const bool started = m_upgradeType == 1 ? client->uploadToApp() : client->uploadToUserdata();
    if (!started)
        return notUpgraded;
    client->joinTransfer();
    if (ctl.stopRequested() || stopped())
        return cancelled;
    // A failed upload gets no command; without one no answer can come.
    if (client->uploadResult() != CURLE_OK || !client->sendUpgradeCommand())
        return notUpgraded;
    emit sigStage(ip, int(EUpgradeStage::Installing), QByteArray(), 0);
    // The node installs now; its slot goes to the next upload. Its answer ends it
    // (updateResult), or this deadline does (TimedOut, code kNotUpgraded).
    return ctl.awaiting(kAnswerWaitMs);
}

void CUpgradeWorker::nodeAnswered(const QString &ip, const sBulkOutcome &outcome)
{
    const int64_t id = m_targets.value(ip).id;
    if (outcome.detail == kNotStarted) {
        emit setUpdateProgress(false, ip, kNotUpgraded);
        nodeEnded(ip, false, EUpgradeStage::NotStarted, {id, ip, notStartedText(), false});
        return;
    }
    // The row shows the node's answer as it always did; the verification follows apart.
    emit setUpdateProgress(false, ip, outcome.code);
    if (uint32_t(outcome.code) != Protocol::kUpgradeOk) {
        const QString text = CCommandHistory::key("CProgressListItem", UpgradeCmd::resultSource(uint32_t(outcome.code)));
        nodeEnded(ip, false, EUpgradeStage::Failed, {id, ip, text, false});
        return;
    }
    if (m_upgradeType == 1 || m_packageVersion.isEmpty()) {
        nodeEnded(ip, true, EUpgradeStage::Unverified, {id, ip, unverifiedText(), true});
        return;
    }
    {
        // Verifying: the node no longer counts as running for the retry of its row.
        sHistoryNode &record = m_records[ip];
        record.id = id;
        record.ip = ip;
        record.outcome = CCommandHistory::key("CProgressListItem", UpgradeCmd::resultSource(Protocol::kUpgradeOk));
        record.ok = false; // not upgraded until a scan shows it
    }
    emit sigStage(ip, int(EUpgradeStage::Verifying), QByteArray(), 0);
    m_verifier->watch(ip, m_packageVersion, m_options.verifyTimeoutSec * 1000);
}

void CUpgradeWorker::onVerdict(const QString &ip, int verdict, const QByteArray &seen, qint64 ms)
{
    if (stopped() || !m_nodes.contains(ip))
        return;
    sHistoryNode record{m_targets.value(ip).id, ip, QString(), verdict == CUpgradeVerifier::Verified};
    record.version = QString::fromUtf8(seen);
    EUpgradeStage stage = EUpgradeStage::Verified;
    switch (verdict) {
    case CUpgradeVerifier::Verified: record.outcome = verifiedText(); break;
    case CUpgradeVerifier::StillOld: record.outcome = stillOldText(); stage = EUpgradeStage::StillOld; break;
    default: record.outcome = notBackText(); stage = EUpgradeStage::NotBack; break;
    }
    emit sigStage(ip, int(stage), seen, ms);
    nodeEnded(ip, record.ok, stage, record);
}

void CUpgradeWorker::nodeEnded(const QString &ip, bool ok, EUpgradeStage stage, const sHistoryNode &record)
{
    if (stage == EUpgradeStage::Failed || stage == EUpgradeStage::NotStarted || stage == EUpgradeStage::Skipped)
        emit sigStage(ip, int(stage), record.version.toUtf8(), 0);
    int wave = -1;
    bool inPlan = false;
    {
        QMutexLocker lock(&m_planMutex);
        const int index = m_planIps.indexOf(ip);
        inPlan = m_plan.state(index) == CRolloutPlan::EState::Running;
        m_plan.setResult(index, ok);
        wave = m_plan.waveOf(index);
    }
    if (inPlan) {
        for (sHistoryWave &w : m_waves) {
            if (w.number == wave)
                ++(ok ? w.verified : w.failed);
        }
    }
    if (!m_open.contains(ip)) {
        startNextWave(); // an end after its entry was written: no line of its own
        return;
    }
    sHistoryNode kept = record;
    if (m_options.staged() && stage != EUpgradeStage::Skipped)
        kept.wave = wave;
    m_records.insert(ip, kept);
    m_open.remove(ip);
    if (m_open.isEmpty())
        writeHistory(false);
    startNextWave();
}

void CUpgradeWorker::writeHistory(bool cut)
{
    if (m_recordOrder.isEmpty())
        return;
    const bool firstRun = !m_rolloutDone;
    if (!m_historyCommand.isEmpty()) {
        sHistoryEntry entry;
        entry.command = m_historyCommand;
        if (firstRun)
            entry.nodes = m_endedBefore;
        for (const QString &ip : qAsConst(m_recordOrder)) {
            sHistoryNode node = m_records.value(ip);
            // Stopped while the node was being verified: it answered, but was never seen upgraded.
            if (cut && m_open.contains(ip) && node.outcome != CCommandHistory::cancelledText())
                node.outcome = verifyCutText();
            entry.nodes.append(node);
        }
        if (firstRun) {
            entry.waves = m_waves;
            QMutexLocker lock(&m_planMutex);
            if (m_plan.canary() == CRolloutPlan::ECanary::Passed)
                entry.canary = CCommandHistory::canaryPassedText();
            else if (m_plan.canary() == CRolloutPlan::ECanary::Failed)
                entry.canary = CCommandHistory::canaryFailedText();
        }
        CCommandHistory::instance()->appendNamed(entry);
    }
    m_recordOrder.clear();
    m_open.clear();
    if (firstRun) {
        m_rolloutDone = true;
        if (!cut)
            emit sigRolloutDone();
    }
}

void CUpgradeWorker::updateTransProgress(QString ip, ulong finishedSize)
{
    if (stopped() || !m_nodes.contains(ip))
        return;
    emit setUpdateProgress(true, ip, int(finishedSize));
}

void CUpgradeWorker::onTransAnswer(QString ip, CURLcode res)
{
    // The node's task follows its own upload to the end.
    Q_UNUSED(ip)
    Q_UNUSED(res)
}

void CUpgradeWorker::updateOver(sUpdateRes *data)
{
    if (data)
        updateResult(QString::fromUtf8(data->ip), int(data->value));
}

void CUpgradeWorker::updateResult(const QString &ip, int value)
{
    {
        // Held across complete(): the runner cannot go while the answer is handed over.
        QMutexLocker lock(&m_mutex);
        if (stopped())
            return;
        const sWaiter waiter = m_waiting.value(ip);
        const sBulkOutcome outcome{uint32_t(value) == 1 ? sBulkOutcome::Succeeded : sBulkOutcome::Failed, value,
                                   QString()};
        if (waiter.runner && waiter.runner->complete(waiter.index, outcome))
            return;
    }
    // No task waits for it (late, after its wait ended): the row still shows it.
    QMetaObject::invokeMethod(this, [this, ip, value] {
        if (!stopped())
            emit setUpdateProgress(false, ip, value);
    }, Qt::QueuedConnection);
}

void CUpgradeWorker::retry(QString ip)
{
    if (ip.isEmpty() || !m_nodes.contains(ip))
        return;
    // A retry is a run of its own, outside the rollout, with an entry of its own.
    if (!m_open.contains(ip)) {
        if (!m_recordOrder.contains(ip))
            m_recordOrder.append(ip);
        m_open.insert(ip);
    }
    startRun({ip}, false);
}

void CUpgradeWorker::SetTransStop(bool bStop)
{
    if (bStop)
        requestStop();
    else
        m_transEnable->store(1);
}
