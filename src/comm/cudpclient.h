#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <QVector>

#include "comm/cprotocolparser.h"
#include "comm/netinterfaces.h"

// Sends one frame per call on a fresh datagram socket and listens on that socket
// until the nodes fall silent, handing every answer to the parser.
class CUdpClient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUdpClient)

public:
    static constexpr int kSocketAttempts = 3;
    static constexpr int kMaxDatagram = 10240;    // larger answers are dropped
    static constexpr int kSettleMs = 10;
    static constexpr int kPollMs = 10;
    static constexpr int kSilencePolls = 10;      // about 100 ms without an answer
    // Room for a thousand answers arriving at once.
    static constexpr int kReceiveBuffer = 8 * 1024 * 1024;
    // A node that never stops answering must not freeze the caller for good.
    static constexpr int kWindowLimitMs = 30000;

    explicit CUdpClient(QObject *parent = nullptr);
    ~CUdpClient() override;

    // mode is "broadcast" (to 255.255.255.255) or "unicast" (to target, which must pass the
    // node address rule); port 0 means 7788.
    // Returns 1 once the frame went out and the receive window closed, -1 when nothing
    // could be sent. Blocks the calling thread for the whole window; stop, when given,
    // closes the window early.
    int sendAndCollect(const QByteArray &frame, const QByteArray &target, uint16_t port, const QString &mode,
                       const std::function<bool()> &stop = {});

    // The scan on chosen cards: per card a socket bound to its (first) address sends the
    // frame once, to 255.255.255.255, which leaves by that card only; then one receive
    // window serves all sockets and closes after the silence on all of them.
    // Returns 1 when at least one datagram went out, -1 when none did. Blocks the caller.
    int broadcastOnInterfaces(const QByteArray &frame, uint16_t port, const QVector<sNetInterface> &cards,
                              const std::function<bool()> &stop = {});

    // One unicast of a batch: the frame and the node's dotted IPv4 address.
    struct sUnicast
    {
        QByteArray frame;
        QByteArray ip;
    };
    // Sends every frame in order from one socket, each to its own address on port (0: 7788),
    // then keeps one receive window for the whole batch. results[i] is 1 when frame i went
    // out, -1 when it did not (empty or bad address, send error, or a stop before its turn).
    // stop, when given, is asked between sends and during the window. Returns the number of
    // frames sent, -1 when no socket could be had. Blocks the calling thread.
    int sendBatchAndCollect(const QVector<sUnicast> &sends, uint16_t port, QVector<int> &results,
                            const std::function<bool()> &stop = {});

    // The datagram check: drops short frames and length mismatches, parses the rest.
    // sender is the datagram's source address, empty when not known.
    void deliverDatagram(const char *data, size_t size, const QByteArray &sender = QByteArray()) const;

    // Longest a receive window may stay open however many answers keep coming.
    void setWindowLimitMs(int ms) { m_windowLimitMs = ms; }

private:
    // Returns an invalid handle (after printing why) when three attempts fail.
    static intptr_t openSocket();
    // Hands every waiting datagram to the check (until window passes limitMs, when given);
    // true when there was one.
    bool drain(intptr_t handle, char *buffer, const QElapsedTimer *window = nullptr, int limitMs = 0) const;
    // The receive window over count sockets: closes after kSilencePolls polls in which none
    // had an answer, at the limit, or on stop.
    void collect(const intptr_t *handles, int count, const std::function<bool()> &stop) const;

    CProtocolParser m_parser;
    std::atomic<int> m_windowLimitMs{kWindowLimitMs};
};
