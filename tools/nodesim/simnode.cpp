#include "simnode.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <random>

namespace {

const QString kDeviceInfo = QStringLiteral("deviceInfo");
const QString kSignalInfo = QStringLiteral("signalInfo");
const QString kStreamInfo = QStringLiteral("streamInfo");

QString encoderKey(const QString &decoderKey)
{
    if (decoderKey == QLatin1String("mainVer"))
        return QStringLiteral("mainVersion");
    if (decoderKey == QLatin1String("majorVer"))
        return QStringLiteral("majorVersion");
    if (decoderKey == QLatin1String("minorVer"))
        return QStringLiteral("minorVersion");
    return decoderKey;
}

bool parseUInt32(const QString &text, quint32 *out)
{
    bool ok = false;
    const qulonglong v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                             ? text.mid(2).toULongLong(&ok, 16)
                             : text.toULongLong(&ok, 10);
    if (!ok || v > 0xFFFFFFFFull)
        return false;
    *out = quint32(v);
    return true;
}

struct VersionChoice
{
    const char *text;
    int main, major, minor;
};

const VersionChoice kDecoderVersions[] = {{"V1.2.3", 1, 2, 3}, {"V1.2.5", 1, 2, 5}, {"V2.0.1", 2, 0, 1}};
const VersionChoice kEncoderVersions[] = {{"V3.1.0", 3, 1, 0}, {"V3.1.2", 3, 1, 2}, {"V2.0.1", 2, 0, 1}};

const char *const kPlaces[] = {"大厅", "会议室", "指挥中心", "机房", "演播室", "Hall", "Lab", "Studio", "Lobby"};

struct Res
{
    int w, h;
};
const Res kOutputRes[] = {{3840, 2160}, {1920, 1080}, {1920, 1200}, {1280, 720}, {1360, 768}};
const Res kEncodeRes[] = {{1920, 1080}, {3840, 2160}, {1280, 720}, {1600, 900}, {2560, 1440}};
const double kEncoderRates[] = {60, 30, 25, 24, 59.94, 29.97};
const double kBitRates[] = {4, 8, 10, 15, 20};

template<typename T, size_t N>
const T &pick(const T (&arr)[N], std::mt19937_64 &rng)
{
    return arr[rng() % N];
}

} // namespace

bool SimFaults::apply(const QString &mode, QString *error)
{
    const int eq = mode.indexOf(QLatin1Char('='));
    const QString name = (eq < 0 ? mode : mode.left(eq)).trimmed();
    const QString value = eq < 0 ? QString() : mode.mid(eq + 1).trimmed();
    struct Flag
    {
        const char *name;
        bool SimFaults::*member;
    };
    static const Flag flags[] = {
        {"silent", &SimFaults::silent},
        {"offline", &SimFaults::offline},
        {"twice", &SimFaults::twice},
        {"dup-ip", &SimFaults::dupIp},
        {"dup-mac", &SimFaults::dupMac},
        {"short-frame", &SimFaults::shortFrame},
        {"bad-length", &SimFaults::badLength},
        {"huge", &SimFaults::huge},
        {"not-json", &SimFaults::notJson},
        {"data-not-object", &SimFaults::dataNotObject},
        {"bad-node-type", &SimFaults::badNodeType},
        {"tcp-silent", &SimFaults::tcpSilent},
        {"tcp-refuse", &SimFaults::tcpRefuse},
        {"unreachable", &SimFaults::unreachable},
        {"tcp-split", &SimFaults::tcpSplit},
        {"tcp-two-frames", &SimFaults::tcpTwoFrames},
        {"tcp-len8", &SimFaults::tcpLen8},
        {"tcp-len-below-8", &SimFaults::tcpLenBelow8},
        {"tcp-huge-length", &SimFaults::tcpHugeLength},
        {"import-fail", &SimFaults::importFail},
        {"upgrade-silent", &SimFaults::upgradeSilent},
        {"upgrade-keeps-version", &SimFaults::upgradeKeepsVersion},
    };
    for (const Flag &f : flags) {
        if (name == QLatin1String(f.name)) {
            this->*(f.member) = true;
            return true;
        }
    }
    if (name == QLatin1String("delay")) {
        bool ok = false;
        delayMs = value.toInt(&ok);
        if (ok && delayMs >= 0)
            return true;
        *error = QStringLiteral("delay needs a number of milliseconds: %1").arg(mode);
        return false;
    }
    if (name == QLatin1String("tcp-delay")) {
        bool ok = false;
        tcpDelayMs = value.toInt(&ok);
        if (ok && tcpDelayMs >= 0)
            return true;
        *error = QStringLiteral("tcp-delay needs a number of milliseconds: %1").arg(mode);
        return false;
    }
    if (name == QLatin1String("claim-ip") || name == QLatin1String("export-ip")) {
        (name == QLatin1String("claim-ip") ? claimIp : exportIp) = value;
        return true;
    }
    if (name == QLatin1String("flood")) {
        bool ok = false;
        flood = value.toInt(&ok);
        if (ok && flood >= 0 && flood <= 1000000)
            return true;
        *error = QStringLiteral("flood needs a number of answers: %1").arg(mode);
        return false;
    }
    if (name == QLatin1String("upgrade-code")) {
        if (parseUInt32(value, &upgradeCode)) {
            hasUpgradeCode = true;
            return true;
        }
        *error = QStringLiteral("upgrade-code needs a 32-bit value: %1").arg(mode);
        return false;
    }
    *error = QStringLiteral("unknown fault mode: %1").arg(mode);
    return false;
}

