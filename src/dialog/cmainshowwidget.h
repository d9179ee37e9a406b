#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "model/sdeviceinfo.h"

class CNodeHeaderView;
class CNodeTableView;
class CNodeListModel;
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
// the stores from scan answers. Only one filter is active at a time.
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

    int typeFilter() const { return m_typeFilter; }
    QString modeFilter() const { return m_modeFilter; }
    QString versionFilter() const { return m_versionFilter; }

    // Id and node type of every checked row.
    QList<QPair<int64_t, ENodeType>> selectedNodes() const;
    SelectedNodeList selectedNodeList() const;
    sSelectedAddresses selectedAddresses() const;
    // Rows currently listed, with their check marks.
    QList<sDeviceInfo> rows() const;

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

private:
    void clearSelection();
    void rebuildFilterLists(const QString &lang);
    void refill();
    QString allVersionsText() const;
    QString allModesText() const;

    CNodeListModel *m_model = nullptr;
    CNodeHeaderView *m_header = nullptr;
    CNodeTableView *m_table = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    int m_typeFilter = 0;
    QString m_modeFilter;
    QString m_versionFilter;
};
