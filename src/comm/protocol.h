#pragma once

#include <cstdint>

// Node protocol: frame header, command codes, ports and result codes.
namespace Protocol {

constexpr int kHeaderSize = 8;

// Requests sent by the tool.
enum Command : uint16_t {
    CmdScan = 1006,
    CmdNetwork = 1007,
    CmdTimeBase = 1008,
    CmdReboot = 1011,
    CmdFactoryReset = 1012,
    CmdNodeType = 1013,
    CmdLogLevel = 1014,
    CmdDecoderSettings = 3501,
    CmdDecoderImport = 3532,
    CmdDecoderExport = 3533,
    CmdEncoderSettings = 4001,
    CmdEncoderImport = 4016,
    CmdEncoderExport = 4017,
    CmdUpgrade = 4501,
};

// An answer carries its request's code plus this.
constexpr uint16_t kAnswerOffset = 10000;

enum Answer : uint16_t {
    AnsScan = 11006,
    AnsDecoderImport = 13532,
    AnsDecoderExport = 13533,
    AnsEncoderImport = 14016,
    AnsEncoderExport = 14017,
    AnsUpgradeResult = 14501,
    AnsUpgradeProgress = 14502,
};

// Ports.
constexpr uint16_t kUdpCommandPort = 7788;
constexpr uint16_t kUdpLogLevelPort = 7799;
constexpr uint16_t kTcpDataPort = 9988;
constexpr uint16_t kTcpUpgradePort = 7780;

// Send results of the two transports.
constexpr int kTcpSent = 0x1000;
constexpr int kTcpNoLink = 0x1001;
constexpr int kUdpSent = 1;
constexpr int kUdpFailed = -1;

// One rule turns any send result into success.
constexpr bool sendSucceeded(int code)
{
    return code == kTcpSent || (code != kTcpNoLink && code >= 1);
}

// The upgrade command body and frame.
constexpr int kUpgradeBodySize = 217;
constexpr int kUpgradeFrameSize = kHeaderSize + kUpgradeBodySize;

// Kind tags of an upgrade package ('QVa', 'QVA', 'QV').
constexpr uint32_t kPackageDecoder = 0x515661;
constexpr uint32_t kPackageEncoder = 0x515641;
constexpr uint32_t kPackageOther = 0x5156;

// Upgrade result codes (answer 14501).
constexpr uint32_t kUpgradeOk = 1;
constexpr uint32_t kUpgradeKillAppFailed = 0x21000011;
constexpr uint32_t kUpgradeRemoveAppFailed = 0x21000012;
constexpr uint32_t kUpgradeWriteAppFailed = 0x21000013;
constexpr uint32_t kUpgradeMd5Mismatch = 0x21000014;
constexpr uint32_t kUpgradeModelMismatch = 0x21000015;
constexpr uint32_t kUpgradeVersionTooLow = 0x21000016;
constexpr uint32_t kUpgradeFrameMismatch = 0x21000017;
constexpr uint32_t kUpgradeOtherError = 0x21000018;
constexpr uint32_t kUpgradeBadFile = 0x21000019;

} // namespace Protocol
