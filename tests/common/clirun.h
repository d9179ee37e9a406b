#pragma once
// quorvane-cli as a net test runs it: the built program, in a home folder of the test's own.
#include <QByteArray>
#include <QProcess>
#include <QString>

struct sRun
{
    int status = -1;
    QByteArray out;
    QString err;
};

inline void startCli(QProcess &p, const QString &home, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QV_BUILD_DIR "/quorvane-cli"), args);
}

inline sRun runCli(const QString &home, const QStringList &args)
{
    QProcess p;
    startCli(p, home, args);
    // Never came, not "fast": every command gives up by itself after --timeout.
    if (!p.waitForFinished(180000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError())};
}
