#include "comm/addressplan.h"

#include "comm/ipv4.h"

namespace AddressPlan {

QString next(const QString &ip)
{
    if (!Ipv4::isValid(ip))
        return QString();
    const int dot = ip.lastIndexOf(QLatin1Char('.'));
    const int last = ip.mid(dot + 1).toInt() + 1;
    if (last >= 255)
        return QString();
    return ip.left(dot + 1) + QString::number(last);
}

QStringList plan(const QString &start, int count)
{
    QStringList addresses;
    QString current = Ipv4::isValid(start) ? start : QString();
    for (int i = 0; i < count; ++i) {
        addresses.append(current);
        current = next(current);
    }
    return addresses;
}

} // namespace AddressPlan
