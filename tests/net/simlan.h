#pragma once

// Starts quorvane-nodesim for one test and reads back what it recorded.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class SimLan final
{
public:
    explicit SimLan(const QStringList &args)
    {
        m_process.setProgram(QStringLiteral(QV_NODESIM_PATH));
        m_process.setArguments(args + QStringList{QStringLiteral("--state"), statePath(),
                                                  QStringLiteral("--record"), recordPath()});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        while (m_process.waitForReadyRead(10000)) {
            if (m_process.readAll().contains("ready")) {
                m_ready = true;
                break;
            }
        }
    }
    ~SimLan()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
    Q_DISABLE_COPY_MOVE(SimLan)

    bool ready() const { return m_ready; }
    QString statePath() const { return m_dir.filePath(QStringLiteral("state.json")); }
    QString recordPath() const { return m_dir.filePath(QStringLiteral("record.jsonl")); }

    QJsonArray nodes() const
    {
        QFile f(statePath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("nodes")).toArray();
    }
    QJsonObject state() const
    {
        QFile f(statePath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }
    QJsonObject node(int index) const { return nodes().at(index).toObject(); }

    // Every command the LAN received, oldest first; cmd 0 gives all.
    QList<QJsonObject> records(int cmd = 0) const
    {
        QList<QJsonObject> out;
        QFile f(recordPath());
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray &line : f.readAll().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (!o.isEmpty() && (cmd == 0 || o.value(QStringLiteral("cmd")).toInt() == cmd))
                out.append(o);
        }
        return out;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    bool m_ready = false;
};
