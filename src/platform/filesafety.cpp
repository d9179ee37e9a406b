#include "platform/filesafety.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Platform {

bool replaceFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    const QString f = QDir::toNativeSeparators(from);
    const QString t = QDir::toNativeSeparators(to);
    return ::MoveFileExW(reinterpret_cast<const wchar_t *>(f.utf16()), reinterpret_cast<const wchar_t *>(t.utf16()),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
        != 0;
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

bool restrictToOwner(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path)
    return true;
#else
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return false;
    return ::chmod(native.constData(), S_ISDIR(st.st_mode) ? 0700 : 0600) == 0;
#endif
}

bool makeOwnerFolder(const QString &dir)
{
    if (QFileInfo(dir).isDir())
        return true;
    return QDir().mkpath(dir) && restrictToOwner(dir);
}

bool syncToDisk(int fd)
{
#ifdef Q_OS_WIN
    Q_UNUSED(fd)
    return true; // a full disk already fails the write there
#else
    return fd < 0 || ::fsync(fd) == 0 || errno == EINVAL; // EINVAL: a file that cannot be synced
#endif
}

bool writeFileWhole(const QString &path, const QByteArray &bytes, FileAccess access, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QFileInfo target(path);
    if (target.isDir())
        return fail(QStringLiteral("%1 is a folder").arg(path));
    // Beside the target, so the rename never crosses file systems; created 0600.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return fail(temp.errorString());
    // Every byte checked: a full disk shows in the write or the flush, not only at close.
    if (temp.write(bytes) != bytes.size() || !temp.flush())
        return fail(temp.errorString());
    if (!syncToDisk(temp.handle()))
        return fail(QStringLiteral("%1 could not be synced to the disk").arg(path));
    if (access == FileAccess::Shared) {
        const QFileDevice::Permissions readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
            | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        temp.setPermissions(target.exists() ? QFile::permissions(path) : readable);
    }
    temp.close();
    if (temp.error() != QFileDevice::NoError)
        return fail(temp.errorString());
    if (!replaceFile(temp.fileName(), path))
        return fail(QStringLiteral("%1 could not be replaced").arg(path));
    temp.setAutoRemove(false);
    return true;
}

} // namespace Platform
