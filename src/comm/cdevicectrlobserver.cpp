#include "comm/cdevicectrlobserver.h"

#include <QMetaType>

#include "comm/protocol.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "transfer/stransinfo.h"

void registerCommMetaTypes()
{
    qRegisterMetaType<CURLcode>("CURLcode");
    qRegisterMetaType<sDeviceData *>("sDeviceData*");
    qRegisterMetaType<sImportDataRes *>("sImportDataRes*");
    qRegisterMetaType<sUpdateRes *>("sUpdateRes*");
}

CDeviceCtrlObserver::CDeviceCtrlObserver(QObject *parent) : QObject(parent)
{
    // Receivers connect queued or blocking-queued across threads.
    registerCommMetaTypes();
}

void CDeviceCtrlObserver::onResult(int cmdType, void *record, int result, int nodeType)
{
    Q_UNUSED(result)
    if (!record)
        return;
    switch (cmdType) {
    case Protocol::AnsScan:
        if (nodeType == DecoderNode)
            CDecoderList::instance().addNode(*static_cast<const sDecoderInfo *>(record));
        else if (nodeType == EncoderNode)
            CEncoderList::instance().addNode(*static_cast<const sEncoderInfo *>(record));
        break;
    case Protocol::AnsDecoderImport:
    case Protocol::AnsEncoderImport:
        emit sigImportRes(static_cast<sImportDataRes *>(record));
        break;
    case Protocol::AnsDecoderExport:
    case Protocol::AnsEncoderExport:
        emit sigExportData(static_cast<sDeviceData *>(record));
        break;
    case Protocol::AnsUpgradeResult:
        emit sigUpdateRes(static_cast<sUpdateRes *>(record));
        break;
    case Protocol::AnsUpgradeProgress:
        emit sigUpdateProgress(static_cast<sUpdateRes *>(record));
        break;
    default:
        break;
    }
}

void CDeviceCtrlObserver::onTransEnd(const sTransAnswer *answer)
{
    if (!answer)
        return;
    emit sigTransAnswer(QString::fromUtf8(answer->ip), answer->code);
}

void CDeviceCtrlObserver::onTransProgress(const QString &ip, uint32_t finishedSize)
{
    emit sigTransProgress(ip, ulong(finishedSize));
}
