#include "comm/ctcpsocket.h"

#include <QDebug>
#include <QTcpSocket>

CTcpSocket::CTcpSocket(QObject *parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    connect(m_socket, &QTcpSocket::connected, this, &CTcpSocket::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &CTcpSocket::readyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &CTcpSocket::disconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &CTcpSocket::error);
}

CTcpSocket::~CTcpSocket()
{
    m_socket->disconnect(this);
}

void CTcpSocket::shutdown()
{
    disconnect();
    m_socket->disconnect(this);
    m_socket->abort();
    m_state.store(StateDisconnected);
}

void CTcpSocket::closeTcpLink()
{
    if (m_state.load() == StateConnected)
        m_socket->disconnectFromHost();
}

void CTcpSocket::connectTohost(QString ip, int port)
{
    for (int attempt = 0; attempt < kConnectAttempts && m_state.load() != StateConnected; ++attempt) {
        qDebug() << "try to link";
        if (m_socket->state() != QAbstractSocket::UnconnectedState)
            m_socket->abort();
        m_assembler.reset();
        m_socket->connectToHost(ip, quint16(port), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
        m_socket->waitForConnected(kConnectWaitMs);
    }
}

int CTcpSocket::sendData(QByteArray frame)
{
    if (m_state.load() != StateConnected)
        return -1;
    const qint64 written = m_socket->write(frame);
    if (written < 1)
        qDebug() << "send data error";
    if (!m_socket->waitForBytesWritten(kWriteWaitMs) && m_state.load() == StateConnected
        && m_socket->bytesToWrite() > 0)
        m_socket->disconnectFromHost();
    return int(written);
}

void CTcpSocket::connected()
{
    m_assembler.reset();
    m_state.store(StateConnected);
    qDebug() << "QTcpSocket::connected  successfully";
}

void CTcpSocket::disconnected()
{
    // The assembler is reset when the next connection starts: this may run from inside
    // a frame's delivery (a receiver closing the link).
    m_state.store(StateDisconnected);
    emit sigDisconnected();
    qDebug() << "QTcpSocket::connected  break";
}

void CTcpSocket::error(QAbstractSocket::SocketError socketError)
{
    m_state.store(StateDisconnected);
    emit sigDisconnected();
    qDebug() << "QTcpSocket::error " << socketError;
}

void CTcpSocket::readyRead()
{
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty()) {
        qDebug() << "no data can read";
        return;
    }
    const auto result = m_assembler.feed(bytes.constData(), size_t(bytes.size()),
                                         [this](char *frame, qint64 length) { emit notifyRecv(frame, length); });
    if (result == CFrameAssembler::Result::BadLength) {
        // The stream cannot be resynchronised: drop the link; the next send reconnects.
        qDebug() << "tcp frame length error, link dropped";
        m_state.store(StateDisconnected);
        m_socket->abort();
        emit sigDisconnected();
        return;
    }
    if (m_assembler.headerIncomplete())
        qDebug() << "receive len error";
}
