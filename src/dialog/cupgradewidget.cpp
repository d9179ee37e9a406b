#include "dialog/cupgradewidget.h"

#include "transfer/hostkeys.h"

#include <QCloseEvent>
#include <algorithm>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "operations/cupgradeworker.h"
#include "dialog/progressrows.h"
#include "model/plaintext.h"
#include "transfer/cupdatemanagerctrl.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogreslistitem.h"

namespace {
constexpr int kStartDelayMs = 100;
const QSize kRowSize(586, 80);
} // namespace

CUpgradeWidget::CUpgradeWidget(const sBehaviour &behaviour, QWidget *parent)
    : CCustomDialog(parent), m_behaviour(behaviour)
{
    registerCommMetaTypes();
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setFixedSize(660, 465);
    hideCancelButton();
    // Every way out runs the closing handler, which may keep the dialog open.
    setSelfClosing(true);

    m_rowList = new QListWidget(contentWidget());
    m_rowList->setObjectName(QStringLiteral("importData"));
    m_rowList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rowList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_rowList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rowList->setSpacing(0);
    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_rowList);

    m_manager = new CUpdateManagerCtrl(this);
    m_observer = new CDeviceCtrlObserver(this);
    CObserverList::instance().add(m_observer);
}

CUpgradeWidget::~CUpgradeWidget()
{
    // Waits for an answer being handed over on a link thread.
    CObserverList::instance().remove(m_observer);
    if (!m_closing)
        stopAll();
    // Joins the worker's runners before the manager and the observer they use go.
    delete m_worker;
    m_worker = nullptr;
}

void CUpgradeWidget::attachWorker(CUpgradeWorker *worker)
{
    m_worker = worker;
    connect(m_observer, &CDeviceCtrlObserver::sigTransProgress, worker, &CUpgradeWorker::updateTransProgress);
    connect(m_observer, &CDeviceCtrlObserver::sigTransAnswer, worker, &CUpgradeWorker::onTransAnswer);
    // The record dies when the emit returns: its values are handed over at once, on the
    // link thread, so the link thread never waits for another thread (removing the
    // observer waits for the link thread instead).
    connect(
        m_observer, &CDeviceCtrlObserver::sigUpdateRes, worker,
        [worker](sUpdateRes *data) {
            if (data)
                worker->updateResult(QString::fromUtf8(data->ip), int(data->value));
        },
        Qt::DirectConnection);
    connect(worker, &CUpgradeWorker::setUpdateProgress, this, &CUpgradeWidget::setUpdateResult);
    connect(worker, &CUpgradeWorker::sigStage, this, &CUpgradeWidget::setStage);
    connect(this, &CUpgradeWidget::retrySignal, worker, &CUpgradeWorker::retry);
    connect(this, &CUpgradeWidget::transStopSignal, worker, &CUpgradeWorker::SetTransStop);
}

void CUpgradeWidget::startUpdate(const QString &packagePath, const SelectedNodeList &nodes)
{
    m_path = packagePath;
    m_ipList.clear();
    m_ids.clear();
    QVector<sUpgradeTarget> targets;
    for (const sSelectedNode &node : nodes) {
        const QString ip = QString::fromUtf8(node.ip);
        if (ip.isEmpty() && !m_behaviour.rowsForEmptyIp)
            continue;
        targets.append({ip, node.id, node.nodeType, m_versions.value(ip)});
        m_ipList.append(ip);
        m_ids.append(node.id);
        addRow(ip);
    }
    // The worker runs nothing before the start signal: all of this is in place by then.
    if (m_worker) {
        m_worker->setTargets(targets);
        m_worker->setRollout(m_rollout);
        m_worker->setHistory(m_historyCommand);
    }
}

QString CUpgradeWidget::verification(int index) const
{
    const CProgressListItem *row = m_rows.value(index);
    return row && row->noteLabel()->isVisibleTo(row) ? row->noteLabel()->text() : QString();
}

void CUpgradeWidget::setStage(const QString &ip, int stage, const QByteArray &seen, qint64 ms)
{
    Q_UNUSED(ms)
    // What a node reports is shown as plain text on one line, never as markup.
    const QString version = PlainText::singleLine(QString::fromUtf8(seen));
    QString text;
    int tone = 0;
    switch (EUpgradeStage(stage)) {
    case EUpgradeStage::Uploading: text = tr("上传中"); break;
    case EUpgradeStage::Installing: text = tr("安装中"); break;
    case EUpgradeStage::Verifying: text = tr("验证中"); break;
    case EUpgradeStage::Verified: text = tr("已验证 %1").arg(version); tone = 1; break;
    case EUpgradeStage::StillOld: text = tr("验证失败：%1 秒后仍为 %2").arg(m_rollout.verifyTimeoutSec).arg(version); tone = 2; break;
    case EUpgradeStage::NotBack: text = tr("验证失败：节点未重新上线"); tone = 2; break;
    case EUpgradeStage::Unverified: text = tr("应用升级不验证版本"); break;
    case EUpgradeStage::Skipped: text = tr("已是 %1，已跳过").arg(version); tone = 1; break;
    case EUpgradeStage::NotStarted: text = tr("未开始"); tone = 2; break;
    case EUpgradeStage::Failed: text = QString(); break; // the row's own result says why
    }
    for (int i : m_rowsByIp.values(ip))
        m_rows.at(i)->setNote(text, tone);
}

