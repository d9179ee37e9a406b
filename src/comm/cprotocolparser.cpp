#include "comm/cprotocolparser.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QtEndian>

#include "comm/cobserverlist.h"
#include "comm/jsonvalue.h"
#include "comm/protocol.h"

using namespace JsonValue;

namespace {

// The binary upgrade answers: the first 4 bytes, little-endian.
void parseUpgradeAnswer(int cmdType, const char *payload, size_t length, const QByteArray &ip)
{
    if (payload == nullptr || length < 4)
        return; // too short to hold the value
    sUpdateRes res;
    res.ip = ip;
    res.value = qFromLittleEndian<quint32>(payload);
    CObserverList::instance().announceResult(cmdType, &res, 1, -1);
}

void parseScanAnswer(const QByteArray &payload, const QByteArray &sender)
{
    int res = 0;
    QJsonObject data;
    if (!CProtocolParser::parseReply(payload, res, data))
        return;
    const int nodeType = toInt(data.value(QLatin1String("nodeType")));
    const QJsonObject nodeData = data.value(QLatin1String("nodeData")).toObject();
    if (nodeType == DecoderNode) {
        sDecoderInfo node;
        CProtocolParser::readDecoder(nodeData, node);
        node.sender = sender;
        CObserverList::instance().announceResult(Protocol::AnsScan, &node, res, DecoderNode);
    } else if (nodeType == EncoderNode) {
        sEncoderInfo node;
        CProtocolParser::readEncoder(nodeData, node);
        node.sender = sender;
        CObserverList::instance().announceResult(Protocol::AnsScan, &node, res, EncoderNode);
    }
}

// TCP answers belong to the connection they came on (link): the address written inside
// them is the node's word only and never decides where they go.
void parseImportResult(int cmdType, const QByteArray &payload, const QByteArray &link)
{
    int res = 0;
    QJsonObject data;
    if (!CProtocolParser::parseReply(payload, res, data))
        return;
    sImportDataRes result;
    CProtocolParser::readImportResult(data, result);
    if (!link.isEmpty())
        result.ip = link;
    CObserverList::instance().announceResult(cmdType, &result, res, -1);
}

void parseExportAnswer(int cmdType, const QByteArray &payload, const QByteArray &link)
{
    int res = 0;
    QJsonObject data;
    if (!CProtocolParser::parseReply(payload, res, data))
        return;
    sDeviceData deviceData;
    CProtocolParser::readDeviceData(data, deviceData);
    if (!link.isEmpty())
        deviceData.ip = link;
    CObserverList::instance().announceResult(cmdType, &deviceData, res, -1);
}

// Reads the common part; "logLevel" only when the node sent it.
void readCommon(const QJsonObject &o, sDeviceInfo &out, const char *mainKey, const char *majorKey,
                const char *minorKey)
{
    out.id = toInt64(o.value(QLatin1String("id")));
    out.ip = toUtf8(o.value(QLatin1String("ip")));
    out.mask = toUtf8(o.value(QLatin1String("mask")));
    out.getway = toUtf8(o.value(QLatin1String("getway")));
    out.macAddr = toUtf8(o.value(QLatin1String("macAddr")));
    out.name = toUtf8(o.value(QLatin1String("name")));
    out.model = toInt(o.value(QLatin1String("model")));
    out.mainVer = toInt(o.value(QLatin1String(mainKey)));
    out.majorVer = toInt(o.value(QLatin1String(majorKey)));
    out.minorVer = toInt(o.value(QLatin1String(minorKey)));
    out.managerIP = toUtf8(o.value(QLatin1String("managerIP")));
    out.version = toUtf8(o.value(QLatin1String("version")));
    if (o.contains(QLatin1String("logLevel")))
        out.logLevel = toInt(o.value(QLatin1String("logLevel")));
}

} // namespace

void CProtocolParser::parse(int cmdType, const char *payload, size_t length, const QByteArray &ip) const
{
    switch (cmdType) {
    case Protocol::AnsUpgradeResult:
    case Protocol::AnsUpgradeProgress:
        parseUpgradeAnswer(cmdType, payload, length, ip);
        return;
    case Protocol::AnsScan:
    case Protocol::AnsDecoderImport:
    case Protocol::AnsEncoderImport:
    case Protocol::AnsDecoderExport:
    case Protocol::AnsEncoderExport:
        break;
    default:
        return; // not an answer the tool handles
    }

    if (payload == nullptr && length > 0)
        return;
    if (length > size_t(std::numeric_limits<int>::max()))
        return;
    const QByteArray text = payload ? QByteArray(payload, int(length)) : QByteArray();
    switch (cmdType) {
    case Protocol::AnsScan:
        parseScanAnswer(text, ip);
        break;
    case Protocol::AnsDecoderImport:
    case Protocol::AnsEncoderImport:
        parseImportResult(cmdType, text, ip);
        break;
    case Protocol::AnsDecoderExport:
    case Protocol::AnsEncoderExport:
        parseExportAnswer(cmdType, text, ip);
        break;
    default:
        break;
    }
}

void CProtocolParser::transEnd(const sTransAnswer *answer) const
{
    CObserverList::instance().announceTransEnd(answer);
}

void CProtocolParser::transProgress(const QString &ip, uint32_t finishedSize) const
{
    CObserverList::instance().announceTransProgress(ip, finishedSize);
}

