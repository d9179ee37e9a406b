#include "dialog/listitemdelegate.h"

#include "dialog/cdevicerestartdlg.h"
#include "model/plaintext.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace {
constexpr int kTextBands[3][2] = {{15, 184}, {185, 354}, {355, 524}};
const QColor kHighlight(71, 77, 89);
} // namespace

ListItemDelegate::ListItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , m_closeIcon(new QSvgRenderer(QStringLiteral(":/res/res/image/common/closedlg.svg"), this))
{
}

QRect ListItemDelegate::iconRect(const QRect &row)
{
    const int left = row.x() + row.width() - 32;
    return QRect(left, row.y() + (row.height() - 16) / 2, 16, 16);
}

QRect ListItemDelegate::hitRect(const QRect &row)
{
    // 15 px square from 32 to 17 px before the row's right edge.
    const int left = row.x() + row.width() - 32;
    return QRect(left, row.y() + (row.height() - 15) / 2, 15, 15);
}

void ListItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    painter->save();
    const QRect r = option.rect;
    const bool active = option.state & (QStyle::State_MouseOver | QStyle::State_Selected);
    painter->fillRect(r, active ? QBrush(kHighlight) : option.palette.base());

    if (active) {
        if (m_closeIcon->isValid())
            m_closeIcon->render(painter, iconRect(r));
    }

    painter->setPen(Qt::white);
    painter->setFont(option.font);
    const int roles[3] = {NameRole, CurrentTypeRole, TargetTypeRole};
    for (int i = 0; i < 3; ++i) {
        const QRect band(r.x() + kTextBands[i][0], r.y(), kTextBands[i][1] - kTextBands[i][0] + 1,
                         r.height());
        const QString text = painter->fontMetrics().elidedText(PlainText::singleLine(index.data(roles[i]).toString()),
                                                               Qt::ElideRight, band.width());
        painter->drawText(band, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    painter->restore();
}

bool ListItemDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                   const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (hitRect(option.rect).contains(mouse->pos())) {
            QWidget *owner = option.widget ? option.widget->window() : nullptr;
            const QPersistentModelIndex keep(index);
            if (CDeviceRestartDlg::ask(tr("待切换列表"), tr("是否将此节点移出待切换列表？"), owner)
                && keep.isValid())
                emit deleteClicked(keep);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
