#include "model/cnodelistmodel.h"

#include <QSet>
#include <QStandardItem>
#include <QVariant>
#include <algorithm>

#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"

namespace {

const QString kAllModesCn = QStringLiteral("所有模式");
const QString kAllModesEn = QStringLiteral("All modes");
const QString kAllVersionsCn = QStringLiteral("所有版本");
const QString kAllVersionsEn = QStringLiteral("All versions");

struct ConflictEntry
{
    int64_t id = 0;
    QByteArray ip;
    QByteArray macAddr;
};

// Who holds an address: the first id seen and whether a different id holds it too.
struct Holders
{
    int64_t firstId = 0;
    bool several = false;
};

void addHolder(QHash<QByteArray, Holders> &table, const QByteArray &key, int64_t id)
{
    if (key.isEmpty())
        return;
    auto it = table.find(key);
    if (it == table.end())
        table.insert(key, {id, false});
    else if (it->firstId != id)
        it->several = true;
}

bool heldByAnother(const QHash<QByteArray, Holders> &table, const QByteArray &key, int64_t id)
{
    if (key.isEmpty())
        return false;
    const auto it = table.constFind(key);
    return it != table.constEnd() && (it->several || it->firstId != id);
}

// 2 when another node has the same IP, else 1 when another has the same MAC, else 0.
int conflictOf(const sDeviceInfo &node, const QHash<QByteArray, Holders> &ips, const QHash<QByteArray, Holders> &macs)
{
    if (heldByAnother(ips, node.ip, node.id))
        return 2;
    return heldByAnother(macs, node.macAddr, node.id) ? 1 : 0;
}

bool isAllModes(const QString &mode) { return mode == kAllModesCn || mode == kAllModesEn; }
bool isAllVersions(const QString &v) { return v == kAllVersionsCn || v == kAllVersionsEn; }

bool versionPasses(const sDeviceInfo &node, const QString &versionText)
{
    return isAllVersions(versionText) || QString::fromUtf8(node.version) == versionText;
}

} // namespace

CNodeListModel::CNodeListModel(QObject *parent)
    : QObject(parent)
{
    registerNodeMetaTypes();
}

void CNodeListModel::refreshSnapshot()
{
    QVector<ConflictEntry> conflicts;
    // The check marks go back to the stores in one pass each; a later record of an id wins.
    QHash<int64_t, bool> marks;

    CDecoderList &decoders = CDecoderList::instance();
    for (const sDecoderInfo &d : qAsConst(m_decoders))
        marks.insert(d.id, d.selected);
    decoders.setSelected(marks);
    m_decoders = decoders.nodes();
    for (const sDecoderInfo &d : qAsConst(m_decoders))
        conflicts.append({d.id, d.ip, d.macAddr});

    marks.clear();
    CEncoderList &encoders = CEncoderList::instance();
    for (const sEncoderInfo &e : qAsConst(m_encoders))
        marks.insert(e.id, e.selected);
    encoders.setSelected(marks);
    m_encoders = encoders.nodes();
    for (const sEncoderInfo &e : qAsConst(m_encoders))
        conflicts.append({e.id, e.ip, e.macAddr});

    QHash<QByteArray, Holders> ips;
    QHash<QByteArray, Holders> macs;
    ips.reserve(conflicts.size());
    macs.reserve(conflicts.size());
    for (const ConflictEntry &entry : qAsConst(conflicts)) {
        addHolder(ips, entry.ip, entry.id);
        addHolder(macs, entry.macAddr, entry.id);
    }
    for (sDecoderInfo &d : m_decoders)
        d.conflictState = conflictOf(d, ips, macs);
    for (sEncoderInfo &e : m_encoders)
        e.conflictState = conflictOf(e, ips, macs);
    conflicts.clear();
    rebuildPositions();

    m_index.clear();
    m_index.reserve(m_decoders.size() + m_encoders.size());
    for (const sDecoderInfo &d : qAsConst(m_decoders))
        m_index.append({d.name, d.id, DecoderNode, d.ipValue});
    for (const sEncoderInfo &e : qAsConst(m_encoders))
        m_index.append({e.name, e.id, EncoderNode, e.ipValue});
    std::stable_sort(m_index.begin(), m_index.end(),
                     [](const IndexEntry &a, const IndexEntry &b) { return a.ipValue < b.ipValue; });
}

bool CNodeListModel::passesFilter(int64_t id, int type, const QString &modeText,
                                  const QString &versionText, sDeviceInfo &out) const
{
    if (type == AllNodeTypes || type == DecoderNode) {
        for (const int pos : m_decoderPos.value(id)) {
            const sDecoderInfo &d = m_decoders.at(pos);
            const bool modeOk = isAllModes(modeText)
                || (d.mode >= 0 && d.mode <= 2
                    && (modeName(d.mode, QStringLiteral("CN")) == modeText
                        || modeName(d.mode, QStringLiteral("EN")) == modeText));
            if (modeOk && versionPasses(d, versionText)) {
                out = d;
                return true;
            }
        }
    }
    if (type == AllNodeTypes || type == EncoderNode) {
        // A particular display mode is a decoder setting: it hides every encoder.
        if (!isAllModes(modeText))
            return false;
        for (const int pos : m_encoderPos.value(id)) {
            const sEncoderInfo &e = m_encoders.at(pos);
            if (versionPasses(e, versionText)) {
                out = e;
                return true;
            }
        }
    }
    return false;
}

