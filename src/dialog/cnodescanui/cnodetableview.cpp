#include "dialog/cnodescanui/cnodetableview.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "dialog/cnodescanui/cnodetabledelegate.h"
#include "model/cnodelistmodel.h"

CNodeTableView::CNodeTableView(QWidget *parent)
    : QListView(parent)
    , m_delegate(new CNodeTableDelegate(this))
{
    setObjectName(QStringLiteral("nodeTableView"));
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    installEventFilter(this);
    verticalScrollBar()->installEventFilter(this);
}

bool CNodeTableView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == verticalScrollBar() && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        emit sigShowScrollBar(event->type() == QEvent::Show);
        return true;
    }
    return QListView::eventFilter(watched, event);
}

void CNodeTableView::mousePressEvent(QMouseEvent *event)
{
    QListView::mousePressEvent(event);
    handleClick(indexAt(event->pos()), event->pos(), false);
}

void CNodeTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    handleClick(indexAt(event->pos()), event->pos(), true);
}

void CNodeTableView::slotClicked(const QModelIndex &index, bool doubleClick)
{
    handleClick(index, viewport()->mapFromGlobal(QCursor::pos()), doubleClick);
}

void CNodeTableView::handleClick(const QModelIndex &index, const QPoint &pos, bool doubleClick)
{
    if (!index.isValid())
        return;
    const sDeviceInfo info = index.data(CNodeListModel::NodeRole).value<sDeviceInfo>();
    const QRect rect = visualRect(index);
    const int dx = pos.x() - rect.left();
    const int dy = pos.y() - rect.top();
    // A little wider than the 16-pixel mark so it is easy to hit.
    if (dx >= 20 && dx <= 52 && dy >= rect.height() * 0.2 && dy <= rect.height() * 0.8) {
        emit sigItemCheck(info.id);
    } else {
        m_delegate->setHighlightedId(info.id);
        if (doubleClick)
            emit sigDoubleClickItem(static_cast<ENodeType>(info.nodeType), info.id);
    }
    viewport()->update();
}
