#include "model/cnodelistmodel.h"

#include <QCollator>
#include <QLocale>
#include <QSet>
#include <QStandardItem>
#include <QVariant>
#include <algorithm>
#include <climits>

#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "config/cappconfig.h"

namespace {

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

// Digit runs compare as numbers, the rest as text: V1.2.10 after V1.2.9.
int compareVersions(const QString &a, const QString &b)
{
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = a.at(i).isDigit();
        const bool db = b.at(j).isDigit();
        int ei = i;
        int ej = j;
        while (ei < a.size() && a.at(ei).isDigit() == da)
            ++ei;
        while (ej < b.size() && b.at(ej).isDigit() == db)
            ++ej;
        QStringRef ra = a.midRef(i, ei - i);
        QStringRef rb = b.midRef(j, ej - j);
        int c = 0;
        if (da && db) {
            while (ra.size() > 1 && ra.at(0) == QLatin1Char('0'))
                ra = ra.mid(1);
            while (rb.size() > 1 && rb.at(0) == QLatin1Char('0'))
                rb = rb.mid(1);
            c = ra.size() != rb.size() ? (ra.size() < rb.size() ? -1 : 1) : ra.compare(rb);
        } else {
            c = ra.compare(rb, Qt::CaseInsensitive);
        }
        if (c != 0)
            return c < 0 ? -1 : 1;
        i = ei;
        j = ej;
    }
    return (a.size() - i) - (b.size() - j);
}

using ListedRow = sListedNode;

// The hexadecimal digits of a MAC address text; empty when it holds anything else.
QString macDigits(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char(':') || c == QLatin1Char('-') || c == QLatin1Char('.') || c.isSpace())
            continue;
        const char l = c.toLower().toLatin1();
        if (!((l >= '0' && l <= '9') || (l >= 'a' && l <= 'f')))
            return QString();
        out.append(c);
    }
    return out;
}

} // namespace

CNodeListModel::CNodeListModel(QObject *parent)
    : QObject(parent)
{
    registerNodeMetaTypes();
}

void CNodeListModel::refreshSnapshot(bool keepGone)
{
    QVector<sDecoderInfo> oldDecoders;
    QVector<sEncoderInfo> oldEncoders;
    if (keepGone) {
        oldDecoders = m_decoders;
        oldEncoders = m_encoders;
    }
    QVector<ConflictEntry> conflicts;
    m_decoders = CDecoderList::instance().nodes();
    for (const sDecoderInfo &d : qAsConst(m_decoders))
        conflicts.append({d.id, d.ip, d.macAddr});
    m_encoders = CEncoderList::instance().nodes();
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
    // One id at two addresses: both are listed and marked, whichever is the real node.
    QHash<int64_t, Holders> idAddresses;
    for (const ConflictEntry &entry : qAsConst(conflicts)) {
        if (entry.id <= 0)
            continue;
        const uint32_t ip = ipToValue(entry.ip);
        auto it = idAddresses.find(entry.id);
        if (it == idAddresses.end())
            idAddresses.insert(entry.id, {int64_t(ip), false});
        else if (it->firstId != int64_t(ip))
            it->several = true;
    }
    const auto mark = [&](sDeviceInfo &node) {
        node.conflictState = conflictOf(node, ips, macs);
        const bool twin = node.id > 0 && idAddresses.value(node.id).several;
        node.addrMarks = (node.addrMarks & ~AddrIdConflict) | (twin ? AddrIdConflict : 0);
    };
    for (sDecoderInfo &d : m_decoders)
        mark(d);
    for (sEncoderInfo &e : m_encoders)
        mark(e);
    conflicts.clear();

    // A node missing from this scan stays once more, greyed; one already gone leaves.
    const QSet<int64_t> wasGone = m_gone;
    m_gone.clear();
    if (keepGone) {
        QSet<int64_t> present;
        for (const sDecoderInfo &d : qAsConst(m_decoders))
            present.insert(d.id);
        for (const sEncoderInfo &e : qAsConst(m_encoders))
            present.insert(e.id);
        const auto keep = [&](auto &old, auto &snapshot) {
            for (auto &node : old) {
                if (present.contains(node.id) || wasGone.contains(node.id))
                    continue;
                node.conflictState = 0;
                node.addrMarks &= ~AddrIdConflict;
                snapshot.append(node);
                m_gone.insert(node.id);
            }
        };
        keep(oldDecoders, m_decoders);
        keep(oldEncoders, m_encoders);
    }
    rebuildPositions();
    // A mark on a node that stopped answering goes for good: it does not come back with the node.
    for (auto it = m_checked.begin(); it != m_checked.end();) {
        if (m_gone.contains(*it) || (!m_decoderPos.contains(*it) && !m_encoderPos.contains(*it)))
            it = m_checked.erase(it);
        else
            ++it;
    }

    m_index.clear();
    m_index.reserve(m_decoders.size() + m_encoders.size());
    for (int i = 0; i < m_decoders.size(); ++i)
        m_index.append({m_decoders.at(i).id, DecoderNode, m_decoders.at(i).ipValue, i});
    for (int i = 0; i < m_encoders.size(); ++i)
        m_index.append({m_encoders.at(i).id, EncoderNode, m_encoders.at(i).ipValue, i});
    std::stable_sort(m_index.begin(), m_index.end(),
                     [](const IndexEntry &a, const IndexEntry &b) { return a.ipValue < b.ipValue; });
}

