#include "comm/cdevicectrlobserver.h"

#include <QMetaType>

#include "comm/ipv4.h"
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

namespace {

// The address marks a scan answer earns as it is stored.
template <typename Record>
Record marked(const void *record)
{
    Record node = *static_cast<const Record *>(record);
    node.addrMarks = 0;
    if (Ipv4::nodeAddressFault(node.ip, node.sender) != Ipv4::EFault::None)
        node.addrMarks |= AddrInvalid;
    // Some stacks report no source (0.0.0.0): nothing to compare then.
    if (!node.sender.isEmpty() && node.sender != "0.0.0.0" && node.sender != node.ip)
        node.addrMarks |= AddrSenderDiffers;
    return node;
}

bool scanIsFull()
{
    return CDecoderList::instance().size() + CEncoderList::instance().size() >= CDeviceCtrlObserver::kMaxScanRecords;
}

} // namespace

void CDeviceCtrlObserver::onResult(int cmdType, void *record, int result, int nodeType)
{
    Q_UNUSED(result)
    if (!record)
        return;
    switch (cmdType) {
    case Protocol::AnsScan:
        // A flood of answers ends at the limit instead of eating the PC's memory.
        if (scanIsFull())
            break;
        if (nodeType == DecoderNode)
            CDecoderList::instance().addNode(marked<sDecoderInfo>(record));
        else if (nodeType == EncoderNode)
            CEncoderList::instance().addNode(marked<sEncoderInfo>(record));
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
