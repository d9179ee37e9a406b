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
    // Starts sending the new types; calls switched, once, with the nodes whose send failed.
    using Switched = std::function<void(const QList<sDeviceInfo> &failed)>;
    using Switcher = std::function<void(const QList<sDeviceInfo> &nodes, const Switched &switched)>;

    explicit CTypeSwitchWidget(QWidget *parent = nullptr);

    void setNodeList(const QList<sDeviceInfo> &nodes);
    QList<sDeviceInfo> nodeList() const { return m_nodes; }
    QTableWidget *table() const { return m_table; }
    ListItemDelegate *delegate() const { return m_delegate; }

    // The switch-result box for a failed attempt; true when the operator asks for another.
    static bool showSummary(int total, const QList<sDeviceInfo> &failed, QWidget *parent = nullptr);
    // The whole command: list, switch, summary, and again with the failed nodes
    // for as long as the operator confirms the summary. done(sent) at the end: sent is
    // true when anything was sent.
    static void run(const QList<sDeviceInfo> &nodes, const Switcher &switcher, const std::function<void(bool)> &done,
                    bool sent = false);

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
