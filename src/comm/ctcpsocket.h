#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>

#include "comm/cframeassembler.h"

class QTcpSocket;

// One TCP connection to a node; lives in its link's thread. Connects, writes, and
// cuts the incoming stream into frames.
class CTcpSocket final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTcpSocket)

public:
    enum State : int { StateNew = 0, StateConnected = 1, StateDisconnected = 2 };

    static constexpr int kConnectAttempts = 2;
    static constexpr int kConnectWaitMs = 1000;
    static constexpr int kWriteWaitMs = 3000;

    explicit CTcpSocket(QObject *parent = nullptr);
    ~CTcpSocket() override;

    // Read from any thread.
    int state() const { return m_state.load(); }

signals:
    void notifyRecv(char *pBuf, qlonglong len); // one whole frame, valid during the emit
    void sigDisconnected();

public slots:
    void closeTcpLink();
    void connectTohost(QString ip, int port);
    int sendData(QByteArray frame);
    // Drops the connection for good before the link thread ends.
    void shutdown();

private slots:
    void connected();
    void readyRead();
    void disconnected();
    void error(QAbstractSocket::SocketError socketError);

private:
    QTcpSocket *m_socket = nullptr; // child
    std::atomic<int> m_state{StateNew};
    CFrameAssembler m_assembler;
};
