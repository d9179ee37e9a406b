#include "model/sdeviceinfo.h"

#include <QList>
#include <algorithm>

uint32_t ipToValue(const QByteArray &ip)
{
    if (ip.isEmpty())
        return 0;
    uint32_t value = 0;
    const QList<QByteArray> parts = ip.split('.');
    for (const QByteArray &part : parts) {
        bool ok = false;
        // Digits only: toUInt would also take "+1" or " 1".
        uint32_t n = 0;
        const bool digits = !part.isEmpty()
            && std::all_of(part.cbegin(), part.cend(), [](char c) { return c >= '0' && c <= '9'; });
        if (digits) {
            n = part.toUInt(&ok, 10);
            if (!ok)
                n = 0; // too large for 32 bits
        }
        value = value * 256u + n; // unsigned: wraps instead of overflowing
    }
    return value;
}

void registerNodeMetaTypes()
{
    qRegisterMetaType<sDeviceInfo>("sDeviceInfo");
    qRegisterMetaType<ENodeType>("ENodeType");
    qRegisterMetaType<int64_t>("int64_t");
}
