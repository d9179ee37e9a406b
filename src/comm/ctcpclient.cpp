#include "comm/ctcpclient.h"

#include <QThread>
#include <atomic>

#include "comm/ctcpthread.h"

namespace {
std::atomic<int> s_instances{0};
}

CTcpclient::CTcpclient(QObject *parent) : QObject(parent), m_thread(new CTcpThread(this))
{
    ++s_instances;
    connect(m_thread, &CTcpThread::sigDisconnected, this, &CTcpclient::sigDisconnected);
}

CTcpclient::~CTcpclient()
{
    delete m_thread;
    --s_instances;
}

int CTcpclient::instances()
{
    return s_instances.load();
}

int CTcpclient::send(const char *frame, qint64 length)
{
    return m_thread->send(frame, length);
}

void CTcpclient::connectTo(const QString &ip, int port)
{
    m_thread->setTarget(ip, port);
}

bool CTcpclient::connectAndWait(const QString &ip, int port, int waitMs)
{
    return m_thread->connectAndWait(ip, port, waitMs);
}

void CTcpclient::close()
{
    emit m_thread->close();
}

int CTcpclient::state() const
{
    return m_thread->state();
}

void CTcpclient::retire()
{
    QThread *linkThread = m_thread->thread();
    // Already ended (stopAndWait): finished will not come again.
    if (linkThread->isFinished()) {
        deleteLater();
        return;
    }
    // finished is emitted on the link thread; deleteLater runs on this object's thread.
    connect(linkThread, &QThread::finished, this, &QObject::deleteLater);
    m_thread->stop();
    // Nothing here after the stop: called from another thread, the link may end and this
    // object be deleted by its own thread at any moment from now on.
}

void CTcpclient::stopAndWait()
{
    m_thread->stop();
    m_thread->thread()->wait();
}
