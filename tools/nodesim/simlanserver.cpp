#include "simlanserver.h"

#include "simframe.h"
#include "simtcpsession.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkDatagram>
#include <QPointer>
#include <QSet>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <cstring>

#ifdef Q_OS_LINUX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace SimFrame;

namespace {

const QString kBroadcast = QStringLiteral("255.255.255.255");

bool isIPv4Text(const QString &ip)
{
    bool ok = false;
    const QHostAddress a(ip);
    a.toIPv4Address(&ok);
    return ok && a.toString() == ip;
}

// Answer object/key of an encoder field, by the object/key of command 4001.
struct EncoderKey
{
    const char *cmdObject;
    const char *cmdKey;
    const char *ansObject;
    const char *ansKey;
};

const EncoderKey kEncoderKeys[] = {
    {"basicInfo", "subMask", "deviceInfo", "mask"},
    {"basicInfo", "getway", "deviceInfo", "getway"},
    {"basicInfo", "macAddr", "deviceInfo", "macAddr"},
    {"basicInfo", "name", "deviceInfo", "name"},
    {"basicInfo", "managerIP", "deviceInfo", "managerIP"},
    {"basicInfo", "enableUSB", "deviceInfo", "enableUSB"},
    {"basicInfo", "logLevel", "deviceInfo", "logLevel"},
    {"signalInfo", "signalID", "signalInfo", "signalID"},
    {"signalInfo", "name", "signalInfo", "signalName"},
    {"signalInfo", "type", "signalInfo", "signalType"},
    {"signalInfo", "status", "signalInfo", "status"},
    {"signalInfo", "srcWidth", "signalInfo", "sourceWidth"},
    {"signalInfo", "srcHeight", "signalInfo", "sourceHeight"},
    {"signalInfo", "clipX", "signalInfo", "x"},
    {"signalInfo", "clipY", "signalInfo", "y"},
    {"signalInfo", "clipW", "signalInfo", "w"},
    {"signalInfo", "clipH", "signalInfo", "h"},
    {"signalInfo", "audioType", "signalInfo", "audioType"},
    {"signalInfo", "a35Volume", "signalInfo", "a35Volume"},
    {"signalInfo", "hdmiVolume", "signalInfo", "hdmiVolume"},
    {"signalStream", "signalID", "streamInfo", "signalID"},
    {"signalStream", "username", "streamInfo", "username"},
    {"signalStream", "password", "streamInfo", "password"},
    {"signalStream", "pswEnable", "streamInfo", "enablePassword"},
    {"signalStream", "videoIP", "streamInfo", "videoIP"},
    {"signalStream", "audioIP", "streamInfo", "audioIP"},
    {"signalStream", "defaultPort", "streamInfo", "defaultPort"},
    {"signalStream", "backupPort", "streamInfo", "backupPort"},
    {"signalStream", "videoEncodeFmt", "streamInfo", "videoFormat"},
    {"signalStream", "audioEncodeFmt", "streamInfo", "audioFormat"},
    {"signalStream", "streamIndex", "streamInfo", "streamIndex"},
    {"signalStream", "channel", "streamInfo", "channel"},
    {"signalStream", "transtionMode", "streamInfo", "mode"},
    {"signalStream", "width", "streamInfo", "width"},
    {"signalStream", "height", "streamInfo", "height"},
    {"signalStream", "frameRate", "streamInfo", "frameRate"},
    {"signalStream", "bitRate", "streamInfo", "bitRate"},
    {"signalStream", "level", "streamInfo", "level"},
    {"signalStream", "audioGain", "streamInfo", "audioGain"},
    {"signalStream", "keyFrameInterval", "streamInfo", "interval"},
};

// Decoder settings a node takes from 3501; id, model and firmware numbers are
// the node's own and stay.
const char *const kDecoderSettingKeys[] = {"mask", "getway", "macAddr", "name", "managerIP", "w", "h",
                                           "frameRate", "audioOutput", "mode", "logLevel"};

} // namespace

