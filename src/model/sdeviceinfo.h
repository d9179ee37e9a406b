#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <cstdint>

// Node type. 0 only ever appears as a filter value ("all types").
enum ENodeType : int {
    AllNodeTypes = 0,
    DecoderNode = 1,
    EncoderNode = 2,
};

// The part every node record shares. Strings are UTF-8 bytes as the node sent them.
struct sDeviceInfo
{
    int64_t id = 0;
    QByteArray ip;
    QByteArray mask;
    QByteArray getway;
    QByteArray macAddr;
    QByteArray name;
    int model = 16;
    int mainVer = 0;
    int majorVer = 0;
    int minorVer = 0;
    bool enableUSB = false;
    QByteArray managerIP;
    int conflictState = 0; // 0 none, 1 shared MAC address, 2 shared IP address
    bool selected = false;
    int nodeType = 0;      // ENodeType, set by the store
    uint32_t ipValue = 0;  // set by the store from ip
    QByteArray version;
    int logLevel = 2;
    QByteArray sender;    // source address of the scan answer; empty when not known
    int addrMarks = 0;    // EAddrMark bits, set when the record is stored and listed
};

// What a listed record's address has against it.
enum EAddrMark : int {
    AddrInvalid = 1,       // breaks the node address rule: listed, never a destination
    AddrSenderDiffers = 2, // the answer came from another address than the one it reports
    AddrIdConflict = 4,    // another record reports the same id
};

struct sDecoderInfo : sDeviceInfo
{
    int w = 0;
    int h = 0;
    float frameRate = 0.0f;
    int audioOutput = 0;
    int mode = 0; // 0 screen, 1 seat (KVM), 2 matrix
};

struct sEncoderInfo : sDeviceInfo
{
    int64_t signalID = 0;
    int64_t sourceID = 0;
    QByteArray signalName;
    int signalType = 0;
    int status = 0;
    QByteArray streamUrl;
    int sourceWidth = 0;
    int sourceHeight = 0;
    bool clipEnable = false;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int audioType = 0;
    int a35Volume = 0;
    int hdmiVolume = 0;
    int64_t streamSignalID = 0; // the stream's own signal id
    QByteArray username;
    QByteArray password;
    bool enablePassword = false;
    QByteArray videoIP;
    QByteArray audioIP;
    int defaultPort = 0;
    int backupPort = 0;
    QByteArray videoFormat;
    QByteArray audioFormat;
    int streamIndex = 0;
    int channel = 0;
    int mode = 0;
    int width = 0;
    int height = 0;
    float frameRate = 0.0f;
    float bitRate = 0.0f;
    int level = 0;
    int audioGain = 0;
    int interval = 0;
};

// One checked table row as the bulk commands receive it.
struct sSelectedNode
{
    int64_t id = 0;
    QByteArray ip;
    QByteArray managerIP;
    int nodeType = 0;
};
using SelectedNodeList = QList<sSelectedNode>;

// Dotted IPv4 text to its numeric value; a part that is not a decimal number counts as 0.
uint32_t ipToValue(const QByteArray &ip);

// Registers the record types with Qt's meta-type system (idempotent).
void registerNodeMetaTypes();

Q_DECLARE_METATYPE(sDeviceInfo)
Q_DECLARE_METATYPE(ENodeType)
