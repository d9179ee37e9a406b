// Runs simulated LANs for test programs that cannot start the Linux simulator
// themselves (the Windows build under Wine). One client at a time, one JSON line
// per request: {"cmd":"start","args":[...],"sftp":bool,"launcher":[...]} answers
// {"workDir","sftpRoot"} or {"error"}; {"cmd":"stop"} answers {} once the nodes
// are gone; a closed connection stops them too.
//   qv-simbridge PORT     (inside the private namespace; prints "ready")
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

#include "simlan.h"

namespace {

QStringList strings(const QJsonValue &v)
{
    QStringList out;
    const QJsonArray array = v.toArray();
    for (const QJsonValue &s : array)
        out << s.toString();
    return out;
}

void serve(QTcpSocket &client)
{
    SimLan lan;
    for (;;) {
        while (!client.canReadLine())
            if (!client.waitForReadyRead(-1))
                return;
        const QJsonObject request = QJsonDocument::fromJson(client.readLine()).object();
        QJsonObject reply;
        if (request.value(QStringLiteral("cmd")).toString() == QLatin1String("start")) {
            lan.setLauncher(strings(request.value(QStringLiteral("launcher"))));
            if (lan.start(strings(request.value(QStringLiteral("args"))), request.value(QStringLiteral("sftp")).toBool(),
                          request.value(QStringLiteral("timeoutMs")).toInt(30000))) {
                reply.insert(QStringLiteral("workDir"), lan.workDir());
                reply.insert(QStringLiteral("sftpRoot"), lan.sftpRoot());
            } else {
                reply.insert(QStringLiteral("error"), lan.errorString());
            }
        } else {
            lan.stop();
        }
        client.write(QJsonDocument(reply).toJson(QJsonDocument::Compact) + '\n');
        client.waitForBytesWritten(5000);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTcpServer server;
    if (argc != 2 || !server.listen(QHostAddress::LocalHost, quint16(QByteArray(argv[1]).toUInt()))) {
        std::fprintf(stderr, "usage: qv-simbridge PORT (a free port on 127.0.0.1)\n");
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    while (server.waitForNewConnection(-1)) {
        while (QTcpSocket *client = server.nextPendingConnection()) {
            serve(*client);
            delete client;
        }
    }
    return 0;
}
