#pragma once

#include <QByteArray>
#include <QJsonObject>

// The node side of the frame format: 8-byte little-endian header (u16 code,
// u16 reserved, u32 total length) and the payloads the nodes read and write.
// Written from the protocol tables on purpose, independently of the program.
namespace SimFrame {

constexpr int kHeaderSize = 8;
constexpr int kUpgradeBodySize = 217;

constexpr quint16 kScan = 1006;
constexpr quint16 kNetwork = 1007;
constexpr quint16 kTimeBase = 1008;
constexpr quint16 kReboot = 1011;
constexpr quint16 kFactoryReset = 1012;
constexpr quint16 kNodeType = 1013;
constexpr quint16 kLogLevel = 1014;
constexpr quint16 kDecoderSettings = 3501;
constexpr quint16 kDecoderImport = 3532;
constexpr quint16 kDecoderExport = 3533;
constexpr quint16 kEncoderSettings = 4001;
constexpr quint16 kEncoderImport = 4016;
constexpr quint16 kEncoderExport = 4017;
constexpr quint16 kUpgrade = 4501;
constexpr quint16 kAnswerOffset = 10000;
constexpr quint16 kUpgradeProgress = 14502;

constexpr quint16 kUdpCommandPort = 7788;
constexpr quint16 kUdpLogLevelPort = 7799;
constexpr quint16 kTcpDataPort = 9988;
constexpr quint16 kTcpUpgradePort = 7780;

constexpr quint32 kUpgradeOk = 1;
constexpr quint32 kUpgradeMd5Mismatch = 0x21000014;
constexpr quint32 kUpgradeBadFile = 0x21000019;

struct Header
{
    quint16 cmd = 0;
    quint16 reserved = 0;
    quint32 length = 0;
};

// A header followed by the payload; lengthField 0 means the true length.
QByteArray pack(quint16 cmd, const QByteArray &payload, quint32 lengthField = 0);
// The reply envelope {"res":res,"data":data} in Qt's indented layout.
QByteArray packAnswer(quint16 cmd, const QJsonObject &data, int res = 0);
QByteArray packBinary32(quint16 cmd, quint32 value);

bool readHeader(const QByteArray &bytes, Header *header);

// The 217-byte body of the upgrade command, field by field.
struct UpgradeCmd
{
    int lead = 0;
    quint32 upgradeType = 0;
    quint32 packageKind = 0;
    QByteArray version;  // up to the first NUL of its 16 bytes
    QByteArray md5;      // the 32 characters as sent
    QByteArray fileName; // up to the first NUL of its 128 bytes
    bool tailZero = false;
    QJsonObject toJson() const;
};

bool decodeUpgrade(const QByteArray &body, UpgradeCmd *cmd);

} // namespace SimFrame
