#include "simlan.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>

namespace {

// Reads one line from a child's stdout within the deadline.
bool readLine(QProcess &p, QDeadlineTimer deadline, QByteArray *line)
{
    while (!p.canReadLine()) {
        if (p.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        p.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 200)));
    }
    *line = p.readLine().trimmed();
    return true;
}

// Ends a child that follows its stdin: close it, then TERM, then KILL.
void endChild(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.closeWriteChannel();
    if (!p.waitForFinished(5000)) {
        p.terminate();
        if (!p.waitForFinished(3000)) {
            p.kill();
            p.waitForFinished(3000);
        }
    }
}

// The bridge's paths are Linux paths; under Wine the Linux root is drive Z:.
QString localPath(const QString &hostPath)
{
#ifdef Q_OS_WIN
    if (hostPath.startsWith(QLatin1Char('/')))
        return QStringLiteral("Z:") + hostPath;
#endif
    return hostPath;
}

// One JSON line each way.
QJsonObject bridgeCall(QTcpSocket &socket, const QJsonObject &request, QDeadlineTimer deadline)
{
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    while (!socket.canReadLine()) {
        if (socket.state() != QAbstractSocket::ConnectedState || deadline.hasExpired())
            return {{QStringLiteral("error"), QStringLiteral("simulator bridge went away")}};
        socket.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 200)));
    }
    return QJsonDocument::fromJson(socket.readLine()).object();
}

} // namespace

SimLan::SimLan() = default;

SimLan::~SimLan()
{
    stop();
}

QString SimLan::nodesimPath()
{
    return QStringLiteral(QV_NODESIM_PATH);
}

QString SimLan::sourceDir()
{
    return QStringLiteral(QV_SOURCE_DIR);
}

bool SimLan::fail(const QString &error)
{
    m_error = error;
    stop();
    return false;
}

bool SimLan::start(const QStringList &args, bool withSftp, int timeoutMs)
{
    stop();
    m_error.clear();
    if (qgetenv("QV_IN_NETNS") != "1")
        return fail(QStringLiteral("not inside the private namespace: run through scripts/netns.sh"));
    if (qEnvironmentVariableIsSet("QV_SIMLAN_BRIDGE"))
        return startThroughBridge(args, withSftp, timeoutMs);
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid())
        return fail(QStringLiteral("no temporary folder"));
    m_workDir = m_dir->path();
    m_recordPath = m_dir->filePath(QStringLiteral("record.jsonl"));
    m_statePath = m_dir->filePath(QStringLiteral("state.json"));
    const QDeadlineTimer deadline(timeoutMs);

    QStringList simArgs = args;
    if (withSftp) {
        // The node addresses come from the same options, without opening sockets.
        QProcess dump;
        dump.start(nodesimPath(), QStringList(args) << QStringLiteral("--dump"));
        if (!dump.waitForFinished(int(deadline.remainingTime())) || dump.exitCode() != 0)
            return fail(QStringLiteral("nodesim --dump failed: %1").arg(QString::fromLocal8Bit(dump.readAllStandardError())));
        QStringList addrs;
        const QJsonArray nodes = QJsonDocument::fromJson(dump.readAllStandardOutput()).object().value(QStringLiteral("nodes")).toArray();
        for (const QJsonValue &n : nodes)
            addrs << n.toObject().value(QStringLiteral("ip")).toString();
        addrs.removeDuplicates();
        if (addrs.isEmpty())
            return fail(QStringLiteral("no node addresses for the SFTP servers"));
        if (!startSftp(addrs, int(deadline.remainingTime())))
            return false;
        simArgs << QStringLiteral("--sftp-root") << m_sftpRoot;
    }
    simArgs << QStringLiteral("--record") << m_recordPath << QStringLiteral("--state") << m_statePath;

    m_sim.setProcessChannelMode(QProcess::SeparateChannels);
    m_sim.setStandardErrorFile(m_dir->filePath(QStringLiteral("nodesim.log")));
    if (m_launcher.isEmpty())
        m_sim.start(nodesimPath(), simArgs);
    else
        m_sim.start(m_launcher.first(), m_launcher.mid(1) << nodesimPath() << simArgs);
    if (!m_sim.waitForStarted(int(deadline.remainingTime())))
        return fail(QStringLiteral("cannot start %1: %2").arg(nodesimPath(), m_sim.errorString()));
    QByteArray line;
    if (!readLine(m_sim, deadline, &line) || line != "ready")
        return fail(QStringLiteral("nodesim did not get ready: %1").arg(simulatorLog()));
    return true;
}

