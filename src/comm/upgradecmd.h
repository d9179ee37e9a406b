#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

class QDateTime;

// The 217-byte body of the upgrade command.
namespace UpgradeCmd {

// The package's name on the node, for the upload URL and the command alike: the path's
// last part after "/" or a backslash; empty when that names no file.
QString fileNameOf(const QString &packagePath);
// 'QVa' when the name holds "decoder", else 'QVA' for "encoder", else 'QV'.
uint32_t packageKindOf(const QByteArray &localName);
// The text between the last "_" before the last "." and that ".".
QByteArray versionTextOf(const QByteArray &localName);
// Byte 1, type, kind, version (16), MD5 hex (32), name (128), zeros (32).
QByteArray buildBody(uint32_t upgradeType, const QString &fileName, const QByteArray &md5Hex);

} // namespace UpgradeCmd

// Command 1008's value: local wall-clock time counted as UTC, in milliseconds.
int64_t timeBaseValue();
// The same for a given moment (UTC).
int64_t timeBaseValue(const QDateTime &utcNow);
