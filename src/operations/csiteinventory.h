#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVector>
#include <cstdint>

#include "model/cnodelistmodel.h"

// One node as an inventory keeps it: what identifies it and what a visit checks.
struct sInventoryNode
{
    int64_t id = 0;
    int nodeType = DecoderNode; // ENodeType
    QString name;
    QString ip;
    QString mask;
    QString gateway;
    QString macAddr;
    QString version;
    int mode = -1; // decoder display mode; -1 for encoders (no mode)
    QString managerIP;
};

// The fields an inventory compares, in the order a change lists them.
enum class EInventoryField { Type, Name, Ip, Mask, Gateway, MacAddr, Version, Mode, ManagerIp };

// Every node one scan found, saved as a JSON file and read back from one.
// The file: {"format": 1, "saved": ISO time, "nodes": [{"id", "type", "name", "ip", "mask",
// "gateway", "macAddr", "version", "mode", "managerIP"}, ...]} with the keys and values of
// scan --json. A file may have been edited by hand or damaged: reading checks everything
// and says what is wrong, never trusting a count or a size the file claims.
class CSiteInventory final
{
public:
    static constexpr int kFormat = 1;
    // Hundreds of nodes take a few hundred kilobytes; anything far larger is not an inventory.
    static constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

    CSiteInventory() = default;

    // The listed rows of a scan; rows of nodes that stopped answering are left out.
    static CSiteInventory fromRows(const QVector<sListedNode> &rows, const QDateTime &when = QDateTime::currentDateTimeUtc());

    const QVector<sInventoryNode> &nodes() const { return m_nodes; }
    QDateTime saved() const { return m_saved; }

    QByteArray toJson() const;
    // false with the reason in *error (nothing of a bad document is kept).
    bool parse(const QByteArray &json, QString *error);

    // Whole or not at all: a full disk leaves the file that was there.
    bool save(const QString &path, QString *error) const;
    bool load(const QString &path, QString *error);

    // The scan --json keys and values, shared by the file and the command line's diff.
    static QJsonObject nodeToJson(const sInventoryNode &node);
    static QString fieldKey(EInventoryField field);
    // The field's value as the file writes it, as text ("decoder", "screen", "" for no mode).
    static QString fieldValue(const sInventoryNode &node, EInventoryField field);

private:
    QVector<sInventoryNode> m_nodes;
    QDateTime m_saved;
};

// A node of the saved inventory against the same node in a new scan.
struct sInventoryChange
{
    sInventoryNode before;
    sInventoryNode after;
    QVector<EInventoryField> fields; // those that differ, in EInventoryField order
};

// What a new scan shows against a saved inventory.
struct sInventoryDiff
{
    QVector<sInventoryNode> missing; // saved, not found now (saved order)
    QVector<sInventoryNode> added;   // found now, not saved (scan order)
    QVector<sInventoryChange> changed;

    bool isEmpty() const { return missing.isEmpty() && added.isEmpty() && changed.isEmpty(); }
    QJsonObject toJson() const;
};

namespace SiteInventory {

// Nodes are matched by id, the identity a node gives itself. One id can answer from two
// addresses (a cloned node, an id set by hand twice), so within one id the rows pair up
// by equal address first, then by equal MAC address (a node that was re-addressed), and
// when exactly one row of that id is left on each side those two pair as well (a node
// re-addressed whose MAC changed too). Whatever is left of the id is missing or new.
// Without twins this is plain matching by id: a changed address is a change, not a
// node missing and a node new.
sInventoryDiff compare(const CSiteInventory &saved, const CSiteInventory &now);

} // namespace SiteInventory
