#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include "comm/sdevicedata.h"

// Data files: one JSON object per node, written by export and read back by import.
namespace DataFile {

// The entry object of one node ({"devData", "version", "data"}).
QJsonObject packEntry(const sDeviceData &data);
// Reads an entry; version numbers under "main"/"major"/"minor", or the longer
// "mainVersion"/"majorVersion"/"minorVersion" of older files.
void readEntry(const QJsonObject &entry, sDeviceData &out);

// Largest data file an import reads.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

// Parses the file; a parse error or a file above kMaxFileBytes gives an empty object, a
// file that cannot be opened leaves out unchanged. Returns whether a JSON object was read.
bool readJsonFile(const QString &path, QJsonObject &out);
// Replaces the file in one step, readable by the user only. Returns whether every byte
// was written; when not, the old file is as it was.
bool writeJsonFile(const QString &path, const QByteArray &bytes);

} // namespace DataFile
