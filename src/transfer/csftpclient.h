#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <curl/curl.h>

#include "transfer/stransinfo.h"

struct sDeviceInfo;

// One node, one job: uploads an upgrade package, sends the upgrade command that
// names it, or fetches the node's log files, all over SFTP through libcurl's easy
// interface. Uploads run on a thread of their own; progress and the end of every
// transfer go to the observer list.
class csftpclient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(csftpclient)

public:
    // The same login for every node and every transfer.
    static constexpr const char *kLogin = "svc1:k7m2q";

    explicit csftpclient(QObject *parent = nullptr);
    ~csftpclient() override; // waits for a running transfer

    // Called once, before the client is shared; false for an empty IP.
    bool setTransInfo(const sTransInfo &info);
    QString ip() const { return m_ip; }

    // Start the upload on a new thread and return at once; false when the
    // package path names no file.
    bool uploadToUserdata();
    bool uploadToApp();

    // Command 4501 naming the package, over TCP 7780, in the calling thread.
    bool sendUpgradeCommand();

    // Why a log fetch was not complete, the gravest reason first.
    enum class LogFailure {
        None,
        Transfer,   // the listing or a download failed, or a file could not be written
        UnsafeName, // a listed name that cannot be a file of ours was left out
        TooLarge,   // a file passed maxLogFileBytes (the configuration) and was dropped
    };

    // List the node's log folder and fetch the files one after the other, in the
    // calling thread. Each file is written under a temporary name and renamed when
    // whole. True only when the listing worked and every file that was to be fetched
    // was written; *why then says what went wrong.
    bool downloadNodeLogs(const sDeviceInfo &node, LogFailure *why = nullptr);
    bool downloadProxyLogs(const sDeviceInfo &node, LogFailure *why = nullptr);

    // Waits for the current transfer thread, if any.
    void joinTransfer();
    // The library's result of the last upload, once joinTransfer() has returned.
    CURLcode uploadResult() const { return m_uploadCode.load(); }

    // URLs (dotted IP; the file name is percent-encoded where it holds URL syntax).
    // libcurl's trace and the failure line on stderr; on by default, off for programs
    // whose stderr is read by scripts. Any thread.
    static void setTransferTrace(bool on);

    static QString uploadUrl(const QString &ip, const QString &fileName, bool toApp);
    // The name an upload has on the node until it is whole: ".<name>.part".
    static QString partName(const QString &fileName);
    static QString logListingUrl(const QString &ip);
    static QString logFileUrl(const QString &ip, const QByteArray &name);
    // "<name>_<ip>_log" or "<name>_<ip>_log_proxy", made safe as one path component.
    static QString logFolderName(const QByteArray &nodeName, const QString &ip, bool proxy);
    // A listed name that may become a local file name on any system: 1 to 128 letters,
    // digits, '.', '_' and '-'; not "." or ".."; no trailing '.'; no Windows device name
    // (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension).
    static bool isSafeLogName(const QByteArray &name);

private:
    bool upload(bool toApp);
    bool downloadLogs(const sDeviceInfo &node, bool proxy, LogFailure *why);
    template<typename F> void startThread(F &&routine);

    // Set once by setTransInfo before the client is shared, then only read.
    QString m_ip;
    QString m_localPath;
    int32_t m_upgradeType = 0;
    TransFlag m_transEnable;

    std::atomic<CURLcode> m_uploadCode{CURLE_FAILED_INIT};
    std::mutex m_threadMutex; // the worker and the GUI thread may both join
    std::thread m_thread;
};
