// Answer datagrams: the header check, the reply envelope and every answer parser,
// down to the store insertions of the table page's observer.

#include <QtGlobal>
#include <cstdint>

#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "comm/cudpclient.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"

namespace {

void dropMessages(QtMsgType, const QMessageLogContext &, const QString &)
{
}

CUdpClient *g_client = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(dropMessages);
    static CDeviceCtrlObserver observer;
    CObserverList::instance().add(&observer);
    static CUdpClient client;
    g_client = &client;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > size_t(CUdpClient::kMaxDatagram))
        return 0; // never handed over by the receive loop
    g_client->deliverDatagram(reinterpret_cast<const char *>(data), size);
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
    return 0;
}
