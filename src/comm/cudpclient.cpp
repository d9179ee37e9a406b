#include "comm/cudpclient.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <vector>

#include "comm/frame.h"
#include "comm/ipv4.h"
#include "comm/protocol.h"
#include "comm/socketlayer.h"

namespace {

const QByteArray kBroadcastAddress = QByteArrayLiteral("255.255.255.255");

// Closes the socket on every way out of a send.
class SocketGuard final
{
public:
    explicit SocketGuard(SocketLayer::Handle handle) : m_handle(handle) {}
    ~SocketGuard() { SocketLayer::close(m_handle); }
    SocketLayer::Handle get() const { return m_handle; }

private:
    Q_DISABLE_COPY_MOVE(SocketGuard)
    SocketLayer::Handle m_handle = SocketLayer::kInvalid;
};

// Closes every socket of a send on every way out.
class SocketSet final
{
public:
    SocketSet() = default;
    ~SocketSet()
    {
        for (const SocketLayer::Handle handle : m_handles)
            SocketLayer::close(handle);
    }
    void add(SocketLayer::Handle handle) { m_handles.push_back(handle); }

private:
    Q_DISABLE_COPY_MOVE(SocketSet)
    std::vector<SocketLayer::Handle> m_handles;
};

} // namespace

CUdpClient::CUdpClient(QObject *parent) : QObject(parent)
{
    if (!SocketLayer::start())
        SocketLayer::cleanup();
}

CUdpClient::~CUdpClient()
{
    SocketLayer::cleanup();
}

intptr_t CUdpClient::openSocket()
{
    SocketLayer::Handle handle = SocketLayer::kInvalid;
    for (int attempt = 0; attempt < kSocketAttempts && handle == SocketLayer::kInvalid; ++attempt) {
        handle = SocketLayer::openUdp();
        if (handle == SocketLayer::kInvalid) {
            std::fprintf(stderr, "socket error:%d\n", SocketLayer::lastError());
            SocketLayer::restart();
        }
    }
    if (handle != SocketLayer::kInvalid) {
        SocketLayer::enableBroadcast(handle);
        SocketLayer::setReceiveBuffer(handle, kReceiveBuffer);
    }
    return handle;
}

int CUdpClient::sendAndCollect(const QByteArray &frame, const QByteArray &target, uint16_t port,
                               const QString &mode, const std::function<bool()> &stop)
{
    const SocketLayer::Handle handle = openSocket();
    if (handle == SocketLayer::kInvalid)
        return Protocol::kUdpFailed;
    SocketGuard socket(handle);

    QByteArray destination;
    if (mode == QLatin1String("broadcast"))
        destination = kBroadcastAddress;
    else if (mode == QLatin1String("unicast") && Ipv4::isNodeAddress(target))
        destination = target; // never a broadcast, a host name or a reserved address
    else
        return Protocol::kUdpFailed;
    if (port == 0)
        port = Protocol::kUdpCommandPort;

    int error = 0;
    if (!SocketLayer::sendTo(handle, destination, port, frame.constData(), size_t(frame.size()), error)) {
        std::fprintf(stderr, "sendto error:%d\n", error);
        return Protocol::kUdpFailed;
    }
    qDebug() << "sendto udp data" << QByteArray(frame.constData()) << "/length: " << frame.size();

    SocketLayer::sleepMs(kSettleMs);
    SocketLayer::setNonBlocking(handle);
    collect(&handle, 1, stop);
    return Protocol::kUdpSent;
}

int CUdpClient::broadcastOnInterfaces(const QByteArray &frame, uint16_t port, const QVector<sNetInterface> &cards,
                                      const std::function<bool()> &stop)
{
    if (port == 0)
        port = Protocol::kUdpCommandPort;
    SocketSet sockets;
    std::vector<SocketLayer::Handle> sent;
    QStringList used;
    for (const sNetInterface &card : cards) {
        // A card with two addresses is one wire: its first address asks for it.
        if (used.contains(card.name))
            continue;
        const SocketLayer::Handle handle = openSocket();
        if (handle == SocketLayer::kInvalid)
            continue;
        sockets.add(handle);
        if (!SocketLayer::bindTo(handle, card.address)) {
            std::fprintf(stderr, "bind error:%d\n", SocketLayer::lastError());
            continue;
        }
        // One request per card: 255.255.255.255 from a socket bound to the card's address
        // leaves by that card alone, and reaches a node whatever its subnet (a factory-default
        // node outside the card's subnet too).
        int error = 0;
        if (!SocketLayer::sendTo(handle, kBroadcastAddress, port, frame.constData(), size_t(frame.size()), error)) {
            std::fprintf(stderr, "sendto error:%d\n", error);
            continue;
        }
        qDebug() << "sendto udp data" << QByteArray(frame.constData()) << "/length: " << frame.size()
                 << "from" << card.address;
        used << card.name;
        sent.push_back(handle);
    }
    if (sent.empty())
        return Protocol::kUdpFailed;

    SocketLayer::sleepMs(kSettleMs);
    for (const SocketLayer::Handle handle : sent)
        SocketLayer::setNonBlocking(handle);
    collect(sent.data(), int(sent.size()), stop);
    return Protocol::kUdpSent;
}

