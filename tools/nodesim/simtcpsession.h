#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QTcpSocket;

// One accepted TCP connection: cuts the byte stream into frames and writes
// answers, optionally in timed pieces.
class SimTcpSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimTcpSession)

public:
    struct Chunk
    {
        QByteArray bytes;
        int delayMs = 0; // pause before this chunk is written
    };

    SimTcpSession(QTcpSocket *socket, quint16 port, QObject *parent);

    quint16 port() const { return m_port; }
    QString localAddress() const;
    QString peer() const;
    void enqueue(const QList<Chunk> &chunks);

signals:
    void sigFrame(SimTcpSession *session, quint16 cmd, const QByteArray &payload);
    void sigStreamError(SimTcpSession *session, const QString &error);

private:
    void onReadyRead();
    void pump();

    QTcpSocket *m_socket = nullptr;
    quint16 m_port = 0;
    QByteArray m_buffer;
    QList<Chunk> m_queue;
    bool m_waiting = false;
    bool m_broken = false;
};
