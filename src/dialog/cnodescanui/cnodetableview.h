#pragma once

#include <QListView>

#include "model/sdeviceinfo.h"

class CNodeTableDelegate;

// The node rows: one painted row per node, check mark hit area, double-click to open.
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

public slots:
    void slotClicked(const QModelIndex &index, bool doubleClick);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void handleClick(const QModelIndex &index, const QPoint &pos, bool doubleClick);

    CNodeTableDelegate *m_delegate = nullptr;
};
