#include "app/csingleinstance.h"

#include <QDebug>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

namespace {
const char *const kBufferProperty = "qvActivateBuffer";
const QByteArray kMessage = QByteArrayLiteral("activateWindow");
} // namespace

QString CSingleInstance::defaultServerName(const QString &name)
{
#ifdef Q_OS_WIN
    return name;
#else
    // A bare name would be /tmp/NAME, shared by every user of the machine.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return name;
    return dir + QLatin1Char('/') + name;
#endif
}

CSingleInstance::CSingleInstance(const QString &name, QObject *parent)
    : QObject(parent)
    , m_serverName(defaultServerName(name))
{
}

CSingleInstance::~CSingleInstance()
{
    if (m_server)
        m_server->close();
}

bool CSingleInstance::notifyRunning(int connectTimeoutMs, int writeTimeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName, QIODevice::ReadWrite);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(kMessage);
    socket.waitForBytesWritten(writeTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return true;
}

bool CSingleInstance::listen()
{
    if (m_server)
        return m_server->isListening();
    // Qt makes a user-only socket aside and renames it over the name, which would silently
    // take the name from an instance that started at the same moment: ask first.
    if (isAnswering())
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::onNewConnection);
    if (m_server->listen(m_serverName))
        return true;
    // Nobody answered a moment ago, so the name is left over from a crash.
    if (m_server->serverError() == QAbstractSocket::AddressInUseError && QLocalServer::removeServer(m_serverName)
        && m_server->listen(m_serverName))
        return true;
    qDebug() << "local server listen failed:" << m_server->errorString();
    return false;
}

bool CSingleInstance::isAnswering() const
{
    QLocalSocket probe;
    probe.connectToServer(m_serverName, QIODevice::ReadWrite);
    const bool answered = probe.waitForConnected(500);
    probe.abort();
    return answered;
}

bool CSingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void CSingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        // Read on readyRead instead of blocking: a silent client must not freeze the window.
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QByteArray buffer = socket->property(kBufferProperty).toByteArray() + socket->readAll();
            socket->setProperty(kBufferProperty, buffer);
            if (buffer.size() >= kMessage.size() || !kMessage.startsWith(buffer))
                finish(socket);
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { finish(socket); });
        QPointer<QLocalSocket> guard(socket);
        QTimer::singleShot(m_readDeadlineMs, this, [this, guard] {
            if (guard)
                finish(guard);
        });
    }
}

void CSingleInstance::finish(QLocalSocket *socket)
{
    if (socket->property("qvFinished").toBool())
        return;
    socket->setProperty("qvFinished", true);
    const QByteArray buffer = socket->property(kBufferProperty).toByteArray() + socket->readAll();
    if (buffer == kMessage)
        emit sigActivate();
    socket->disconnect(this);
    socket->disconnectFromServer();
    socket->deleteLater();
}
