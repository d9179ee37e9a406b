#include "comm/ctcpthread.h"

#include <chrono>
#include <QMutexLocker>
#include <QThread>

#include "comm/ctcpsocket.h"
#include "comm/frame.h"
#include "comm/protocol.h"

CTcpThread::CTcpThread(QObject *parent)
    : QObject(parent), m_thread(new QThread(this)), m_socket(new CTcpSocket)
{
    m_thread->setObjectName(QStringLiteral("tcp link"));
    m_socket->moveToThread(m_thread);

    connect(this, &CTcpThread::sig, m_socket, &CTcpSocket::sendData);
    connect(this, &CTcpThread::close, m_socket, &CTcpSocket::closeTcpLink);
    connect(this, &CTcpThread::sigConnect, m_socket, &CTcpSocket::connectTohost);
    connect(m_socket, &CTcpSocket::notifyRecv, this, &CTcpThread::NotifyData, Qt::DirectConnection);
    connect(m_socket, &CTcpSocket::sigDisconnected, this, &CTcpThread::sigDisconnected,
            Qt::DirectConnection);

    m_thread->start(QThread::HighPriority);
}

CTcpThread::~CTcpThread()
{
    stop();
    m_thread->wait();
    // The thread has ended: nothing runs the socket any more.
    delete m_socket;
}

void CTcpThread::stop()
{
    {
        QMutexLocker lock(&m_targetMutex);
        if (m_stopping)
            return;
        m_stopping = true;
    }
    emit close();
    // Queued behind the close, so the link ends its own event loop once that is done.
    CTcpSocket *socket = m_socket;
    QMetaObject::invokeMethod(
        socket,
        [socket] {
            socket->shutdown();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
}

int CTcpThread::send(const char *frame, qint64 length)
{
    if (state() != CTcpSocket::StateConnected) {
        QString ip;
        int port = 0;
        {
            QMutexLocker lock(&m_targetMutex);
            ip = m_ip;
            port = m_port;
        }
        if (!connectAndWait(ip, port, kSendWaitMs))
            return Protocol::kTcpNoLink;
    }
    // The copy crosses to the link thread by value.
    emit sig(QByteArray(frame, int(length)));
    return Protocol::kTcpSent;
}

bool CTcpThread::connectAndWait(const QString &ip, int port, int waitMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    // Read before the request, so a refusal of this very request is seen.
    const quint64 refusals = m_socket->refusals();
    {
        QMutexLocker lock(&m_targetMutex);
        m_ip = ip;
        m_port = port;
    }
    emit sigConnect(ip, port);
    return m_socket->waitForLink(refusals, deadline);
}

void CTcpThread::setTarget(const QString &ip, int port)
{
    {
        QMutexLocker lock(&m_targetMutex);
        m_ip = ip;
        m_port = port;
    }
    emit sigConnect(ip, port);
}

int CTcpThread::state() const
{
    return m_socket->state();
}

QString CTcpThread::ip() const
{
    QMutexLocker lock(&m_targetMutex);
    return m_ip;
}

void CTcpThread::NotifyData(char *lpData, qlonglong nDataLen)
{
    uint16_t cmdType = 0;
    if (nDataLen < Protocol::kHeaderSize || !Frame::check(lpData, size_t(nDataLen), cmdType))
        return;
    ProtocolParseData(cmdType, lpData + Protocol::kHeaderSize, size_t(nDataLen - Protocol::kHeaderSize));
}

void CTcpThread::ProtocolParseData(int cmdType, char *pBuf, size_t bufLen)
{
    m_parser.parse(cmdType, pBuf, bufLen, ip().toUtf8());
}
