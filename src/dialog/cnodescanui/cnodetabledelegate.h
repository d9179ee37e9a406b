#pragma once

#include <QStyledItemDelegate>

#include "model/sdeviceinfo.h"

class QSvgRenderer;
class CNodeListModel;

// Paints one node row: check mark, number, name, type, signal name, version, mode and
// the IP in its conflict colour.
class CNodeTableDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNodeTableDelegate)

public:
    static constexpr int RowHeight = 44;
    static constexpr int LeftMargin = 24;
    static constexpr int RightMargin = 24;
    static constexpr int FirstColumnWidth = 100;
    static constexpr int ColumnGap = 10;
    static constexpr int CheckSize = 16;

    explicit CNodeTableDelegate(QObject *parent = nullptr);

    // Where columns 4 and 6 look the node's store record up by id.
    void setNodeModel(const CNodeListModel *model) { m_model = model; }
    void setHighlightedId(int64_t id) { m_highlightedId = id; }
    int64_t highlightedId() const { return m_highlightedId; }

    // Texts of the columns that depend on the node's own record.
    QString typeText(const sDeviceInfo &info) const;
    QString signalText(const sDeviceInfo &info) const;
    QString modeText(const sDeviceInfo &info) const;
    static QColor ipColor(int conflictState);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const CNodeListModel *m_model = nullptr;
    QSvgRenderer *m_checked = nullptr;
    QSvgRenderer *m_normal = nullptr;
    int m_highlightRadius = 0;
    int64_t m_highlightedId = 0;
};
