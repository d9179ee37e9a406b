#include "dialog/cmainshowwidget.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QShortcut>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "app/appevent.h"
#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "dialog/cnodescanui/cnodeheaderview.h"
#include "dialog/cnodescanui/cnodetabledelegate.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "model/cnodelistmodel.h"
#include "model/nodenames.h"

#include <algorithm>

CMainShowWidget::CMainShowWidget(QWidget *parent)
    : QWidget(parent)
    , m_model(new CNodeListModel(this))
    , m_header(new CNodeHeaderView(this))
    , m_table(new CNodeTableView(this))
    , m_observer(new CDeviceCtrlObserver(this))
{
    registerNodeMetaTypes();
    setObjectName(QStringLiteral("mainShowWidget"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x11, 0x11, 0x11));
    setPalette(pal);

    auto *searchBar = new QWidget(this);
    searchBar->setFixedHeight(40);
    m_search = new QLineEdit(searchBar);
    m_search->setObjectName(QStringLiteral("nodeSearch"));
    m_search->setFixedSize(320, 28);
    m_search->setClearButtonEnabled(true);
    m_count = new QLabel(searchBar);
    m_count->setObjectName(QStringLiteral("selectionCount"));
    m_refreshState = new QLabel(searchBar);
    m_refreshState->setObjectName(QStringLiteral("refreshIndicator"));
    m_refreshState->hide();
    auto *searchLayout = new QHBoxLayout(searchBar);
    searchLayout->setContentsMargins(CNodeHeaderView::LeftMargin, 8, CNodeHeaderView::RightMargin, 4);
    searchLayout->setSpacing(16);
    searchLayout->addWidget(m_search);
    searchLayout->addWidget(m_count);
    searchLayout->addStretch();
    searchLayout->addWidget(m_refreshState);
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, m_search, [search = m_search] {
        search->setFocus(Qt::ShortcutFocusReason);
        search->selectAll();
    });
    m_search->installEventFilter(this); // Escape clears it
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_filter.search = text.trimmed();
        refill();
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(searchBar);
    layout->addWidget(m_header);
    layout->addWidget(m_table);

    m_table->nodeDelegate()->setNodeModel(m_model);
    m_table->setModel(m_model->itemModel());
    m_noMatch = new QLabel(m_table->viewport());
    m_noMatch->setObjectName(QStringLiteral("noMatchLabel"));
    m_noMatch->setAlignment(Qt::AlignCenter);
    m_noMatch->hide();
    m_table->viewport()->installEventFilter(this); // keeps the "no match" text centred

    CObserverList::instance().add(m_observer);

    connect(m_header, &CNodeHeaderView::sigTypeIndexChanged, this, &CMainShowWidget::allTypeStateChanged);
    connect(m_header, &CNodeHeaderView::sigModelIndexChanged, this, &CMainShowWidget::allModelStateChanged);
    connect(m_header, &CNodeHeaderView::sigVersionIndexChanged, this, &CMainShowWidget::allVersionStateChanged);
    connect(m_header, &CNodeHeaderView::sigStateChanged, this, &CMainShowWidget::selectOrCancelAll);
    connect(m_header, &CNodeHeaderView::sigSortClicked, this, &CMainShowWidget::sortBy);
    connect(m_table, &CNodeTableView::sigItemCheck, this, &CMainShowWidget::singleSelectOrCancel);
    connect(m_table, &CNodeTableView::sigCheckAll, this, [this] { selectOrCancelAll(1); });
    connect(m_table, &CNodeTableView::sigDoubleClickItem, this, &CMainShowWidget::sigSelectRows);
    // Fires again while the page is torn down, so it must not go through `this`.
    connect(m_table, &CNodeTableView::sigShowScrollBar, m_header,
            [header = m_header](bool shown) { header->setScrollBarAllowance(shown ? 8 : 0); });
    connect(AppEvent::instance(), &AppEvent::changeLanguge, this, &CMainShowWidget::updateCombox);
    connect(this, &CMainShowWidget::allSelect, m_header, &CNodeHeaderView::allSelectState);

    rebuildFilterLists(CAppConfig::instance()->language());
    retranslate();
}

CMainShowWidget::~CMainShowWidget()
{
    CObserverList::instance().remove(m_observer);
}

void CMainShowWidget::retranslate()
{
    m_search->setPlaceholderText(tr("搜索节点名称、信号源、IP或MAC (Ctrl+F)"));
    m_noMatch->setText(tr("没有匹配的节点"));
    updateCheckCount();
    updateRefreshText();
    markGoneRows();
}

