#include "dialog/progressrows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>

#include "operations/outcometext.h"
#include "transfer/hostkeys.h"
#include "ui/cmessagedialog.h"

namespace ProgressRows {

const QSize kRowSize(586, 80);

QListWidget *makeList(QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QStringLiteral("importData"));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    return list;
}

CProgressListItem *addRow(QListWidget *list, const QString &ip, ProgressKind kind)
{
    auto *entry = new QListWidgetItem(list);
    entry->setSizeHint(kRowSize);
    auto *item = new CProgressListItem(ip, false, list);
    item->setKind(kind);
    list->setItemWidget(entry, item);
    return item;
}

CProgressListItem *row(QListWidget *list, int index)
{
    QListWidgetItem *entry = list->item(index);
    return entry ? qobject_cast<CProgressListItem *>(list->itemWidget(entry)) : nullptr;
}

void start(CProgressListItem *item, int pendingCode)
{
    item->startRow();
    item->setResultCode(pendingCode);
}

void setResult(QListWidget *list, const QString &ip, int res)
{
    for (int i = 0; i < list->count(); ++i) {
        CProgressListItem *item = row(list, i);
        if (item && item->ip() == ip) {
            item->setResultCode(res);
            if (!item->isAnimating())
                item->showResult();
        }
    }
}

sHistoryNode outcome(CProgressListItem *row, int64_t id)
{
    row->stopAnimation();
    if (!row->hasResult())
        return {id, row->ip(), CCommandHistory::cancelledText(), false};
    return {id, row->ip(), OutcomeText::key(OutcomeText::EKind(row->kind()), row->resultCode()), row->succeeded()};
}

void offerNewHostKey(QWidget *parent, const QString &ip)
{
    const QString key = HostKeys::refusedKey(ip);
    if (key.isEmpty())
        return;
    CMessageDialog box(QCoreApplication::translate("CUpgradeWidget",
                                                   "节点 %1 的 SSH 主机密钥已改变（新密钥 %2），传输已被拒绝。节点恢复出厂设置后会有新的密钥。"
                                                   "是否接受新的密钥？接受后请点击重试。").arg(ip, key),
                       parent);
    box.setConfirm();
    if (box.exec() == QDialog::Accepted)
        HostKeys::acceptNew(ip);
}

} // namespace ProgressRows

CRowBuilder::CRowBuilder(QListWidget *list, ProgressKind kind, Setup setup, QObject *parent)
    : QObject(parent), m_list(list), m_kind(kind), m_setup(std::move(setup))
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &CRowBuilder::buildSome);
}

void CRowBuilder::add(const QStringList &ips)
{
    m_ips += ips;
    // A small list is there at once; a long one grows from the event loop.
    for (int i = 0; i < kFirstRows && !isDone(); ++i)
        buildOne();
    if (!isDone())
        m_timer.start();
}

void CRowBuilder::setResult(const QString &ip, int res)
{
    m_results.insert(ip, res);
    for (auto it = m_built.constFind(ip); it != m_built.constEnd() && it.key() == ip; ++it) {
        CProgressListItem *item = it.value();
        item->setResultCode(res);
        if (!item->isAnimating())
            item->showResult();
    }
}

void CRowBuilder::buildOne()
{
    const QString ip = m_ips.at(m_next++);
    // Set up before it is in the list: a visible row repaints at once on each change.
    auto *item = new CProgressListItem(ip, false);
    item->setKind(m_kind);
    m_built.insert(ip, item);
    m_setup(item);
    const auto known = m_results.constFind(ip);
    if (known == m_results.constEnd()) {
        ProgressRows::start(item, ProgressRows::Pending);
    } else {
        // Its node is done already: nothing left to wait for.
        item->setResultCode(known.value());
        item->progressBar()->setValue(item->progressBar()->maximum());
        item->showResult();
    }
    auto *entry = new QListWidgetItem(m_list);
    entry->setSizeHint(ProgressRows::kRowSize);
    m_list->setItemWidget(entry, item);
}

void CRowBuilder::buildAll()
{
    while (!isDone())
        buildOne();
    m_timer.stop();
}

void CRowBuilder::buildSome()
{
    QElapsedTimer clock;
    clock.start();
    while (!isDone() && clock.elapsed() < kBudgetMs)
        buildOne();
    if (isDone())
        m_timer.stop();
}

COperationRows::COperationRows(QListWidget *list, COperation *operation, QObject *parent) : QObject(parent)
{
    for (int i = 0; i < operation->count(); ++i) {
        CProgressListItem *item =
            ProgressRows::addRow(list, QString::fromUtf8(operation->node(i).ip), ProgressKind(operation->kind()));
        connect(item, &CProgressListItem::sigRetry, operation, [operation, i] { operation->retry(i); });
        m_rows.append(item);
    }
    connect(operation, &COperation::sigNodeStarted, this,
            [this](int index) { ProgressRows::start(m_rows.at(index), ProgressRows::Pending); });
    connect(operation, &COperation::sigNodeEnded, this, [this](int index, const sNodeOutcome &outcome) {
        if (outcome.state == sNodeOutcome::Cancelled)
            return;
        CProgressListItem *item = m_rows.at(index);
        item->setResultCode(outcome.code);
        if (!item->isAnimating())
            item->showResult();
    });
}