bool SimLan::startThroughBridge(const QStringList &args, bool withSftp, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    m_bridge = std::make_unique<QTcpSocket>();
    m_bridge->connectToHost(QStringLiteral("127.0.0.1"), quint16(qEnvironmentVariableIntValue("QV_SIMLAN_BRIDGE")));
    if (!m_bridge->waitForConnected(int(deadline.remainingTime())))
        return fail(QStringLiteral("no simulator bridge: %1").arg(m_bridge->errorString()));
    const QJsonObject reply = bridgeCall(*m_bridge,
            {{QStringLiteral("cmd"), QStringLiteral("start")}, {QStringLiteral("args"), QJsonArray::fromStringList(args)},
             {QStringLiteral("sftp"), withSftp}, {QStringLiteral("launcher"), QJsonArray::fromStringList(m_launcher)},
             {QStringLiteral("timeoutMs"), int(deadline.remainingTime())}},
            deadline);
    if (!reply.value(QStringLiteral("error")).toString().isEmpty())
        return fail(reply.value(QStringLiteral("error")).toString());
    m_workDir = localPath(reply.value(QStringLiteral("workDir")).toString());
    m_recordPath = m_workDir + QStringLiteral("/record.jsonl");
    m_statePath = m_workDir + QStringLiteral("/state.json");
    const QString root = reply.value(QStringLiteral("sftpRoot")).toString();
    m_sftpRoot = root.isEmpty() ? QString() : localPath(root);
    return true;
}

void SimLan::stop()
{
    if (m_bridge) {
        // The next test starts nodes on the same ports: wait until these are gone.
        if (m_bridge->state() == QAbstractSocket::ConnectedState)
            bridgeCall(*m_bridge, {{QStringLiteral("cmd"), QStringLiteral("stop")}}, QDeadlineTimer(30000));
        m_bridge.reset();
        m_sftpRoot.clear();
    }
    endChild(m_sim);
    stopSftp();
}

bool SimLan::isRunning() const
{
    if (m_bridge)
        return m_bridge->state() == QAbstractSocket::ConnectedState;
    return m_sim.state() == QProcess::Running;
}

bool SimLan::startSftp(const QStringList &addresses, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    m_sshd.setProcessChannelMode(QProcess::SeparateChannels);
    m_sshd.setStandardErrorFile(m_dir->filePath(QStringLiteral("lan-sshd.log")));
    m_sshd.start(sourceDir() + QStringLiteral("/scripts/lan-sshd.sh"), addresses);
    if (!m_sshd.waitForStarted(int(deadline.remainingTime())))
        return fail(QStringLiteral("cannot start lan-sshd.sh: %1").arg(m_sshd.errorString()));
    QByteArray line;
    if (!readLine(m_sshd, deadline, &line) || line.isEmpty()) {
        QFile log(m_dir->filePath(QStringLiteral("lan-sshd.log")));
        log.open(QIODevice::ReadOnly);
        return fail(QStringLiteral("lan-sshd.sh failed: %1").arg(QString::fromLocal8Bit(log.readAll())));
    }
    m_sftpRoot = QString::fromLocal8Bit(line);
    return true;
}

bool SimLan::newHostKey()
{
    if (m_sftpRoot.isEmpty())
        return fail(QStringLiteral("no SFTP servers"));
    QProcess p;
    p.start(sourceDir() + QStringLiteral("/scripts/lan-sshd.sh"), {QStringLiteral("--new-host-key"), m_sftpRoot});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return fail(QStringLiteral("new host key: %1").arg(QString::fromLocal8Bit(p.readAllStandardError())));
    return true;
}

void SimLan::stopSftp()
{
    endChild(m_sshd);
    m_sftpRoot.clear();
}

QString SimLan::workDir() const
{
    return m_workDir;
}

QString SimLan::simulatorLog() const
{
    if (m_workDir.isEmpty())
        return QString();
    QFile f(m_workDir + QStringLiteral("/nodesim.log"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QList<QJsonObject> SimLan::records() const
{
    QList<QJsonObject> out;
    QFile f(m_recordPath);
    if (m_recordPath.isEmpty() || !f.open(QIODevice::ReadOnly))
        return out;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine();
        // A line still being written has no newline yet.
        if (!line.endsWith('\n'))
            break;
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject())
            out << doc.object();
    }
    return out;
}

QList<QJsonObject> SimLan::records(int cmd) const
{
    QList<QJsonObject> out = records();
    out.erase(std::remove_if(out.begin(), out.end(), [cmd](const QJsonObject &r) { return r.value(QStringLiteral("cmd")).toInt(-1) != cmd; }),
              out.end());
    return out;
}

bool SimLan::waitForRecords(int cmd, int count, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    forever {
        if (records(cmd).size() >= count)
            return true;
        if (deadline.hasExpired())
            return false;
        // Keep the caller's event loop turning (answers may be queued to it).
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
}

QJsonObject SimLan::state() const
{
    QFile f(m_statePath);
    if (m_statePath.isEmpty() || !f.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(f.readAll()).object();
}

QJsonObject SimLan::node(int index) const
{
    return state().value(QStringLiteral("nodes")).toArray().at(index).toObject();
}

QStringList SimLan::addresses() const
{
    QStringList out;
    const QJsonArray nodes = state().value(QStringLiteral("nodes")).toArray();
    for (const QJsonValue &n : nodes)
        out << n.toObject().value(QStringLiteral("ip")).toString();
    return out;
}
