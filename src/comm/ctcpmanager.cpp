#include "comm/ctcpmanager.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QThread>

#include "comm/ctcpclient.h"
#include "comm/ctcpsocket.h"
#include "comm/ipv4.h"
#include "comm/protocol.h"

namespace {

// The last holder of a link retires it; deletion then happens on the link handle's
// own thread after the link thread has ended, never inside the link thread.
void retireLink(CTcpclient *client)
{
    client->retire();
}

void stopLinksAtExit()
{
    CTcpManager::instance().removeAll();
}

} // namespace

CTcpManager &CTcpManager::instance()
{
    static CTcpManager *manager = new CTcpManager;
    return *manager;
}

CTcpManager::CTcpManager()
{
    if (QCoreApplication *app = QCoreApplication::instance()) {
        if (thread() != app->thread())
            moveToThread(app->thread());
        qAddPostRoutine(stopLinksAtExit);
    }
}

QSharedPointer<CTcpclient> CTcpManager::link(const QString &ip)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_links.find(ip);
    if (it != m_links.end())
        return it.value();
    auto *client = new CTcpclient;
    // Link handles live on the application thread, whose event loop deletes them.
    if (QCoreApplication *app = QCoreApplication::instance())
        client->moveToThread(app->thread());
    QSharedPointer<CTcpclient> shared(client, retireLink);
    m_links.insert(ip, shared);
    return shared;
}

void CTcpManager::addLink(const QString &ip)
{
    link(ip);
}

bool CTcpManager::hasLink(const QString &ip) const
{
    QMutexLocker lock(&m_mutex);
    return m_links.contains(ip);
}

int CTcpManager::linkCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_links.size();
}

int CTcpManager::linkState(const QString &ip) const
{
    QSharedPointer<CTcpclient> client;
    {
        QMutexLocker lock(&m_mutex);
        client = m_links.value(ip);
    }
    return client ? client->state() : -1;
}

int CTcpManager::sendFrame(const QString &ip, int port, const char *frame, qint64 length)
{
    // Nothing connects to a name, a broadcast or a reserved address in a node's place.
    if (!Ipv4::isNodeAddress(ip.toUtf8()))
        return Protocol::kTcpNoLink;
    const QSharedPointer<CTcpclient> client = link(ip);
    if (client->state() == CTcpSocket::StateConnected)
        return client->send(frame, length);

    if (!client->connectAndWait(ip, port, kConnectWaitMs))
        return Protocol::kTcpNoLink;
    return client->send(frame, length);
}

void CTcpManager::removeTcp(QString ip)
{
    QSharedPointer<CTcpclient> client;
    {
        QMutexLocker lock(&m_mutex);
        client = m_links.take(ip);
    }
    if (client)
        client->close();
    // Dropping the last reference outside the lock retires the link.
}

void CTcpManager::removeAll()
{
    QHash<QString, QSharedPointer<CTcpclient>> links;
    {
        QMutexLocker lock(&m_mutex);
        links.swap(m_links);
    }
    for (const QSharedPointer<CTcpclient> &client : qAsConst(links))
        client->stopAndWait();
    links.clear();
    // The handles were handed to deleteLater; run those deletions now when we are the
    // thread that owns them (there may be no event loop any more).
    if (QCoreApplication *app = QCoreApplication::instance()) {
        if (QThread::currentThread() == app->thread())
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
