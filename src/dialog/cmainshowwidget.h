#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "model/cnodelistmodel.h"
#include "model/sdeviceinfo.h"

class CNodeHeaderView;
class CNodeTableView;
class QLabel;
class QLineEdit;
class CDeviceCtrlObserver;

// Addresses the network configuration needs: the checked rows', everybody else's,
// and the first checked row's mask and gateway.
struct sSelectedAddresses
{
    QStringList selected;
    QStringList others;
    QString mask;
    QString gateway;
};

// The node table page: header, rows, the table-side model and the observer that fills
// the stores from scan answers. Only one of the three filters is active at a time; the
// search box narrows whatever they list.
class CMainShowWidget final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMainShowWidget)

public:
    explicit CMainShowWidget(QWidget *parent = nullptr);
    ~CMainShowWidget() override;

    CNodeListModel *nodeListModel() const { return m_model; }
    CNodeHeaderView *headerView() const { return m_header; }
    CNodeTableView *tableView() const { return m_table; }
    CDeviceCtrlObserver *observer() const { return m_observer; }

    QLineEdit *searchBox() const { return m_search; }
    const sNodeFilter &filter() const { return m_filter; }

    // The rows as listed (or every node, in the same order), without nodes marked gone.
    QVector<sListedNode> exportRows(bool visibleOnly) const;

    // Id and node type of every checked row.
    QList<QPair<int64_t, ENodeType>> selectedNodes() const;
    SelectedNodeList selectedNodeList() const;
    sSelectedAddresses selectedAddresses() const;
    // Rows currently listed, with their check marks.
    QList<sDeviceInfo> rows() const;

    // The automatic refresh as the page shows it: its interval (0 off), whether one is
    // running, and when the list was last refreshed.
    void setRefreshState(int intervalSeconds, bool running, const QDateTime &last);
    QLabel *selectionCountLabel() const { return m_count; }
    QLabel *refreshIndicator() const { return m_refreshState; }
    QLabel *noMatchLabel() const { return m_noMatch; }

signals:
    void sigSelectRows(ENodeType type, int64_t nodeID);
    void allSelect(bool state);

public slots:
    void updateDeviceInfo();
    void updateCombox(const QString &toLang);
    void allTypeStateChanged(ENodeType nodeType);
    void allModelStateChanged();
    void allVersionStateChanged();
    void selectOrCancelAll(int state);
    void singleSelectOrCancel(int64_t nodeID);
    // After a rescan of its own: keeps checks, highlight, sort, filters and scroll position;
    // a node that stopped answering stays one refresh, greyed.
    void refreshKeepingState();
    // The first click sorts by the column, the next reverses.
    void sortBy(ENodeColumn column);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retranslate();
    void clearSelection();
    void rebuildFilterLists(const QString &lang);
    void refill();
    void updateCheckCount();
    void updateRefreshText();
    // Greyed rows explain themselves in a tool tip.
    void markGoneRows();
    void publishNames();

    CNodeListModel *m_model = nullptr;
    CNodeHeaderView *m_header = nullptr;
    CNodeTableView *m_table = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    QLineEdit *m_search = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_refreshState = nullptr;
    QLabel *m_noMatch = nullptr;
    sNodeFilter m_filter;
    int m_refreshSeconds = 0;
    bool m_refreshRunning = false;
    QDateTime m_lastRefresh;
};
