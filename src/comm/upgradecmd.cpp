#include "comm/upgradecmd.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>

#include "comm/protocol.h"

namespace {

// Copies at most size bytes of text to offset; the rest stays zero.
void putText(QByteArray &body, int offset, int size, const QByteArray &text)
{
    const int n = qMin(size, text.size());
    if (n > 0)
        memcpy(body.data() + offset, text.constData(), size_t(n));
}

} // namespace

namespace UpgradeCmd {

QString fileNameOf(const QString &packagePath)
{
    // QFileInfo takes the platform's separators (and a Windows drive prefix); a backslash
    // is cut at on every platform, so no folder name reaches the node from a Windows path.
    QString name = QFileInfo(packagePath).fileName();
    name = name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1);
    // These would name the upload folder itself, not a file in it.
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QString();
    return name;
}

uint32_t packageKindOf(const QByteArray &localName)
{
    if (localName.contains("decoder"))
        return Protocol::kPackageDecoder;
    if (localName.contains("encoder"))
        return Protocol::kPackageEncoder;
    return Protocol::kPackageOther;
}

QByteArray versionTextOf(const QByteArray &localName)
{
    const int dot = localName.lastIndexOf('.');
    if (dot < 0)
        return QByteArray();
    const int underscore = localName.lastIndexOf('_', dot);
    if (underscore < 0)
        return QByteArray();
    return localName.mid(underscore + 1, dot - underscore - 1);
}

ERefusal refusalOf(const QString &packagePath, uint32_t upgradeType, int nodeType)
{
    const QFileInfo file(packagePath);
    if (!file.isFile() || file.size() <= 0)
        return ERefusal::EmptyPackage;
    if (upgradeType != 0)
        return ERefusal::None;
    const QByteArray name = fileNameOf(packagePath).toLocal8Bit();
    const uint32_t kind = packageKindOf(name);
    if (kind == Protocol::kPackageOther || versionTextOf(name).isEmpty())
        return ERefusal::NoKindOrVersion;
    const int packageType = kind == Protocol::kPackageDecoder ? 1 : 2;
    if (nodeType != 0 && nodeType != packageType)
        return ERefusal::WrongKind;
    return ERefusal::None;
}

const char *resultSource(uint32_t code)
{
    switch (code) {
    case Protocol::kUpgradeOk: return QT_TRANSLATE_NOOP("CProgressListItem", "升级成功");
    case Protocol::kUpgradeKillAppFailed: return QT_TRANSLATE_NOOP("CProgressListItem", "杀掉App进程失败");
    case Protocol::kUpgradeRemoveAppFailed: return QT_TRANSLATE_NOOP("CProgressListItem", "移除App进程失败");
    case Protocol::kUpgradeWriteAppFailed: return QT_TRANSLATE_NOOP("CProgressListItem", "写入App进程失败");
    case Protocol::kUpgradeMd5Mismatch: return QT_TRANSLATE_NOOP("CProgressListItem", "MD5匹配失败");
    case Protocol::kUpgradeModelMismatch: return QT_TRANSLATE_NOOP("CProgressListItem", "设备型号不匹配");
    case Protocol::kUpgradeVersionTooLow: return QT_TRANSLATE_NOOP("CProgressListItem", "当前版本过低");
    case Protocol::kUpgradeFrameMismatch: return QT_TRANSLATE_NOOP("CProgressListItem", "帧编号不匹配");
    case Protocol::kUpgradeOtherError: return QT_TRANSLATE_NOOP("CProgressListItem", "其它错误");
    case Protocol::kUpgradeBadFile: return QT_TRANSLATE_NOOP("CProgressListItem", "升级文件错误");
    default: return QT_TRANSLATE_NOOP("CProgressListItem", "升级失败");
    }
}

QByteArray buildBody(uint32_t upgradeType, const QString &fileName, const QByteArray &md5Hex)
{
    const QByteArray localName = fileName.toLocal8Bit();
    QByteArray body(Protocol::kUpgradeBodySize, '\0');
    body[0] = 1;
    qToLittleEndian<quint32>(upgradeType, body.data() + 1);
    qToLittleEndian<quint32>(packageKindOf(localName), body.data() + 5);
    putText(body, 9, 16, versionTextOf(localName));
    putText(body, 25, 32, md5Hex);
    putText(body, 57, 128, localName);
    return body; // bytes 185..216 stay zero
}

} // namespace UpgradeCmd

int64_t timeBaseValue(const QDateTime &utcNow)
{
    // The local wall-clock time, labelled as UTC.
    const QDateTime local = utcNow.toLocalTime();
    return QDateTime(local.date(), local.time(), Qt::UTC).toMSecsSinceEpoch();
}

int64_t timeBaseValue()
{
    return timeBaseValue(QDateTime::currentDateTimeUtc());
}
