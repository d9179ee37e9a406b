#pragma once

#include <QListView>

#include "model/sdeviceinfo.h"

class CNodeTableDelegate;

// The node rows: one painted row per node, check mark hit area, double-click to open;
// the keyboard's current row is the highlighted one.
class CNodeTableView final : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNodeTableView)

public:
    explicit CNodeTableView(QWidget *parent = nullptr);

    CNodeTableDelegate *nodeDelegate() const { return m_delegate; }

signals:
    void sigItemCheck(int64_t groupID);
    void sigDoubleClickItem(ENodeType nodeType, int64_t groupID);
    void sigShowScrollBar(bool idTrue);
    // Ctrl+A: check every listed row.
    void sigCheckAll();

public slots:
    void slotClicked(const QModelIndex &index, bool doubleClick);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Space checks the current row, Enter opens its settings, Ctrl+A checks every row.
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void handleClick(const QModelIndex &index, const QPoint &pos, bool doubleClick);

    CNodeTableDelegate *m_delegate = nullptr;
};