void CMainShowWidget::setRefreshState(int intervalSeconds, bool running, const QDateTime &last)
{
    m_refreshSeconds = intervalSeconds;
    m_refreshRunning = running;
    m_lastRefresh = last;
    updateRefreshText();
}

void CMainShowWidget::updateRefreshText()
{
    if (m_refreshSeconds <= 0 && !m_refreshRunning) {
        m_refreshState->hide();
        return;
    }
    const QString last = m_lastRefresh.isValid()
                             ? m_lastRefresh.toLocalTime().toString(QStringLiteral("HH:mm:ss"))
                             : QStringLiteral("--:--:--");
    m_refreshState->setText(m_refreshRunning ? tr("● 正在刷新… · 上次刷新 %1").arg(last)
                                             : tr("自动刷新：每%1秒 · 上次刷新 %2").arg(m_refreshSeconds).arg(last));
    m_refreshState->show();
}

void CMainShowWidget::markGoneRows()
{
    if (!m_model->anyGone())
        return; // rows are made afresh on every refill: none carries an old tip
    QStandardItemModel *items = m_model->itemModel();
    const QString why = tr("该节点在上次刷新时没有应答，下次刷新仍无应答将移出列表；不能勾选");
    for (int row = 0; row < items->rowCount(); ++row) {
        QStandardItem *item = items->item(row);
        const int64_t id = item->data(CNodeListModel::NodeRole).value<sDeviceInfo>().id;
        item->setData(m_model->isGone(id) ? why : QVariant(), Qt::ToolTipRole);
    }
}

bool CMainShowWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table->viewport() && event->type() == QEvent::Resize)
        m_noMatch->setGeometry(m_table->viewport()->rect());
    if (watched == m_search && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !m_search->text().isEmpty()) {
        m_search->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CMainShowWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void CMainShowWidget::rebuildFilterLists(const QString &lang)
{
    m_header->setFilterItems(lang, m_model->versions());
    m_header->setCurrentFilters(m_filter);
    // A version no longer listed shows as "all" in its box; filter the same way, or the
    // table would stay empty under a box that promises every node.
    m_filter.version = m_header->currentVersion();
}

void CMainShowWidget::refill()
{
    // The model drops the marks of rows it no longer lists: what shows checked is what is sent.
    m_model->fillItemModel(m_filter);
    m_table->setModel(m_model->itemModel());
    // The keyboard's current row stays on the highlighted node.
    QStandardItemModel *items = m_model->itemModel();
    const int current = m_model->rowOf(m_table->nodeDelegate()->highlightedId());
    if (current >= 0)
        m_table->setCurrentIndex(items->index(current, 0));
    markGoneRows();
    const bool anyNode = !m_model->decoders().isEmpty() || !m_model->encoders().isEmpty();
    m_noMatch->setGeometry(m_table->viewport()->rect());
    m_noMatch->setVisible(anyNode && items->rowCount() == 0);
    updateCheckCount();
}

void CMainShowWidget::updateCheckCount()
{
    const QStandardItemModel *items = m_model->itemModel();
    int checkable = items->rowCount();
    for (int row = 0; m_model->anyGone() && row < items->rowCount(); ++row) {
        if (m_model->isGone(items->item(row)->data(CNodeListModel::NodeRole).value<sDeviceInfo>().id))
            --checkable;
    }
    // Every mark the model keeps is on a listed row.
    const int checked = m_model->selectedCount();
    const bool every = checked > 0 && checked == checkable;
    m_header->setSelectedCount(every ? checked : 0);
    m_count->setText(tr("已选 %1 / %2").arg(checked).arg(items->rowCount()));
    emit allSelect(every);
    m_table->viewport()->update();
}

void CMainShowWidget::updateDeviceInfo()
{
    // After a command: its rescan starts with nothing checked.
    m_model->refreshSnapshot();
    m_model->selectAll(false);
    publishNames();
    rebuildFilterLists(CAppConfig::instance()->language());
    refill();
}

void CMainShowWidget::publishNames()
{
    // The history records each node with its name as listed here.
    QHash<int64_t, QString> names;
    for (const sDecoderInfo &d : m_model->decoders())
        names.insert(d.id, QString::fromUtf8(d.name));
    for (const sEncoderInfo &e : m_model->encoders())
        names.insert(e.id, QString::fromUtf8(e.name));
    CCommandHistory::instance()->setNodeNames(names);
}

void CMainShowWidget::updateCombox(const QString &toLang)
{
    // Only the names change with the language: the nodes, the filters and the marks stay.
    rebuildFilterLists(toLang);
    refill();
}

void CMainShowWidget::refreshKeepingState()
{
    QScrollBar *bar = m_table->verticalScrollBar();
    const int scroll = bar->value();
    m_model->refreshSnapshot(true);
    publishNames();
    rebuildFilterLists(CAppConfig::instance()->language());
    refill();
    m_table->doItemsLayout();
    bar->setValue(scroll);
}

void CMainShowWidget::sortBy(ENodeColumn column)
{
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == m_model->sortColumn() && m_model->sortOrder() == Qt::AscendingOrder)
        order = Qt::DescendingOrder;
    m_model->setSort(column, order);
    m_header->setSortIndicator(column, order);
    refill();
    // A new order starts at its first row, not at the old pixel offset.
    m_table->scrollToTop();
}