bool CNodeListModel::accepts(const sDeviceInfo &n, int mode, const QByteArray &signal, const sNodeFilter &filter)
{
    if (filter.type != AllNodeTypes && filter.type != n.nodeType)
        return false;
    // A particular display mode is a decoder setting: it hides every encoder.
    if (filter.mode >= 0 && (n.nodeType != DecoderNode || mode != filter.mode))
        return false;
    if (!filter.version.isNull() && QString::fromUtf8(n.version) != filter.version)
        return false;
    if (filter.search.isEmpty())
        return true;
    for (const QByteArray *field : {&n.name, &n.ip, &n.macAddr, &signal}) {
        if (QString::fromUtf8(*field).contains(filter.search, Qt::CaseInsensitive))
            return true;
    }
    // A MAC address is found however it is typed: with ':', '-' or no separators at all.
    const QString bareSearch = macDigits(filter.search);
    return bareSearch.size() >= 2 && macDigits(QString::fromUtf8(n.macAddr)).contains(bareSearch, Qt::CaseInsensitive);
}

const sDeviceInfo *CNodeListModel::matchAt(int nodeType, int pos, const sNodeFilter &filter, int *mode,
                                           QByteArray *signal) const
{
    if (nodeType == DecoderNode) {
        const sDecoderInfo &d = m_decoders.at(pos);
        if (!accepts(d, d.mode, QByteArray(), filter))
            return nullptr;
        *mode = d.mode;
        signal->clear();
        return &d;
    }
    const sEncoderInfo &e = m_encoders.at(pos);
    if (!accepts(e, -1, e.signalName, filter))
        return nullptr;
    *mode = -1;
    *signal = e.signalName;
    return &e;
}

const sDeviceInfo *CNodeListModel::match(int64_t id, const sNodeFilter &filter, int *mode,
                                         QByteArray *signal) const
{
    for (const int pos : m_decoderPos.value(id)) {
        if (const sDeviceInfo *node = matchAt(DecoderNode, pos, filter, mode, signal))
            return node;
    }
    for (const int pos : m_encoderPos.value(id)) {
        if (const sDeviceInfo *node = matchAt(EncoderNode, pos, filter, mode, signal))
            return node;
    }
    return nullptr;
}

bool CNodeListModel::passesFilter(int64_t id, const sNodeFilter &filter, sDeviceInfo &out) const
{
    int mode = -1;
    QByteArray signal;
    const sDeviceInfo *node = match(id, filter, &mode, &signal);
    if (node)
        out = *node;
    return node != nullptr;
}

void CNodeListModel::setSort(ENodeColumn column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
}

