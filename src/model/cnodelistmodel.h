#pragma once

#include <QHash>
#include <QObject>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>
#include <QVector>

#include "model/sdeviceinfo.h"

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

    // Copies the stores (writing check marks back first), marks conflicts, rebuilds the display index.
    void refreshSnapshot();
    // Rebuilds the item model: display order, filtered, first occurrence of an id wins, all unchecked.
    void fillItemModel(int type, const QString &modeText, const QString &versionText);
    bool passesFilter(int64_t id, int type, const QString &modeText, const QString &versionText,
                      sDeviceInfo &out) const;

    void findById(sDecoderInfo &out, int64_t id) const;
    void findById(sEncoderInfo &out, int64_t id) const;
    void updateById(const sDecoderInfo &record, int64_t id);
    void updateById(const sEncoderInfo &record, int64_t id);
    void setSelected(int64_t id, bool flag);
    void selectAll(bool flag);

    // Item lists of the header's filter boxes; lang is "CN" or anything else for English.
    static QStringList typeList(const QString &lang);
    static QStringList modeList(const QString &lang);
    QStringList versionList(const QString &lang) const;
    // "大屏"/"坐席"/"矩阵" or "Screen"/"KVM"/"Matrix" for mode 0..2; empty otherwise.
    static QString modeName(int mode, const QString &lang);

    QStandardItemModel *itemModel() { return &m_items; }
    const QVector<sDecoderInfo> &decoders() const { return m_decoders; }
    const QVector<sEncoderInfo> &encoders() const { return m_encoders; }
    const sDecoderInfo *decoderById(int64_t id) const;
    const sEncoderInfo *encoderById(int64_t id) const;

private:
    struct IndexEntry
    {
        QByteArray name;
        int64_t id = 0;
        int nodeType = 0;
        uint32_t ipValue = 0;
    };

    void rebuildPositions();

    QVector<sDecoderInfo> m_decoders;
    QVector<sEncoderInfo> m_encoders;
    // Snapshot positions of every id, in snapshot order: lookups stay cheap with many nodes.
    QHash<int64_t, QVector<int>> m_decoderPos;
    QHash<int64_t, QVector<int>> m_encoderPos;
    QVector<IndexEntry> m_index;
    QStandardItemModel m_items;
};
