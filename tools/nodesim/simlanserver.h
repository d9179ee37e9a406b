#pragma once

#include "simconfig.h"
#include "simnode.h"
#include "simrecorder.h"

#include <QHash>
#include <QHostAddress>
#include <QJsonObject>
#include <QObject>
#include <QUdpSocket>

#include <random>
#include <vector>

class QNetworkDatagram;
class QTcpServer;
class SimTcpSession;

// The simulated LAN: one UDP socket per command port for all nodes, TCP
// listeners on every node address, and the nodes' state.
class SimLanServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimLanServer)

public:
    SimLanServer(SimConfig config, std::vector<SimNode> nodes, bool verbose, QObject *parent = nullptr);
    ~SimLanServer() override;

    bool start(QString *error);
    QJsonObject state() const;

private:
    void onUdpReadable(QUdpSocket *socket, quint16 port);
    void handleDatagram(const QNetworkDatagram &dg, quint16 port);
    void onNewConnection(QTcpServer *server, quint16 port);
    void onTcpFrame(SimTcpSession *session, quint16 cmd, const QByteArray &payload);
    void onTcpStreamError(SimTcpSession *session, const QString &error);

    // Node at a unicast address: of several, the one that has held it longest.
    int nodeAt(const QString &ip) const;
    bool reachable(const SimNode &node) const;
    void sendScanAnswer(int index, const QHostAddress &to, quint16 port, int delayMs);
    void sendUdp(const QString &fromIp, const QByteArray &bytes, const QHostAddress &to, quint16 port);
    void sendTcpAnswer(SimTcpSession *session, const SimNode &node, quint16 code, const QByteArray &frame);
    bool moveNode(SimNode &node, const QString &newIp);
    bool applyDecoderSettings(SimNode &node, const QJsonObject &cmd, QString *why);
    bool applyEncoderSettings(SimNode &node, const QJsonObject &cmd, QString *why);
    quint32 upgradeResult(SimNode &node, const QByteArray &body, QJsonObject *rec, QString *installed);
    bool syncListeners(QString *error);
    // Listeners that never accept, with their one-place queue kept full, so a connect
    // to the address is never answered (the SYN is dropped) until the caller gives up.
    bool openBlackHole(const QString &ip, QString *error);
    void closeBlackHoles(const QString &ip);
    void saveState();
    void record(const QJsonObject &line);

    SimConfig m_config;
    std::vector<SimNode> m_nodes;
    bool m_verbose = false;
    SimRecorder m_recorder;
    QUdpSocket m_udpCommand;
    QUdpSocket m_udpLogLevel;
    QHash<QString, QList<QTcpServer *>> m_listeners;
    QHash<QString, QList<int>> m_blackHoles; // listening and filler descriptors per address
    std::mt19937 m_rng;
    quint64 m_addressSeq = 0;
    bool m_hasProxyLogLevel = false;
    int m_proxyLogLevel = 0;
};