QVector<sListedNode> CMainShowWidget::exportRows(bool visibleOnly) const
{
    QVector<sListedNode> out = m_model->listedNodes(visibleOnly ? m_filter : sNodeFilter());
    out.erase(std::remove_if(out.begin(), out.end(), [](const sListedNode &n) { return n.gone; }), out.end());
    return out;
}

void CMainShowWidget::clearSelection()
{
    m_model->selectAll(false);
}

void CMainShowWidget::allTypeStateChanged(ENodeType nodeType)
{
    clearSelection();
    m_filter.type = nodeType;
    m_filter.version = QString();
    m_filter.mode = NodeNames::AllModes;
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Type);
    refill();
}

void CMainShowWidget::allModelStateChanged()
{
    clearSelection();
    m_filter.type = AllNodeTypes;
    m_filter.version = QString();
    m_filter.mode = m_header->currentMode();
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Mode);
    refill();
}

void CMainShowWidget::allVersionStateChanged()
{
    clearSelection();
    m_filter.type = AllNodeTypes;
    m_filter.version = m_header->currentVersion();
    m_filter.mode = NodeNames::AllModes;
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Version);
    refill();
}

void CMainShowWidget::selectOrCancelAll(int state)
{
    // Checking takes the listed rows that still answer.
    m_model->selectAll(state != 0);
    updateCheckCount();
}

void CMainShowWidget::singleSelectOrCancel(int64_t nodeID)
{
    // A node that stopped answering cannot be chosen for a command (the model refuses it).
    m_model->setSelected(nodeID, !m_model->isSelected(nodeID));
    updateCheckCount();
}

QList<sDeviceInfo> CMainShowWidget::rows() const
{
    QList<sDeviceInfo> out;
    const QStandardItemModel *items = m_model->itemModel();
    for (int row = 0; row < items->rowCount(); ++row) {
        sDeviceInfo info = items->item(row)->data(CNodeListModel::NodeRole).value<sDeviceInfo>();
        info.selected = m_model->isSelected(info.id);
        out.append(info);
    }
    return out;
}

QList<QPair<int64_t, ENodeType>> CMainShowWidget::selectedNodes() const
{
    QList<QPair<int64_t, ENodeType>> out;
    const QList<sDeviceInfo> all = rows();
    for (const sDeviceInfo &info : all) {
        if (info.selected)
            out.append({info.id, static_cast<ENodeType>(info.nodeType)});
    }
    return out;
}

SelectedNodeList CMainShowWidget::selectedNodeList() const
{
    SelectedNodeList out;
    const QList<sDeviceInfo> all = rows();
    for (const sDeviceInfo &info : all) {
        // A row whose address breaks the node address rule is shown, never a destination.
        if (!info.selected || (info.addrMarks & AddrInvalid))
            continue;
        sSelectedNode node;
        node.id = info.id;
        node.ip = info.ip;
        node.managerIP = info.managerIP;
        node.nodeType = info.nodeType;
        out.append(node);
    }
    return out;
}

sSelectedAddresses CMainShowWidget::selectedAddresses() const
{
    sSelectedAddresses out;
    bool first = true;
    const QList<sDeviceInfo> all = rows();
    for (const sDeviceInfo &info : all) {
        if (info.ip.isEmpty())
            continue;
        if (!info.selected) {
            out.others.append(QString::fromUtf8(info.ip));
            continue;
        }
        if (info.addrMarks & AddrInvalid)
            continue;
        out.selected.append(QString::fromUtf8(info.ip));
        if (first) {
            out.mask = QString::fromUtf8(info.mask);
            out.gateway = QString::fromUtf8(info.getway);
            first = false;
        }
    }
    return out;
}
