#include "comm/ccommandsender.h"

#include "comm/ctcpmanager.h"
#include "comm/protocol.h"

namespace {
const QString kBroadcast = QStringLiteral("broadcast");
const QString kUnicast = QStringLiteral("unicast");
} // namespace

CCommandSender &CCommandSender::instance()
{
    static CCommandSender *sender = new CCommandSender;
    return *sender;
}

int CCommandSender::unicast(const QByteArray &frame, const QByteArray &ip)
{
    return m_udp.sendAndCollect(frame, ip, Protocol::kUdpCommandPort, kUnicast);
}

int CCommandSender::sendBatch(const QVector<CUdpClient::sUnicast> &sends, QVector<int> &results,
                              const std::function<bool()> &stop)
{
    return m_udp.sendBatchAndCollect(sends, Protocol::kUdpCommandPort, results, stop);
}

int CCommandSender::sendTcp(const QByteArray &ip, int port, const QByteArray &frame)
{
    return CTcpManager::instance().sendFrame(QString::fromUtf8(ip), port, frame);
}

int CCommandSender::sendScan(const std::function<bool()> &stop)
{
    QByteArray frame;
    m_packer.packScan(frame);
    return m_udp.sendAndCollect(frame, QByteArray(), Protocol::kUdpCommandPort, kBroadcast, stop);
}

int CCommandSender::sendScanOn(const QVector<sNetInterface> &cards, const std::function<bool()> &stop)
{
    QByteArray frame;
    m_packer.packScan(frame);
    return m_udp.broadcastOnInterfaces(frame, Protocol::kUdpCommandPort, cards, stop);
}

int CCommandSender::sendProbe(const QByteArray &ip)
{
    QByteArray frame;
    m_packer.packScan(frame);
    return unicast(frame, ip);
}

int CCommandSender::sendNetwork(const QByteArray &currentIp, const QString &newIp, const QString &mask,
                                const QString &gateway)
{
    QByteArray frame;
    m_packer.packNetwork(newIp, mask, gateway, frame);
    return unicast(frame, currentIp);
}

int CCommandSender::sendTimeBase(const QByteArray &ip, int64_t ptsBase)
{
    QByteArray frame;
    m_packer.packTimeBase(ptsBase, frame);
    return m_udp.sendAndCollect(frame, ip, Protocol::kUdpCommandPort, kBroadcast);
}

int CCommandSender::sendTimeBaseOn(const QVector<sNetInterface> &cards, int64_t ptsBase)
{
    QByteArray frame;
    m_packer.packTimeBase(ptsBase, frame);
    return m_udp.broadcastOnInterfaces(frame, Protocol::kUdpCommandPort, cards);
}

int CCommandSender::sendReboot(const QByteArray &ip, int64_t nodeId)
{
    QByteArray frame;
    m_packer.packReboot(nodeId, frame);
    return unicast(frame, ip);
}

int CCommandSender::sendFactoryReset(const QByteArray &ip, int64_t nodeId)
{
    QByteArray frame;
    m_packer.packFactoryReset(nodeId, frame);
    return unicast(frame, ip);
}

bool CCommandSender::sendNodeType(const QByteArray &ip, int64_t deviceType)
{
    QByteArray frame;
    m_packer.packNodeType(deviceType, frame);
    return unicast(frame, ip) >= 1;
}

int CCommandSender::sendLogLevel(int level)
{
    QByteArray frame;
    m_packer.packLogLevel(level, frame);
    return m_udp.sendAndCollect(frame, QByteArray(), Protocol::kUdpLogLevelPort, kBroadcast);
}

int CCommandSender::sendLogLevelOn(const QVector<sNetInterface> &cards, int level)
{
    QByteArray frame;
    m_packer.packLogLevel(level, frame);
    return m_udp.broadcastOnInterfaces(frame, Protocol::kUdpLogLevelPort, cards);
}

int CCommandSender::sendDecoderSettings(const QByteArray &ip, const sDecoderInfo &node)
{
    QByteArray frame;
    m_packer.packDecoderSettings(node, frame);
    return unicast(frame, ip);
}

int CCommandSender::sendEncoderSettings(const QByteArray &ip, const sEncoderInfo &node)
{
    QByteArray frame;
    m_packer.packEncoderSettings(node, frame);
    return unicast(frame, ip);
}

int CCommandSender::sendDecoderImport(const QByteArray &ip, const sDeviceData &data)
{
    QByteArray frame;
    m_packer.packDecoderImport(data, frame);
    return sendTcp(ip, Protocol::kTcpDataPort, frame);
}

int CCommandSender::sendDecoderExport(const QByteArray &ip)
{
    QByteArray frame;
    m_packer.packDecoderExport(frame);
    return sendTcp(ip, Protocol::kTcpDataPort, frame);
}

int CCommandSender::sendEncoderImport(const QByteArray &ip, const sDeviceData &data)
{
    QByteArray frame;
    m_packer.packEncoderImport(data, frame);
    return sendTcp(ip, Protocol::kTcpDataPort, frame);
}

int CCommandSender::sendEncoderExport(const QByteArray &ip)
{
    QByteArray frame;
    m_packer.packEncoderExport(frame);
    return sendTcp(ip, Protocol::kTcpDataPort, frame);
}

int CCommandSender::sendUpgrade(const QByteArray &ip, const QByteArray &body)
{
    QByteArray frame;
    m_packer.packUpgrade(body, frame);
    return sendTcp(ip, Protocol::kTcpUpgradePort, frame);
}
