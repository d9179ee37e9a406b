#include "dialog/cmainshowwidget.h"

#include <QComboBox>
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

    m_modeFilter = allModesText();
    m_versionFilter = allVersionsText();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_table);

    m_table->nodeDelegate()->setNodeModel(m_model);
    m_table->setModel(m_model->itemModel());

    CObserverList::instance().add(m_observer);

    connect(m_header, &CNodeHeaderView::sigTypeIndexChanged, this, &CMainShowWidget::allTypeStateChanged);
    connect(m_header, &CNodeHeaderView::sigModelIndexChanged, this, &CMainShowWidget::allModelStateChanged);
    connect(m_header, &CNodeHeaderView::sigVersionIndexChanged, this, &CMainShowWidget::allVersionStateChanged);
    connect(m_header, &CNodeHeaderView::sigStateChanged, this, &CMainShowWidget::selectOrCancelAll);
    connect(m_table, &CNodeTableView::sigItemCheck, this, &CMainShowWidget::singleSelectOrCancel);
    connect(m_table, &CNodeTableView::sigDoubleClickItem, this, &CMainShowWidget::sigSelectRows);
    // Fires again while the page is torn down, so it must not go through `this`.
    connect(m_table, &CNodeTableView::sigShowScrollBar, m_header,
            [header = m_header](bool shown) { header->setScrollBarAllowance(shown ? 8 : 0); });
    connect(AppEvent::instance(), &AppEvent::changeLanguge, this, &CMainShowWidget::updateCombox);
    connect(this, &CMainShowWidget::allSelect, m_header, &CNodeHeaderView::allSelectState);

    rebuildFilterLists(CAppConfig::instance()->language());
}

CMainShowWidget::~CMainShowWidget()
{
    CObserverList::instance().remove(m_observer);
}

QString CMainShowWidget::allVersionsText() const { return tr("所有版本"); }
QString CMainShowWidget::allModesText() const { return tr("所有模式"); }

void CMainShowWidget::rebuildFilterLists(const QString &lang)
{
    m_header->setTypeItems(CNodeListModel::typeList(lang));
    m_header->setModeItems(CNodeListModel::modeList(lang));
    m_header->setVersionItems(m_model->versionList(lang));
}

void CMainShowWidget::refill()
{
    m_model->fillItemModel(m_typeFilter, m_modeFilter, m_versionFilter);
    m_table->setModel(m_model->itemModel());
}

void CMainShowWidget::updateDeviceInfo()
{
    m_model->refreshSnapshot();
    emit allSelect(false);
    m_header->setSelectedCount(0);
    rebuildFilterLists(CAppConfig::instance()->language());
    m_header->setCurrentFilters(m_typeFilter, m_modeFilter, m_versionFilter);
    // A version no longer listed after the scan shows as "all" in its box; filter the same way,
    // or the table would stay empty under a box that promises every node.
    m_versionFilter = m_header->currentVersionText();
    refill();
}

void CMainShowWidget::updateCombox(const QString &toLang)
{
    m_model->refreshSnapshot();
    emit allSelect(false);
    m_header->setSelectedCount(0);
    // The filter texts follow the language; a version filter keeps its text.
    const int modeIndex = m_header->modeBox()->currentIndex();
    const int versionIndex = m_header->versionBox()->currentIndex();
    rebuildFilterLists(toLang);
    m_modeFilter = m_header->modeBox()->itemText(qMax(0, modeIndex));
    if (versionIndex <= 0)
        m_versionFilter = m_header->versionBox()->itemText(0);
    m_header->setCurrentFilters(m_typeFilter, m_modeFilter, m_versionFilter);
    m_versionFilter = m_header->currentVersionText();
    refill();
}

void CMainShowWidget::clearSelection()
{
    emit allSelect(false);
    const QStandardItemModel *items = m_model->itemModel();
    for (int row = 0; row < items->rowCount(); ++row) {
        const sDeviceInfo info = items->item(row)->data(CNodeListModel::NodeRole).value<sDeviceInfo>();
        if (info.selected)
            m_model->setSelected(info.id, false);
    }
}

void CMainShowWidget::allTypeStateChanged(ENodeType nodeType)
{
    clearSelection();
    m_typeFilter = nodeType;
    m_versionFilter = allVersionsText();
    m_modeFilter = allModesText();
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Type);
    refill();
}

void CMainShowWidget::allModelStateChanged()
{
    clearSelection();
    m_typeFilter = 0;
    m_versionFilter = allVersionsText();
    m_modeFilter = m_header->currentModeText();
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Mode);
    refill();
}

void CMainShowWidget::allVersionStateChanged()
{
    clearSelection();
    m_typeFilter = 0;
    m_versionFilter = m_header->currentVersionText();
    m_modeFilter = allModesText();
    m_header->resetOtherBoxes(CNodeHeaderView::Box::Version);
    refill();
}

void CMainShowWidget::selectOrCancelAll(int state)
{
    const bool flag = state != 0;
    m_model->selectAll(flag);
    QStandardItemModel *items = m_model->itemModel();
    for (int row = 0; row < items->rowCount(); ++row) {
        QStandardItem *item = items->item(row);
        sDeviceInfo info = item->data(CNodeListModel::NodeRole).value<sDeviceInfo>();
        info.selected = flag;
        item->setData(QVariant::fromValue(info), CNodeListModel::NodeRole);
    }
    m_header->setSelectedCount(flag ? items->rowCount() : 0);
    m_table->viewport()->update();
}

void CMainShowWidget::singleSelectOrCancel(int64_t nodeID)
{
    QStandardItemModel *items = m_model->itemModel();
    int checked = 0;
    for (int row = 0; row < items->rowCount(); ++row) {
        QStandardItem *item = items->item(row);
        sDeviceInfo info = item->data(CNodeListModel::NodeRole).value<sDeviceInfo>();
        if (info.id == nodeID) {
            info.selected = !info.selected;
            item->setData(QVariant::fromValue(info), CNodeListModel::NodeRole);
            m_model->setSelected(nodeID, info.selected);
        }
        if (info.selected)
            ++checked;
    }
    const bool all = checked > 0 && checked == items->rowCount();
    m_header->setSelectedCount(all ? checked : 0);
    emit allSelect(all);
    m_table->viewport()->update();
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
        if (!info.selected)
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
        out.selected.append(QString::fromUtf8(info.ip));
        if (first) {
            out.mask = QString::fromUtf8(info.mask);
            out.gateway = QString::fromUtf8(info.getway);
            first = false;
        }
    }
    return out;
}
