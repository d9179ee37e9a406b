#pragma once

#include <QObject>
#include <QString>
#include <curl/curl.h>

#include "comm/iobserver.h"
#include "comm/sdevicedata.h"

// Turns announcements into store insertions (scan answers) and Qt signals.
// Records announced by pointer live only during the emit: receivers of the
// pointer signals connect directly or blocking-queued.
class CDeviceCtrlObserver final : public QObject, public IObserver
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDeviceCtrlObserver)

public:
    // Records one scan keeps at most, both stores together.
    static constexpr int kMaxScanRecords = 10000;

    explicit CDeviceCtrlObserver(QObject *parent = nullptr);

    void onResult(int cmdType, void *record, int result, int nodeType) override;
    void onTransEnd(const sTransAnswer *answer) override;
    void onTransProgress(const QString &ip, uint32_t finishedSize) override;

signals:
    void sigExportData(sDeviceData *pData);
    void sigImportRes(sImportDataRes *data);
    void sigUpdateRes(sUpdateRes *data);
    void sigUpdateProgress(sUpdateRes *data);
    void sigTransProgress(QString ip, ulong finishedSize);
    void sigTransAnswer(QString ip, CURLcode res);
};

Q_DECLARE_METATYPE(CURLcode)
Q_DECLARE_METATYPE(sDeviceData *)
Q_DECLARE_METATYPE(sImportDataRes *)
Q_DECLARE_METATYPE(sUpdateRes *)

// Registers CURLcode and the record pointers for queued connections (idempotent).
void registerCommMetaTypes();
