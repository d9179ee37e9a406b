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

QVector<sPlannedAddress> plan(const QString &start, const QStringList &currentIps)
{
    QVector<sPlannedAddress> out;
    QString planned = Ipv4::isValid(start) ? start : QString();
    for (const QString &current : currentIps) {
        if (!Ipv4::isValid(current))
            continue;
        out.append({current, planned});
        planned = next(planned);
    }
    return out;
}

} // namespace AddressPlan
