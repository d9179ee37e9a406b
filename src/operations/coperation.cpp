#include "operations/coperation.h"

namespace {
const int kOutcomeTypeId = qRegisterMetaType<sNodeOutcome>("sNodeOutcome");
} // namespace

COperation::COperation(OutcomeText::EKind kind, const QString &command, const QVector<sOperationNode> &nodes,
                       QObject *parent)
    : QObject(parent), m_kind(kind), m_command(command), m_nodes(nodes), m_outcomes(nodes.size()),
      m_slots(nodes.size())
{
    Q_UNUSED(kOutcomeTypeId)
}

COperation::~COperation()
{
    // A subclass has finished already (its runNode must not outlive it); this is the net.
    finish();
}

void COperation::start()
{
    QVector<int> all;
    for (int i = 0; i < m_nodes.size(); ++i)
        all.append(i);
    startRun(all);
}

void COperation::retry(int index)
{
    // A batch goes out whole or not at all: no node of it runs alone.
    if (!isBatch() && index >= 0 && index < m_nodes.size() && m_outcomes.at(index).ended())
        startRun({index});
}

void COperation::startRun(const QVector<int> &indices)
{
    if ((indices.isEmpty() && !isBatch()) || isFinishing())
        return;
    auto run = std::make_unique<CBulkRunner>();
    CBulkRunner *runner = run.get();
    runner->setDeadlineMs(m_deadlineMs);
    if (m_maxInFlight > 0)
        runner->setMaxInFlight(m_maxInFlight);
    connect(runner, &CBulkRunner::sigOutcome, this,
            [this, indices](int runIndex, const sBulkOutcome &o) {
                if (!isFinishing())
                    onRunOutcome(indices.at(runIndex), o);
            },
            Qt::QueuedConnection);
    ++m_activeRuns;
    // Counted here, not asked of the runners: a runner still says it runs while it
    // announces its end.
    connect(runner, &CBulkRunner::sigFinished, this, [this] {
        if (m_activeRuns > 0 && --m_activeRuns == 0)
            emit sigIdle();
    }, Qt::QueuedConnection);
    {
        QMutexLocker lock(&m_mutex);
        dropFinishedRuns();
        for (int i = 0; i < indices.size(); ++i)
            m_slots[indices.at(i)] = {runner, i};
        m_runs.push_back(std::move(run));
    }
    for (int index : indices) {
        m_outcomes[index] = sNodeOutcome();
        emit sigNodeStarted(index);
    }
    if (isBatch())
        runner->startBatch(indices.size(), [this, indices](const CBulkRunner::Control &ctl) { runBatch(indices, ctl); });
    else
        runner->start(indices.size(), [this, indices](int runIndex, const CBulkRunner::Control &ctl) {
            return runNode(indices.at(runIndex), ctl);
        });
}

sNodeOutcome COperation::toOutcome(int, const sBulkOutcome &run) const
{
    sNodeOutcome out;
    switch (run.state) {
    case sBulkOutcome::Succeeded: out.state = sNodeOutcome::Succeeded; break;
    case sBulkOutcome::TimedOut: out.state = sNodeOutcome::TimedOut; break;
    case sBulkOutcome::Cancelled: out.state = sNodeOutcome::Cancelled; break;
    default: out.state = sNodeOutcome::Failed; break;
    }
    out.code = run.code;
    out.detail = run.detail;
    return out;
}

void COperation::onRunOutcome(int index, const sBulkOutcome &run)
{
    sNodeOutcome outcome = toOutcome(index, run);
    // A node cancelled by the end of the operation keeps no outcome of its own.
    if (outcome.state == sNodeOutcome::Cancelled)
        outcome.code = -1;
    m_outcomes[index] = outcome;
    int ended = 0;
    for (const sNodeOutcome &o : qAsConst(m_outcomes))
        ended += o.ended() ? 1 : 0;
    emit sigNodeEnded(index, outcome);
    emit sigProgress(ended, m_nodes.size());
}

void COperation::complete(int index, const sBulkOutcome &outcome)
{
    QMutexLocker lock(&m_mutex);
    if (m_finishing || index < 0 || index >= m_slots.size())
        return;
    const sSlot slot = m_slots.at(index);
    if (slot.runner && slot.runner->complete(slot.runIndex, outcome))
        return;
    // Late (its deadline passed) or unasked: still what the node did.
    QMetaObject::invokeMethod(this, [this, index, outcome] {
        if (!isFinishing())
            onRunOutcome(index, outcome);
    }, Qt::QueuedConnection);
}

bool COperation::isFinishing() const
{
    QMutexLocker lock(&m_mutex);
    return m_finishing;
}

void COperation::cancel()
{
    stopping();
    QMutexLocker lock(&m_mutex);
    for (const auto &run : m_runs)
        run->cancel();
}

bool COperation::isIdle() const
{
    return m_activeRuns == 0;
}
void COperation::dropFinishedRuns()
{
    for (auto it = m_runs.begin(); it != m_runs.end();) {
        bool referenced = false;
        for (const sSlot &slot : qAsConst(m_slots))
            referenced = referenced || slot.runner == it->get();
        if (!(*it)->isRunning() && !referenced)
            it = m_runs.erase(it);
        else
            ++it;
    }
}

void COperation::finish()
{
    std::vector<std::unique_ptr<CBulkRunner>> runs;
    {
        QMutexLocker lock(&m_mutex);
        if (m_finishing)
            return;
        m_finishing = true;
    }
    stopping();
    {
        QMutexLocker lock(&m_mutex);
        runs.swap(m_runs);
        m_slots.fill(sSlot());
    }
    for (const auto &run : runs)
        run->cancel();
    runs.clear(); // joins every thread
    if (!m_recorded && !m_command.isEmpty()) {
        m_recorded = true;
        CCommandHistory::instance()->append(m_command, historyNodes());
    }
}

QVector<sHistoryNode> COperation::historyNodes() const
{
    QVector<sHistoryNode> out;
    for (int i = 0; i < m_nodes.size(); ++i) {
        const sNodeOutcome &o = m_outcomes.at(i);
        const QString text = o.ended() ? OutcomeText::key(m_kind, o.code) : QString();
        if (text.isEmpty())
            out.append({m_nodes.at(i).id, QString::fromUtf8(m_nodes.at(i).ip), CCommandHistory::cancelledText(), false});
        else
            out.append({m_nodes.at(i).id, QString::fromUtf8(m_nodes.at(i).ip), text, o.ok()});
    }
    return out + m_refused;
}

QStringList COperation::unendedAddresses() const
{
    QStringList ips;
    for (int i = 0; i < count(); ++i) {
        if (!outcome(i).ended())
            ips << QString::fromUtf8(node(i).ip);
    }
    return ips;
}
