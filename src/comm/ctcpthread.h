#pragma once

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>
#include <cstddef>

#include "comm/cprotocolparser.h"

class QThread;
class CTcpSocket;

// One link's thread, its socket, its target and its parser. The socket and the parser
// work on the link thread; send(), setTarget() and state() are called from callers' threads.
class CTcpThread final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTcpThread)

public:
    static constexpr int kSendWaitMs = 999;

    explicit CTcpThread(QObject *parent = nullptr);
    // Stops the link thread if that was not done yet and waits for it. Never run on
    // the link thread itself.
    ~CTcpThread() override;

    // 0x1000 once the frame is queued to a connected link, 0x1001 when none came up in time.
    int send(const char *frame, qint64 length);
    void setTarget(const QString &ip, int port);
    int state() const;
    // Asks for the connection and waits for it as an event: connected, refused, or
    // waitMs over. True when connected.
    bool connectAndWait(const QString &ip, int port, int waitMs);
    QString ip() const;

    // Closes the socket and then ends the link thread, after everything already queued
    // to it. Returns at once; safe from any thread, the link thread included.
    void stop();
    QThread *thread() const { return m_thread; }

signals:
    void sig(QByteArray frame);
    void close();
    void sigConnect(QString ip, int port);
    void sigDisconnected();

public slots:
    void NotifyData(char *lpData, qlonglong nDataLen);
    void ProtocolParseData(int cmdType, char *pBuf, size_t bufLen);

private:
    QThread *m_thread = nullptr;   // child of this object
    CTcpSocket *m_socket = nullptr; // lives in m_thread; deleted here once it has ended
    CProtocolParser m_parser;
    mutable QMutex m_targetMutex;
    QString m_ip;
    int m_port = 0;
    bool m_stopping = false;        // guarded by m_targetMutex
};