bool CProtocolParser::parseReply(const QByteArray &payload, int &res, QJsonObject &data)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug() << "json error!" << error.errorString();
        return false;
    }
    if (doc.isNull() || !doc.isObject())
        return false;
    const QJsonObject top = doc.object();
    const QJsonValue dataValue = top.value(QLatin1String("data"));
    if (!dataValue.isObject())
        return false;
    res = toInt(top.value(QLatin1String("res")));
    data = dataValue.toObject();
    return true;
}

void CProtocolParser::readDecoder(const QJsonObject &o, sDecoderInfo &out)
{
    readCommon(o, out, "mainVer", "majorVer", "minorVer");
    out.w = toInt(o.value(QLatin1String("w")));
    out.h = toInt(o.value(QLatin1String("h")));
    out.frameRate = toFloat(o.value(QLatin1String("frameRate")));
    out.audioOutput = toInt(o.value(QLatin1String("audioOutput")));
    out.mode = toInt(o.value(QLatin1String("mode")));
}

void CProtocolParser::readEncoder(const QJsonObject &nodeData, sEncoderInfo &out)
{
    const QJsonObject device = nodeData.value(QLatin1String("deviceInfo")).toObject();
    const QJsonObject signal = nodeData.value(QLatin1String("signalInfo")).toObject();
    const QJsonObject stream = nodeData.value(QLatin1String("streamInfo")).toObject();

    readCommon(device, out, "mainVersion", "majorVersion", "minorVersion");
    out.enableUSB = toBool(device.value(QLatin1String("enableUSB")));

    out.signalID = toInt64(signal.value(QLatin1String("signalID")));
    out.sourceID = toInt64(signal.value(QLatin1String("sourceID")));
    out.signalName = toUtf8(signal.value(QLatin1String("signalName")));
    out.signalType = toInt(signal.value(QLatin1String("signalType")));
    out.status = toInt(signal.value(QLatin1String("status")));
    out.streamUrl = toUtf8(signal.value(QLatin1String("streamUrl")));
    out.sourceWidth = toInt(signal.value(QLatin1String("sourceWidth")));
    out.sourceHeight = toInt(signal.value(QLatin1String("sourceHeight")));
    out.clipEnable = toBool(signal.value(QLatin1String("clipEnable")));
    out.x = toInt(signal.value(QLatin1String("x")));
    out.y = toInt(signal.value(QLatin1String("y")));
    out.w = toInt(signal.value(QLatin1String("w")));
    out.h = toInt(signal.value(QLatin1String("h")));
    out.audioType = toInt(signal.value(QLatin1String("audioType")));
    out.a35Volume = toInt(signal.value(QLatin1String("a35Volume")));
    out.hdmiVolume = toInt(signal.value(QLatin1String("hdmiVolume")));

    out.streamSignalID = toInt64(stream.value(QLatin1String("signalID")));
    out.username = toUtf8(stream.value(QLatin1String("username")));
    out.password = toUtf8(stream.value(QLatin1String("password")));
    out.enablePassword = toBool(stream.value(QLatin1String("enablePassword")));
    out.videoIP = toUtf8(stream.value(QLatin1String("videoIP")));
    out.audioIP = toUtf8(stream.value(QLatin1String("audioIP")));
    out.defaultPort = toInt(stream.value(QLatin1String("defaultPort")));
    out.backupPort = toInt(stream.value(QLatin1String("backupPort")));
    out.videoFormat = toUtf8(stream.value(QLatin1String("videoFormat")));
    out.audioFormat = toUtf8(stream.value(QLatin1String("audioFormat")));
    out.streamIndex = toInt(stream.value(QLatin1String("streamIndex")));
    out.channel = toInt(stream.value(QLatin1String("channel")));
    out.mode = toInt(stream.value(QLatin1String("mode")));
    out.width = toInt(stream.value(QLatin1String("width")));
    out.height = toInt(stream.value(QLatin1String("height")));
    out.frameRate = toFloat(stream.value(QLatin1String("frameRate")));
    out.bitRate = toFloat(stream.value(QLatin1String("bitRate")));
    out.level = toInt(stream.value(QLatin1String("level")));
    out.audioGain = toInt(stream.value(QLatin1String("audioGain")));
    out.interval = toInt(stream.value(QLatin1String("interval")));
}

void CProtocolParser::readDeviceData(const QJsonObject &data, sDeviceData &out)
{
    const QJsonObject devData = data.value(QLatin1String("devData")).toObject();
    const QJsonObject version = data.value(QLatin1String("version")).toObject();
    out.id = toInt64(devData.value(QLatin1String("id")));
    out.ip = toUtf8(devData.value(QLatin1String("ip")));
    out.type = toInt(devData.value(QLatin1String("type")));
    out.model = toInt(devData.value(QLatin1String("model")));
    out.mainVer = toInt(version.value(QLatin1String("main")));
    out.majorVer = toInt(version.value(QLatin1String("major")));
    out.minorVer = toInt(version.value(QLatin1String("minor")));
    out.data = toUtf8(data.value(QLatin1String("data")));
}

void CProtocolParser::readImportResult(const QJsonObject &data, sImportDataRes &out)
{
    out.result = toInt(data.value(QLatin1String("result")));
    out.ip = toUtf8(data.value(QLatin1String("ip")));
    out.name = toUtf8(data.value(QLatin1String("name")));
}
