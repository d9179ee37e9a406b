#include "transfer/csftpclient.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <atomic>
#include <cstdio>
#include <memory>

#include "config/cappconfig.h"
#include "comm/cprotocolparser.h"
#include "comm/ctcpmanager.h"
#include "comm/frame.h"
#include "comm/ipv4.h"
#include "comm/protocol.h"
#include "comm/upgradecmd.h"
#include "model/sdeviceinfo.h"
#include "platform/filesafety.h"
#include "transfer/cprogressthrottle.h"
#include "transfer/filemd5.h"
#include "transfer/hostkeys.h"

namespace {

std::atomic<bool> g_transferTrace{true};

struct CurlCleanup
{
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

// libcurl's process-wide set-up, done once here for the window and the command line
// alike: curl_easy_init() would do it implicitly, but not safely from two threads at once.
// Cleaned up at exit, after every transfer thread has been joined.
struct CurlGlobal
{
    CurlGlobal() { curl_global_init(CURL_GLOBAL_ALL); }
    ~CurlGlobal() { curl_global_cleanup(); }
};

CURL *newEasyHandle()
{
    static CurlGlobal global;
    return curl_easy_init();
}

// Local files go through QFile: libcurl and fopen() take 8-bit paths, which on Windows
// are in the ANSI code page and cannot name a folder with Chinese characters in it.
using FilePtr = std::unique_ptr<QFile>;

FilePtr openLocal(const QString &path, QIODevice::OpenMode mode)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(mode))
        return nullptr;
    return file;
}

// Lives for one transfer; the progress callback's user pointer.
struct sTransContext
{
    CProtocolParser parser;
    QString ip;
    std::atomic<int32_t> *transEnable = nullptr;
    CProgressThrottle throttle;
    QElapsedTimer clock;
    bool stopLogged = false;

    bool stopRequested()
    {
        if (!transEnable || transEnable->load() != 0)
            return false;
        if (!stopLogged) {
            stopLogged = true;
            qDebug() << "sftp Transmission stoped";
        }
        return true;
    }
};

// One transfer, built by the routine that performs it.
struct sTransTask
{
    int32_t tag = -1; // upgradeType for uploads, -1 for downloads and listings
    QString ip;
    TransFlag transEnable;
    QString url;
    QString localPath;
    // Uploads: the package goes up under partPath and takes finalPath (both remote paths)
    // only once it is whole, so a stopped or failed upload never leaves a file under the
    // package's name.
    QString partPath;
    QString finalPath;
    QString login = QString::fromLatin1(csftpclient::kLogin);
    FilePtr file; // uploads
    // Downloads: the data goes to a temporary beside localPath, renamed over it when whole.
    std::unique_ptr<Platform::PartFile> part;
    qint64 received = 0;
    qint64 sizeLimit = 0;
    bool tooLarge = false;
    sTransContext context;
};

// Entry names of a listing; the library may hand over a name and its line break
// in one piece or in several.
struct sListing
{
    QByteArray pending;
    QList<QByteArray> names;

    void take(QByteArray line)
    {
        const int nul = line.indexOf('\0');
        if (nul >= 0)
            line.truncate(nul);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line == "." || line == "..")
            return;
        names.append(line);
    }
    void feed(const char *data, size_t size)
    {
        pending.append(data, int(size));
        int eol;
        while ((eol = pending.indexOf('\n')) >= 0) {
            take(pending.left(eol));
            pending.remove(0, eol + 1);
        }
    }
    void finish()
    {
        take(pending);
        pending.clear();
    }
};

size_t readCallback(char *buffer, size_t size, size_t items, void *userp)
{
    auto *task = static_cast<sTransTask *>(userp);
    if (task->context.stopRequested())
        return CURL_READFUNC_ABORT;
    if (!task->file)
        return CURL_READFUNC_ABORT;
    const qint64 got = task->file->read(buffer, qint64(size * items));
    if (got < 0)
        return CURL_READFUNC_ABORT;
    return size_t(got);
}

size_t fileWriteCallback(char *data, size_t size, size_t items, void *userp)
{
    auto *task = static_cast<sTransTask *>(userp);
    const qint64 bytes = qint64(size * items);
    // Anything short of the whole chunk ends the transfer with a write error.
    if (task->received + bytes > task->sizeLimit) {
        task->tooLarge = true;
        return 0;
    }
    if (!task->part || !task->part->write(data, qint64(bytes)))
        return 0;
    task->received += bytes;
    return size * items;
}

size_t nameCallback(char *data, size_t size, size_t items, void *userp)
{
    static_cast<sListing *>(userp)->feed(data, size * items);
    return items;
}