SimLanServer::SimLanServer(SimConfig config, std::vector<SimNode> nodes, bool verbose, QObject *parent)
    : QObject(parent)
    , m_config(std::move(config))
    , m_nodes(std::move(nodes))
    , m_verbose(verbose)
    , m_rng(quint32(m_config.seed * 2654435761u + 17))
{
}

SimLanServer::~SimLanServer()
{
    for (const QString &ip : m_blackHoles.keys())
        closeBlackHoles(ip);
}

bool SimLanServer::start(QString *error)
{
    if (!m_config.recordPath.isEmpty() && !m_recorder.open(m_config.recordPath, error))
        return false;
    if (!m_udpCommand.bind(QHostAddress::AnyIPv4, kUdpCommandPort, QUdpSocket::DontShareAddress)) {
        *error = QStringLiteral("cannot bind UDP %1: %2").arg(kUdpCommandPort).arg(m_udpCommand.errorString());
        return false;
    }
    if (!m_udpLogLevel.bind(QHostAddress::AnyIPv4, kUdpLogLevelPort, QUdpSocket::DontShareAddress)) {
        *error = QStringLiteral("cannot bind UDP %1: %2").arg(kUdpLogLevelPort).arg(m_udpLogLevel.errorString());
        return false;
    }
    // A thousand nodes share this one socket: room for a burst of commands to all of them.
    m_udpCommand.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 * 1024 * 1024);
    connect(&m_udpCommand, &QUdpSocket::readyRead, this, [this] { onUdpReadable(&m_udpCommand, kUdpCommandPort); });
    connect(&m_udpLogLevel, &QUdpSocket::readyRead, this, [this] { onUdpReadable(&m_udpLogLevel, kUdpLogLevelPort); });
    if (!syncListeners(error))
        return false;
    saveState();
    return true;
}

QJsonObject SimLanServer::state() const
{
    QJsonArray nodes;
    for (const SimNode &n : m_nodes)
        nodes.append(n.stateJson());
    QJsonObject s;
    s.insert(QStringLiteral("nodes"), nodes);
    s.insert(QStringLiteral("seed"), qint64(m_config.seed));
    s.insert(QStringLiteral("sftpRoot"), m_config.sftpRoot);
    if (m_hasProxyLogLevel)
        s.insert(QStringLiteral("proxyLogLevel"), m_proxyLogLevel);
    return s;
}

void SimLanServer::saveState()
{
    if (!m_config.statePath.isEmpty() && !writeStateFile(m_config.statePath, state()))
        std::fprintf(stderr, "nodesim: cannot write %s\n", qPrintable(m_config.statePath));
}

void SimLanServer::record(const QJsonObject &line)
{
    m_recorder.write(line);
    if (m_verbose) {
        std::fprintf(stderr, "nodesim: %s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
        std::fflush(stderr);
    }
}

bool SimLanServer::reachable(const SimNode &node) const
{
    return !node.faults.offline && !node.faults.unreachable
        && QDateTime::currentMSecsSinceEpoch() >= node.silentUntilMs;
}

int SimLanServer::nodeAt(const QString &ip) const
{
    // A node that just moved onto a taken address does not capture it, so
    // re-addressing a row of nodes one after the other works as planned.
    int best = -1;
    for (const SimNode &n : m_nodes)
        if (n.ip() == ip && (best < 0 || n.addressSeq < m_nodes[size_t(best)].addressSeq))
            best = n.index;
    return best;
}

// ---------------------------------------------------------------- UDP

void SimLanServer::onUdpReadable(QUdpSocket *socket, quint16 port)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram dg = socket->receiveDatagram(256 * 1024);
        if (dg.isValid())
            handleDatagram(dg, port);
    }
}

