#pragma once

#include <QVector>

#include "history/ccommandhistory.h"
#include "ui/ccustomdialog.h"

class QLineEdit;
class QTableWidget;

// The commands sent, newest first, one row per node with its name; the filter keeps the
// rows of the nodes whose name, address or id contains its text.
class CHistoryDialog final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CHistoryDialog)

public:
    enum Column { TimeColumn, CommandColumn, NameColumn, IpColumn, IdColumn, ResultColumn, ColumnCount };

    explicit CHistoryDialog(const QVector<sHistoryEntry> &entries, QWidget *parent = nullptr);

    QLineEdit *nodeFilter() const { return m_filter; }
    QTableWidget *table() const { return m_table; }

public slots:
    void onOkClicked() override { accept(); }
    void onCancelClicked() override { reject(); }

private:
    void fill();

    QVector<sHistoryEntry> m_entries;
    QLineEdit *m_filter = nullptr;
    QTableWidget *m_table = nullptr;
};
