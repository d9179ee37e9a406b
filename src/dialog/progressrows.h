#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "history/ccommandhistory.h"
#include "operations/coperation.h"
#include "ui/cprogreslistitem.h"

class QListWidget;
class QWidget;

// The row list shared by the data export and import dialogs; outcome() serves every
// dialog with progress rows.
namespace ProgressRows {

// Row result codes of the two flows.
enum : int {
    Pending = -1, // no result yet: the row keeps its running text past its animation
    Succeeded = 0,
    TypeMismatch = 1,
    ExportFailed = 2,
    ImportFailed = 2,
    DeviceOffline = 3,
};

QListWidget *makeList(QWidget *parent);
CProgressListItem *addRow(QListWidget *list, const QString &ip, ProgressKind kind);
CProgressListItem *row(QListWidget *list, int index);
// Restarts the row's animation with the code it shows when nothing else arrives.
void start(CProgressListItem *item, int pendingCode);
// Stores res in every row named ip; a row whose animation has ended shows it at once.
void setResult(QListWidget *list, const QString &ip, int res);
// The row's node as the row shows it when its dialog closes. A result already in ends the
// animation first; a row that has none was stopped by the operator.
sHistoryNode outcome(CProgressListItem *row, int64_t id);
// A transfer to ip refused for a changed SSH host key (a factory reset is the usual reason):
// asks the operator whether to keep the new key, so that a retry of the row goes through.
void offerNewHostKey(QWidget *parent, const QString &ip);

} // namespace ProgressRows

// Builds a list's rows a few at a time from the event loop, so that hundreds of rows
// never freeze it, and keeps each IP's latest result for rows not built yet.
class CRowBuilder final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CRowBuilder)

public:
    static constexpr int kBudgetMs = 4; // building time per event-loop turn
    static constexpr int kFirstRows = 4;  // built at once by add()

    using Setup = std::function<void(CProgressListItem *)>;
    // setup runs once per new row (its connections). The builder then starts the row,
    // or shows at once the result its IP already has.
    CRowBuilder(QListWidget *list, ProgressKind kind, Setup setup, QObject *parent = nullptr);

    void add(const QStringList &ips);
    // Stores res for ip and sets it on the rows already built, as ProgressRows::setResult.
    void setResult(const QString &ip, int res);
    // Builds whatever is still queued, at once.
    void buildAll();
    bool isDone() const { return m_next >= m_ips.size(); }

private:
    void buildOne();
    void buildSome();

    QListWidget *m_list = nullptr;
    ProgressKind m_kind = ProgressKind::Export;
    Setup m_setup;
    QStringList m_ips;
    int m_next = 0;
    QHash<QString, int> m_results;
    QMultiHash<QString, CProgressListItem *> m_built; // rows by IP: a result is O(1)
    QTimer m_timer;
};

// Shows an operation in a row list: one row per node, started with the node, showing its
// code when the node ends (at the end of the row's animation when that still runs); a
// cancelled node's row keeps its running text. A row's retry runs its node again.
class COperationRows final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(COperationRows)

public:
    COperationRows(QListWidget *list, COperation *operation, QObject *parent = nullptr);
    CProgressListItem *row(int index) const { return m_rows.value(index); }

private:
    QVector<CProgressListItem *> m_rows;
};
