#include "transfer/filemd5.h"

#include <QCryptographicHash>
#include <QString>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser
{
    void operator()(FILE *f) const { fclose(f); }
};

} // namespace

bool fileMd5(const QByteArray &path, QByteArray &out)
{
    // fopen takes the local 8-bit encoding (the ANSI code page on Windows).
    const QByteArray localPath = QString::fromUtf8(path).toLocal8Bit();
    std::unique_ptr<FILE, FileCloser> file(fopen(localPath.constData(), "rb"));
    if (!file)
        return false;

    QCryptographicHash md5(QCryptographicHash::Md5);
    char block[2048];
    for (;;) {
        const size_t n = fread(block, 1, sizeof block, file.get());
        if (n == 0) {
            // A read error is not the end of the file: no digest of half the data.
            if (ferror(file.get()))
                return false;
            break;
        }
        md5.addData(block, int(n));
    }
    out = md5.result().toHex(); // lower case
    return true;
}