void SimLanServer::sendUdp(const QString &fromIp, const QByteArray &bytes, const QHostAddress &to, quint16 port)
{
#ifdef Q_OS_LINUX
    // Answers leave from the node's own address, as on a real LAN. Qt fills
    // ipi_addr, which Linux ignores on send; ipi_spec_dst is what sets it.
    bool ok = false;
    const quint32 src = QHostAddress(fromIp).toIPv4Address(&ok);
    const quint32 dst = to.toIPv4Address();
    if (ok && to.protocol() == QAbstractSocket::IPv4Protocol) {
        sockaddr_in sin = {};
        sin.sin_family = AF_INET;
        sin.sin_port = htons(port);
        sin.sin_addr.s_addr = htonl(dst);
        iovec iov = {const_cast<char *>(bytes.constData()), size_t(bytes.size())};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr msg = {};
        msg.msg_name = &sin;
        msg.msg_namelen = sizeof sin;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr *cm = CMSG_FIRSTHDR(&msg);
        cm->cmsg_level = IPPROTO_IP;
        cm->cmsg_type = IP_PKTINFO;
        cm->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info = {};
        info.ipi_spec_dst.s_addr = htonl(src);
        std::memcpy(CMSG_DATA(cm), &info, sizeof info);
        if (::sendmsg(int(m_udpCommand.socketDescriptor()), &msg, MSG_NOSIGNAL) == bytes.size())
            return;
    }
#else
    Q_UNUSED(fromIp)
#endif
    m_udpCommand.writeDatagram(bytes, to, port);
}

void SimLanServer::sendScanAnswer(int index, const QHostAddress &to, quint16 port, int delayMs)
{
    auto send = [this, index, to, port] {
        const SimNode &node = m_nodes[size_t(index)];
        if (!reachable(node))
            return;
        const SimFaults &f = node.faults;
        QByteArray frame;
        if (f.notJson) {
            frame = pack(kScan + kAnswerOffset, QByteArray("{\"res\":0,\"data\":{\"nodeType\":1, nodeData 名称"));
        } else if (f.dataNotObject) {
            QJsonObject env;
            env.insert(QStringLiteral("res"), 0);
            env.insert(QStringLiteral("data"), QStringLiteral("nodeData"));
            frame = pack(kScan + kAnswerOffset, QJsonDocument(env).toJson(QJsonDocument::Indented));
        } else {
            QJsonObject data = node.scanData();
            if (f.huge) {
                QJsonObject nd = data.value(QStringLiteral("nodeData")).toObject();
                nd.insert(QStringLiteral("padding"), QString(12000, QLatin1Char('x')));
                data.insert(QStringLiteral("nodeData"), nd);
            }
            frame = packAnswer(kScan + kAnswerOffset, data);
        }
        if (f.badLength)
            frame = pack(kScan + kAnswerOffset, frame.mid(kHeaderSize), quint32(frame.size() + 4));
        if (f.shortFrame)
            frame = frame.left(5);
        sendUdp(node.ip(), frame, to, port);
        if (f.twice)
            sendUdp(node.ip(), frame, to, port);
        for (int step = 1; step <= f.flood; ++step)
            sendUdp(node.ip(), packAnswer(kScan + kAnswerOffset, node.floodData(step)), to, port);
    };
    if (delayMs > 0)
        QTimer::singleShot(delayMs, this, send);
    else
        send();
}