int progressCallback(void *clientp, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow)
{
    auto *context = static_cast<sTransContext *>(clientp);
    // Non-zero ends the transfer at once, also while nothing is being read.
    if (context->stopRequested())
        return 1;
    const bool final = ultotal > 0 && ulnow >= ultotal;
    if (context->throttle.pass(context->clock.elapsed(), uint64_t(ulnow), final))
        context->parser.transProgress(context->ip, uint32_t(ulnow * 995 / 1000));
    return 0;
}

// The part every transfer shares; announces the end and returns the result.
CURLcode performTransfer(CURL *handle, sTransTask &task)
{
    curl_easy_setopt(handle, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PASSWORD));
    task.context.ip = task.ip;
    task.context.transEnable = task.transEnable.get(); // alive as long as the task
    task.context.clock.start();
    const bool trace = g_transferTrace.load();
    curl_easy_setopt(handle, CURLOPT_VERBOSE, trace ? 1L : 0L);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, progressCallback);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &task.context);
    QByteArray knownHosts;
    HostKeys::configure(handle, &task.context.ip, knownHosts);

    const CURLcode res = curl_easy_perform(handle);
    long responseCode = -1;
    if (res == CURLE_OK)
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &responseCode);
    else if (trace)
        std::fprintf(stderr, "curl told us %d\n", int(res));

    sTransAnswer answer;
    answer.tag = task.tag;
    answer.ip = task.ip.toUtf8();
    answer.code = res;
    answer.responseCode = int32_t(responseCode);
    task.context.parser.transEnd(&answer);
    return res;
}

void setCommonStart(CURL *handle, const sTransTask &task, QByteArray &url, QByteArray &login)
{
    url = task.url.toUtf8();
    login = task.login.toUtf8();
    curl_easy_setopt(handle, CURLOPT_URL, url.constData());
    curl_easy_setopt(handle, CURLOPT_USERPWD, login.constData());
}

struct SlistFree
{
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistFree>;

// A remote path as one argument of an SFTP quote command.
QByteArray quotedPath(const QString &path)
{
    QByteArray out = path.toUtf8();
    out.replace('\\', "\\\\").replace('"', "\\\"");
    return '"' + out + '"';
}

// Removes a partial upload; nothing is reported to the observers. Bounded in time: it
// runs while the owner waits for the stopped upload.
void removeRemote(const sTransTask &upload)
{
    constexpr long kRemoveLimitS = 15;
    CurlHandle handle(newEasyHandle());
    if (!handle)
        return;
    curl_easy_setopt(handle.get(), CURLOPT_TIMEOUT, kRemoveLimitS);
    // The quote runs before a listing of the folder, which is thrown away.
    const QByteArray url = upload.url.left(upload.url.lastIndexOf(QLatin1Char('/')) + 1).toUtf8();
    const QByteArray login = upload.login.toUtf8();
    Slist quote(curl_slist_append(nullptr, ("*rm " + quotedPath(upload.partPath)).constData()));
    curl_easy_setopt(handle.get(), CURLOPT_URL, url.constData());
    curl_easy_setopt(handle.get(), CURLOPT_USERPWD, login.constData());
    curl_easy_setopt(handle.get(), CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PASSWORD));
    curl_easy_setopt(handle.get(), CURLOPT_QUOTE, quote.get());
    curl_easy_setopt(handle.get(), CURLOPT_DIRLISTONLY, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION,
                     +[](char *, size_t size, size_t items, void *) { return size * items; });
    curl_easy_perform(handle.get());
}

CURLcode uploadFile(sTransTask task)
{
    CurlHandle handle(newEasyHandle());
    if (!handle)
        return CURLE_FAILED_INIT;
    QByteArray url, login;
    setCommonStart(handle.get(), task, url, login);

    task.file = openLocal(task.localPath, QIODevice::ReadOnly);
    const int64_t size = task.file ? task.file->size() : 0;
    curl_easy_setopt(handle.get(), CURLOPT_READFUNCTION, readCallback);
    curl_easy_setopt(handle.get(), CURLOPT_READDATA, &task);
    curl_easy_setopt(handle.get(), CURLOPT_FTP_CREATE_MISSING_DIRS, 0L);
    curl_easy_setopt(handle.get(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
    // Once the part is whole it takes the package's name; an older copy goes first, as an
    // SFTP rename does not replace. A failed rename fails the upload.
    Slist rename(curl_slist_append(nullptr, ("*rm " + quotedPath(task.finalPath)).constData()));
    curl_slist_append(rename.get(), ("rename " + quotedPath(task.partPath) + ' ' + quotedPath(task.finalPath)).constData());
    curl_easy_setopt(handle.get(), CURLOPT_POSTQUOTE, rename.get());
    const CURLcode res = performTransfer(handle.get(), task);
    // Only a transfer that got past the login can have opened the part on the node.
    curl_off_t reachedTransfer = 0;
    if (res != CURLE_OK && curl_easy_getinfo(handle.get(), CURLINFO_PRETRANSFER_TIME_T, &reachedTransfer) == CURLE_OK
        && reachedTransfer > 0)
        removeRemote(task);
    return res;
}

CURLcode downloadFile(sTransTask task, bool *tooLarge)
{
    CurlHandle handle(newEasyHandle());
    if (!handle)
        return CURLE_FAILED_INIT;
    // Nothing touches a file of the final name before the last byte is in: an old log of
    // that name stays as it was when the transfer fails.
    const QFileInfo target(task.localPath);
    task.part = std::make_unique<Platform::PartFile>(target.absoluteFilePath());
    // A folder that takes no file still runs the transfer: its end is announced like any other.
    if (!task.part->open())
        task.part.reset();
    QByteArray url, login;
    setCommonStart(handle.get(), task, url, login);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, fileWriteCallback);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &task);
    CURLcode res = performTransfer(handle.get(), task);
    *tooLarge = task.tooLarge;
    if (res != CURLE_OK)
        return res;
    if (!task.part || !task.part->commit())
        return CURLE_WRITE_ERROR;
    return CURLE_OK;
}

