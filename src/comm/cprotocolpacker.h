#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <cstdint>

#include "comm/sdevicedata.h"
#include "model/sdeviceinfo.h"

// Builds every outgoing frame. Stateless.
class CProtocolPacker final
{
public:
    // Header (reserved word as given, length 8 + text) followed by the indented JSON text.
    static void packFrame(uint16_t cmdType, uint16_t reserved, const QJsonObject &object, QByteArray &out);

    void packScan(QByteArray &out) const;
    void packNetwork(const QString &ip, const QString &mask, const QString &gateway, QByteArray &out) const;
    void packTimeBase(int64_t ptsBase, QByteArray &out) const;
    void packReboot(int64_t nodeId, QByteArray &out) const;
    void packFactoryReset(int64_t nodeId, QByteArray &out) const;
    void packNodeType(int64_t deviceType, QByteArray &out) const;
    void packLogLevel(int level, QByteArray &out) const;
    void packDecoderSettings(const sDecoderInfo &node, QByteArray &out) const;
    void packEncoderSettings(const sEncoderInfo &node, QByteArray &out) const;
    void packDecoderImport(const sDeviceData &data, QByteArray &out) const;
    void packDecoderExport(QByteArray &out) const;
    void packEncoderImport(const sDeviceData &data, QByteArray &out) const;
    void packEncoderExport(QByteArray &out) const;
    // body: the 217-byte upgrade command body; the frame is 225 bytes.
    void packUpgrade(const QByteArray &body, QByteArray &out) const;

    // The JSON documents on their own (also used by tests and the data files).
    static QJsonObject decoderSettingsObject(const sDecoderInfo &node);
    static QJsonObject encoderSettingsObject(const sEncoderInfo &node);
    // {"devData", "version", "data"}: the import command and the data-file entry.
    static QJsonObject dataImportObject(const sDeviceData &data);
};
