#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// One running instance per user: a later start hands "activateWindow" to the first
// through a local server and leaves; the first raises its window.
class CSingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSingleInstance)

public:
    static constexpr const char *ServerName = "my_local_server";
    static constexpr const char *ActivateMessage = "activateWindow";

    // name: the server name; on Unix it lives in the user's runtime folder so that
    // two users on one machine never see each other's instance.
    explicit CSingleInstance(const QString &name = QString::fromLatin1(ServerName), QObject *parent = nullptr);
    ~CSingleInstance() override;

    // Full server name as QLocalServer/QLocalSocket use it.
    QString serverName() const { return m_serverName; }
    static QString defaultServerName(const QString &name);

    // True when another instance is listening; it has then been sent the activation message.
    bool notifyRunning(int connectTimeoutMs = 500, int writeTimeoutMs = 30000);
    // Starts listening; false when the name cannot be taken (the program goes on without it)
    // or when another instance listening on it answers.
    bool listen();
    bool isListening() const;

    // How long a connected client may take to send its message.
    void setReadDeadlineMs(int ms) { m_readDeadlineMs = ms; }
    int readDeadlineMs() const { return m_readDeadlineMs; }

signals:
    void sigActivate();

private:
    void onNewConnection();
    bool isAnswering() const;
    void finish(QLocalSocket *socket);

    QString m_serverName;
    QLocalServer *m_server = nullptr;
    int m_readDeadlineMs = 2000;
};
