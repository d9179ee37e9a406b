#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// How the program puts files on disk: whole or not at all, and, where they hold what a node
// told us (stream passwords in exported data, logs, the command history), private to the user.
namespace Platform {

enum class FileAccess {
    Shared,    // an existing file keeps its permissions; a new one is readable by all
    OwnerOnly, // read and written by the owner only (0600)
};

// A file being written beside its target, private to the user (0600), that takes the
// target's name only in commit(), once every byte is on the disk; removed unless committed.
// Not a QTemporaryFile: on Windows a closed one keeps its handle, and the rename then
// fails with a sharing violation.
class PartFile final
{
    Q_DISABLE_COPY_MOVE(PartFile)
public:
    explicit PartFile(const QString &target);
    ~PartFile();
    // Creates the part file; false with the reason in errorString().
    bool open();
    bool write(const char *data, qint64 size);
    // Flush, sync, close and rename over the target; false leaves the target as it was.
    bool commit();
    QString errorString() const;
    QFile &file() { return m_file; }
private:
    QString m_target;
    QFile m_file;
    QString m_error;
    bool m_committed = false;
};

// Writes bytes to a new file beside path and renames it over path once every byte is on
// the disk. On any failure (a full disk too) path keeps what it held, no temporary is left,
// and false comes back with the reason in *error.
bool writeFileWhole(const QString &path, const QByteArray &bytes, FileAccess access, QString *error = nullptr);

// Renames from to to in one step, replacing a file that is there.
bool replaceFile(const QString &from, const QString &to);

// 0600 for a file, 0700 for a folder. Windows keeps the ACLs the folder hands down (the
// user's profile or the folder the operator chose), so these do nothing there.
bool restrictToOwner(const QString &path);
// Creates dir with its missing parents; a last folder created here is private to the user.
bool makeOwnerFolder(const QString &dir);

// Forces the file's data to the disk; true where the system offers no way.
bool syncToDisk(int fd);

} // namespace Platform
