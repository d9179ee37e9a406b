#pragma once

#include "simnode.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <vector>

// What the simulated LAN is made of: read from a JSON file, then from the
// command line, which wins.
struct SimConfig
{
    int decoders = 0;
    int encoders = 0;
    quint64 seed = 1;
    QString base = QStringLiteral("127.0.1.1");
    QString manager;       // empty: the first node's address
    int spreadMs = 0;      // broadcast answers spread over [0, spreadMs]
    QJsonArray nodes;      // explicit nodes (objects)
    QStringList faults;    // "mode[=value][@selector,...]"
    QString recordPath;
    QString statePath;
    QString sftpRoot;
    int rebootMs = 0;      // a rebooted node stays silent this long
    int upgradeDelayMs = 0;

    bool loadFile(const QString &path, QString *error);
    // "decoder@127.0.2.5[,key=value...]" or "encoder@...", address optional.
    bool addNodeSpec(const QString &spec, QString *error);

    // Generated nodes first (decoders, then encoders), explicit nodes after.
    bool buildNodes(std::vector<SimNode> *out, QString *error) const;
};

QString addressAfter(const QString &ip, quint32 steps);
