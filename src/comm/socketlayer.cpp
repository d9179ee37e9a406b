#include "comm/socketlayer.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>
#include <vector>
#endif

namespace SocketLayer {

namespace {
// A datagram's source as dotted text; empty when the platform gave none.
QByteArray senderText(const sockaddr_in &from)
{
    if (from.sin_family != AF_INET)
        return QByteArray();
    const uint32_t value = ntohl(from.sin_addr.s_addr);
    return QByteArray::number(value >> 24) + '.' + QByteArray::number((value >> 16) & 0xFF) + '.'
        + QByteArray::number((value >> 8) & 0xFF) + '.' + QByteArray::number(value & 0xFF);
}
} // namespace

#ifdef Q_OS_WIN

bool start()
{
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void cleanup()
{
    WSACleanup();
}

int lastError()
{
    return WSAGetLastError();
}

void sleepMs(int ms)
{
    Sleep(static_cast<DWORD>(ms));
}

Handle openUdp()
{
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return s == INVALID_SOCKET ? kInvalid : static_cast<Handle>(s);
}

void close(Handle handle)
{
    if (handle != kInvalid)
        ::closesocket(static_cast<SOCKET>(handle));
}

bool enableBroadcast(Handle handle)
{
    const char on = 1;
    return ::setsockopt(static_cast<SOCKET>(handle), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0;
}

int setReceiveBuffer(Handle handle, int bytes)
{
    ::setsockopt(static_cast<SOCKET>(handle), SOL_SOCKET, SO_RCVBUF,
                 reinterpret_cast<const char *>(&bytes), sizeof bytes);
    int granted = 0;
    int len = sizeof granted;
    if (::getsockopt(static_cast<SOCKET>(handle), SOL_SOCKET, SO_RCVBUF,
                     reinterpret_cast<char *>(&granted), &len) != 0)
        return 0;
    return granted;
}

bool setNonBlocking(Handle handle)
{
    u_long on = 1;
    return ::ioctlsocket(static_cast<SOCKET>(handle), FIONBIO, &on) == 0;
}

bool bindTo(Handle handle, const QByteArray &ip)
{
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    if (inet_pton(AF_INET, ip.constData(), &local.sin_addr) != 1)
        return false;
    return ::bind(static_cast<SOCKET>(handle), reinterpret_cast<const sockaddr *>(&local), sizeof local) == 0;
}

bool sendTo(Handle handle, const QByteArray &ip, uint16_t port, const char *data, size_t size, int &error)
{
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, ip.constData(), &to.sin_addr) != 1) {
        error = 0;
        return false;
    }
    const int sent = ::sendto(static_cast<SOCKET>(handle), data, static_cast<int>(size), 0,
                              reinterpret_cast<const sockaddr *>(&to), sizeof to);
    if (sent == SOCKET_ERROR) {
        error = WSAGetLastError();
        return false;
    }
    return true;
}

bool waitReadable(Handle handle, int ms)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(handle), &set);
    timeval tv = {ms / 1000, (ms % 1000) * 1000};
    return ::select(0, &set, nullptr, nullptr, &tv) > 0;
}

bool waitAnyReadable(const Handle *handles, int count, int ms)
{
    // A WinSock fd_set holds FD_SETSIZE (64) sockets; far more than a PC has cards.
    fd_set set;
    FD_ZERO(&set);
    for (int i = 0; i < count && i < FD_SETSIZE; ++i)
        FD_SET(static_cast<SOCKET>(handles[i]), &set);
    timeval tv = {ms / 1000, (ms % 1000) * 1000};
    return ::select(0, &set, nullptr, nullptr, &tv) > 0;
}

int recvOne(Handle handle, char *buffer, int capacity, QByteArray *sender)
{
    sockaddr_in from = {};
    int fromLen = sizeof from;
    const int n = ::recvfrom(static_cast<SOCKET>(handle), buffer, capacity, 0,
                             reinterpret_cast<sockaddr *>(&from), &fromLen);
    if (n == SOCKET_ERROR)
        return WSAGetLastError() == WSAEMSGSIZE ? RecvTooLarge : RecvNone;
    if (sender)
        *sender = senderText(from);
    return n;
}

#else

bool start()
{
    return true;
}

void cleanup()
{
}

int lastError()
{
    return errno;
}

void sleepMs(int ms)
{
    timespec ts = {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

Handle openUdp()
{
    const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return s < 0 ? kInvalid : static_cast<Handle>(s);
}

void close(Handle handle)
{
    if (handle != kInvalid)
        ::close(static_cast<int>(handle));
}

bool enableBroadcast(Handle handle)
{
    // Linux wants an int where WinSock takes a one-byte BOOL.
    const int on = 1;
    return ::setsockopt(static_cast<int>(handle), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0;
}

int setReceiveBuffer(Handle handle, int bytes)
{
    const int fd = static_cast<int>(handle);
    // SO_RCVBUF is capped by net.core.rmem_max; a privileged process may go past it.
#ifdef SO_RCVBUFFORCE
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
#endif
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    int granted = 0;
    socklen_t len = sizeof granted;
    if (::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &len) != 0)
        return 0;
    return granted;
}

bool setNonBlocking(Handle handle)
{
    const int fd = static_cast<int>(handle);
    const int flags = ::fcntl(fd, F_GETFL, 0);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool bindTo(Handle handle, const QByteArray &ip)
{
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    if (inet_pton(AF_INET, ip.constData(), &local.sin_addr) != 1)
        return false;
    return ::bind(static_cast<int>(handle), reinterpret_cast<const sockaddr *>(&local), sizeof local) == 0;
}

bool sendTo(Handle handle, const QByteArray &ip, uint16_t port, const char *data, size_t size, int &error)
{
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, ip.constData(), &to.sin_addr) != 1) {
        error = 0;
        return false;
    }
    const ssize_t sent = ::sendto(static_cast<int>(handle), data, size, 0,
                                  reinterpret_cast<const sockaddr *>(&to), sizeof to);
    if (sent < 0) {
        error = errno;
        return false;
    }
    return true;
}

bool waitReadable(Handle handle, int ms)
{
    pollfd p = {static_cast<int>(handle), POLLIN, 0};
    return ::poll(&p, 1, ms) > 0 && (p.revents & POLLIN);
}

bool waitAnyReadable(const Handle *handles, int count, int ms)
{
    std::vector<pollfd> fds(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        fds[size_t(i)] = {static_cast<int>(handles[i]), POLLIN, 0};
    if (::poll(fds.data(), fds.size(), ms) <= 0)
        return false;
    for (const pollfd &p : fds)
        if (p.revents & POLLIN)
            return true;
    return false;
}

int recvOne(Handle handle, char *buffer, int capacity, QByteArray *sender)
{
    sockaddr_in from = {};
    socklen_t fromLen = sizeof from;
    // MSG_TRUNC makes the kernel report the datagram's real size.
    const ssize_t n = ::recvfrom(static_cast<int>(handle), buffer, static_cast<size_t>(capacity), MSG_TRUNC,
                                 reinterpret_cast<sockaddr *>(&from), &fromLen);
    if (n < 0)
        return RecvNone;
    if (n > capacity)
        return RecvTooLarge;
    if (sender)
        *sender = senderText(from);
    return static_cast<int>(n);
}

#endif

void restart()
{
    cleanup();
    if (!start())
        cleanup();
}

} // namespace SocketLayer
