#pragma once

#include <QList>
#include <QModelIndex>
#include <functional>

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class QTableWidget;
class ListItemDelegate;

// The list of nodes about to change type (decoder <-> encoder). The operator may
// remove rows; at least one always stays.
class CTypeSwitchWidget final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTypeSwitchWidget)

public:
    // Sends the new types; fills failed with the nodes whose send failed.
    using Switcher = std::function<void(const QList<sDeviceInfo> &nodes, QList<sDeviceInfo> &failed)>;

    explicit CTypeSwitchWidget(QWidget *parent = nullptr);

    void setNodeList(const QList<sDeviceInfo> &nodes);
    QList<sDeviceInfo> nodeList() const { return m_nodes; }
    QTableWidget *table() const { return m_table; }
    ListItemDelegate *delegate() const { return m_delegate; }

    // The switch-result box for a failed attempt; true when the operator asks for another.
    static bool showSummary(int total, const QList<sDeviceInfo> &failed, QWidget *parent = nullptr);
    // The whole command: list, switch, summary, and again with the failed nodes
    // for as long as the operator confirms the summary. True when anything was sent.
    static bool run(QList<sDeviceInfo> nodes, const Switcher &switcher);

    static QString typeText(int nodeType);
    static QString targetTypeText(int nodeType);

public slots:
    void handleDeleteClicked(QModelIndex index);
    void onOkClicked() override {}
    void onCancelClicked() override {}

private:
    void fitTable();

    QList<sDeviceInfo> m_nodes;
    QTableWidget *m_table = nullptr;
    ListItemDelegate *m_delegate = nullptr;
};
