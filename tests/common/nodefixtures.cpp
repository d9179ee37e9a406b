#include "nodefixtures.h"

#include <QImage>
#include <QRect>

#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"

namespace fixtures {

sDecoderInfo decoder(int64_t id, const QByteArray &ip, const QByteArray &mac, int mode, const QByteArray &version,
                     const QByteArray &name)
{
    sDecoderInfo d;
    d.id = id;
    d.ip = ip;
    d.mask = "255.255.255.0";
    d.getway = "127.0.0.1";
    d.macAddr = mac;
    d.name = name.isEmpty() ? QByteArray("解码器-") + QByteArray::number(qint64(id)) : name;
    d.version = version;
    d.managerIP = "127.0.1.1";
    d.mode = mode;
    d.w = 1920;
    d.h = 1080;
    d.frameRate = 60;
    return d;
}

sEncoderInfo encoder(int64_t id, const QByteArray &ip, const QByteArray &mac, const QByteArray &signalName,
                     const QByteArray &version, const QByteArray &name)
{
    sEncoderInfo e;
    e.id = id;
    e.ip = ip;
    e.mask = "255.255.255.0";
    e.getway = "127.0.0.1";
    e.macAddr = mac;
    e.name = name.isEmpty() ? QByteArray("编码器-") + QByteArray::number(qint64(id)) : name;
    e.version = version;
    e.managerIP = "127.0.1.1";
    e.signalName = signalName;
    e.frameRate = 30;
    return e;
}

void clearStores()
{
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
}

int countColour(const QImage &image, const QRect &rect, const QColor &colour, int tolerance)
{
    int count = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) <= tolerance && qAbs(c.green() - colour.green()) <= tolerance
                && qAbs(c.blue() - colour.blue()) <= tolerance)
                ++count;
        }
    }
    return count;
}

} // namespace fixtures
