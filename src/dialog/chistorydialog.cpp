#include "dialog/chistorydialog.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CHistoryDialog::CHistoryDialog(const QVector<sHistoryEntry> &entries, QWidget *parent)
    : CCustomDialog(parent)
    , m_entries(entries)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setTitle(tr("历史记录"));
    setOkText(tr("确定"));
    hideCancelButton();
    setFixedSize(880, 520);

    m_filter = new QLineEdit(contentWidget());
    m_filter->setObjectName(QStringLiteral("historyFilter"));
    m_filter->setPlaceholderText(tr("按节点名称、IP或ID筛选"));
    m_filter->setClearButtonEnabled(true);

    m_table = new QTableWidget(contentWidget());
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setColumnCount(ColumnCount);
    m_table->setHorizontalHeaderLabels(
        {tr("时间"), tr("命令"), tr("节点名称"), tr("节点IP"), tr("节点ID"), tr("结果")});
    // Tab leaves the table for the next control instead of walking its cells.
    m_table->setTabKeyNavigation(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(TimeColumn, 150);
    m_table->setColumnWidth(CommandColumn, 120);
    m_table->setColumnWidth(NameColumn, 120);
    m_table->setColumnWidth(IpColumn, 110);
    m_table->setColumnWidth(IdColumn, 160);

    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_filter);
    layout->addWidget(m_table, 1);

    connect(m_filter, &QLineEdit::textChanged, this, [this] { fill(); });
    setTabOrder(m_filter, m_table);
    setTabOrder(m_table, okButton());
    fill();
}

void CHistoryDialog::fill()
{
    const QString wanted = m_filter->text().trimmed();
    m_table->setRowCount(0);
    for (const sHistoryEntry &entry : qAsConst(m_entries)) {
        const QString when = entry.when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        // A command without nodes (sent to all) still shows, with empty node cells.
        const QVector<sHistoryNode> nodes = entry.nodes.isEmpty() ? QVector<sHistoryNode>{{0, QString(), QString(), true}}
                                                                  : entry.nodes;
        // Stored as keys, shown in the language of the moment; old lines as they were written.
        const QString command = CCommandHistory::shown(entry.command);
        for (const sHistoryNode &node : nodes) {
            const QString id = node.id != 0 ? QString::number(node.id) : QString();
            if (!wanted.isEmpty() && !node.ip.contains(wanted, Qt::CaseInsensitive) && !id.contains(wanted)
                && !node.name.contains(wanted, Qt::CaseInsensitive))
                continue;
            const int row = m_table->rowCount();
            m_table->insertRow(row);
            const QStringList cells{when, command, node.name, node.ip, id, CCommandHistory::shown(node.outcome)};
            for (int column = 0; column < cells.size(); ++column)
                m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
            // Failures stand out in the result column.
            if (!node.ok)
                m_table->item(row, ResultColumn)->setForeground(QColor(0xff, 0x33, 0x33));
        }
    }
}
