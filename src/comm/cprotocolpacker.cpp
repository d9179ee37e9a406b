#include "comm/cprotocolpacker.h"

#include <QJsonDocument>
#include <QJsonValue>

#include "comm/frame.h"
#include "comm/protocol.h"

namespace {

QJsonValue str(const QByteArray &utf8) { return QString::fromUtf8(utf8); }
QJsonValue i64(int64_t v) { return QJsonValue(qint64(v)); }

} // namespace

void CProtocolPacker::packFrame(uint16_t cmdType, uint16_t reserved, const QJsonObject &object,
                                QByteArray &out)
{
    out = Frame::build(cmdType, QJsonDocument(object).toJson(QJsonDocument::Indented), reserved);
}

void CProtocolPacker::packScan(QByteArray &out) const
{
    packFrame(Protocol::CmdScan, 0, QJsonObject(), out);
}

void CProtocolPacker::packNetwork(const QString &ip, const QString &mask, const QString &gateway,
                                  QByteArray &out) const
{
    packFrame(Protocol::CmdNetwork, 0, {{"ip", ip}, {"mask", mask}, {"getway", gateway}}, out);
}

void CProtocolPacker::packTimeBase(int64_t ptsBase, QByteArray &out) const
{
    packFrame(Protocol::CmdTimeBase, 0, {{"ptsBase", i64(ptsBase)}}, out);
}

void CProtocolPacker::packReboot(int64_t nodeId, QByteArray &out) const
{
    packFrame(Protocol::CmdReboot, 0, {{"deviceID", i64(nodeId)}}, out);
}

void CProtocolPacker::packFactoryReset(int64_t nodeId, QByteArray &out) const
{
    packFrame(Protocol::CmdFactoryReset, 0, {{"deviceID", i64(nodeId)}}, out);
}

void CProtocolPacker::packNodeType(int64_t deviceType, QByteArray &out) const
{
    packFrame(Protocol::CmdNodeType, 0, {{"deviceType", i64(deviceType)}}, out);
}

void CProtocolPacker::packLogLevel(int level, QByteArray &out) const
{
    packFrame(Protocol::CmdLogLevel, 0, {{"logLevel", level}}, out);
}

void CProtocolPacker::packDecoderSettings(const sDecoderInfo &node, QByteArray &out) const
{
    packFrame(Protocol::CmdDecoderSettings, 0, decoderSettingsObject(node), out);
}

void CProtocolPacker::packEncoderSettings(const sEncoderInfo &node, QByteArray &out) const
{
    packFrame(Protocol::CmdEncoderSettings, 0, encoderSettingsObject(node), out);
}

void CProtocolPacker::packDecoderImport(const sDeviceData &data, QByteArray &out) const
{
    packFrame(Protocol::CmdDecoderImport, 0, dataImportObject(data), out);
}

void CProtocolPacker::packDecoderExport(QByteArray &out) const
{
    packFrame(Protocol::CmdDecoderExport, 0, QJsonObject(), out);
}

void CProtocolPacker::packEncoderImport(const sDeviceData &data, QByteArray &out) const
{
    packFrame(Protocol::CmdEncoderImport, 0, dataImportObject(data), out);
}

void CProtocolPacker::packEncoderExport(QByteArray &out) const
{
    packFrame(Protocol::CmdEncoderExport, 0, QJsonObject(), out);
}

void CProtocolPacker::packUpgrade(const QByteArray &body, QByteArray &out) const
{
    // The node reads exactly 217 bytes: pad or cut a body of any other size.
    QByteArray fixed = body.left(Protocol::kUpgradeBodySize);
    if (fixed.size() < Protocol::kUpgradeBodySize)
        fixed.append(QByteArray(Protocol::kUpgradeBodySize - fixed.size(), '\0'));
    out = Frame::build(Protocol::CmdUpgrade, fixed);
}

QJsonObject CProtocolPacker::decoderSettingsObject(const sDecoderInfo &node)
{
    return {
        {"id", i64(node.id)},
        {"ip", str(node.ip)},
        {"mask", str(node.mask)},
        {"getway", str(node.getway)},
        {"macAddr", str(node.macAddr)},
        {"name", str(node.name)},
        {"model", node.model},
        {"mainVer", node.mainVer},
        {"majorVer", node.majorVer},
        {"minorVer", node.minorVer},
        {"managerIP", str(node.managerIP)},
        {"w", node.w},
        {"h", node.h},
        {"frameRate", double(node.frameRate)},
        {"audioOutput", node.audioOutput},
        {"mode", node.mode},
        {"logLevel", node.logLevel},
    };
}

QJsonObject CProtocolPacker::encoderSettingsObject(const sEncoderInfo &node)
{
    const QJsonObject basic{
        {"encoderID", i64(node.id)},
        {"encoderIP", str(node.ip)},
        {"subMask", str(node.mask)},
        {"getway", str(node.getway)},
        {"macAddr", str(node.macAddr)},
        {"name", str(node.name)},
        {"mainVer", node.mainVer},
        {"majorVer", node.majorVer},
        {"minorVer", node.minorVer},
        {"managerIP", str(node.managerIP)},
        {"enableUSB", node.enableUSB},
        {"logLevel", node.logLevel},
        {"signalID", i64(node.signalID)},
    };
    const QJsonObject signal{
        {"signalID", i64(node.signalID)},
        {"name", str(node.signalName)},
        {"type", node.signalType},
        {"status", node.status},
        {"srcWidth", node.sourceWidth},
        {"srcHeight", node.sourceHeight},
        {"clipX", node.x},
        {"clipY", node.y},
        {"clipW", node.w},
        {"clipH", node.h},
        {"audioType", node.audioType},
        {"a35Volume", node.a35Volume},
        {"hdmiVolume", node.hdmiVolume},
    };
    const QJsonObject stream{
        {"signalID", i64(node.streamSignalID)},
        {"username", str(node.username)},
        {"password", str(node.password)},
        {"pswEnable", node.enablePassword},
        {"videoIP", str(node.videoIP)},
        {"audioIP", str(node.audioIP)},
        {"defaultPort", node.defaultPort},
        {"backupPort", node.backupPort},
        {"videoEncodeFmt", str(node.videoFormat)},
        {"audioEncodeFmt", str(node.audioFormat)},
        {"streamIndex", node.streamIndex},
        {"channel", node.channel},
        {"transtionMode", node.mode},
        {"width", node.width},
        {"height", node.height},
        {"frameRate", double(node.frameRate)},
        {"bitRate", double(node.bitRate)},
        {"level", node.level},
        {"audioGain", node.audioGain},
        {"keyFrameInterval", node.interval},
    };
    return {{"basicInfo", basic}, {"signalInfo", signal}, {"signalStream", stream}};
}

QJsonObject CProtocolPacker::dataImportObject(const sDeviceData &data)
{
    const QJsonObject devData{
        {"id", i64(data.id)},
        {"ip", str(data.ip)},
        {"model", data.model},
        {"type", data.type},
    };
    const QJsonObject version{
        {"main", data.mainVer},
        {"major", data.majorVer},
        {"minor", data.minorVer},
    };
    return {{"devData", devData}, {"version", version}, {"data", str(data.data)}};
}
