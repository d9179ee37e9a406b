#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <curl/curl.h>

#include "comm/sdevicedata.h"

class CDeviceCtrlObserver;
class CUpdateManagerCtrl;
class csftpclient;

// The part the firmware and application upgrade workers share. Lives in the
// dialog's worker thread: uploads the package to every node at once, sends the
// upgrade command after a finished upload and passes progress and results on
// to the dialog.
class CUpgradeWorker : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUpgradeWorker)

public:
    // No row text is defined for a node that never got the command; this code
    // has none of the node's meanings and shows as "升级失败".
    static constexpr int kNotUpgraded = 0;

    CUpgradeWorker(CUpdateManagerCtrl *manager, CDeviceCtrlObserver *observer, int32_t upgradeType,
                   QObject *parent = nullptr);

    // From any thread: running uploads end at once. The closing dialog calls it
    // so that a worker busy sending a command cannot delay the stop.
    void requestStop() { m_transEnable.store(0); }

public slots:
    void updateTransProgress(QString ip, ulong finishedSize);
    void onTransAnswer(QString ip, CURLcode res);
    void updateOver(sUpdateRes *data);
    void retry(QString ip);
    void SetTransStop(bool bStop);

signals:
    void setUpdateProgress(bool isProgress, QString ip, int res);

protected:
    void startUploads(const QStringList &ipList, const QString &fileName);
    // Late calls after a confirmed close are ignored.
    bool stopAsked() const;
    // The application upgrade also ignores late answers and retries.
    virtual bool ignoresLateTransfers() const { return false; }

private:
    bool startUpload(const QString &ip);
    void fail(const QString &ip);

    CUpdateManagerCtrl *m_manager = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    const int32_t m_upgradeType = 0;
    QString m_fileName;
    QSet<QString> m_nodes; // IPs with a client of ours
    std::atomic<int32_t> m_transEnable{1}; // given to every client; uploads read it
};
