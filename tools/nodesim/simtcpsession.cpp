#include "simtcpsession.h"

#include "simframe.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace {
// Nothing the tool sends comes near this; a larger claim is a broken stream.
constexpr quint32 kMaxFrame = 16 * 1024 * 1024;
} // namespace

SimTcpSession::SimTcpSession(QTcpSocket *socket, quint16 port, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_port(port)
{
    m_socket->setParent(this);
    // Pieces of a split answer must leave at once, not wait for an ACK.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &SimTcpSession::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

QString SimTcpSession::localAddress() const
{
    return m_socket->localAddress().toString();
}

QString SimTcpSession::peer() const
{
    return QStringLiteral("%1:%2").arg(m_socket->peerAddress().toString()).arg(m_socket->peerPort());
}

void SimTcpSession::onReadyRead()
{
    if (m_broken) {
        m_socket->readAll();
        return;
    }
    m_buffer += m_socket->readAll();
    while (m_buffer.size() >= SimFrame::kHeaderSize) {
        SimFrame::Header h;
        SimFrame::readHeader(m_buffer, &h);
        if (h.length < quint32(SimFrame::kHeaderSize) || h.length > kMaxFrame) {
            m_broken = true;
            emit sigStreamError(this, QStringLiteral("bad length field %1 (code %2)").arg(h.length).arg(h.cmd));
            m_socket->disconnectFromHost();
            return;
        }
        if (quint32(m_buffer.size()) < h.length)
            return;
        const QByteArray payload = m_buffer.mid(SimFrame::kHeaderSize, int(h.length) - SimFrame::kHeaderSize);
        m_buffer.remove(0, int(h.length));
        emit sigFrame(this, h.cmd, payload);
    }
}

void SimTcpSession::enqueue(const QList<Chunk> &chunks)
{
    m_queue += chunks;
    pump();
}

void SimTcpSession::pump()
{
    while (!m_waiting && !m_queue.isEmpty()) {
        if (m_queue.first().delayMs > 0) {
            m_waiting = true;
            QTimer::singleShot(m_queue.first().delayMs, this, [this] {
                m_waiting = false;
                if (!m_queue.isEmpty())
                    m_queue.first().delayMs = 0;
                pump();
            });
            return;
        }
        const Chunk c = m_queue.takeFirst();
        m_socket->write(c.bytes);
        // Each piece its own segment: no coalescing with the next one.
        m_socket->flush();
    }
}