void SimLanServer::handleDatagram(const QNetworkDatagram &dg, quint16 port)
{
    const QByteArray bytes = dg.data();
    const QString dest = dg.destinationAddress().toString();
    const bool broadcast = dest == kBroadcast;
    QJsonObject rec;
    rec.insert(QStringLiteral("transport"), QStringLiteral("udp"));
    rec.insert(QStringLiteral("port"), port);
    rec.insert(QStringLiteral("node"), dest);
    rec.insert(QStringLiteral("broadcast"), broadcast);
    rec.insert(QStringLiteral("from"), QStringLiteral("%1:%2").arg(dg.senderAddress().toString()).arg(dg.senderPort()));
    rec.insert(QStringLiteral("size"), bytes.size());

    Header h;
    if (!readHeader(bytes, &h)) {
        rec.insert(QStringLiteral("error"), QStringLiteral("short frame"));
        record(rec);
        return;
    }
    rec.insert(QStringLiteral("cmd"), h.cmd);
    if (h.reserved != 0)
        rec.insert(QStringLiteral("reserved"), h.reserved);
    if (h.length != quint32(bytes.size())) {
        rec.insert(QStringLiteral("error"), QStringLiteral("length field %1").arg(h.length));
        record(rec);
        return;
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.mid(kHeaderSize), &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        rec.insert(QStringLiteral("error"), QStringLiteral("payload is not a JSON object"));
        rec.insert(QStringLiteral("text"), QString::fromUtf8(bytes.mid(kHeaderSize, 200)));
        record(rec);
        return;
    }
    const QJsonObject cmd = doc.object();
    rec.insert(QStringLiteral("payload"), cmd);

    // Who hears it: everyone for a broadcast, the address owner otherwise.
    std::vector<int> targets;
    if (broadcast) {
        for (const SimNode &n : m_nodes)
            if (reachable(n))
                targets.push_back(n.index);
    } else {
        const int i = nodeAt(dest);
        if (i >= 0 && reachable(m_nodes[size_t(i)]))
            targets.push_back(i);
    }

    QJsonArray applied;
    QString why;
    bool changed = false;
    const bool onCommandPort = port == kUdpCommandPort;
    if (h.cmd == kLogLevel) {
        if (port != kUdpLogLevelPort) {
            why = QStringLiteral("log level on the command port");
        } else if (cmd.value(QStringLiteral("logLevel")).isDouble()) {
            const int level = cmd.value(QStringLiteral("logLevel")).toInt();
            m_hasProxyLogLevel = true;
            m_proxyLogLevel = level;
            QSet<QString> proxies;
            for (const SimNode &n : m_nodes)
                proxies.insert(n.common(QStringLiteral("managerIP")).toString());
            for (int i : targets) {
                SimNode &n = m_nodes[size_t(i)];
                if (!broadcast || proxies.contains(n.ip())) {
                    n.setCommon(QStringLiteral("logLevel"), level);
                    applied.append(n.ip());
                }
            }
            changed = true;
        } else {
            why = QStringLiteral("no numeric logLevel");
        }
    } else if (!onCommandPort) {
        why = QStringLiteral("not a log level command");
    } else if (h.cmd == kScan) {
        for (int i : targets) {
            const SimNode &n = m_nodes[size_t(i)];
            if (n.faults.silent)
                continue;
            std::uniform_int_distribution<int> spread(0, broadcast ? qMax(0, m_config.spreadMs) : 0);
            sendScanAnswer(i, dg.senderAddress(), quint16(dg.senderPort()), spread(m_rng) + n.faults.delayMs);
            applied.append(n.ip());
        }
    } else if (h.cmd == kNetwork) {
        if (broadcast) {
            why = QStringLiteral("network settings must be unicast");
        } else {
            for (int i : targets) {
                SimNode &n = m_nodes[size_t(i)];
                const QString ip = cmd.value(QStringLiteral("ip")).toString();
                if (!moveNode(n, ip)) {
                    why = QStringLiteral("bad address \"%1\"").arg(ip);
                    continue;
                }
                n.setCommon(QStringLiteral("mask"), cmd.value(QStringLiteral("mask")).toString());
                n.setCommon(QStringLiteral("getway"), cmd.value(QStringLiteral("getway")).toString());
                ++n.networkCount;
                applied.append(n.ip());
                changed = true;
            }
        }
    } else if (h.cmd == kTimeBase) {
        const QJsonValue v = cmd.value(QStringLiteral("ptsBase"));
        if (!v.isDouble()) {
            why = QStringLiteral("no numeric ptsBase");
        } else {
            for (int i : targets) {
                SimNode &n = m_nodes[size_t(i)];
                n.hasPtsBase = true;
                n.ptsBase = qint64(v.toDouble());
                applied.append(n.ip());
                changed = true;
            }
        }
    } else if (h.cmd == kReboot || h.cmd == kFactoryReset) {
        const QJsonValue v = cmd.value(QStringLiteral("deviceID"));
        const qint64 id = qint64(v.toDouble());
        for (int i : targets) {
            SimNode &n = m_nodes[size_t(i)];
            if (!v.isDouble() || id != n.id()) {
                why = QStringLiteral("deviceID does not match the node");
                continue;
            }
            if (h.cmd == kReboot) {
                ++n.rebootCount;
                if (m_config.rebootMs > 0)
                    n.silentUntilMs = QDateTime::currentMSecsSinceEpoch() + m_config.rebootMs;
            } else {
                n.factoryReset();
            }
            applied.append(n.ip());
            changed = true;
        }
    } else if (h.cmd == kNodeType) {
        const int t = cmd.value(QStringLiteral("deviceType")).toInt();
        if (t != 1 && t != 2) {
            why = QStringLiteral("deviceType must be 1 or 2");
        } else {
            for (int i : targets) {
                SimNode &n = m_nodes[size_t(i)];
                n.switchType(t);
                applied.append(n.ip());
                changed = true;
            }
        }
    } else if (h.cmd == kDecoderSettings || h.cmd == kEncoderSettings) {
        for (int i : targets) {
            SimNode &n = m_nodes[size_t(i)];
            const bool ok = h.cmd == kDecoderSettings ? applyDecoderSettings(n, cmd, &why)
                                                      : applyEncoderSettings(n, cmd, &why);
            if (ok) {
                ++n.settingsCount;
                applied.append(n.ip());
                changed = true;
            }
        }
    } else {
        why = QStringLiteral("unknown command");
    }
    if (targets.empty() && why.isEmpty())
        why = QStringLiteral("no node at this address");
    rec.insert(QStringLiteral("applied"), applied);
    if (!why.isEmpty())
        rec.insert(QStringLiteral("ignored"), why);
    if (changed) {
        QString error;
        if (!syncListeners(&error))
            std::fprintf(stderr, "nodesim: %s\n", qPrintable(error));
        saveState();
    }
    record(rec);
}

