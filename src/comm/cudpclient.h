#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "comm/cprotocolparser.h"

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

    // mode is "broadcast" (to 255.255.255.255) or "unicast" (to target); port 0 means 7788.
    // Returns 1 once the frame went out and the receive window closed, -1 when nothing
    // could be sent. Blocks the calling thread for the whole window.
    int sendAndCollect(const QByteArray &frame, const QByteArray &target, uint16_t port, const QString &mode);

    // The datagram check: drops short frames and length mismatches, parses the rest.
    void deliverDatagram(const char *data, size_t size) const;

    // Longest a receive window may stay open however many answers keep coming.
    void setWindowLimitMs(int ms) { m_windowLimitMs = ms; }

private:
    CProtocolParser m_parser;
    std::atomic<int> m_windowLimitMs{kWindowLimitMs};
};
