#include "operations/crolloutplan.h"

#include <algorithm>

#include "model/sdeviceinfo.h"

CRolloutPlan::CRolloutPlan(const QVector<sNode> &nodes, const QByteArray &packageVersion,
                           const sRolloutOptions &options)
    : m_options(options)
{
    m_states.fill(EState::Waiting, nodes.size());
    m_waveOf.fill(-1, nodes.size());
    QVector<int> order;
    for (int i = 0; i < nodes.size(); ++i)
        order.append(i);
    // Address order, as the table lists them; equal addresses keep the order given.
    std::stable_sort(order.begin(), order.end(), [&nodes](int a, int b) {
        return ipToValue(nodes.at(a).ip.toUtf8()) < ipToValue(nodes.at(b).ip.toUtf8());
    });
    QVector<int> todo;
    for (int i : qAsConst(order)) {
        // Exact bytes: a node's version text is its own word, never normalised.
        if (options.skipCurrent && !packageVersion.isEmpty() && nodes.at(i).version == packageVersion)
            m_states[i] = EState::Skipped;
        else
            todo.append(i);
    }
    int next = 0;
    if (options.canary > 0 && !todo.isEmpty()) {
        m_hasCanary = true;
        m_waves.append(todo.mid(0, options.canary));
        next = m_waves.last().size();
    }
    while (next < todo.size()) {
        const int size = options.wave > 0 ? options.wave : todo.size() - next;
        m_waves.append(todo.mid(next, size));
        next += m_waves.last().size();
    }
    for (int w = 0; w < m_waves.size(); ++w) {
        for (int i : qAsConst(m_waves.at(w)))
            m_waveOf[i] = w;
    }
}

bool CRolloutPlan::waveOver(int wave) const
{
    if (wave < 0 || wave >= m_waves.size())
        return true;
    for (int i : m_waves.at(wave)) {
        if (m_states.at(i) == EState::Waiting || m_states.at(i) == EState::Running)
            return false;
    }
    return true;
}

bool CRolloutPlan::stopped() const
{
    if (canary() == ECanary::Failed)
        return true;
    return m_options.maxFailures > 0 && m_failures >= m_options.maxFailures;
}

QVector<int> CRolloutPlan::nextWave()
{
    if (stopped()) {
        for (EState &s : m_states) {
            if (s == EState::Waiting)
                s = EState::NotStarted;
        }
        return {};
    }
    if (!waveOver(m_current) || m_current + 1 >= m_waves.size())
        return {};
    ++m_current;
    return m_waves.at(m_current);
}

bool CRolloutPlan::mayStart(int node)
{
    if (node < 0 || node >= m_states.size() || m_states.at(node) != EState::Waiting)
        return false;
    if (stopped()) {
        m_states[node] = EState::NotStarted;
        return false;
    }
    m_states[node] = EState::Running;
    return true;
}

void CRolloutPlan::setResult(int node, bool ok)
{
    if (node < 0 || node >= m_states.size() || m_states.at(node) != EState::Running)
        return;
    m_states[node] = ok ? EState::Succeeded : EState::Failed;
    if (!ok)
        ++m_failures;
}

bool CRolloutPlan::finished() const
{
    for (EState s : m_states) {
        if (s == EState::Running)
            return false;
        if (s == EState::Waiting && !stopped())
            return false;
    }
    return true;
}

CRolloutPlan::ECanary CRolloutPlan::canary() const
{
    if (!m_hasCanary)
        return ECanary::None;
    bool pending = false;
    for (int i : m_waves.first()) {
        const EState s = m_states.at(i);
        if (s == EState::Failed || s == EState::NotStarted)
            return ECanary::Failed;
        if (s != EState::Succeeded)
            pending = true;
    }
    return pending ? ECanary::Pending : ECanary::Passed;
}