bool SimLanServer::moveNode(SimNode &node, const QString &newIp)
{
    if (!isIPv4Text(newIp))
        return false;
    if (newIp != node.ip())
        node.addressSeq = ++m_addressSeq;
    node.setCommon(QStringLiteral("ip"), newIp);
    return true;
}

bool SimLanServer::applyDecoderSettings(SimNode &node, const QJsonObject &cmd, QString *why)
{
    if (node.type != 1) {
        *why = QStringLiteral("decoder settings sent to an encoder");
        return false;
    }
    const QJsonValue id = cmd.value(QStringLiteral("id"));
    if (!id.isDouble() || qint64(id.toDouble()) != node.id()) {
        *why = QStringLiteral("id does not match the node");
        return false;
    }
    const QString ip = cmd.value(QStringLiteral("ip")).toString();
    if (!ip.isEmpty() && ip != node.ip() && !moveNode(node, ip)) {
        *why = QStringLiteral("bad address \"%1\"").arg(ip);
        return false;
    }
    for (const char *key : kDecoderSettingKeys) {
        const QString k = QString::fromLatin1(key);
        if (cmd.contains(k))
            node.doc.insert(k, cmd.value(k));
    }
    return true;
}

bool SimLanServer::applyEncoderSettings(SimNode &node, const QJsonObject &cmd, QString *why)
{
    if (node.type != 2) {
        *why = QStringLiteral("encoder settings sent to a decoder");
        return false;
    }
    const QJsonObject basic = cmd.value(QStringLiteral("basicInfo")).toObject();
    const QJsonValue id = basic.value(QStringLiteral("encoderID"));
    if (!id.isDouble() || qint64(id.toDouble()) != node.id()) {
        *why = QStringLiteral("basicInfo/encoderID does not match the node");
        return false;
    }
    const QString ip = basic.value(QStringLiteral("encoderIP")).toString();
    if (!ip.isEmpty() && ip != node.ip() && !moveNode(node, ip)) {
        *why = QStringLiteral("bad address \"%1\"").arg(ip);
        return false;
    }
    for (const EncoderKey &k : kEncoderKeys) {
        const QJsonObject from = cmd.value(QString::fromLatin1(k.cmdObject)).toObject();
        const QString cmdKey = QString::fromLatin1(k.cmdKey);
        if (!from.contains(cmdKey))
            continue;
        const QString ansObject = QString::fromLatin1(k.ansObject);
        QJsonObject to = node.doc.value(ansObject).toObject();
        to.insert(QString::fromLatin1(k.ansKey), from.value(cmdKey));
        node.doc.insert(ansObject, to);
    }
    return true;
}

