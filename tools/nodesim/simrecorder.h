#pragma once

#include <QFile>
#include <QJsonObject>
#include <QString>

// Writes one JSON line per received command, flushed at once, so a test can
// read the file while the simulator runs.
class SimRecorder final
{
    Q_DISABLE_COPY_MOVE(SimRecorder)

public:
    SimRecorder() = default;

    bool open(const QString &path, QString *error);
    bool isOpen() const { return m_file.isOpen(); }
    void write(QJsonObject line);

private:
    QFile m_file;
};

// Rewrites the whole LAN state atomically.
bool writeStateFile(const QString &path, const QJsonObject &state);
