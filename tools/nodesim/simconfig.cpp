#include "simconfig.h"

#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>

QString addressAfter(const QString &ip, quint32 steps)
{
    // Host addresses only: a /24's .0 and .255 are skipped, as a LAN would.
    quint32 v = QHostAddress(ip).toIPv4Address();
    for (quint32 i = 0; i < steps; ++i) {
        ++v;
        while ((v & 0xFF) == 0 || (v & 0xFF) == 0xFF)
            ++v;
    }
    return QHostAddress(v).toString();
}

// Nodes live on 127.x, or on the documentation ranges 192.0.2.0/24, 198.51.100.0/24 and
// 203.0.113.0/24 that only a test's own namespaces carry: never on an address of a real network.
static bool isSimAddress(const QString &ip)
{
    bool ok = false;
    const QHostAddress a(ip);
    const quint32 v = a.toIPv4Address(&ok);
    if (!ok || a.toString() != ip)
        return false;
    return (v >> 24) == 127 || (v >> 8) == 0xC00002 || (v >> 8) == 0xC63364 || (v >> 8) == 0xCB0071;
}

bool SimConfig::loadFile(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        *error = QStringLiteral("%1: not a JSON object (%2)").arg(path, pe.errorString());
        return false;
    }
    const QJsonObject o = doc.object();
    const QStringList known = {"decoders", "encoders", "seed", "base", "manager", "spread", "nodes",
                               "faults", "record", "state", "sftpRoot", "rebootMs", "upgradeDelayMs"};
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (!known.contains(it.key())) {
            *error = QStringLiteral("%1: unknown key \"%2\"").arg(path, it.key());
            return false;
        }
    }
    decoders = o.value(QStringLiteral("decoders")).toInt(decoders);
    encoders = o.value(QStringLiteral("encoders")).toInt(encoders);
    seed = quint64(o.value(QStringLiteral("seed")).toDouble(double(seed)));
    base = o.value(QStringLiteral("base")).toString(base);
    manager = o.value(QStringLiteral("manager")).toString(manager);
    spreadMs = o.value(QStringLiteral("spread")).toInt(spreadMs);
    recordPath = o.value(QStringLiteral("record")).toString(recordPath);
    statePath = o.value(QStringLiteral("state")).toString(statePath);
    sftpRoot = o.value(QStringLiteral("sftpRoot")).toString(sftpRoot);
    rebootMs = o.value(QStringLiteral("rebootMs")).toInt(rebootMs);
    upgradeDelayMs = o.value(QStringLiteral("upgradeDelayMs")).toInt(upgradeDelayMs);
    const QJsonArray list = o.value(QStringLiteral("nodes")).toArray();
    for (const QJsonValue &v : list) {
        if (v.isString()) {
            if (!addNodeSpec(v.toString(), error))
                return false;
        } else if (v.isObject()) {
            nodes.append(v);
        } else {
            *error = QStringLiteral("%1: \"nodes\" entries are objects or spec strings").arg(path);
            return false;
        }
    }
    for (const QJsonValue &v : o.value(QStringLiteral("faults")).toArray())
        faults << v.toString();
    return true;
}

bool SimConfig::addNodeSpec(const QString &spec, QString *error)
{
    const QStringList parts = spec.split(QLatin1Char(','));
    const QString head = parts.value(0);
    const QString typeText = head.section(QLatin1Char('@'), 0, 0);
    const QString ip = head.section(QLatin1Char('@'), 1);
    QJsonObject node;
    if (typeText == QLatin1String("decoder") || typeText == QLatin1String("1"))
        node.insert(QStringLiteral("type"), 1);
    else if (typeText == QLatin1String("encoder") || typeText == QLatin1String("2"))
        node.insert(QStringLiteral("type"), 2);
    else {
        *error = QStringLiteral("node spec must start with decoder or encoder: %1").arg(spec);
        return false;
    }
    if (!ip.isEmpty())
        node.insert(QStringLiteral("ip"), ip);
    QJsonArray nodeFaults;
    for (int i = 1; i < parts.size(); ++i) {
        const QString key = parts[i].section(QLatin1Char('='), 0, 0);
        const QString value = parts[i].section(QLatin1Char('='), 1);
        if (key == QLatin1String("fault")) {
            nodeFaults.append(value);
            continue;
        }
        bool isNum = false;
        const qlonglong n = value.toLongLong(&isNum);
        if (isNum)
            node.insert(key, n);
        else
            node.insert(key, value);
    }
    if (!nodeFaults.isEmpty())
        node.insert(QStringLiteral("faults"), nodeFaults);
    nodes.append(node);
    return true;
}

