#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSharedPointer>
#include <QString>

class CTcpclient;

// All TCP links, at most one per node address. Process-wide; any thread may send.
// A link stays alive while a send is using it, even when it is removed meanwhile.
class CTcpManager final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTcpManager)

public:
    // How long a send waits for its link to come up.
    static constexpr int kConnectWaitMs = 5000;

    static CTcpManager &instance();

    // 0x1000 when the frame was handed to a connected link, 0x1001 otherwise. Blocks the
    // caller while a link is being brought up: until it is connected, refused, or 5 s
    // have passed. Sends to different nodes from different threads connect in parallel.
    int sendFrame(const QString &ip, int port, const char *frame, qint64 length);
    int sendFrame(const QString &ip, int port, const QByteArray &frame)
    {
        return sendFrame(ip, port, frame.constData(), frame.size());
    }
    void addLink(const QString &ip);
    bool hasLink(const QString &ip) const;
    int linkCount() const;
    // The link state of the address's link (0, 1, 2), -1 when it has none.
    int linkState(const QString &ip) const;

    // Ends every link and waits for their threads (application shutdown).
    void removeAll();

public slots:
    void removeTcp(QString ip);

private:
    CTcpManager();
    QSharedPointer<CTcpclient> link(const QString &ip);

    mutable QMutex m_mutex;
    QHash<QString, QSharedPointer<CTcpclient>> m_links;
};
