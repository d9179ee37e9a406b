#include "dialog/cinventorydiffdlg.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialog/filechooser.h"
#include "model/nodecsv.h"
#include "model/nodenames.h"
#include "model/plaintext.h"
#include "ui/cmessagedialog.h"

CInventoryDiffDlg::CInventoryDiffDlg(const sInventoryDiff &diff, QWidget *parent)
    : CCustomDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setTitle(tr("对比清单"));
    setOkText(tr("确定"));
    hideCancelButton();
    setFixedSize(960, 560);

    for (const sInventoryNode &node : diff.missing)
        addNodeRow(MissingGroup, node);
    for (const sInventoryNode &node : diff.added)
        addNodeRow(NewGroup, node);
    for (const sInventoryChange &change : diff.changed) {
        for (const EInventoryField field : change.fields)
            addNodeRow(ChangedGroup, change.after, field, &change.before);
    }

    m_summary = new QLabel(contentWidget());
    m_summary->setObjectName(QStringLiteral("inventorySummary"));
    m_summary->setText(diff.isEmpty() ? tr("当前节点与清单一致")
                                      : tr("缺失%1个，新增%2个，变化%3个")
                                            .arg(diff.missing.size())
                                            .arg(diff.added.size())
                                            .arg(diff.changed.size()));
    m_csvButton = new QPushButton(tr("保存为CSV"), contentWidget());
    m_csvButton->setObjectName(QStringLiteral("inventoryCsvButton"));
    m_csvButton->setEnabled(!diff.isEmpty());

    m_tree = new QTreeWidget(contentWidget());
    m_tree->setObjectName(QStringLiteral("inventoryTree"));
    m_tree->setColumnCount(ColumnCount);
    m_tree->setHeaderLabels({tr("节点名称"), tr("IP地址"), tr("ID"), tr("类型"), tr("项目"), tr("原值"), tr("新值")});
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->header()->setStretchLastSection(true);
    const int widths[] = {150, 110, 150, 80, 90, 160};
    for (int column = 0; column < NewColumn; ++column)
        m_tree->setColumnWidth(column, widths[column]);
    const QString headers[] = {tr("缺失的节点 (%1)"), tr("新增的节点 (%1)"), tr("变化的节点 (%1)")};
    // Changes are counted by node, the rows by field.
    const int counts[] = {diff.missing.size(), diff.added.size(), diff.changed.size()};
    QTreeWidgetItem *groups[GroupCount] = {};
    for (int g = 0; g < GroupCount; ++g) {
        groups[g] = new QTreeWidgetItem(m_tree, {headers[g].arg(counts[g])});
        groups[g]->setFirstColumnSpanned(true);
        groups[g]->setFlags(Qt::ItemIsEnabled);
        QFont bold = groups[g]->font(0);
        bold.setBold(true);
        groups[g]->setFont(0, bold);
    }
    for (const sRow &row : qAsConst(m_rows)) {
        QStringList shown;
        // Node strings on one line: a name with a line break cannot make a row of its own.
        for (const QString &cell : row.cells)
            shown << PlainText::singleLine(cell);
        new QTreeWidgetItem(groups[row.group], shown);
    }
    m_tree->expandAll();

    auto *top = new QHBoxLayout;
    top->addWidget(m_summary, 1);
    top->addWidget(m_csvButton);
    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addLayout(top);
    layout->addWidget(m_tree, 1);

    connect(m_csvButton, &QPushButton::clicked, this, &CInventoryDiffDlg::onSaveCsv);
    setTabOrder(m_csvButton, m_tree);
    setTabOrder(m_tree, okButton());
}

void CInventoryDiffDlg::addNodeRow(Group group, const sInventoryNode &node, EInventoryField field,
                                   const sInventoryNode *before)
{
    QStringList cells{node.name, node.ip, QString::number(node.id), valueText(node, EInventoryField::Type)};
    if (before)
        cells << fieldName(field) << valueText(*before, field) << valueText(node, field);
    else
        cells << QString() << QString() << QString();
    m_rows.append({group, cells});
}

QString CInventoryDiffDlg::groupName(Group group)
{
    switch (group) {
    case MissingGroup: return tr("缺失");
    case NewGroup: return tr("新增");
    default: return tr("变化");
    }
}

QString CInventoryDiffDlg::fieldName(EInventoryField field)
{
    switch (field) {
    case EInventoryField::Type: return tr("类型");
    case EInventoryField::Name: return tr("节点名称");
    case EInventoryField::Ip: return tr("IP地址");
    case EInventoryField::Mask: return tr("子网掩码");
    case EInventoryField::Gateway: return tr("网关");
    case EInventoryField::MacAddr: return tr("MAC地址");
    case EInventoryField::Version: return tr("版本");
    case EInventoryField::Mode: return tr("模式");
    case EInventoryField::ManagerIp: return tr("代理地址");
    }
    return QString();
}

QString CInventoryDiffDlg::valueText(const sInventoryNode &node, EInventoryField field)
{
    if (field == EInventoryField::Type)
        return NodeNames::typeName(node.nodeType);
    if (field == EInventoryField::Mode) {
        const QString name = NodeNames::modeName(node.mode);
        return name.isEmpty() && node.mode >= 0 ? QString::number(node.mode) : name;
    }
    return CSiteInventory::fieldValue(node, field);
}

QByteArray CInventoryDiffDlg::csv() const
{
    QByteArray out("\xEF\xBB\xBF");
    out += NodeCsv::line({tr("分组"), tr("节点名称"), tr("IP地址"), tr("ID"), tr("类型"), tr("项目"), tr("原值"), tr("新值")});
    for (const sRow &row : m_rows)
        out += NodeCsv::line(QStringList{groupName(row.group)} + row.cells);
    return out;
}

void CInventoryDiffDlg::onSaveCsv()
{
    const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .filePath(QStringLiteral("inventory-diff.csv"));
    const QString path = FileChooser::chooseSaveFile(this, QStringLiteral("Quorvane"), start, QStringLiteral("CSV (*.csv)"),
                                                     QStringLiteral("csv"), {tr("文件名:"), tr("保存"), tr("取消")});
    if (path.isEmpty())
        return;
    QString error;
    if (NodeCsv::writeFile(path, csv(), &error))
        return;
    CMessageDialog box(tr("保存失败：%1").arg(error), this);
    box.exec();
}
