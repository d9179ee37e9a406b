#include "operations/cscanoperation.h"

#include "comm/cdevicectrljob.h"

CScanOperation::CScanOperation(CDeviceCtrlJob &job, QObject *parent)
    : CScanOperation(job, EMode::AllCards, QStringList(), QByteArray(), parent)
{
}

CScanOperation::CScanOperation(CDeviceCtrlJob &job, const QStringList &cards, QObject *parent)
    : CScanOperation(job, cards.isEmpty() ? EMode::AllCards : EMode::NamedCards, cards, QByteArray(), parent)
{
}

CScanOperation::CScanOperation(CDeviceCtrlJob &job, EMode mode, const QStringList &cards, const QByteArray &ip,
                               QObject *parent)
    : COperation(OutcomeText::EKind::Send, QString(), {}, parent), m_job(job), m_mode(mode), m_cards(cards), m_ip(ip)
{
    setDeadlineMs(0); // the scan's own receive window bounds it
}

std::unique_ptr<CScanOperation> CScanOperation::probe(CDeviceCtrlJob &job, const QByteArray &ip, QObject *parent)
{
    return std::unique_ptr<CScanOperation>(new CScanOperation(job, EMode::Probe, QStringList(), ip, parent));
}

CScanOperation::~CScanOperation()
{
    finish();
}

void CScanOperation::runBatch(const QVector<int> &, const CBulkRunner::Control &ctl)
{
    const CDeviceCtrlJob::Stop stop = [&ctl] { return ctl.stopRequested(); };
    bool sent = false;
    switch (m_mode) {
    case EMode::AllCards:
        sent = m_job.scanNodes(stop);
        break;
    case EMode::NamedCards: {
        QStringList unknown; // the caller checked the names before
        sent = m_job.scanNodesOn(m_cards, unknown, stop);
        break;
    }
    case EMode::Probe:
        sent = m_job.scanNode(m_ip);
        break;
    }
    m_sent = sent;
    m_cancelled = ctl.stopRequested();
}
