#include "operations/csiteinventory.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <functional>

#include "platform/filesafety.h"

namespace {

const char *const kModeKeys[] = {"screen", "kvm", "matrix"};
constexpr EInventoryField kAllFields[] = {EInventoryField::Type,    EInventoryField::Name,    EInventoryField::Ip,
                                          EInventoryField::Mask,    EInventoryField::Gateway, EInventoryField::MacAddr,
                                          EInventoryField::Version, EInventoryField::Mode,    EInventoryField::ManagerIp};
// Ids are JSON numbers: whole and exact up to 2^53.
constexpr double kMaxExactId = 9007199254740992.0;

QJsonValue modeJson(int mode)
{
    if (mode >= 0 && mode < 3)
        return QString::fromLatin1(kModeKeys[mode]);
    return mode < 0 ? QJsonValue() : QJsonValue(mode);
}

QString typeKey(int nodeType)
{
    return nodeType == EncoderNode ? QStringLiteral("encoder") : QStringLiteral("decoder");
}

// One node object of the file; false with the reason.
bool parseNode(const QJsonObject &o, sInventoryNode &node, QString *why)
{
    const QJsonValue id = o.value(QStringLiteral("id"));
    const double idValue = id.toDouble();
    if (!id.isDouble() || !std::isfinite(idValue) || std::floor(idValue) != idValue || std::fabs(idValue) > kMaxExactId) {
        *why = QStringLiteral("\"id\" is not a whole number");
        return false;
    }
    node.id = int64_t(idValue);
    const QString type = o.value(QStringLiteral("type")).toString();
    if (type != QLatin1String("decoder") && type != QLatin1String("encoder")) {
        *why = QStringLiteral("\"type\" is neither \"decoder\" nor \"encoder\"");
        return false;
    }
    node.nodeType = type == QLatin1String("encoder") ? EncoderNode : DecoderNode;
    const QJsonValue ip = o.value(QStringLiteral("ip"));
    if (!ip.isString()) {
        *why = QStringLiteral("\"ip\" is missing or not text");
        return false;
    }
    struct Text { const char *key; QString *into; };
    for (const Text &t : {Text{"ip", &node.ip}, Text{"name", &node.name}, Text{"mask", &node.mask},
                          Text{"gateway", &node.gateway}, Text{"macAddr", &node.macAddr},
                          Text{"version", &node.version}, Text{"managerIP", &node.managerIP}}) {
        const QJsonValue v = o.value(QLatin1String(t.key));
        // A field left out is empty, as a node that did not send it.
        if (v.isUndefined() || v.isNull())
            continue;
        if (!v.isString()) {
            *why = QStringLiteral("\"%1\" is not text").arg(QLatin1String(t.key));
            return false;
        }
        *t.into = v.toString();
    }
    const QJsonValue mode = o.value(QStringLiteral("mode"));
    node.mode = -1;
    if (mode.isString()) {
        for (int i = 0; i < 3; ++i)
            node.mode = mode.toString() == QLatin1String(kModeKeys[i]) ? i : node.mode;
        if (node.mode < 0) {
            *why = QStringLiteral("\"mode\" is not screen, kvm or matrix");
            return false;
        }
    } else if (mode.isDouble()) {
        const double m = mode.toDouble();
        if (!(m >= 0 && m <= 1e6) || std::floor(m) != m) {
            *why = QStringLiteral("\"mode\" is not a mode");
            return false;
        }
        node.mode = int(m);
    } else if (!mode.isNull() && !mode.isUndefined()) {
        *why = QStringLiteral("\"mode\" is not a mode");
        return false;
    }
    return true;
}

QString nodeLabel(const sInventoryNode &node)
{
    return QStringLiteral("id %1 at %2").arg(node.id).arg(node.ip);
}

} // namespace

CSiteInventory CSiteInventory::fromRows(const QVector<sListedNode> &rows, const QDateTime &when)
{
    CSiteInventory inventory;
    inventory.m_saved = when.toUTC();
    for (const sListedNode &row : rows) {
        if (row.gone)
            continue;
        const sDeviceInfo &info = row.info;
        sInventoryNode node;
        node.id = info.id;
        node.nodeType = info.nodeType == EncoderNode ? EncoderNode : DecoderNode;
        node.name = QString::fromUtf8(info.name);
        node.ip = QString::fromUtf8(info.ip);
        node.mask = QString::fromUtf8(info.mask);
        node.gateway = QString::fromUtf8(info.getway);
        node.macAddr = QString::fromUtf8(info.macAddr);
        node.version = QString::fromUtf8(info.version);
        node.mode = node.nodeType == DecoderNode ? row.mode : -1;
        node.managerIP = QString::fromUtf8(info.managerIP);
        inventory.m_nodes.append(node);
    }
    return inventory;
}

