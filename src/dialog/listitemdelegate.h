#pragma once

#include <QRect>
#include <QStyledItemDelegate>

class QSvgRenderer;

// Paints the rows of the to-switch list (name, current type, target type) and
// offers a remove button on the hovered or selected row.
class ListItemDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListItemDelegate)

public:
    static constexpr int NameRole = Qt::UserRole;
    static constexpr int CurrentTypeRole = Qt::UserRole + 1;
    static constexpr int TargetTypeRole = Qt::UserRole + 2;

    explicit ListItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // The close icon and the square that reacts to a click, for a row's rectangle.
    static QRect iconRect(const QRect &row);
    static QRect hitRect(const QRect &row);

signals:
    void deleteClicked(QModelIndex index);

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

private:
    QSvgRenderer *m_closeIcon = nullptr;
};
