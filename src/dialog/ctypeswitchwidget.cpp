#include "dialog/ctypeswitchwidget.h"
#include "model/nodenames.h"

#include "dialog/listitemdelegate.h"
#include "ui/cmessagedialog.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kRowHeight = 32;
constexpr int kHeaderHeight = 36;
constexpr int kColumnWidth = 170;
// The header and four rows; more rows scroll.
constexpr int kMaxTableHeight = kHeaderHeight + 4 * kRowHeight;
} // namespace

CTypeSwitchWidget::CTypeSwitchWidget(QWidget *parent)
    : CCustomDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setTitle(tr("待切换列表"));
    setOkText(tr("确定"));
    setCancelText(tr("取消"));
    setFixedWidth(570);

    m_table = new QTableWidget(contentWidget());
    m_table->setObjectName(QStringLiteral("typeSwitchTable"));
    m_table->setColumnCount(3);
    m_table->setHorizontalHeaderLabels({tr("节点名称"), tr("当前类型"), tr("切换类型")});
    for (int c = 0; c < 3; ++c)
        m_table->setColumnWidth(c, kColumnWidth);
    QHeaderView *header = m_table->horizontalHeader();
    header->setFixedHeight(kHeaderHeight);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setHighlightSections(false);
    header->setStyleSheet(QStringLiteral(
        "QHeaderView::section{padding-left:15px;background-color:rgba(44, 46, 51, 1);"
        "border-radius:0px;border:none;color:white;}"));
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setShowGrid(false);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setFixedWidth(510);
    m_table->setMouseTracking(true);
    m_table->viewport()->setAttribute(Qt::WA_Hover);

    m_delegate = new ListItemDelegate(m_table);
    m_table->setItemDelegate(m_delegate);
    connect(m_delegate, &ListItemDelegate::deleteClicked, this,
            &CTypeSwitchWidget::handleDeleteClicked);

    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table, 0, Qt::AlignLeft | Qt::AlignTop);
    fitTable();
}

QString CTypeSwitchWidget::typeText(int nodeType)
{
    return NodeNames::typeName(nodeType == EncoderNode ? EncoderNode : DecoderNode);
}

QString CTypeSwitchWidget::targetTypeText(int nodeType)
{
    return NodeNames::typeName(nodeType == EncoderNode ? DecoderNode : EncoderNode);
}

void CTypeSwitchWidget::setNodeList(const QList<sDeviceInfo> &nodes)
{
    m_nodes = nodes;
    m_table->clearContents();
    m_table->setRowCount(m_nodes.size());
    for (int row = 0; row < m_nodes.size(); ++row) {
        const sDeviceInfo &node = m_nodes.at(row);
        auto *item = new QTableWidgetItem;
        item->setData(ListItemDelegate::NameRole, QString::fromUtf8(node.name));
        item->setData(ListItemDelegate::CurrentTypeRole, typeText(node.nodeType));
        item->setData(ListItemDelegate::TargetTypeRole, targetTypeText(node.nodeType));
        item->setToolTip(QString::fromUtf8(node.ip));
        m_table->setItem(row, 0, item);
        m_table->setSpan(row, 0, 1, 3);
    }
    m_table->setFixedWidth(m_nodes.size() < 5 ? 510 : 518);
    fitTable();
}

void CTypeSwitchWidget::fitTable()
{
    // Header plus rows, so that up to four rows show without a scroll bar.
    m_table->setFixedHeight(std::min(kHeaderHeight + m_table->rowCount() * kRowHeight, kMaxTableHeight));
    adjustSize();
}

void CTypeSwitchWidget::handleDeleteClicked(QModelIndex index)
{
    if (m_nodes.size() <= 1) {
        CMessageDialog box(tr("待切换列表不能为空"), this);
        box.exec();
        return;
    }
    const int row = index.row();
    if (row < 0 || row >= m_nodes.size())
        return;
    m_nodes.removeAt(row);
    m_table->removeRow(row);
    fitTable();
}

bool CTypeSwitchWidget::showSummary(int total, const QList<sDeviceInfo> &failed, QWidget *parent)
{
    if (failed.isEmpty())
        return false;
    CMessageDialog box(total, failed, parent);
    return box.exec() == QDialog::Accepted;
}

void CTypeSwitchWidget::run(const QList<sDeviceInfo> &nodes, const Switcher &switcher,
                            const std::function<void(bool)> &done, bool sent)
{
    if (nodes.isEmpty()) {
        done(sent);
        return;
    }
    QList<sDeviceInfo> chosen;
    {
        CTypeSwitchWidget dlg;
        dlg.setNodeList(nodes);
        if (dlg.exec() != QDialog::Accepted) {
            done(sent);
            return;
        }
        chosen = dlg.nodeList();
    }
    switcher(chosen, [switcher, done, total = chosen.size()](const QList<sDeviceInfo> &failed) {
        if (!showSummary(total, failed))
            done(true);
        else
            run(failed, switcher, done, true);
    });
}
