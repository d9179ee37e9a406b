#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>

// Misbehaviour a node can be told to show, for tests of the tool's defences.
struct SimFaults
{
    // UDP
    bool silent = false;        // never answers on UDP
    bool offline = false;       // ignores all UDP and has no TCP listeners
    bool twice = false;         // every UDP answer goes out twice
    bool dupIp = false;         // claims the previous node's address
    bool dupMac = false;        // reports the previous node's MAC
    bool shortFrame = false;    // scan answer cut to 5 bytes
    bool badLength = false;     // scan answer's length field 4 too large
    bool huge = false;          // scan answer above 10240 bytes
    bool notJson = false;       // scan answer payload is not JSON
    bool dataNotObject = false; // "data" is a string
    bool badNodeType = false;   // "nodeType" 3
    int delayMs = 0;            // extra delay before every UDP answer
    // TCP
    bool tcpSilent = false;     // reads and records, never answers
    bool tcpRefuse = false;     // no listener on the node's address
    bool unreachable = false;   // ignores all UDP; TCP connections are never answered
    int tcpDelayMs = 0;         // extra delay before every TCP answer
    bool tcpSplit = false;      // answers written as 5 bytes, 3 bytes, rest
    bool tcpTwoFrames = false;  // two frames in one write
    bool tcpLen8 = false;       // an empty frame (length 8) before the answer
    bool tcpLenBelow8 = false;  // a header with length 4 before the answer
    bool tcpHugeLength = false; // a header claiming ~2 GB before the answer
    bool importFail = false;    // import answers result 2
    bool upgradeSilent = false; // no answer to 4501
    bool upgradeKeepsVersion = false; // answers success, keeps its version
    bool hasUpgradeCode = false;
    quint32 upgradeCode = 0;    // forced 14501 value
    // Hostile peers
    QString claimIp;            // scan answers report this "ip" (any text), sent from the node's own address
    QString exportIp;           // export answers carry this devData "ip"
    int flood = 0;              // a broadcast scan gets this many more answers, ids counting up from the node's

    // "name" or "name=value"; false with *error set for an unknown mode.
    bool apply(const QString &mode, QString *error);
    QStringList names() const;
};

// One simulated node. Its answer document is kept exactly as it goes on the
// wire: a flat object for a decoder, deviceInfo/signalInfo/streamInfo for an
// encoder. Commands edit that document.
class SimNode final
{
public:
    int index = 0;
    int type = 1; // 1 decoder, 2 encoder
    QJsonObject doc;
    QString data; // opaque configuration text of export/import
    SimFaults faults;

    int rebootCount = 0;
    int resetCount = 0;
    int typeSwitchCount = 0;
    int settingsCount = 0;
    int networkCount = 0;
    int upgradeCount = 0;
    bool hasPtsBase = false;
    qint64 ptsBase = 0;
    int importCount = 0;
    QJsonObject importedVersion;
    qint64 silentUntilMs = 0;
    quint64 addressSeq = 0; // when the node took its address; 0 from the start

    // Common fields by their decoder key; encoders keep them in "deviceInfo"
    // (the three version numbers under other names there).
    QJsonValue common(const QString &decoderKey) const;
    void setCommon(const QString &decoderKey, const QJsonValue &value);
    void removeCommon(const QString &decoderKey);

    QString ip() const { return common(QStringLiteral("ip")).toString(); }
    qint64 id() const { return qint64(common(QStringLiteral("id")).toDouble()); }
    QString name() const { return common(QStringLiteral("name")).toString(); }

    QJsonObject scanData() const;   // "data" of 11006
    // The answer of a flood: the node's, with its id raised by step.
    QJsonObject floodData(int step) const;
    QJsonObject exportData() const; // "data" of 13533/14017
    QJsonObject stateJson() const;

    // Type-specific settings back to defaults; identity and address kept.
    void factoryReset();
    void switchType(int newType);
    // Firmware version after an upgrade, the text as given; "V2.0.1" also gives 2, 0, 1.
    void setFirmwareVersion(const QString &text);
};

// Everything a node is generated from.
struct SimIdentity
{
    qint64 id = 0;
    QString ip;
    QString mask;
    QString gateway;
    QString mac;
    QString name;
    int model = 16;
    int mainVer = 1;
    int majorVer = 0;
    int minorVer = 0;
    QString version;
    QString managerIp;
    bool hasLogLevel = true;
    int logLevel = 2;
};

namespace SimNodeFactory {
// A node of the given type with values drawn from (seed, index).
SimNode generate(int type, int index, quint64 seed, const QString &ip, const QString &managerIp);
QJsonObject decoderDoc(const SimIdentity &ident);
QJsonObject encoderDoc(const SimIdentity &ident, int index);
QString defaultName(int type, const QString &mac);
} // namespace SimNodeFactory