QStringList SimFaults::names() const
{
    QStringList out;
    const std::pair<bool, const char *> all[] = {
        {silent, "silent"}, {offline, "offline"}, {twice, "twice"}, {dupIp, "dup-ip"},
        {dupMac, "dup-mac"}, {shortFrame, "short-frame"}, {badLength, "bad-length"}, {huge, "huge"},
        {notJson, "not-json"}, {dataNotObject, "data-not-object"}, {badNodeType, "bad-node-type"},
        {tcpSilent, "tcp-silent"}, {tcpRefuse, "tcp-refuse"}, {unreachable, "unreachable"}, {tcpSplit, "tcp-split"},
        {tcpTwoFrames, "tcp-two-frames"}, {tcpLen8, "tcp-len8"}, {tcpLenBelow8, "tcp-len-below-8"},
        {tcpHugeLength, "tcp-huge-length"}, {importFail, "import-fail"}, {upgradeSilent, "upgrade-silent"},
        {upgradeKeepsVersion, "upgrade-keeps-version"},
    };
    for (const auto &f : all)
        if (f.first)
            out << QString::fromLatin1(f.second);
    if (delayMs > 0)
        out << QStringLiteral("delay=%1").arg(delayMs);
    if (tcpDelayMs > 0)
        out << QStringLiteral("tcp-delay=%1").arg(tcpDelayMs);
    if (hasUpgradeCode)
        out << QStringLiteral("upgrade-code=0x%1").arg(upgradeCode, 8, 16, QLatin1Char('0'));
    if (!claimIp.isNull())
        out << QStringLiteral("claim-ip=%1").arg(claimIp);
    if (!exportIp.isNull())
        out << QStringLiteral("export-ip=%1").arg(exportIp);
    if (flood > 0)
        out << QStringLiteral("flood=%1").arg(flood);
    return out;
}

QJsonValue SimNode::common(const QString &decoderKey) const
{
    if (type == 1)
        return doc.value(decoderKey);
    return doc.value(kDeviceInfo).toObject().value(encoderKey(decoderKey));
}

void SimNode::setCommon(const QString &decoderKey, const QJsonValue &value)
{
    if (type == 1) {
        doc.insert(decoderKey, value);
        return;
    }
    QJsonObject info = doc.value(kDeviceInfo).toObject();
    info.insert(encoderKey(decoderKey), value);
    doc.insert(kDeviceInfo, info);
}

void SimNode::removeCommon(const QString &decoderKey)
{
    if (type == 1) {
        doc.remove(decoderKey);
        return;
    }
    QJsonObject info = doc.value(kDeviceInfo).toObject();
    info.remove(encoderKey(decoderKey));
    doc.insert(kDeviceInfo, info);
}

namespace {
// The answer document with one common key changed (flat for a decoder, in deviceInfo for an encoder).
QJsonObject withCommon(QJsonObject doc, int type, const QString &key, const QJsonValue &value)
{
    if (type == 1) {
        doc.insert(key, value);
        return doc;
    }
    QJsonObject device = doc.value(QStringLiteral("deviceInfo")).toObject();
    device.insert(key, value);
    doc.insert(QStringLiteral("deviceInfo"), device);
    return doc;
}
} // namespace