// ---------------------------------------------------------------- TCP

bool SimLanServer::syncListeners(QString *error)
{
    QSet<QString> wanted;
    QSet<QString> holes;
    for (const SimNode &n : m_nodes) {
        if (!isIPv4Text(n.ip()) || n.faults.offline || n.faults.tcpRefuse)
            continue;
        if (n.faults.unreachable)
            holes.insert(n.ip());
        else
            wanted.insert(n.ip());
    }
    // Of two nodes on one address, the one that answers wins.
    holes.subtract(wanted);
    for (auto it = m_listeners.begin(); it != m_listeners.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        qDeleteAll(it.value());
        it = m_listeners.erase(it);
    }
    for (const QString &ip : m_blackHoles.keys()) {
        if (!holes.contains(ip))
            closeBlackHoles(ip);
    }
    bool ok = true;
    for (const QString &ip : qAsConst(holes)) {
        if (!m_blackHoles.contains(ip) && !openBlackHole(ip, error))
            ok = false;
    }
    for (const QString &ip : qAsConst(wanted)) {
        if (m_listeners.contains(ip))
            continue;
        QList<QTcpServer *> servers;
        for (quint16 port : {kTcpDataPort, kTcpUpgradePort}) {
            auto *server = new QTcpServer(this);
            if (!server->listen(QHostAddress(ip), port)) {
                *error = QStringLiteral("cannot listen on %1:%2: %3").arg(ip).arg(port).arg(server->errorString());
                delete server;
                ok = false;
                continue;
            }
            connect(server, &QTcpServer::newConnection, this, [this, server, port] { onNewConnection(server, port); });
            servers << server;
        }
        m_listeners.insert(ip, servers);
    }
    return ok;
}

bool SimLanServer::openBlackHole(const QString &ip, QString *error)
{
#ifdef Q_OS_LINUX
    QList<int> fds;
    bool ok = true;
    for (quint16 port : {kTcpDataPort, kTcpUpgradePort}) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        inet_pton(AF_INET, ip.toLatin1().constData(), &addr.sin_addr);
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        if (listener >= 0)
            ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        // Backlog 0 keeps one connection; the filler takes it, and Linux drops every
        // further SYN while the queue is full. The listener never accepts.
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0
            || ::listen(listener, 0) != 0) {
            *error = QStringLiteral("cannot listen on %1:%2: %3").arg(ip).arg(port).arg(QString::fromLocal8Bit(std::strerror(errno)));
            if (listener >= 0)
                ::close(listener);
            ok = false;
            continue;
        }
        fds << listener;
        const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (filler < 0 || ::connect(filler, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
            *error = QStringLiteral("cannot fill the queue of %1:%2: %3").arg(ip).arg(port).arg(QString::fromLocal8Bit(std::strerror(errno)));
            if (filler >= 0)
                ::close(filler);
            ok = false;
            continue;
        }
        fds << filler;
    }
    m_blackHoles.insert(ip, fds);
    return ok;
#else
    *error = QStringLiteral("unreachable nodes need Linux: %1").arg(ip);
    return false;
#endif
}

void SimLanServer::closeBlackHoles(const QString &ip)
{
#ifdef Q_OS_LINUX
    for (int fd : m_blackHoles.value(ip))
        ::close(fd);
#endif
    m_blackHoles.remove(ip);
}

void SimLanServer::onNewConnection(QTcpServer *server, quint16 port)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        auto *session = new SimTcpSession(socket, port, this);
        connect(session, &SimTcpSession::sigFrame, this, &SimLanServer::onTcpFrame);
        connect(session, &SimTcpSession::sigStreamError, this, &SimLanServer::onTcpStreamError);
    }
}

