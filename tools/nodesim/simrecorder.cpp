#include "simrecorder.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QSaveFile>

bool SimRecorder::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, m_file.errorString());
        return false;
    }
    return true;
}

void SimRecorder::write(QJsonObject line)
{
    if (!m_file.isOpen())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    line.insert(QStringLiteral("time"), now.toString(Qt::ISODateWithMs));
    line.insert(QStringLiteral("ms"), now.toMSecsSinceEpoch());
    m_file.write(QJsonDocument(line).toJson(QJsonDocument::Compact));
    m_file.write("\n");
    m_file.flush();
}

bool writeStateFile(const QString &path, const QJsonObject &state)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QJsonDocument(state).toJson(QJsonDocument::Indented));
    return f.commit();
}
