#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include "model/cnodelistmodel.h"
#include "model/sdeviceinfo.h"

// The LAN as one scan saw it: the nodes in the table's order (IP order, one row per id,
// conflicts marked), and the selection a command acts on.
class CCliLan final
{
    Q_DISABLE_COPY_MOVE(CCliLan)

public:
    CCliLan() = default;

    // Broadcasts (on the named cards, or on every card when none is named) and waits for
    // the answers, off this thread and for at most timeoutMs; false when nothing could be sent.
    bool scan(int timeoutMs, const QStringList &cards = QStringList());

    const QVector<sListedNode> &rows() const { return m_rows; }
    QVector<sDeviceInfo> nodes() const;
    const CNodeListModel &model() const { return m_model; }
    CNodeListModel &model() { return m_model; }

    // Every node with one of these addresses (all listed nodes when addresses is empty);
    // addresses no node answered from are returned in missing.
    QVector<sDeviceInfo> select(const QStringList &addresses, QStringList *missing) const;

private:
    CNodeListModel m_model;
    QVector<sListedNode> m_rows;
};

// Table columns plus identity and addresses, one object per node, stable keys.
QJsonArray nodesToJson(const CCliLan &lan);