QJsonObject CSiteInventory::nodeToJson(const sInventoryNode &node)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), double(node.id));
    o.insert(QStringLiteral("type"), typeKey(node.nodeType));
    o.insert(QStringLiteral("name"), node.name);
    o.insert(QStringLiteral("ip"), node.ip);
    o.insert(QStringLiteral("mask"), node.mask);
    o.insert(QStringLiteral("gateway"), node.gateway);
    o.insert(QStringLiteral("macAddr"), node.macAddr);
    o.insert(QStringLiteral("version"), node.version);
    o.insert(QStringLiteral("mode"), modeJson(node.mode));
    o.insert(QStringLiteral("managerIP"), node.managerIP);
    return o;
}

QString CSiteInventory::fieldKey(EInventoryField field)
{
    switch (field) {
    case EInventoryField::Type: return QStringLiteral("type");
    case EInventoryField::Name: return QStringLiteral("name");
    case EInventoryField::Ip: return QStringLiteral("ip");
    case EInventoryField::Mask: return QStringLiteral("mask");
    case EInventoryField::Gateway: return QStringLiteral("gateway");
    case EInventoryField::MacAddr: return QStringLiteral("macAddr");
    case EInventoryField::Version: return QStringLiteral("version");
    case EInventoryField::Mode: return QStringLiteral("mode");
    case EInventoryField::ManagerIp: return QStringLiteral("managerIP");
    }
    return QString();
}

QString CSiteInventory::fieldValue(const sInventoryNode &node, EInventoryField field)
{
    switch (field) {
    case EInventoryField::Type: return typeKey(node.nodeType);
    case EInventoryField::Name: return node.name;
    case EInventoryField::Ip: return node.ip;
    case EInventoryField::Mask: return node.mask;
    case EInventoryField::Gateway: return node.gateway;
    case EInventoryField::MacAddr: return node.macAddr;
    case EInventoryField::Version: return node.version;
    case EInventoryField::Mode: {
        const QJsonValue mode = modeJson(node.mode);
        return mode.isDouble() ? QString::number(node.mode) : mode.toString();
    }
    case EInventoryField::ManagerIp: return node.managerIP;
    }
    return QString();
}

QByteArray CSiteInventory::toJson() const
{
    QJsonArray nodes;
    for (const sInventoryNode &node : m_nodes)
        nodes.append(nodeToJson(node));
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("saved"), m_saved.toUTC().toString(Qt::ISODate));
    root.insert(QStringLiteral("nodes"), nodes);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool CSiteInventory::parse(const QByteArray &json, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (json.size() > kMaxFileBytes)
        return fail(QStringLiteral("larger than %1 MiB: not an inventory").arg(kMaxFileBytes >> 20));
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not JSON (%1 at byte %2)").arg(parseError.errorString()).arg(parseError.offset));
    const QJsonObject root = doc.object();
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (!doc.isObject() || !format.isDouble())
        return fail(QStringLiteral("not an inventory: no \"format\""));
    if (format.toDouble() != kFormat)
        return fail(QStringLiteral("inventory format %1 is not known (this program reads format %2)")
                        .arg(format.toDouble()).arg(kFormat));
    const QJsonValue list = root.value(QStringLiteral("nodes"));
    if (!list.isArray())
        return fail(QStringLiteral("\"nodes\" is missing or not a list"));
    QVector<sInventoryNode> nodes;
    QSet<QPair<int64_t, QString>> seen;
    int number = 0;
    for (const QJsonValue &value : list.toArray()) {
        ++number;
        sInventoryNode node;
        QString why = QStringLiteral("not an object");
        if (!value.isObject() || !parseNode(value.toObject(), node, &why))
            return fail(QStringLiteral("node %1: %2").arg(number).arg(why));
        // The comparison pairs rows by id and address: one pair twice could not be told apart.
        if (seen.contains({node.id, node.ip}))
            return fail(QStringLiteral("node %1: %2 is listed twice").arg(number).arg(nodeLabel(node)));
        seen.insert({node.id, node.ip});
        nodes.append(node);
    }
    m_nodes = nodes;
    m_saved = QDateTime::fromString(root.value(QStringLiteral("saved")).toString(), Qt::ISODate);
    return true;
}

