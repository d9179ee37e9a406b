#include "comm/ctcpsocket.h"

#include <QDebug>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

CTcpSocket::CTcpSocket(QObject *parent)
    : QObject(parent), m_socket(new QTcpSocket(this)), m_attemptTimer(new QTimer(this))
{
    m_attemptTimer->setSingleShot(true);
    connect(m_attemptTimer, &QTimer::timeout, this, [this] { attemptFailed(true); });
    connect(m_socket, &QTcpSocket::connected, this, &CTcpSocket::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &CTcpSocket::readyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &CTcpSocket::disconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &CTcpSocket::error);
}

CTcpSocket::~CTcpSocket()
{
    m_socket->disconnect(this);
}

void CTcpSocket::setState(int state)
{
    {
        std::lock_guard<std::mutex> lock(m_waitMutex);
        m_state.store(state);
    }
    m_changed.notify_all();
}

quint64 CTcpSocket::refusals() const
{
    std::lock_guard<std::mutex> lock(m_waitMutex);
    return m_refusals;
}

bool CTcpSocket::waitForLink(quint64 refusalsBefore, std::chrono::steady_clock::time_point deadline) const
{
    std::unique_lock<std::mutex> lock(m_waitMutex);
    m_changed.wait_until(lock, deadline, [&] {
        return m_state.load() == StateConnected || m_refusals != refusalsBefore;
    });
    return m_state.load() == StateConnected;
}

void CTcpSocket::shutdown()
{
    disconnect();
    m_attemptTimer->stop();
    m_attempt = 0;
    m_socket->disconnect(this);
    m_socket->abort();
    setState(StateDisconnected);
    endRequestUnconnected(); // a sender still waiting gives up
}

void CTcpSocket::closeTcpLink()
{
    if (m_state.load() == StateConnected) {
        m_socket->disconnectFromHost();
        return;
    }
    // A connect still in progress is given up: its waiting sender ends now, not at 5 s.
    if (m_attempt > 0) {
        m_attemptTimer->stop();
        m_attempt = 0;
        m_socket->abort();
        endRequestUnconnected();
    }
}

void CTcpSocket::endRequestUnconnected()
{
    {
        std::lock_guard<std::mutex> lock(m_waitMutex);
        ++m_refusals;
    }
    m_changed.notify_all();
}

void CTcpSocket::connectTohost(QString ip, int port)
{
    // Connected, or a request already running: its outcome serves this one too.
    if (m_state.load() == StateConnected || m_attempt > 0)
        return;
    m_targetIp = ip;
    m_targetPort = port;
    m_onlyRefused = true;
    startAttempt();
}

void CTcpSocket::startAttempt()
{
    ++m_attempt;
    qDebug() << "try to link";
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
    m_assembler.reset();
    m_attemptTimer->start(kConnectWaitMs);
    // A literal address only: text from a node is never looked up as a host name.
    m_socket->connectToHost(QHostAddress(m_targetIp), quint16(m_targetPort), QIODevice::ReadWrite);
}

void CTcpSocket::attemptFailed(bool timedOut)
{
    if (m_attempt == 0)
        return;
    m_attemptTimer->stop();
    if (timedOut) {
        m_onlyRefused = false;
        m_socket->abort();
        setState(StateDisconnected);
        emit sigDisconnected();
        qDebug() << "QTcpSocket::error " << QAbstractSocket::SocketTimeoutError;
    }
    if (m_attempt < kConnectAttempts) {
        startAttempt();
        return;
    }
    m_attempt = 0;
    if (m_onlyRefused)
        endRequestUnconnected();
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
    m_attemptTimer->stop();
    m_attempt = 0;
    m_assembler.reset();
    setState(StateConnected);
    qDebug() << "QTcpSocket::connected  successfully";
}

void CTcpSocket::disconnected()
{
    // The assembler is reset when the next connection starts: this may run from inside
    // a frame's delivery (a receiver closing the link).
    setState(StateDisconnected);
    emit sigDisconnected();
    qDebug() << "QTcpSocket::connected  break";
}

void CTcpSocket::error(QAbstractSocket::SocketError socketError)
{
    setState(StateDisconnected);
    emit sigDisconnected();
    qDebug() << "QTcpSocket::error " << socketError;
    // A failed attempt: the next one starts once the socket has finished reporting.
    if (m_attempt > 0 && m_socket->state() != QAbstractSocket::ConnectedState) {
        m_attemptTimer->stop();
        const int attempt = m_attempt;
        QMetaObject::invokeMethod(
            this, [this, attempt] {
                if (m_attempt == attempt)
                    attemptFailed(false);
            },
            Qt::QueuedConnection);
    }
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
        m_socket->abort();
        setState(StateDisconnected);
        emit sigDisconnected();
        return;
    }
    if (m_assembler.headerIncomplete())
        qDebug() << "receive len error";
}
