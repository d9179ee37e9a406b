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
// Why a package may not go to a node, decided before any byte is sent.
enum class ERefusal { None, EmptyPackage, NoKindOrVersion, WrongKind };
// upgradeType 0 (firmware): the file must hold bytes, its name a kind ("decoder" or
// "encoder") and a version, and the kind must be the node's type (nodeType 0: not known,
// not compared). upgradeType 1 (application): the file must hold bytes.
ERefusal refusalOf(const QString &packagePath, uint32_t upgradeType, int nodeType);

// The row text of an upgrade answer code, untranslated (context "CProgressListItem").
const char *resultSource(uint32_t code);

// Byte 1, type, kind, version (16), MD5 hex (32), name (128), zeros (32).
QByteArray buildBody(uint32_t upgradeType, const QString &fileName, const QByteArray &md5Hex);

} // namespace UpgradeCmd

// Command 1008's value: local wall-clock time counted as UTC, in milliseconds.
int64_t timeBaseValue();
// The same for a given moment (UTC).
int64_t timeBaseValue(const QDateTime &utcNow);