void CNodeListModel::fillItemModel(int type, const QString &modeText, const QString &versionText)
{
    m_items.clear();
    QSet<int64_t> shown;
    QList<QStandardItem *> rows;
    for (const IndexEntry &entry : qAsConst(m_index)) {
        if (shown.contains(entry.id))
            continue;
        sDeviceInfo info;
        if (!passesFilter(entry.id, type, modeText, versionText, info))
            continue;
        info.selected = false;
        auto *item = new QStandardItem;
        item->setEditable(false);
        item->setData(QVariant::fromValue(info), NodeRole);
        rows.append(item);
        shown.insert(entry.id);
    }
    // One insertion for all rows: the attached view lays out once.
    if (!rows.isEmpty())
        m_items.appendColumn(rows);
}

void CNodeListModel::rebuildPositions()
{
    m_decoderPos.clear();
    m_encoderPos.clear();
    for (int i = 0; i < m_decoders.size(); ++i)
        m_decoderPos[m_decoders.at(i).id].append(i);
    for (int i = 0; i < m_encoders.size(); ++i)
        m_encoderPos[m_encoders.at(i).id].append(i);
}

void CNodeListModel::findById(sDecoderInfo &out, int64_t id) const
{
    if (const sDecoderInfo *d = decoderById(id)) {
        out = *d;
        out.id = id;
    }
}

void CNodeListModel::findById(sEncoderInfo &out, int64_t id) const
{
    if (const sEncoderInfo *e = encoderById(id)) {
        out = *e;
        out.id = id;
    }
}

void CNodeListModel::updateById(const sDecoderInfo &record, int64_t id)
{
    auto it = std::find_if(m_decoders.begin(), m_decoders.end(),
                           [id](const sDecoderInfo &d) { return d.id == id; });
    if (it != m_decoders.end()) {
        *it = record;
        rebuildPositions();
    }
}

void CNodeListModel::updateById(const sEncoderInfo &record, int64_t id)
{
    auto it = std::find_if(m_encoders.begin(), m_encoders.end(),
                           [id](const sEncoderInfo &e) { return e.id == id; });
    if (it != m_encoders.end()) {
        *it = record;
        rebuildPositions();
    }
}

void CNodeListModel::setSelected(int64_t id, bool flag)
{
    if (const auto it = m_decoderPos.constFind(id); it != m_decoderPos.constEnd()) {
        m_decoders[it->first()].selected = flag;
        return;
    }
    if (const auto it = m_encoderPos.constFind(id); it != m_encoderPos.constEnd())
        m_encoders[it->first()].selected = flag;
}

void CNodeListModel::selectAll(bool flag)
{
    for (sDecoderInfo &d : m_decoders)
        d.selected = flag;
    for (sEncoderInfo &e : m_encoders)
        e.selected = flag;
}

QStringList CNodeListModel::typeList(const QString &lang)
{
    if (lang == QLatin1String("CN"))
        return {QStringLiteral("所有类型"), QStringLiteral("解码节点"), QStringLiteral("编码节点")};
    return {QStringLiteral("All types"), QStringLiteral("Decoder"), QStringLiteral("Encoder")};
}

QStringList CNodeListModel::modeList(const QString &lang)
{
    if (lang == QLatin1String("CN"))
        return {kAllModesCn, modeName(0, lang), modeName(1, lang), modeName(2, lang)};
    return {kAllModesEn, modeName(0, lang), modeName(1, lang), modeName(2, lang)};
}

QStringList CNodeListModel::versionList(const QString &lang) const
{
    QStringList list{lang == QLatin1String("CN") ? kAllVersionsCn : kAllVersionsEn};
    QSet<QByteArray> seen;
    auto addVersion = [&list, &seen](const QByteArray &version) {
        if (version.isEmpty() || seen.contains(version))
            return;
        seen.insert(version);
        const QString text = QString::fromUtf8(version);
        if (!list.contains(text, Qt::CaseSensitive))
            list.append(text);
    };
    for (const sDecoderInfo &d : m_decoders)
        addVersion(d.version);
    for (const sEncoderInfo &e : m_encoders)
        addVersion(e.version);
    return list;
}

QString CNodeListModel::modeName(int mode, const QString &lang)
{
    if (mode < 0 || mode > 2)
        return QString();
    if (lang == QLatin1String("CN")) {
        static const QString cn[] = {QStringLiteral("大屏"), QStringLiteral("坐席"), QStringLiteral("矩阵")};
        return cn[mode];
    }
    static const QString en[] = {QStringLiteral("Screen"), QStringLiteral("KVM"), QStringLiteral("Matrix")};
    return en[mode];
}

const sDecoderInfo *CNodeListModel::decoderById(int64_t id) const
{
    const auto it = m_decoderPos.constFind(id);
    return it == m_decoderPos.constEnd() ? nullptr : &m_decoders.at(it->first());
}

const sEncoderInfo *CNodeListModel::encoderById(int64_t id) const
{
    const auto it = m_encoderPos.constFind(id);
    return it == m_encoderPos.constEnd() ? nullptr : &m_encoders.at(it->first());
}

#include "moc_cnodelistmodel.cpp"