bool CSiteInventory::save(const QString &path, QString *error) const
{
    return Platform::writeFileWhole(path, toJson(), Platform::FileAccess::Shared, error);
}

bool CSiteInventory::load(const QString &path, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("is a folder, not an inventory file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read: %1").arg(file.errorString()));
    // One byte past the limit tells a file too large, whatever size it claims (a pipe, /dev/zero).
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot be read: %1").arg(file.errorString()));
    return parse(bytes, error);
}

QJsonObject sInventoryDiff::toJson() const
{
    QJsonArray missingList;
    for (const sInventoryNode &node : missing)
        missingList.append(CSiteInventory::nodeToJson(node));
    QJsonArray addedList;
    for (const sInventoryNode &node : added)
        addedList.append(CSiteInventory::nodeToJson(node));
    QJsonArray changedList;
    for (const sInventoryChange &change : changed) {
        QJsonObject o;
        o.insert(QStringLiteral("id"), double(change.after.id));
        o.insert(QStringLiteral("ip"), change.after.ip);
        o.insert(QStringLiteral("name"), change.after.name);
        QJsonArray fields;
        for (const EInventoryField field : change.fields)
            fields.append(QJsonObject{{QStringLiteral("field"), CSiteInventory::fieldKey(field)},
                                      {QStringLiteral("old"), CSiteInventory::fieldValue(change.before, field)},
                                      {QStringLiteral("new"), CSiteInventory::fieldValue(change.after, field)}});
        o.insert(QStringLiteral("changes"), fields);
        changedList.append(o);
    }
    QJsonObject root;
    root.insert(QStringLiteral("equal"), isEmpty());
    root.insert(QStringLiteral("missing"), missingList);
    root.insert(QStringLiteral("new"), addedList);
    root.insert(QStringLiteral("changed"), changedList);
    return root;
}

namespace SiteInventory {

sInventoryDiff compare(const CSiteInventory &saved, const CSiteInventory &now)
{
    const QVector<sInventoryNode> &before = saved.nodes();
    const QVector<sInventoryNode> &after = now.nodes();
    QVector<int> partnerOfBefore(before.size(), -1);
    QVector<int> partnerOfAfter(after.size(), -1);
    QHash<int64_t, QVector<int>> beforeById;
    for (int i = 0; i < before.size(); ++i)
        beforeById[before.at(i).id].append(i);
    QHash<int64_t, QVector<int>> afterById;
    for (int i = 0; i < after.size(); ++i)
        afterById[after.at(i).id].append(i);

    for (auto it = afterById.cbegin(); it != afterById.cend(); ++it) {
        const QVector<int> olds = beforeById.value(it.key());
        const QVector<int> &news = it.value();
        auto pairUp = [&](const std::function<bool(const sInventoryNode &, const sInventoryNode &)> &same) {
            for (const int n : news) {
                for (const int o : olds) {
                    if (partnerOfAfter.at(n) < 0 && partnerOfBefore.at(o) < 0 && same(before.at(o), after.at(n))) {
                        partnerOfAfter[n] = o;
                        partnerOfBefore[o] = n;
                    }
                }
            }
        };
        pairUp([](const sInventoryNode &a, const sInventoryNode &b) { return a.ip == b.ip; });
        pairUp([](const sInventoryNode &a, const sInventoryNode &b) { return !a.macAddr.isEmpty() && a.macAddr == b.macAddr; });
        const auto leftOld = std::count_if(olds.cbegin(), olds.cend(), [&](int o) { return partnerOfBefore.at(o) < 0; });
        const auto leftNew = std::count_if(news.cbegin(), news.cend(), [&](int n) { return partnerOfAfter.at(n) < 0; });
        if (leftOld == 1 && leftNew == 1)
            pairUp([](const sInventoryNode &, const sInventoryNode &) { return true; });
    }

    sInventoryDiff diff;
    for (int o = 0; o < before.size(); ++o) {
        if (partnerOfBefore.at(o) < 0)
            diff.missing.append(before.at(o));
    }
    for (int n = 0; n < after.size(); ++n) {
        const int o = partnerOfAfter.at(n);
        if (o < 0) {
            diff.added.append(after.at(n));
            continue;
        }
        sInventoryChange change{before.at(o), after.at(n), {}};
        for (const EInventoryField field : kAllFields) {
            if (CSiteInventory::fieldValue(change.before, field) != CSiteInventory::fieldValue(change.after, field))
                change.fields.append(field);
        }
        if (!change.fields.isEmpty())
            diff.changed.append(change);
    }
    return diff;
}

} // namespace SiteInventory
