#include "operations/cupgradeworker.h"

#include "comm/cdevicectrlobserver.h"
#include "comm/ctcpmanager.h"
#include "comm/upgradecmd.h"
#include "transfer/csftpclient.h"
#include "transfer/cupdatemanagerctrl.h"

CUpgradeWorker::CUpgradeWorker(CUpdateManagerCtrl *manager, CDeviceCtrlObserver *observer,
                               int32_t upgradeType, QObject *parent)
    : QObject(parent), m_manager(manager), m_observer(observer), m_upgradeType(upgradeType)
{
}

CUpgradeWorker::~CUpgradeWorker()
{
    requestStop();
    {
        QMutexLocker lock(&m_mutex);
        m_waiting.clear(); // no answer reaches a runner from now on
    }
    m_runs.clear(); // each runner joins its threads
}

bool CUpgradeWorker::stopped() const
{
    return m_transEnable->load() == 0;
}

void CUpgradeWorker::requestStop()
{
    m_transEnable->store(0);
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
    startRun(ips);
}

void CUpgradeWorker::startRun(const QStringList &ips)
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
        emit setUpdateProgress(false, ips.at(index), outcome.code);
    }, Qt::QueuedConnection);
    {
        // Registered before any command goes out: an answer may beat the task's return.
        QMutexLocker lock(&m_mutex);
        for (int i = 0; i < ips.size(); ++i)
            m_waiting.insert(ips.at(i), {runner, i});
    }
    m_runs.push_back(std::move(run));
    runner->start(ips.size(), [this, ips](int index, const CBulkRunner::Control &ctl) {
        return upgradeNode(ips.at(index), ctl);
    });
}

sBulkOutcome CUpgradeWorker::upgradeNode(const QString &ip, const CBulkRunner::Control &ctl)
{
    const sBulkOutcome cancelled{sBulkOutcome::Cancelled, 0, QString()};
    const sBulkOutcome notUpgraded{sBulkOutcome::Failed, kNotUpgraded, QString()};
    csftpclient *client = m_manager->findClient(ip);
    if (!client || ctl.stopRequested())
        return cancelled;
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
    // The node installs now; its slot goes to the next upload. Its answer ends it
    // (updateResult), or this deadline does (TimedOut, code kNotUpgraded).
    return ctl.awaiting(kAnswerWaitMs);
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
    startRun({ip});
}

void CUpgradeWorker::SetTransStop(bool bStop)
{
    if (bStop)
        requestStop();
    else
        m_transEnable->store(1);
}
