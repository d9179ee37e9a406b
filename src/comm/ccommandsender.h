#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "comm/cprotocolpacker.h"
#include "comm/cudpclient.h"
#include "comm/sdevicedata.h"
#include "model/sdeviceinfo.h"

// Packs and sends every node command. Process-wide, created on first use, never
// destroyed. UDP sends return 1 or -1, TCP sends 0x1000 or 0x1001.
class CCommandSender final
{
    Q_DISABLE_COPY_MOVE(CCommandSender)

public:
    static CCommandSender &instance();

    int sendScan(const std::function<bool()> &stop = {}); // 1006 broadcast; stop ends the window
    // 1006 from every one of cards to its subnet and to 255.255.255.255, one window for all.
    int sendScanOn(const QVector<sNetInterface> &cards, const std::function<bool()> &stop = {});
    int sendProbe(const QByteArray &ip);              // 1006 unicast
    int sendNetwork(const QByteArray &currentIp, const QString &newIp, const QString &mask,
                    const QString &gateway);          // 1007
    // The address is accepted for the callers' sake; 1008 always goes out as a broadcast.
    int sendTimeBase(const QByteArray &ip, int64_t ptsBase);
    int sendTimeBaseOn(const QVector<sNetInterface> &cards, int64_t ptsBase); // 1008 from every card
    int sendReboot(const QByteArray &ip, int64_t nodeId);       // 1011
    int sendFactoryReset(const QByteArray &ip, int64_t nodeId); // 1012
    bool sendNodeType(const QByteArray &ip, int64_t deviceType); // 1013; true when sent
    int sendLogLevel(int level);                                // 1014 broadcast to 7799
    int sendLogLevelOn(const QVector<sNetInterface> &cards, int level); // 1014 from every card
    int sendDecoderSettings(const QByteArray &ip, const sDecoderInfo &node); // 3501
    int sendEncoderSettings(const QByteArray &ip, const sEncoderInfo &node); // 4001
    int sendDecoderImport(const QByteArray &ip, const sDeviceData &data);    // 3532, TCP
    int sendDecoderExport(const QByteArray &ip);                             // 3533, TCP
    int sendEncoderImport(const QByteArray &ip, const sDeviceData &data);    // 4016, TCP
    int sendEncoderExport(const QByteArray &ip);                             // 4017, TCP
    // body: the 217-byte upgrade command; goes to TCP 7780.
    int sendUpgrade(const QByteArray &ip, const QByteArray &body);

    // Frames of a bulk command, sent in the given order from one socket with one receive
    // window for all of them (CUdpClient::sendBatchAndCollect); results[i] is 1 or -1.
    int sendBatch(const QVector<CUdpClient::sUnicast> &sends, QVector<int> &results,
                  const std::function<bool()> &stop = {});
    const CProtocolPacker &packer() const { return m_packer; }

    CUdpClient &udpClient() { return m_udp; }

private:
    CCommandSender() = default;
    int unicast(const QByteArray &frame, const QByteArray &ip);
    int sendTcp(const QByteArray &ip, int port, const QByteArray &frame);

    CUdpClient m_udp;
    CProtocolPacker m_packer;
};