QJsonObject SimNode::scanData() const
{
    QJsonObject d;
    d.insert(QStringLiteral("nodeType"), faults.badNodeType ? 3 : type);
    d.insert(QStringLiteral("nodeData"),
             faults.claimIp.isNull() ? doc : withCommon(doc, type, QStringLiteral("ip"), faults.claimIp));
    return d;
}

QJsonObject SimNode::floodData(int step) const
{
    QJsonObject d = scanData();
    d.insert(QStringLiteral("nodeData"), withCommon(d.value(QStringLiteral("nodeData")).toObject(), type,
                                                    QStringLiteral("id"), double(id() + step)));
    return d;
}

QJsonObject SimNode::exportData() const
{
    QJsonObject dev;
    dev.insert(QStringLiteral("id"), id());
    dev.insert(QStringLiteral("ip"), faults.exportIp.isNull() ? ip() : faults.exportIp);
    dev.insert(QStringLiteral("model"), common(QStringLiteral("model")).toInt());
    dev.insert(QStringLiteral("type"), type);
    QJsonObject ver;
    ver.insert(QStringLiteral("main"), common(QStringLiteral("mainVer")).toInt());
    ver.insert(QStringLiteral("major"), common(QStringLiteral("majorVer")).toInt());
    ver.insert(QStringLiteral("minor"), common(QStringLiteral("minorVer")).toInt());
    QJsonObject d;
    d.insert(QStringLiteral("devData"), dev);
    d.insert(QStringLiteral("version"), ver);
    d.insert(QStringLiteral("data"), data);
    return d;
}

QJsonObject SimNode::stateJson() const
{
    QJsonObject s;
    s.insert(QStringLiteral("index"), index);
    s.insert(QStringLiteral("type"), type);
    s.insert(QStringLiteral("ip"), ip());
    s.insert(QStringLiteral("id"), id());
    s.insert(QStringLiteral("name"), name());
    s.insert(QStringLiteral("macAddr"), common(QStringLiteral("macAddr")).toString());
    s.insert(QStringLiteral("nodeData"), doc);
    s.insert(QStringLiteral("data"), data);
    s.insert(QStringLiteral("faults"), QJsonArray::fromStringList(faults.names()));
    s.insert(QStringLiteral("rebootCount"), rebootCount);
    s.insert(QStringLiteral("resetCount"), resetCount);
    s.insert(QStringLiteral("typeSwitchCount"), typeSwitchCount);
    s.insert(QStringLiteral("settingsCount"), settingsCount);
    s.insert(QStringLiteral("networkCount"), networkCount);
    s.insert(QStringLiteral("upgradeCount"), upgradeCount);
    s.insert(QStringLiteral("importCount"), importCount);
    s.insert(QStringLiteral("importedVersion"), importedVersion);
    if (hasPtsBase)
        s.insert(QStringLiteral("ptsBase"), ptsBase);
    return s;
}

void SimNode::factoryReset()
{
    SimIdentity ident;
    ident.id = id();
    ident.ip = ip();
    ident.mask = common(QStringLiteral("mask")).toString();
    ident.gateway = common(QStringLiteral("getway")).toString();
    ident.mac = common(QStringLiteral("macAddr")).toString();
    ident.name = SimNodeFactory::defaultName(type, ident.mac);
    ident.model = common(QStringLiteral("model")).toInt();
    ident.mainVer = common(QStringLiteral("mainVer")).toInt();
    ident.majorVer = common(QStringLiteral("majorVer")).toInt();
    ident.minorVer = common(QStringLiteral("minorVer")).toInt();
    ident.version = common(QStringLiteral("version")).toString();
    ident.managerIp = common(QStringLiteral("managerIP")).toString();
    ident.hasLogLevel = true;
    ident.logLevel = 2;
    doc = type == 1 ? SimNodeFactory::decoderDoc(ident) : SimNodeFactory::encoderDoc(ident, index);
    data = QStringLiteral("{\"cfgVersion\":1,\"factory\":true}");
    ++resetCount;
}

