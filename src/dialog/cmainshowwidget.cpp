#include "dialog/cmainshowwidget.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QShortcut>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "appevent.h"
#include "cappconfig.h"
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
    auto *searchLayout = new QHBoxLayout(searchBar);
    searchLayout->setContentsMargins(CNodeHeaderView::LeftMargin, 8, CNodeHeaderView::RightMargin, 4);
    searchLayout->addWidget(m_search);
    searchLayout->addStretch();
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, m_search, [search = m_search] {
        search->setFocus(Qt::ShortcutFocusReason);
        search->selectAll();
    });
    m_search->installEventFilter(this); // Escape clears it
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_filter.search = text.trimmed();
        refill(true);
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(searchBar);
    layout->addWidget(m_header);
    layout->addWidget(m_table);

    m_table->nodeDelegate()->setNodeModel(m_model);
    m_table->setModel(m_model->itemModel());

    CObserverList::instance().add(m_observer);

    connect(m_header, &CNodeHeaderView::sigTypeIndexChanged, this, &CMainShowWidget::allTypeStateChanged);
    connect(m_header, &CNodeHeaderView::sigModelIndexChanged, this, &CMainShowWidget::allModelStateChanged);
    connect(m_header, &CNodeHeaderView::sigVersionIndexChanged, this, &CMainShowWidget::allVersionStateChanged);
    connect(m_header, &CNodeHeaderView::sigStateChanged, this, &CMainShowWidget::selectOrCancelAll);
    connect(m_header, &CNodeHeaderView::sigSortClicked, this, &CMainShowWidget::sortBy);
    connect(m_table, &CNodeTableView::sigItemCheck, this, &CMainShowWidget::singleSelectOrCancel);
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
    m_search->setPlaceholderText(tr("搜索节点名称、IP或MAC (Ctrl+F)"));
}

bool CMainShowWidget::eventFilter(QObject *watched, QEvent *event)
{
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

void CMainShowWidget::refill(bool keepChecks)
{
    m_model->fillItemModel(m_filter, keepChecks);
    m_table->setModel(m_model->itemModel());
    updateCheckCount();
}

void CMainShowWidget::updateCheckCount()
{
    int checked = 0;
    int checkable = 0;
    const QList<sDeviceInfo> all = rows();
    for (const sDeviceInfo &info : all) {
        if (m_model->isGone(info.id))
            continue;
        ++checkable;
        if (info.selected)
            ++checked;
    }
    const bool every = checked > 0 && checked == checkable;
    m_header->setSelectedCount(every ? checked : 0);
    emit allSelect(every);
    m_table->viewport()->update();
}

void CMainShowWidget::updateDeviceInfo()
{
    m_model->refreshSnapshot();
    emit allSelect(false);
    m_header->setSelectedCount(0);
    rebuildFilterLists(CAppConfig::instance()->language());
    refill(false);
}

void CMainShowWidget::updateCombox(const QString &toLang)
{
    m_model->refreshSnapshot();
    emit allSelect(false);
    m_header->setSelectedCount(0);
    // The filters hold values: the names change with the language, the selection does not.
    rebuildFilterLists(toLang);
    refill(false);
}

void CMainShowWidget::refreshKeepingState()
{
    QScrollBar *bar = m_table->verticalScrollBar();
    const int scroll = bar->value();
    m_model->refreshSnapshot(true);
    rebuildFilterLists(CAppConfig::instance()->language());
    refill(true);
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
    refill(true);
}

QVector<sListedNode> CMainShowWidget::exportRows(bool visibleOnly) const
{
    QVector<sListedNode> out = m_model->listedNodes(visibleOnly ? m_filter : sNodeFilter());
    out.erase(std::remove_if(out.begin(), out.end(), [](const sListedNode &n) { return n.gone; }), out.end());
    return out;
}

void CMainShowWidget::clearSelection()
{
    emit allSelect(false);
    // Rows hidden by the search may be checked too.
    m_model->selectAll(false);
}

void CMainShowWidget::allTypeStateChanged(ENodeType nodeType)
{
    clearSelection();
    m_filter.type = nodeType;
    m_filter.version = QString();
    m_filter.mode = NodeNames::AllModes;
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Type);
    refill(false);
}

void CMainShowWidget::allModelStateChanged()
{
    clearSelection();
    m_filter.type = AllNodeTypes;
    m_filter.version = QString();
    m_filter.mode = m_header->currentMode();
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Mode);
    refill(false);
}

void CMainShowWidget::allVersionStateChanged()
{
    clearSelection();
    m_filter.type = AllNodeTypes;
    m_filter.version = m_header->currentVersion();
    m_filter.mode = NodeNames::AllModes;
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Version);
    refill(false);
}

void CMainShowWidget::selectOrCancelAll(int state)
{
    const bool flag = state != 0;
    // Checking takes the listed rows only; clearing clears hidden ones too.
    if (!flag)
        m_model->selectAll(false);
    QStandardItemModel *items = m_model->itemModel();
    int checked = 0;
    for (int row = 0; row < items->rowCount(); ++row) {
        QStandardItem *item = items->item(row);
        sDeviceInfo info = item->data(CNodeListModel::NodeRole).value<sDeviceInfo>();
        info.selected = flag && !m_model->isGone(info.id);
        checked += info.selected ? 1 : 0;
        item->setData(QVariant::fromValue(info), CNodeListModel::NodeRole);
        m_model->setSelected(info.id, info.selected);
    }
    m_header->setSelectedCount(checked);
    m_table->viewport()->update();
}

void CMainShowWidget::singleSelectOrCancel(int64_t nodeID)
{
    // A node that stopped answering cannot be chosen for a command.
    if (m_model->isGone(nodeID))
        return;
    QStandardItemModel *items = m_model->itemModel();
    for (int row = 0; row < items->rowCount(); ++row) {
        QStandardItem *item = items->item(row);
        sDeviceInfo info = item->data(CNodeListModel::NodeRole).value<sDeviceInfo>();
        if (info.id == nodeID) {
            info.selected = !info.selected;
            item->setData(QVariant::fromValue(info), CNodeListModel::NodeRole);
            m_model->setSelected(nodeID, info.selected);
        }
    }
    updateCheckCount();
}

QList<sDeviceInfo> CMainShowWidget::rows() const
{
    QList<sDeviceInfo> out;
    const QStandardItemModel *items = m_model->itemModel();
    for (int row = 0; row < items->rowCount(); ++row)
        out.append(items->item(row)->data(CNodeListModel::NodeRole).value<sDeviceInfo>());
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