int CUdpClient::sendBatchAndCollect(const QVector<sUnicast> &sends, uint16_t port, QVector<int> &results,
                                    const std::function<bool()> &stop)
{
    results.fill(Protocol::kUdpFailed, sends.size());
    const SocketLayer::Handle handle = openSocket();
    if (handle == SocketLayer::kInvalid)
        return -1;
    SocketGuard socket(handle);
    if (port == 0)
        port = Protocol::kUdpCommandPort;

    // The socket blocks while sending, so a full send queue waits instead of dropping a frame.
    std::vector<char> buffer(kMaxDatagram);
    int sent = 0;
    for (int i = 0; i < sends.size(); ++i) {
        if (stop && stop())
            break;
        const sUnicast &send = sends.at(i);
        if (!Ipv4::isNodeAddress(send.ip))
            continue; // a broadcast or a name in a node's place is never sent to
        int error = 0;
        if (!SocketLayer::sendTo(handle, send.ip, port, send.frame.constData(), size_t(send.frame.size()),
                                 error)) {
            std::fprintf(stderr, "sendto error:%d\n", error);
            continue;
        }
        results[i] = Protocol::kUdpSent;
        ++sent;
        // Answers that come while the batch goes out are taken now, not left to pile up.
        drain(handle, buffer.data());
    }
    SocketLayer::setNonBlocking(handle);
    qDebug() << "sendto udp batch" << sent << "of" << sends.size();
    if (sent > 0)
        collect(&handle, 1, stop);
    return sent;
}

bool CUdpClient::drain(intptr_t handle, char *buffer, const QElapsedTimer *window, int limitMs) const
{
    bool any = false;
    for (;;) {
        if ((window && window->hasExpired(limitMs)) || !SocketLayer::waitReadable(handle, 0))
            return any;
        QByteArray sender;
        const int n = SocketLayer::recvOne(handle, buffer, kMaxDatagram, &sender);
        if (n == SocketLayer::RecvNone)
            return any;
        any = true;
        if (n == SocketLayer::RecvTooLarge)
            continue;
        deliverDatagram(buffer, size_t(n), sender);
        qDebug() << "receive udp data len" << n;
    }
}

void CUdpClient::collect(const intptr_t *handles, int count, const std::function<bool()> &stop) const
{
    // Each poll waits up to 10 ms and then takes every datagram waiting, so a burst of
    // answers never piles up in a socket; 10 empty polls in a row close the window.
    std::vector<char> buffer(kMaxDatagram);
    QElapsedTimer window;
    window.start();
    const int limitMs = m_windowLimitMs.load();
    int emptyPolls = 0;
    while (emptyPolls < kSilencePolls && !window.hasExpired(limitMs)) {
        if (stop && stop())
            return;
        SocketLayer::waitAnyReadable(handles, count, kPollMs);
        bool any = false;
        for (int i = 0; i < count; ++i)
            any = drain(handles[i], buffer.data(), &window, limitMs) || any;
        emptyPolls = any ? 0 : emptyPolls + 1;
    }
}

void CUdpClient::deliverDatagram(const char *data, size_t size, const QByteArray &sender) const
{
    uint16_t cmdType = 0;
    if (!Frame::check(data, size, cmdType))
        return;
    // The parser gets a buffer of its own, freed when it returns.
    const QByteArray payload(data + Protocol::kHeaderSize, int(size - Protocol::kHeaderSize));
    // The source goes with the answer: a scan record keeps it beside the address it reports.
    m_parser.parse(cmdType, payload.constData(), size_t(payload.size()), sender);
}
