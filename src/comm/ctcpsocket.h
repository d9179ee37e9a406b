#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "comm/cframeassembler.h"

class QTcpSocket;
class QTimer;

// One TCP connection to a node; lives in its link's thread. Connects, writes, and
// cuts the incoming stream into frames. Connecting never blocks the link thread:
// callers on other threads wait for the outcome with waitForLink().
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

    // Connect requests that ended with every attempt refused (not timed out), or given up
    // by a close or shutdown. A caller
    // reads it before asking for a connection and hands it to waitForLink().
    quint64 refusals() const;
    // From another thread: waits until the link is connected, a connect request ends
    // refused after refusalsBefore was read, or the deadline passes. True when connected.
    // A request whose attempts merely time out keeps the caller waiting to its deadline.
    bool waitForLink(quint64 refusalsBefore, std::chrono::steady_clock::time_point deadline) const;

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
    void setState(int state);
    void startAttempt();
    void attemptFailed(bool timedOut);
    void endRequestUnconnected();

    QTcpSocket *m_socket = nullptr; // child
    QTimer *m_attemptTimer = nullptr; // child
    std::atomic<int> m_state{StateNew};
    CFrameAssembler m_assembler;

    // Link thread only: the connect request in progress.
    QString m_targetIp;
    int m_targetPort = 0;
    int m_attempt = 0;           // 0: no request running
    bool m_onlyRefused = true;   // no attempt of this request timed out

    mutable std::mutex m_waitMutex;
    mutable std::condition_variable m_changed;
    quint64 m_refusals = 0; // guarded by m_waitMutex
};
