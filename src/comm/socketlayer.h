#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// The platform's datagram sockets behind one small seam: WinSock 2.2 on Windows,
// plain BSD sockets elsewhere (where start and clean-up do nothing).
namespace SocketLayer {

using Handle = std::intptr_t; // SOCKET on Windows, a descriptor elsewhere
constexpr Handle kInvalid = -1;

// Start and clean up the socket layer (WSAStartup / WSACleanup).
bool start();
void cleanup();
// Clean up and start again, as after a failed socket(); cleans up again if the start fails.
void restart();

int lastError();
void sleepMs(int ms);

Handle openUdp();
void close(Handle handle);
bool enableBroadcast(Handle handle);
// Asks for a receive buffer of bytes; returns the size the system granted (0 when unknown).
int setReceiveBuffer(Handle handle, int bytes);
bool setNonBlocking(Handle handle);
// Binds to ip (dotted IPv4) on a port the system picks, so the socket sends from that
// address and its broadcasts leave by that address's interface: Linux routes a limited
// broadcast by the bound source address, WinSock sends it on the bound interface.
bool bindTo(Handle handle, const QByteArray &ip);
// ip is dotted IPv4 text; false when it does not parse.
bool sendTo(Handle handle, const QByteArray &ip, uint16_t port, const char *data, size_t size, int &error);
// Waits up to ms for a datagram to be readable. Returns false on time-out or error.
bool waitReadable(Handle handle, int ms);
// The same over several sockets: true when any of them has a datagram within ms.
bool waitAnyReadable(const Handle *handles, int count, int ms);

enum RecvStatus : int { RecvNone = -1, RecvTooLarge = -2 };
// Takes one waiting datagram into buffer (capacity bytes). Returns its size, RecvNone when
// nothing is waiting (or the read failed), RecvTooLarge when it was bigger than capacity
// (it is consumed and dropped).
int recvOne(Handle handle, char *buffer, int capacity, QByteArray *sender = nullptr);

} // namespace SocketLayer
