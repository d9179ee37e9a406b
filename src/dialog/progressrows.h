#pragma once

#include <QString>

#include "ui/cprogreslistitem.h"

class QListWidget;
class QWidget;

// The row list shared by the data export and import dialogs.
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

} // namespace ProgressRows
