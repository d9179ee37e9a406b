#include "transfer/hostkeys.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QSet>

#include "platform/filesafety.h"

namespace HostKeys {

namespace {

QMutex g_mutex; // everything below, and the file itself
QString g_file;
QSet<QString> g_acceptOnce;
bool g_acceptAll = false;
QHash<QString, QString> g_refused;

const char *typeName(int type)
{
    switch (type) {
    case CURLKHTYPE_RSA: return "ssh-rsa";
    case CURLKHTYPE_DSS: return "ssh-dss";
    case CURLKHTYPE_ECDSA: return "ecdsa-sha2-nistp256";
    case CURLKHTYPE_ED25519: return "ssh-ed25519";
    default: return nullptr;
    }
}

QByteArray blobOf(const curl_khkey *key)
{
    if (!key || !key->key)
        return QByteArray();
    // len 0: base64 text ending in a zero byte; otherwise the raw blob.
    if (key->len == 0)
        return QByteArray::fromBase64(QByteArray(key->key));
    return QByteArray(key->key, int(key->len));
}

// Keeps ip's key in the file, in place of any earlier line for ip. libcurl is told the key
// is fine and writes nothing: parallel transfers would overwrite each other's additions.
bool keep(const QString &path, const QString &ip, const curl_khkey *key)
{
    const char *type = typeName(key->keytype);
    const QByteArray blob = blobOf(key);
    if (!type || blob.isEmpty())
        return false;
    QByteArray text;
    QByteArray before;
    {
        // Closed before the file is replaced: Windows replaces no file that is open.
        QFile in(path);
        if (in.open(QIODevice::ReadOnly))
            before = in.readAll();
    }
    if (!before.isEmpty()) {
        const QList<QByteArray> lines = before.split('\n');
        for (const QByteArray &line : lines) {
            if (line.trimmed().isEmpty() || line.split(' ').value(0) == ip.toLatin1())
                continue;
            text += line + '\n';
        }
    }
    text += ip.toLatin1() + ' ' + type + ' ' + blob.toBase64() + '\n';
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Other transfers' libcurl reads the file as their sessions start: a few tries, each
    // after the readers have had their moment.
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (Platform::writeFileWhole(path, text, Platform::FileAccess::OwnerOnly))
            return true;
        QThread::msleep(50);
    }
    return false;
}

int onKey(CURL *, const curl_khkey *known, const curl_khkey *found, enum curl_khmatch match, void *clientp)
{
    Q_UNUSED(known)
    const QString ip = clientp ? *static_cast<const QString *>(clientp) : QString();
    QMutexLocker lock(&g_mutex);
    switch (match) {
    case CURLKHMATCH_OK:
        g_refused.remove(ip);
        return CURLKHSTAT_FINE;
    case CURLKHMATCH_MISSING:
        // First use: this key is the node's from now on.
        return keep(g_file, ip, found) ? CURLKHSTAT_FINE : CURLKHSTAT_REJECT;
    case CURLKHMATCH_MISMATCH:
        if ((g_acceptAll || g_acceptOnce.remove(ip)) && keep(g_file, ip, found)) {
            g_refused.remove(ip);
            qDebug() << "new host key accepted for" << ip;
            return CURLKHSTAT_FINE;
        }
        g_refused.insert(ip, fingerprint(blobOf(found)));
        qDebug() << "host key refused for" << ip << g_refused.value(ip);
        return CURLKHSTAT_REJECT;
    default:
        return CURLKHSTAT_REJECT;
    }
}

} // namespace

void setFile(const QString &path)
{
    QMutexLocker lock(&g_mutex);
    g_file = path;
}

QString file()
{
    QMutexLocker lock(&g_mutex);
    return g_file;
}

void acceptNew(const QString &ip)
{
    QMutexLocker lock(&g_mutex);
    g_acceptOnce.insert(ip);
}

void setAcceptAllNew(bool on)
{
    QMutexLocker lock(&g_mutex);
    g_acceptAll = on;
}

QString refusedKey(const QString &ip)
{
    QMutexLocker lock(&g_mutex);
    return g_refused.value(ip);
}

void configure(CURL *handle, const QString *ip, QByteArray &pathStorage)
{
    {
        QMutexLocker lock(&g_mutex);
        if (g_file.isEmpty())
            return;
        pathStorage = QFile::encodeName(g_file);
    }
    curl_easy_setopt(handle, CURLOPT_SSH_KNOWNHOSTS, pathStorage.constData());
    curl_easy_setopt(handle, CURLOPT_SSH_KEYFUNCTION, onKey);
    curl_easy_setopt(handle, CURLOPT_SSH_KEYDATA, const_cast<QString *>(ip));
}

QString fingerprint(const QByteArray &blob)
{
    QByteArray hash = QCryptographicHash::hash(blob, QCryptographicHash::Sha256).toBase64();
    while (hash.endsWith('='))
        hash.chop(1);
    return QStringLiteral("SHA256:") + QString::fromLatin1(hash);
}

} // namespace HostKeys