QVector<sListedNode> CNodeListModel::listedNodes(const sNodeFilter &filter) const
{
    // A record inserted twice (two observers) is one row; one id at two addresses is two
    // rows, each with its own address, so a twin never hides the node it copies.
    QSet<QPair<int64_t, uint32_t>> shown;
    shown.reserve(m_index.size());
    QVector<ListedRow> listed;
    listed.reserve(m_index.size());
    for (const IndexEntry &entry : qAsConst(m_index)) {
        const QPair<int64_t, uint32_t> key(entry.id, entry.ipValue);
        if (shown.contains(key))
            continue;
        ListedRow row;
        const sDeviceInfo *node = matchAt(entry.nodeType, entry.pos, filter, &row.mode, &row.signalName);
        if (!node)
            continue;
        row.info = *node;
        row.gone = m_gone.contains(entry.id);
        row.info.selected = m_checked.contains(entry.id);
        listed.append(std::move(row));
        shown.insert(key);
    }

    if (m_sortColumn != ENodeColumn::Ip || m_sortOrder != Qt::AscendingOrder) {
        QCollator collator(CAppConfig::instance()->language() == QLatin1String("CN")
                               ? QLocale(QLocale::Chinese, QLocale::China)
                               : QLocale());
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const ENodeColumn column = m_sortColumn;
        const auto primary = [&collator, column](const ListedRow &a, const ListedRow &b) {
            switch (column) {
            case ENodeColumn::Name:
                return collator.compare(QString::fromUtf8(a.info.name), QString::fromUtf8(b.info.name));
            case ENodeColumn::Type:
                return a.info.nodeType - b.info.nodeType;
            case ENodeColumn::Signal:
                return collator.compare(QString::fromUtf8(a.signalName), QString::fromUtf8(b.signalName));
            case ENodeColumn::Version:
                return compareVersions(QString::fromUtf8(a.info.version), QString::fromUtf8(b.info.version));
            case ENodeColumn::Mode: {
                // Encoders have no mode: after every decoder.
                const int ma = a.mode < 0 ? INT_MAX : a.mode;
                const int mb = b.mode < 0 ? INT_MAX : b.mode;
                return ma < mb ? -1 : (ma > mb ? 1 : 0);
            }
            case ENodeColumn::Ip:
                break;
            }
            return 0;
        };
        const auto less = [&primary](const ListedRow &a, const ListedRow &b) {
            const int c = primary(a, b);
            if (c != 0)
                return c < 0;
            if (a.info.ipValue != b.info.ipValue)
                return a.info.ipValue < b.info.ipValue;
            return a.info.id < b.info.id;
        };
        if (m_sortOrder == Qt::AscendingOrder)
            std::stable_sort(listed.begin(), listed.end(), less);
        else
            std::stable_sort(listed.begin(), listed.end(),
                             [&less](const ListedRow &a, const ListedRow &b) { return less(b, a); });
    }
    return listed;
}

void CNodeListModel::fillItemModel(const sNodeFilter &filter)
{
    m_items.clear();
    const QVector<sListedNode> listed = listedNodes(filter);
    QList<QStandardItem *> rows;
    rows.reserve(listed.size());
    QSet<int64_t> stillChecked;
    m_rowOf.clear();
    m_rowOf.reserve(listed.size());
    for (const ListedRow &row : qAsConst(listed)) {
        if (row.info.selected)
            stillChecked.insert(row.info.id);
        m_rowOf.insert(row.info.id, m_rowOf.size());
        auto *item = new QStandardItem;
        item->setEditable(false);
        // The row's mark is read from the model (isSelected), never from a copy in the row.
        sDeviceInfo info = row.info;
        info.selected = false;
        item->setData(QVariant::fromValue(info), NodeRole);
        const QString why = addressNote(row.info);
        if (!why.isEmpty())
            item->setToolTip(why);
        rows.append(item);
    }
    // A hidden row cannot show its mark, so it keeps none.
    m_checked = stillChecked;
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
    if (!flag)
        m_checked.remove(id);
    else if (!m_gone.contains(id) && (m_decoderPos.contains(id) || m_encoderPos.contains(id)))
        m_checked.insert(id);
}

QString CNodeListModel::addressNote(const sDeviceInfo &node)
{
    QStringList notes;
    if (node.addrMarks & AddrInvalid)
        notes << tr("无效的节点地址，不会向它发送命令");
    if (node.addrMarks & AddrSenderDiffers)
        notes << tr("应答来自 %1，与节点报告的地址不同").arg(QString::fromUtf8(node.sender));
    if (node.addrMarks & AddrIdConflict)
        notes << tr("节点 ID 冲突：另一个地址报告了相同的 ID");
    return notes.join(QLatin1Char('\n'));
}

bool CNodeListModel::hasAddress(const QByteArray &ip) const
{
    const auto held = [&ip](const sDeviceInfo &n) { return n.ip == ip && !(n.addrMarks & AddrInvalid); };
    return std::any_of(m_decoders.cbegin(), m_decoders.cend(), held)
        || std::any_of(m_encoders.cbegin(), m_encoders.cend(), held);
}

void CNodeListModel::selectAll(bool flag)
{
    m_checked.clear();
    if (!flag)
        return;
    for (int row = 0; row < m_items.rowCount(); ++row)
        setSelected(m_items.item(row)->data(NodeRole).value<sDeviceInfo>().id, true);
}

QStringList CNodeListModel::versions() const
{
    QStringList list;
    QSet<QByteArray> seen;
    auto addVersion = [&list, &seen](const QByteArray &version) {
        if (version.isEmpty() || seen.contains(version))
            return;
        seen.insert(version);
        list.append(QString::fromUtf8(version));
    };
    for (const sDecoderInfo &d : m_decoders)
        addVersion(d.version);
    for (const sEncoderInfo &e : m_encoders)
        addVersion(e.version);
    // By number, so V1.10 comes after V1.9 however the nodes answered.
    std::stable_sort(list.begin(), list.end(),
                     [](const QString &a, const QString &b) { return compareVersions(a, b) < 0; });
    return list;
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
