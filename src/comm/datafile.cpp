#include "comm/datafile.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include "comm/cprotocolpacker.h"
#include "comm/cprotocolparser.h"
#include "comm/jsonvalue.h"
#include "platform/filesafety.h"

using namespace JsonValue;

namespace {

// The tool writes "main"; files written the older way carry "mainVersion".
int versionNumber(const QJsonObject &version, const char *key, const char *legacyKey)
{
    const QLatin1String k(key);
    return toInt(version.contains(k) ? version.value(k) : version.value(QLatin1String(legacyKey)));
}

} // namespace

namespace DataFile {

QJsonObject packEntry(const sDeviceData &data)
{
    return CProtocolPacker::dataImportObject(data);
}

void readEntry(const QJsonObject &entry, sDeviceData &out)
{
    // The same object as an export answer's "data", but older files name the versions differently.
    CProtocolParser::readDeviceData(entry, out);
    const QJsonObject version = entry.value(QLatin1String("version")).toObject();
    out.mainVer = versionNumber(version, "main", "mainVersion");
    out.majorVer = versionNumber(version, "major", "majorVersion");
    out.minorVer = versionNumber(version, "minor", "minorVersion");
}

bool readJsonFile(const QString &path, QJsonObject &out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "can't open error!";
        return false;
    }
    // A node's data is a few kilobytes: anything past the limit is not one, and is not read.
    if (file.size() > kMaxFileBytes) {
        qDebug() << "data file too large:" << file.size();
        out = QJsonObject();
        return false;
    }
    const QByteArray text = file.read(kMaxFileBytes + 1);
    if (text.size() > kMaxFileBytes) {
        out = QJsonObject();
        return false;
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        qDebug() << "Json格式错误！" << error.error;
        out = QJsonObject();
        return false;
    }
    out = doc.isObject() ? doc.object() : QJsonObject();
    return doc.isObject();
}

bool writeJsonFile(const QString &path, const QByteArray &bytes)
{
    // The node's data holds its stream passwords: the file is the user's alone. A file that
    // cannot be written whole (a full disk) leaves the old one as it was.
    QString error;
    if (!Platform::writeFileWhole(path, bytes, Platform::FileAccess::OwnerOnly, &error)) {
        qDebug() << "can't open error!" << error;
        return false;
    }
    return true;
}

} // namespace DataFile