void SimLanServer::onTcpStreamError(SimTcpSession *session, const QString &error)
{
    QJsonObject rec;
    rec.insert(QStringLiteral("transport"), QStringLiteral("tcp"));
    rec.insert(QStringLiteral("port"), session->port());
    rec.insert(QStringLiteral("node"), session->localAddress());
    rec.insert(QStringLiteral("from"), session->peer());
    rec.insert(QStringLiteral("error"), error);
    record(rec);
}

void SimLanServer::sendTcpAnswer(SimTcpSession *session, const SimNode &node, quint16 code, const QByteArray &frame)
{
    const SimFaults &f = node.faults;
    if (f.tcpSilent)
        return;
    QList<SimTcpSession::Chunk> chunks;
    if (f.tcpLen8)
        chunks.append({pack(code, QByteArray()), 0});
    if (f.tcpLenBelow8)
        chunks.append({pack(code, QByteArray(), 4), 0});
    if (f.tcpHugeLength)
        chunks.append({pack(code, QByteArray(), 0x7FFFFFF0u), 0});
    QByteArray main = frame;
    if (f.tcpTwoFrames)
        main = (code == kUpgrade + kAnswerOffset ? packBinary32(kUpgradeProgress, 100) : frame) + frame;
    if (f.tcpDelayMs > 0)
        chunks.prepend({QByteArray(), f.tcpDelayMs}); // a slow node: nothing, then the answer
    if (f.tcpSplit) {
        chunks.append({main.left(5), 0});
        chunks.append({main.mid(5, 3), 30});
        chunks.append({main.mid(8), 30});
    } else {
        chunks.append({main, 0});
    }
    session->enqueue(chunks);
}

void SimLanServer::onTcpFrame(SimTcpSession *session, quint16 cmd, const QByteArray &payload)
{
    const QString ip = session->localAddress();
    QJsonObject rec;
    rec.insert(QStringLiteral("transport"), QStringLiteral("tcp"));
    rec.insert(QStringLiteral("port"), session->port());
    rec.insert(QStringLiteral("node"), ip);
    rec.insert(QStringLiteral("from"), session->peer());
    rec.insert(QStringLiteral("cmd"), cmd);
    rec.insert(QStringLiteral("size"), payload.size() + kHeaderSize);

    const int index = nodeAt(ip);
    if (index < 0 || !reachable(m_nodes[size_t(index)])) {
        rec.insert(QStringLiteral("ignored"), QStringLiteral("no node at this address"));
        record(rec);
        return;
    }
    SimNode &node = m_nodes[size_t(index)];

    if (cmd == kUpgrade && session->port() != kTcpUpgradePort) {
        // Only the upgrade service on 7780 acts on it.
        UpgradeCmd up;
        if (decodeUpgrade(payload, &up))
            rec.insert(QStringLiteral("payload"), up.toJson());
        rec.insert(QStringLiteral("ignored"), QStringLiteral("upgrade command on the data port"));
        record(rec);
        return;
    }
    if (cmd == kUpgrade) {
        QString installed; // the version the node runs once it has rebooted
        const quint32 code = upgradeResult(node, payload, &rec, &installed);
        record(rec);
        if (code == 0) {
            // A node that never answers still installs, without a reboot anyone could see.
            if (!installed.isEmpty())
                node.setFirmwareVersion(installed);
            saveState();
            return;
        }
        saveState();
        const QByteArray frame = packBinary32(kUpgrade + kAnswerOffset, code);
        const QPointer<SimTcpSession> guard(session);
        QTimer::singleShot(qMax(0, m_config.upgradeDelayMs), this, [this, guard, index, frame, code, installed] {
            if (guard)
                sendTcpAnswer(guard, m_nodes[size_t(index)], kUpgrade + kAnswerOffset, frame);
            if (code != kUpgradeOk)
                return;
            // Answered, then reboots into the new firmware: silent for the reboot, new version after.
            SimNode &n = m_nodes[size_t(index)];
            if (!installed.isEmpty())
                n.setFirmwareVersion(installed);
            if (m_config.rebootMs > 0)
                n.silentUntilMs = QDateTime::currentMSecsSinceEpoch() + m_config.rebootMs;
            saveState();
        });
        return;
    }

    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        rec.insert(QStringLiteral("error"), QStringLiteral("payload is not a JSON object"));
        rec.insert(QStringLiteral("text"), QString::fromUtf8(payload.left(200)));
        record(rec);
        return;
    }
    const QJsonObject obj = doc.object();
    rec.insert(QStringLiteral("payload"), obj);
    if (session->port() != kTcpDataPort) {
        rec.insert(QStringLiteral("ignored"), QStringLiteral("not served on this port"));
        record(rec);
        return;
    }

    if (cmd == kDecoderExport || cmd == kEncoderExport) {
        record(rec);
        sendTcpAnswer(session, node, cmd + kAnswerOffset, packAnswer(cmd + kAnswerOffset, node.exportData()));
        return;
    }
    if (cmd == kDecoderImport || cmd == kEncoderImport) {
        const int kind = cmd == kDecoderImport ? 1 : 2;
        const int dataType = obj.value(QStringLiteral("devData")).toObject().value(QStringLiteral("type")).toInt();
        int result = 0;
        if (node.faults.importFail) {
            result = 2;
        } else if (kind != node.type || dataType != node.type) {
            result = 1;
        } else {
            node.data = obj.value(QStringLiteral("data")).toString();
            node.importedVersion = obj.value(QStringLiteral("version")).toObject();
            ++node.importCount;
            saveState();
        }
        rec.insert(QStringLiteral("result"), result);
        record(rec);
        QJsonObject ans;
        ans.insert(QStringLiteral("ip"), node.ip());
        ans.insert(QStringLiteral("name"), node.name());
        ans.insert(QStringLiteral("result"), result);
        sendTcpAnswer(session, node, cmd + kAnswerOffset, packAnswer(cmd + kAnswerOffset, ans));
        return;
    }
    rec.insert(QStringLiteral("ignored"), QStringLiteral("unknown command"));
    record(rec);
}

