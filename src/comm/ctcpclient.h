#pragma once

#include <QObject>
#include <QString>

class CTcpThread;

// The handle of one link. Owned by CTcpManager; ends through retire().
class CTcpclient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTcpclient)

public:
    explicit CTcpclient(QObject *parent = nullptr);
    ~CTcpclient() override;

    int send(const char *frame, qint64 length);
    void connectTo(const QString &ip, int port);
    // Connects and waits for the outcome (see CTcpThread::connectAndWait).
    bool connectAndWait(const QString &ip, int port, int waitMs);
    void close();
    int state() const;

    // Closes the link and ends its thread; the object deletes itself on its own
    // thread's event loop once the link thread is gone, so this may be called from
    // any thread, the link thread included.
    void retire();
    // Ends the link thread and waits for it. Not for the link thread itself.
    void stopAndWait();

    // Link handles alive in the process (for tests and diagnostics).
    static int instances();

signals:
    void sigDisconnected();

private:
    CTcpThread *m_thread = nullptr; // child
};
