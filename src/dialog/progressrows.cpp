#include "dialog/progressrows.h"

#include <QListWidget>

namespace ProgressRows {

QListWidget *makeList(QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QStringLiteral("importData"));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    return list;
}

CProgressListItem *addRow(QListWidget *list, const QString &ip, ProgressKind kind)
{
    auto *entry = new QListWidgetItem(list);
    entry->setSizeHint(QSize(586, 80));
    auto *item = new CProgressListItem(ip, false, list);
    item->setKind(kind);
    list->setItemWidget(entry, item);
    return item;
}

CProgressListItem *row(QListWidget *list, int index)
{
    QListWidgetItem *entry = list->item(index);
    return entry ? qobject_cast<CProgressListItem *>(list->itemWidget(entry)) : nullptr;
}

void start(CProgressListItem *item, int pendingCode)
{
    item->startRow();
    item->setResultCode(pendingCode);
}

void setResult(QListWidget *list, const QString &ip, int res)
{
    for (int i = 0; i < list->count(); ++i) {
        CProgressListItem *item = row(list, i);
        if (item && item->ip() == ip) {
            item->setResultCode(res);
            if (!item->isAnimating())
                item->showResult();
        }
    }
}

} // namespace ProgressRows
