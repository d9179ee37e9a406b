#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include "operations/csiteinventory.h"
#include "ui/ccustomdialog.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// A new scan against a saved inventory: nodes missing, new and changed, one group each;
// a changed node has a row per field (old and new value). The list can be saved as CSV.
class CInventoryDiffDlg final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CInventoryDiffDlg)

public:
    enum Column { NameColumn, IpColumn, IdColumn, TypeColumn, FieldColumn, OldColumn, NewColumn, ColumnCount };
    enum Group { MissingGroup, NewGroup, ChangedGroup, GroupCount };

    explicit CInventoryDiffDlg(const sInventoryDiff &diff, QWidget *parent = nullptr);

    QTreeWidget *tree() const { return m_tree; }
    QPushButton *csvButton() const { return m_csvButton; }
    QLabel *summary() const { return m_summary; }
    // What the list shows, a group column first, as the CSV file holds it (UTF-8 with BOM).
    QByteArray csv() const;

public slots:
    void onOkClicked() override { accept(); }
    void onCancelClicked() override { reject(); }
    void onSaveCsv();

private:
    struct sRow
    {
        Group group = MissingGroup;
        QStringList cells; // ColumnCount cells
    };

    void addNodeRow(Group group, const sInventoryNode &node, EInventoryField field = EInventoryField::Type,
                    const sInventoryNode *before = nullptr);
    static QString groupName(Group group);
    static QString fieldName(EInventoryField field);
    static QString valueText(const sInventoryNode &node, EInventoryField field);

    QVector<sRow> m_rows;
    QLabel *m_summary = nullptr;
    QTreeWidget *m_tree = nullptr;
    QPushButton *m_csvButton = nullptr;
};
