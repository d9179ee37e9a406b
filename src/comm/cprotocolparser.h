#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "comm/sdevicedata.h"
#include "model/sdeviceinfo.h"

struct sTransAnswer;

// Dispatches every received frame by command code, parses it into a record and
// announces it to the observer list. Keeps no state.
class CProtocolParser final
{
public:
    // payload stays owned by the caller; ip is empty for UDP answers.
    void parse(int cmdType, const char *payload, size_t length, const QByteArray &ip) const;

    // Forwarded SFTP transfer events.
    void transEnd(const sTransAnswer *answer) const;
    void transProgress(const QString &ip, uint32_t finishedSize) const;

    // The reply envelope: an object whose "data" is an object. res is 0 when absent.
    static bool parseReply(const QByteArray &payload, int &res, QJsonObject &data);

    static void readDecoder(const QJsonObject &nodeData, sDecoderInfo &out);
    static void readEncoder(const QJsonObject &nodeData, sEncoderInfo &out);
    static void readDeviceData(const QJsonObject &data, sDeviceData &out);
    static void readImportResult(const QJsonObject &data, sImportDataRes &out);
};