void CUpgradeWidget::addRow(const QString &ip)
{
    auto *row = new CProgressListItem(ip, true);
    row->setKind(ProgressKind::Upgrade);
    row->startRow();
    row->setTransferredBytes(0);
    auto *item = new QListWidgetItem(m_rowList);
    item->setSizeHint(kRowSize);
    m_rowList->setItemWidget(item, row);
    m_rowsByIp.insert(ip, m_rows.size());
    m_rows.append(row);
    m_rowDone.append(false);
    connect(row, &CProgressListItem::sigRetry, this, [this, row](const QString &) { retryRow(row); });
}

int CUpgradeWidget::finishedCount() const
{
    return int(std::count(m_rowDone.cbegin(), m_rowDone.cend(), true));
}

QVector<sHistoryNode> CUpgradeWidget::outcomes()
{
    QVector<sHistoryNode> out;
    for (int i = 0; i < m_rows.size(); ++i)
        out.append(ProgressRows::outcome(m_rows.at(i), m_ids.value(i)));
    return out;
}

void CUpgradeWidget::retryRow(CProgressListItem *row)
{
    const int index = m_rows.indexOf(row);
    if (index < 0 || m_closing)
        return;
    row->setTransferredBytes(0);
    row->startRow();
    // The node is pending again: closing asks again, and OK reads cancel.
    m_rowDone[index] = false;
    m_inProgress = true;
    setOkText(cancelText());
    emit retrySignal(m_ipList.at(index));
}

void CUpgradeWidget::setUpdateResult(bool isProgress, QString ip, int res)
{
    // Looked up by IP: progress of many transfers at once must not walk every row.
    const QList<int> indices = m_rowsByIp.values(ip);
    for (int i : indices) {
        if (isProgress) {
            m_rows.at(i)->setTransferredBytes(qint64(uint(res)));
        } else {
            m_rows.at(i)->setResultCode(res);
            m_rows.at(i)->showResult();
            m_rowDone[i] = true;
        }
    }
    if (isProgress || indices.isEmpty())
        return;
    offerNewHostKey(ip);
    if (finishedCount() == m_rows.size()) {
        m_inProgress = false;
        if (m_behaviour.okTextWhenDone)
            setOkText(doneText());
    }
}

void CUpgradeWidget::offerNewHostKey(const QString &ip)
{
    if (!m_closing)
        ProgressRows::offerNewHostKey(this, ip);
}

void CUpgradeWidget::showEvent(QShowEvent *event)
{
    CCustomDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        m_timerId = startTimer(kStartDelayMs, Qt::CoarseTimer);
    }
}

void CUpgradeWidget::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timerId) {
        CCustomDialog::timerEvent(event);
        return;
    }
    killTimer(m_timerId);
    m_timerId = 0;
    const qint64 size = CUpdateManagerCtrl::packageSize(m_path);
    emit transStopSignal(false);
    for (CProgressListItem *row : qAsConst(m_rows))
        row->setTotalSize(qMax<qint64>(size - 1, 1));
    emit startUpdateProgress(m_ipList, m_path);
}

void CUpgradeWidget::onOkClicked()
{
    closeRequested(QDialog::Accepted);
}

void CUpgradeWidget::onCancelClicked()
{
    closeRequested(QDialog::Rejected);
}

void CUpgradeWidget::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        CCustomDialog::closeEvent(event);
        return;
    }
    event->ignore();
    closeRequested(QDialog::Rejected);
}

void CUpgradeWidget::closeRequested(int result)
{
    if (m_closing)
        return;
    if (m_inProgress) {
        CMessageDialog question(cancelQuestion(), this);
        question.setConfirm();
        if (question.exec() != QDialog::Accepted)
            return;
    } else if (m_behaviour.okTextWhenDone) {
        setOkText(doneText());
    }
    m_closing = true;
    if (m_timerId) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
    // Out of sight first; the stop may wait for the transfer threads to end.
    done(result);
    stopAll();
}

void CUpgradeWidget::stopAll()
{
    // One order for every way out: stop (uploads end, waits give up, links being made
    // close), join the runners, then finish each node's client and link.
    emit transStopSignal(true);
    if (m_worker)
        m_worker->requestStop();
    // No answer may be handed to the worker once it goes: this waits for one in progress.
    CObserverList::instance().remove(m_observer);
    delete m_worker;
    m_worker = nullptr;
    for (const QString &ip : qAsConst(m_ipList)) {
        if (!ip.isEmpty())
            m_manager->finishClient(ip);
    }
}