CURLcode listNames(const QString &ip, const QString &url, const TransFlag &stopFlag,
                   QList<QByteArray> &names)
{
    CurlHandle handle(newEasyHandle());
    if (!handle)
        return CURLE_FAILED_INIT;
    sTransTask task;
    task.ip = ip;
    task.url = url;
    task.transEnable = stopFlag;
    QByteArray urlBytes, login;
    setCommonStart(handle.get(), task, urlBytes, login);
    sListing listing;
    curl_easy_setopt(handle.get(), CURLOPT_DIRLISTONLY, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, nameCallback);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &listing);
    const CURLcode res = performTransfer(handle.get(), task);
    listing.finish();
    if (res == CURLE_OK)
        names = listing.names;
    return res;
}

} // namespace

csftpclient::csftpclient(QObject *parent) : QObject(parent) {}

csftpclient::~csftpclient()
{
    joinTransfer();
}

bool csftpclient::setTransInfo(const sTransInfo &info)
{
    // The URL is built from this text: a literal node address only, never a host name.
    m_ip = Ipv4::isNodeAddress(info.ip.toUtf8()) ? info.ip : QString();
    m_localPath = info.localPath;
    m_upgradeType = info.upgradeType;
    m_transEnable = info.transEnable;
    return !m_ip.isEmpty();
}

static QString urlName(const QByteArray &utf8Name)
{
    // Unreserved characters stay as they are; '#', '?', '%' and blanks would
    // otherwise change which file the URL names.
    return QString::fromLatin1(QUrl::toPercentEncoding(QString::fromUtf8(utf8Name)));
}

void csftpclient::setTransferTrace(bool on)
{
    g_transferTrace.store(on);
}

QString csftpclient::uploadUrl(const QString &ip, const QString &fileName, bool toApp)
{
    const QString folder = toApp ? QStringLiteral("/app/") : QStringLiteral("/userdata/");
    return QStringLiteral("sftp://%1:22%2%3").arg(ip, folder, urlName(fileName.toUtf8()));
}

QString csftpclient::partName(const QString &fileName)
{
    return QLatin1Char('.') + fileName + QStringLiteral(".part");
}

QString csftpclient::logListingUrl(const QString &ip)
{
    return QStringLiteral("sftp://%1:22/userdata/logs/").arg(ip);
}

QString csftpclient::logFileUrl(const QString &ip, const QByteArray &name)
{
    return logListingUrl(ip) + urlName(name);
}

QString csftpclient::logFolderName(const QByteArray &nodeName, const QString &ip, bool proxy)
{
    QString folder = QString::fromUtf8(nodeName) + QLatin1Char('_') + ip
            + (proxy ? QStringLiteral("_log_proxy") : QStringLiteral("_log"));
    // Names come from the node: one component, never a way out of the chosen folder.
    for (QChar &c : folder) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    // Nor a hidden folder.
    for (int i = 0; i < folder.size() && folder.at(i) == QLatin1Char('.'); ++i)
        folder[i] = QLatin1Char('_');
    return folder;
}

bool csftpclient::isSafeLogName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > 128 || name == "." || name == ".." || name.endsWith('.'))
        return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    // Windows opens the device for these names whatever the extension.
    const int dot = name.indexOf('.');
    const QByteArray stem = (dot < 0 ? name : name.left(dot)).toUpper();
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return false;
    const bool numbered = stem.size() == 4 && (stem.startsWith("COM") || stem.startsWith("LPT"));
    return !(numbered && stem.at(3) >= '1' && stem.at(3) <= '9');
}

template<typename F> void csftpclient::startThread(F &&routine)
{
    std::lock_guard<std::mutex> lock(m_threadMutex);
    // Never two threads on one client: the previous one is waited for first.
    if (m_thread.joinable())
        m_thread.join();
    m_thread = std::thread(std::forward<F>(routine));
}

