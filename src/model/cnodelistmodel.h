#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>
#include <QVector>

#include "model/sdeviceinfo.h"

// What the table lists: the three header filters by value, and the search text.
struct sNodeFilter
{
    int type = AllNodeTypes; // ENodeType; 0 all types
    int mode = -1;           // decoder display mode; -1 all modes (a particular mode hides encoders)
    QString version;         // exact firmware version text; null for all versions
    QString search;          // substring of name, signal name, IP or MAC (also without separators), case-insensitive
};

// One listed row with what its columns show beside the common record.
struct sListedNode
{
    sDeviceInfo info;
    int mode = -1;         // decoder display mode; -1 for encoders
    QByteArray signalName; // encoders only
    bool gone = false;     // stopped answering; listed for one more refresh
};

// Columns the table can be sorted by; IP ascending is the default order.
enum class ENodeColumn { Name, Type, Signal, Version, Mode, Ip };

// The GUI-side snapshot of both node stores behind the node table: ordering,
// de-duplication, address conflicts and the three filters. GUI thread only.
class CNodeListModel final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNodeListModel)

public:
    // Each table row holds its sDeviceInfo under this role.
    static constexpr int NodeRole = Qt::UserRole + 1;

    explicit CNodeListModel(QObject *parent = nullptr);

    // Copies the stores, marks conflicts, rebuilds the display index. With keepGone, a node of
    // the last snapshot that is no longer in the stores stays one more refresh, marked gone;
    // without, gone nodes leave at once. A check mark stays only on a node still answering.
    void refreshSnapshot(bool keepGone = false);
    // Rebuilds the item model: filtered, one row per id and address (a record inserted twice
    // is one row; an id at two addresses is two, marked AddrIdConflict), in the sort order.
    // A check mark on a node no longer listed is dropped: the marks are always exactly those
    // the rows show.
    void fillItemModel(const sNodeFilter &filter);
    // The rows fillItemModel would list, in the same order; `selected` tells the check mark.
    QVector<sListedNode> listedNodes(const sNodeFilter &filter) const;
    bool passesFilter(int64_t id, const sNodeFilter &filter, sDeviceInfo &out) const;

    void setSort(ENodeColumn column, Qt::SortOrder order);
    ENodeColumn sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Listed for one refresh after it stopped answering; never checked.
    bool isGone(int64_t id) const { return m_gone.contains(id); }
    bool anyGone() const { return !m_gone.isEmpty(); }
    // The item model's row of a listed node; -1 when it is not listed.
    int rowOf(int64_t id) const { return m_rowOf.value(id, -1); }

    void findById(sDecoderInfo &out, int64_t id) const;
    void findById(sEncoderInfo &out, int64_t id) const;
    void updateById(const sDecoderInfo &record, int64_t id);
    void updateById(const sEncoderInfo &record, int64_t id);
    // The check marks, by node id: the only place they are kept. A node that stopped
    // answering, or is not in the snapshot, cannot be checked.
    void setSelected(int64_t id, bool flag);
    bool isSelected(int64_t id) const { return m_checked.contains(id); }
    int selectedCount() const { return m_checked.size(); }
    // Checks every node the item model lists (flag) or clears every mark.
    void selectAll(bool flag);

    // What a row's address has against it (invalid, answered from elsewhere, id conflict),
    // one line each; empty when nothing. The row's tooltip.
    static QString addressNote(const sDeviceInfo &node);
    // A node of the current snapshot holds ip, and ip passed the node address rule.
    bool hasAddress(const QByteArray &ip) const;

    // Distinct non-empty version texts in version order (the version filter's items).
    QStringList versions() const;

    QStandardItemModel *itemModel() { return &m_items; }
    const QVector<sDecoderInfo> &decoders() const { return m_decoders; }
    const QVector<sEncoderInfo> &encoders() const { return m_encoders; }
    const sDecoderInfo *decoderById(int64_t id) const;
    const sEncoderInfo *encoderById(int64_t id) const;

private:
    struct IndexEntry
    {
        int64_t id = 0;
        int nodeType = 0;
        uint32_t ipValue = 0;
        int pos = 0; // in m_decoders or m_encoders, by nodeType
    };

    static bool accepts(const sDeviceInfo &node, int mode, const QByteArray &signal, const sNodeFilter &filter);
    const sDeviceInfo *matchAt(int nodeType, int pos, const sNodeFilter &filter, int *mode, QByteArray *signal) const;
    void rebuildPositions();
    const sDeviceInfo *match(int64_t id, const sNodeFilter &filter, int *mode, QByteArray *signal) const;

    QVector<sDecoderInfo> m_decoders;
    QVector<sEncoderInfo> m_encoders;
    // Snapshot positions of every id, in snapshot order: lookups stay cheap with many nodes.
    QHash<int64_t, QVector<int>> m_decoderPos;
    QHash<int64_t, QVector<int>> m_encoderPos;
    QVector<IndexEntry> m_index;
    QSet<int64_t> m_gone;
    QSet<int64_t> m_checked;
    QHash<int64_t, int> m_rowOf;
    ENodeColumn m_sortColumn = ENodeColumn::Ip;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QStandardItemModel m_items;
};