// 0 means no answer at all.
quint32 SimLanServer::upgradeResult(SimNode &node, const QByteArray &body, QJsonObject *rec, QString *installed)
{
    UpgradeCmd up;
    if (!decodeUpgrade(body, &up)) {
        rec->insert(QStringLiteral("error"), QStringLiteral("upgrade body of %1 bytes").arg(body.size()));
        return 0;
    }
    rec->insert(QStringLiteral("payload"), up.toJson());
    quint32 code = kUpgradeOk;
    if (node.faults.hasUpgradeCode) {
        code = node.faults.upgradeCode;
    } else if (up.lead != 1 || up.upgradeType > 1) {
        code = kUpgradeBadFile;
    } else if (!m_config.sftpRoot.isEmpty()) {
        const QString name = QFile::decodeName(up.fileName);
        const QString path = QDir(m_config.sftpRoot).filePath(
            node.ip() + (up.upgradeType == 0 ? QStringLiteral("/userdata/") : QStringLiteral("/app/")) + name);
        QFile f(path);
        code = kUpgradeMd5Mismatch;
        // The name must stay inside the node's folder.
        if (!name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String("..")
            && f.open(QIODevice::ReadOnly)) {
            QCryptographicHash md5(QCryptographicHash::Md5);
            md5.addData(&f);
            rec->insert(QStringLiteral("fileMd5"), QString::fromLatin1(md5.result().toHex()));
            if (md5.result().toHex() == up.md5)
                code = kUpgradeOk;
        } else {
            rec->insert(QStringLiteral("fileMissing"), path);
        }
    }
    if (code == kUpgradeOk) {
        ++node.upgradeCount;
        // upgrade-keeps-version: says success and keeps running what it ran.
        if (up.upgradeType == 0 && !node.faults.upgradeKeepsVersion)
            *installed = QString::fromUtf8(up.version);
    }
    rec->insert(QStringLiteral("result"), qint64(code));
    return node.faults.upgradeSilent ? 0 : code;
}
