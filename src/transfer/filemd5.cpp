#include "transfer/filemd5.h"

#include <QCryptographicHash>
#include <QFile>
#include <QString>

bool fileMd5(const QByteArray &path, QByteArray &out)
{
    // QFile, not fopen(): on Windows fopen() takes the ANSI code page, which cannot name
    // every folder (Chinese ones on a Western system).
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;

    QCryptographicHash md5(QCryptographicHash::Md5);
    char block[65536];
    for (;;) {
        const qint64 n = file.read(block, sizeof block);
        // A read error is not the end of the file: no digest of half the data.
        if (n < 0)
            return false;
        if (n == 0)
            break;
        md5.addData(block, int(n));
    }
    out = md5.result().toHex(); // lower case
    return true;
}