static void mergeInto(QJsonObject *target, const QString &key, const QJsonObject &patch)
{
    QJsonObject inner = target->value(key).toObject();
    for (auto it = patch.begin(); it != patch.end(); ++it) {
        if (it.value().isNull())
            inner.remove(it.key());
        else
            inner.insert(it.key(), it.value());
    }
    target->insert(key, inner);
}

bool SimConfig::buildNodes(std::vector<SimNode> *out, QString *error) const
{
    out->clear();
    if (!isSimAddress(base)) {
        *error = QStringLiteral("base address must be 127.x.y.z, 192.0.2.x, 198.51.100.x or 203.0.113.x: %1").arg(base);
        return false;
    }
    const QString managerIp = manager.isEmpty() ? base : manager;
    int index = 0;
    QString nextIp = base;
    for (int i = 0; i < decoders + encoders; ++i, ++index) {
        out->push_back(SimNodeFactory::generate(i < decoders ? 1 : 2, index, seed, nextIp, managerIp));
        nextIp = addressAfter(nextIp, 1);
    }

    for (const QJsonValue &v : nodes) {
        const QJsonObject spec = v.toObject();
        const QJsonValue typeValue = spec.value(QStringLiteral("type"));
        int type = typeValue.toInt(0);
        if (typeValue.toString() == QLatin1String("decoder"))
            type = 1;
        else if (typeValue.toString() == QLatin1String("encoder"))
            type = 2;
        if (type != 1 && type != 2) {
            *error = QStringLiteral("node %1: \"type\" must be decoder or encoder").arg(index);
            return false;
        }
        const QString ip = spec.value(QStringLiteral("ip")).toString(nextIp);
        if (!isSimAddress(ip)) {
            *error = QStringLiteral("node %1: address must be 127.x.y.z, 192.0.2.x, 198.51.100.x or 203.0.113.x: %2").arg(index).arg(ip);
            return false;
        }
        SimNode node = SimNodeFactory::generate(type, index, seed, ip, managerIp);
        for (auto it = spec.begin(); it != spec.end(); ++it) {
            const QString &key = it.key();
            if (key == QLatin1String("type") || key == QLatin1String("ip"))
                continue;
            if (key == QLatin1String("data")) {
                node.data = it.value().toString();
            } else if (key == QLatin1String("faults")) {
                for (const QJsonValue &f : it.value().toArray()) {
                    if (!node.faults.apply(f.toString(), error))
                        return false;
                }
            } else if (type == 2 && (key == QLatin1String("deviceInfo") || key == QLatin1String("signalInfo")
                                     || key == QLatin1String("streamInfo"))) {
                mergeInto(&node.doc, key, it.value().toObject());
            } else if (it.value().isNull()) {
                node.removeCommon(key);
            } else if (key == QLatin1String("version") && it.value().isString()) {
                node.setFirmwareVersion(it.value().toString());
                node.setCommon(key, it.value());
            } else {
                node.setCommon(key, it.value());
            }
        }
        out->push_back(node);
        nextIp = addressAfter(ip, 1);
        ++index;
    }

    for (const QString &f : faults) {
        const QString mode = f.section(QLatin1Char('@'), 0, 0);
        const QString selector = f.section(QLatin1Char('@'), 1);
        const QStringList picks = selector.split(QLatin1Char(','), Qt::SkipEmptyParts);
        bool matched = picks.isEmpty();
        for (SimNode &node : *out) {
            bool take = picks.isEmpty();
            for (const QString &p : picks) {
                bool isIndex = false;
                const int i = p.toInt(&isIndex);
                if ((isIndex && i == node.index) || (!isIndex && p == node.ip()))
                    take = true;
            }
            if (!take)
                continue;
            matched = true;
            if (!node.faults.apply(mode, error))
                return false;
        }
        if (!matched) {
            *error = QStringLiteral("fault selector matches no node: %1").arg(f);
            return false;
        }
    }

    // Conflicts copy from the node before.
    for (size_t i = 1; i < out->size(); ++i) {
        SimNode &node = (*out)[i];
        const SimNode &prev = (*out)[i - 1];
        if (node.faults.dupIp)
            node.setCommon(QStringLiteral("ip"), prev.ip());
        if (node.faults.dupMac)
            node.setCommon(QStringLiteral("macAddr"), prev.common(QStringLiteral("macAddr")));
    }
    return true;
}