void SimNode::switchType(int newType)
{
    if (newType == type || (newType != 1 && newType != 2))
        return;
    SimIdentity ident;
    ident.id = id();
    ident.ip = ip();
    ident.mask = common(QStringLiteral("mask")).toString();
    ident.gateway = common(QStringLiteral("getway")).toString();
    ident.mac = common(QStringLiteral("macAddr")).toString();
    ident.name = name();
    ident.model = common(QStringLiteral("model")).toInt();
    ident.mainVer = common(QStringLiteral("mainVer")).toInt();
    ident.majorVer = common(QStringLiteral("majorVer")).toInt();
    ident.minorVer = common(QStringLiteral("minorVer")).toInt();
    ident.version = common(QStringLiteral("version")).toString();
    ident.managerIp = common(QStringLiteral("managerIP")).toString();
    const QJsonValue level = common(QStringLiteral("logLevel"));
    ident.hasLogLevel = !level.isUndefined();
    ident.logLevel = level.toInt(2);
    type = newType;
    doc = type == 1 ? SimNodeFactory::decoderDoc(ident) : SimNodeFactory::encoderDoc(ident, index);
    ++typeSwitchCount;
}

void SimNode::setFirmwareVersion(const QString &text)
{
    const QRegularExpression re(QStringLiteral("(\\d+)\\.(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch m = re.match(text);
    setCommon(QStringLiteral("version"), text);
    if (!m.hasMatch())
        return;
    setCommon(QStringLiteral("mainVer"), m.captured(1).toInt());
    setCommon(QStringLiteral("majorVer"), m.captured(2).toInt());
    setCommon(QStringLiteral("minorVer"), m.captured(3).toInt());
}

namespace SimNodeFactory {

QString defaultName(int type, const QString &mac)
{
    const QString tail = QString(mac).remove(QLatin1Char(':')).right(4);
    return (type == 1 ? QStringLiteral("解码器-") : QStringLiteral("编码器-")) + tail;
}

QJsonObject decoderDoc(const SimIdentity &ident)
{
    QJsonObject d;
    d.insert(QStringLiteral("id"), ident.id);
    d.insert(QStringLiteral("ip"), ident.ip);
    d.insert(QStringLiteral("mask"), ident.mask);
    d.insert(QStringLiteral("getway"), ident.gateway);
    d.insert(QStringLiteral("macAddr"), ident.mac);
    d.insert(QStringLiteral("name"), ident.name);
    d.insert(QStringLiteral("model"), ident.model);
    d.insert(QStringLiteral("mainVer"), ident.mainVer);
    d.insert(QStringLiteral("majorVer"), ident.majorVer);
    d.insert(QStringLiteral("minorVer"), ident.minorVer);
    d.insert(QStringLiteral("managerIP"), ident.managerIp);
    d.insert(QStringLiteral("w"), 1920);
    d.insert(QStringLiteral("h"), 1080);
    d.insert(QStringLiteral("frameRate"), 60.0);
    d.insert(QStringLiteral("audioOutput"), 0);
    d.insert(QStringLiteral("mode"), 0);
    d.insert(QStringLiteral("version"), ident.version);
    if (ident.hasLogLevel)
        d.insert(QStringLiteral("logLevel"), ident.logLevel);
    return d;
}

QJsonObject encoderDoc(const SimIdentity &ident, int index)
{
    QJsonObject dev;
    dev.insert(QStringLiteral("id"), ident.id);
    dev.insert(QStringLiteral("ip"), ident.ip);
    dev.insert(QStringLiteral("mask"), ident.mask);
    dev.insert(QStringLiteral("getway"), ident.gateway);
    dev.insert(QStringLiteral("macAddr"), ident.mac);
    dev.insert(QStringLiteral("name"), ident.name);
    dev.insert(QStringLiteral("model"), ident.model);
    dev.insert(QStringLiteral("mainVersion"), ident.mainVer);
    dev.insert(QStringLiteral("majorVersion"), ident.majorVer);
    dev.insert(QStringLiteral("minorVersion"), ident.minorVer);
    dev.insert(QStringLiteral("managerIP"), ident.managerIp);
    dev.insert(QStringLiteral("enableUSB"), true);
    dev.insert(QStringLiteral("version"), ident.version);
    if (ident.hasLogLevel)
        dev.insert(QStringLiteral("logLevel"), ident.logLevel);

    const qint64 signalId = 5000 + index;
    QJsonObject sig;
    sig.insert(QStringLiteral("signalID"), signalId);
    sig.insert(QStringLiteral("sourceID"), qint64(6000 + index));
    sig.insert(QStringLiteral("signalName"), QStringLiteral("信号源-%1").arg(index + 1));
    sig.insert(QStringLiteral("signalType"), 0);
    sig.insert(QStringLiteral("status"), 1);
    sig.insert(QStringLiteral("streamUrl"), QStringLiteral("rtsp://%1:554/live/1").arg(ident.ip));
    sig.insert(QStringLiteral("sourceWidth"), 1920);
    sig.insert(QStringLiteral("sourceHeight"), 1080);
    sig.insert(QStringLiteral("clipEnable"), false);
    sig.insert(QStringLiteral("x"), 0);
    sig.insert(QStringLiteral("y"), 0);
    sig.insert(QStringLiteral("w"), 1920);
    sig.insert(QStringLiteral("h"), 1080);
    sig.insert(QStringLiteral("audioType"), 0);
    sig.insert(QStringLiteral("a35Volume"), 50);
    sig.insert(QStringLiteral("hdmiVolume"), 50);

    QJsonObject stream;
    stream.insert(QStringLiteral("signalID"), signalId);
    stream.insert(QStringLiteral("username"), QStringLiteral("admin"));
    stream.insert(QStringLiteral("password"), QString());
    stream.insert(QStringLiteral("enablePassword"), false);
    stream.insert(QStringLiteral("videoIP"), QStringLiteral("239.10.%1.%2").arg(index / 250).arg(index % 250 + 1));
    stream.insert(QStringLiteral("audioIP"), QStringLiteral("239.11.%1.%2").arg(index / 250).arg(index % 250 + 1));
    stream.insert(QStringLiteral("defaultPort"), 5004 + 2 * index);
    stream.insert(QStringLiteral("backupPort"), 6004 + 2 * index);
    stream.insert(QStringLiteral("videoFormat"), QStringLiteral("H264"));
    stream.insert(QStringLiteral("audioFormat"), QStringLiteral("AAC"));
    stream.insert(QStringLiteral("streamIndex"), 0);
    stream.insert(QStringLiteral("channel"), 0);
    stream.insert(QStringLiteral("mode"), 0);
    stream.insert(QStringLiteral("width"), 1920);
    stream.insert(QStringLiteral("height"), 1080);
    stream.insert(QStringLiteral("frameRate"), 60.0);
    stream.insert(QStringLiteral("bitRate"), 8.0);
    stream.insert(QStringLiteral("level"), 2);
    stream.insert(QStringLiteral("audioGain"), 50);
    stream.insert(QStringLiteral("interval"), 60);

    QJsonObject d;
    d.insert(kDeviceInfo, dev);
    d.insert(kSignalInfo, sig);
    d.insert(kStreamInfo, stream);
    return d;
}

SimNode generate(int type, int index, quint64 seed, const QString &ip, const QString &managerIp)
{
    std::mt19937_64 rng(seed * 1000003ull + quint64(index) * 7919ull + quint64(type));
    SimIdentity ident;
    // Every other node carries an id that needs more than 32 bits.
    if (index % 2 == 1)
        ident.id = qint64(((rng() % 0xFFFFFull) + 1) << 32) | qint64(index + 1);
    else
        ident.id = 10000000 + qint64(rng() % 1000) * 10000 + index;
    ident.ip = ip;
    ident.mask = QStringLiteral("255.255.255.0");
    ident.gateway = ip.section(QLatin1Char('.'), 0, 2) + QStringLiteral(".254");
    ident.mac = QStringLiteral("3C:6A:2C:%1:%2:%3")
                    .arg(uint(seed & 0xFF), 2, 16, QLatin1Char('0'))
                    .arg(uint(((index + 1) >> 8) & 0xFF), 2, 16, QLatin1Char('0'))
                    .arg(uint((index + 1) & 0xFF), 2, 16, QLatin1Char('0'))
                    .toUpper();
    ident.name = QStringLiteral("%1-%2").arg(QString::fromUtf8(pick(kPlaces, rng))).arg(index + 1, 2, 10, QLatin1Char('0'));
    ident.model = 16 + int(rng() % 2);
    const VersionChoice &ver = type == 1 ? pick(kDecoderVersions, rng) : pick(kEncoderVersions, rng);
    ident.version = QString::fromLatin1(ver.text);
    ident.mainVer = ver.main;
    ident.majorVer = ver.major;
    ident.minorVer = ver.minor;
    ident.managerIp = managerIp;
    // Some answers leave "logLevel" out.
    ident.hasLogLevel = index % 3 != 2;
    ident.logLevel = 1 + int(rng() % 4);

    SimNode node;
    node.index = index;
    node.type = type;
    if (type == 1) {
        node.doc = decoderDoc(ident);
        const Res &r = pick(kOutputRes, rng);
        node.doc.insert(QStringLiteral("w"), r.w);
        node.doc.insert(QStringLiteral("h"), r.h);
        node.doc.insert(QStringLiteral("frameRate"), (rng() % 2) ? 60.0 : 30.0);
        node.doc.insert(QStringLiteral("audioOutput"), int(rng() % 2));
        node.doc.insert(QStringLiteral("mode"), int(rng() % 3));
    } else {
        node.doc = encoderDoc(ident, index);
        QJsonObject dev = node.doc.value(kDeviceInfo).toObject();
        dev.insert(QStringLiteral("enableUSB"), bool(rng() % 2));
        node.doc.insert(kDeviceInfo, dev);
        QJsonObject sig = node.doc.value(kSignalInfo).toObject();
        const Res &src = pick(kEncodeRes, rng);
        sig.insert(QStringLiteral("signalType"), int(rng() % 3));
        sig.insert(QStringLiteral("sourceWidth"), src.w);
        sig.insert(QStringLiteral("sourceHeight"), src.h);
        sig.insert(QStringLiteral("w"), src.w);
        sig.insert(QStringLiteral("h"), src.h);
        sig.insert(QStringLiteral("audioType"), int(rng() % 2));
        sig.insert(QStringLiteral("a35Volume"), int(rng() % 101));
        sig.insert(QStringLiteral("hdmiVolume"), int(rng() % 101));
        if (rng() % 2)
            sig.insert(QStringLiteral("signalName"), QStringLiteral("Camera-%1").arg(index + 1));
        node.doc.insert(kSignalInfo, sig);
        QJsonObject stream = node.doc.value(kStreamInfo).toObject();
        const Res &enc = pick(kEncodeRes, rng);
        const bool h265 = rng() % 2;
        stream.insert(QStringLiteral("width"), enc.w);
        stream.insert(QStringLiteral("height"), enc.h);
        stream.insert(QStringLiteral("frameRate"), pick(kEncoderRates, rng));
        stream.insert(QStringLiteral("bitRate"), pick(kBitRates, rng));
        stream.insert(QStringLiteral("videoFormat"), h265 ? QStringLiteral("H265") : QStringLiteral("H264"));
        stream.insert(QStringLiteral("level"), int(rng() % (h265 ? 2 : 3)));
        stream.insert(QStringLiteral("audioFormat"), (rng() % 2) ? QStringLiteral("G711A") : QStringLiteral("AAC"));
        stream.insert(QStringLiteral("audioGain"), int(rng() % 101));
        stream.insert(QStringLiteral("channel"), index % 4);
        if (rng() % 3 == 0) {
            stream.insert(QStringLiteral("password"), QStringLiteral("pw%1").arg(index));
            stream.insert(QStringLiteral("enablePassword"), true);
        }
        node.doc.insert(kStreamInfo, stream);
    }

    // The node's own configuration text: JSON with non-ASCII and quotes inside,
    // so that a round trip through the tool shows any escaping mistake.
    QJsonObject cfg;
    cfg.insert(QStringLiteral("cfgVersion"), 1);
    cfg.insert(QStringLiteral("name"), ident.name);
    cfg.insert(QStringLiteral("note"), QStringLiteral("配置 \"%1\" seed %2\nline 2").arg(index).arg(qint64(seed)));
    cfg.insert(QStringLiteral("windows"), QJsonArray{int(rng() % 16), int(rng() % 16), int(rng() % 16)});
    node.data = QString::fromUtf8(QJsonDocument(cfg).toJson(QJsonDocument::Compact));
    return node;
}

} // namespace SimNodeFactory
