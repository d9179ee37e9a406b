#include "platform/filesafety.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

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

PartFile::PartFile(const QString &target) : m_target(target) {}

PartFile::~PartFile()
{
    if (!m_committed && !m_file.fileName().isEmpty()) {
        m_file.close();
        m_file.remove();
    }
}

bool PartFile::open()
{
    const QFileInfo target(m_target);
    // Beside the target, so the rename never crosses file systems.
    for (int attempt = 0;; ++attempt) {
        m_file.setFileName(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.')
                           + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".part"));
        if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (!m_file.exists() || attempt == 16) {
            m_error = m_file.errorString();
            m_file.setFileName(QString());
            return false;
        }
    }
    if (!m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

bool PartFile::write(const char *data, qint64 size)
{
    if (m_file.write(data, size) == size)
        return true;
    m_error = m_file.errorString();
    return false;
}

bool PartFile::commit()
{
    // Every byte checked: a full disk shows in the write or the flush, not only at close.
    if (!m_file.isOpen() || !m_file.flush()) {
        m_error = m_file.errorString();
        return false;
    }
    if (!syncToDisk(m_file.handle())) {
        m_error = QStringLiteral("%1 could not be synced to the disk").arg(m_target);
        return false;
    }
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        m_error = m_file.errorString();
        return false;
    }
    if (!replaceFile(m_file.fileName(), m_target)) {
        m_error = QStringLiteral("%1 could not be replaced").arg(m_target);
        return false;
    }
    m_committed = true;
    return true;
}

QString PartFile::errorString() const
{
    return m_error;
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
    PartFile part(path);
    if (!part.open() || !part.write(bytes.constData(), bytes.size()))
        return fail(part.errorString());
    if (access == FileAccess::Shared) {
        const QFileDevice::Permissions readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
            | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        part.file().setPermissions(target.exists() ? QFile::permissions(path) : readable);
    }
    if (!part.commit())
        return fail(part.errorString());
    return true;
}

} // namespace Platform