void csftpclient::joinTransfer()
{
    std::lock_guard<std::mutex> lock(m_threadMutex);
    if (m_thread.joinable())
        m_thread.join();
}

bool csftpclient::upload(bool toApp)
{
    if (m_ip.isEmpty())
        return false;
    const QString fileName = UpgradeCmd::fileNameOf(m_localPath);
    if (fileName.isEmpty()) {
        qDebug() << "Null fileName";
        return false;
    }
    sTransTask task;
    task.tag = m_upgradeType;
    task.ip = m_ip;
    task.transEnable = m_transEnable;
    const QString folder = toApp ? QStringLiteral("/app/") : QStringLiteral("/userdata/");
    task.url = uploadUrl(m_ip, partName(fileName), toApp);
    task.partPath = folder + partName(fileName);
    task.finalPath = folder + fileName;
    task.localPath = m_localPath;
    m_uploadCode.store(CURLE_FAILED_INIT);
    startThread([this, task = std::move(task)]() mutable { m_uploadCode.store(uploadFile(std::move(task))); });
    return true;
}

bool csftpclient::uploadToUserdata()
{
    return upload(false);
}

bool csftpclient::uploadToApp()
{
    return upload(true);
}

bool csftpclient::sendUpgradeCommand()
{
    const QString fileName = UpgradeCmd::fileNameOf(m_localPath);
    if (fileName.isEmpty()) {
        qDebug() << "Null fileName";
        return false;
    }
    QByteArray md5;
    if (!fileMd5(m_localPath.toUtf8(), md5)) {
        // A command with no digest could only fail on the node.
        qDebug() << "can't open error!";
        return false;
    }
    const QByteArray body = UpgradeCmd::buildBody(uint32_t(m_upgradeType), fileName, md5);
    const QByteArray frame = Frame::build(Protocol::CmdUpgrade, body);
    CTcpManager &links = CTcpManager::instance();
    const int res = links.sendFrame(m_ip, Protocol::kTcpUpgradePort, frame.constData(), frame.size());
    if (Protocol::sendSucceeded(res))
        return true;
    links.removeTcp(m_ip);
    return false;
}

bool csftpclient::downloadNodeLogs(const sDeviceInfo &node, LogFailure *why)
{
    return downloadLogs(node, false, why);
}

bool csftpclient::downloadProxyLogs(const sDeviceInfo &node, LogFailure *why)
{
    return downloadLogs(node, true, why);
}

bool csftpclient::downloadLogs(const sDeviceInfo &node, bool proxy, LogFailure *why)
{
    LogFailure worst = LogFailure::None;
    const auto note = [&worst](LogFailure f) {
        if (int(f) > int(worst))
            worst = f;
    };
    const auto done = [&worst, why]() {
        if (why)
            *why = worst;
        return worst == LogFailure::None;
    };
    if (m_ip.isEmpty()) {
        note(LogFailure::Transfer);
        return done();
    }
    const QString listingUrl = logListingUrl(m_ip);
    QList<QByteArray> names;
    if (listNames(m_ip, listingUrl, m_transEnable, names) != CURLE_OK) {
        note(LogFailure::Transfer);
        return done();
    }

    const QString folder = m_localPath + QLatin1Char('/') + logFolderName(node.name, m_ip, proxy)
            + QLatin1Char('/');
    const qint64 sizeLimit = CAppConfig::instance()->maxLogFileBytes();
    for (const QByteArray &name : qAsConst(names)) {
        if (proxy && !name.contains("log_proxy"))
            continue;
        if (!isSafeLogName(name)) {
            qDebug() << "log name refused:" << name;
            note(LogFailure::UnsafeName);
            continue;
        }
        if (m_transEnable && m_transEnable->load() == 0) {
            note(LogFailure::Transfer);
            return done();
        }
        // Logs tell about the site: the folder made for them is the user's alone.
        if (!Platform::makeOwnerFolder(folder)) {
            note(LogFailure::Transfer);
            continue;
        }
        sTransTask task;
        task.tag = -1;
        task.ip = m_ip;
        task.transEnable = m_transEnable;
        task.url = logFileUrl(m_ip, name);
        task.localPath = folder + QString::fromUtf8(name);
        task.sizeLimit = sizeLimit;
        CURLcode res = CURLE_FAILED_INIT;
        bool tooLarge = false;
        startThread([task = std::move(task), &res, &tooLarge]() mutable {
            res = downloadFile(std::move(task), &tooLarge);
        });
        joinTransfer();
        if (tooLarge) {
            qDebug() << "log over the size limit dropped:" << name;
            note(LogFailure::TooLarge);
        } else if (res != CURLE_OK) {
            note(LogFailure::Transfer);
        }
    }
    return done();
}
