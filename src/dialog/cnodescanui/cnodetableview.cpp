#include "dialog/cnodescanui/cnodetableview.h"

#include <QEvent>
#include <QKeyEvent>
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
    // Every row is 44 pixels: one size hint lays out a thousand rows.
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
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

void CNodeTableView::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex().isValid() || !model() ? currentIndex() : model()->index(0, 0);
    if (event->matches(QKeySequence::SelectAll)) {
        emit sigCheckAll();
        event->accept();
        return;
    }
    if (current.isValid() && event->modifiers() == Qt::NoModifier
        && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        const sDeviceInfo info = current.data(CNodeListModel::NodeRole).value<sDeviceInfo>();
        setCurrentIndex(current);
        if (event->key() == Qt::Key_Space)
            emit sigItemCheck(info.id);
        else
            emit sigDoubleClickItem(static_cast<ENodeType>(info.nodeType), info.id);
        viewport()->update();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void CNodeTableView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QListView::currentChanged(current, previous);
    if (current.isValid()) {
        m_delegate->setHighlightedId(current.data(CNodeListModel::NodeRole).value<sDeviceInfo>().id);
        viewport()->update();
    }
}
