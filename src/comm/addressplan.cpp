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

ECheck check(const QString &start, const QString &mask, const QString &gateway,
             const QStringList &selectedIps, const QStringList &unselectedIps)
{
    // Every selected node is sent all three: none may go out half typed.
    if (!Ipv4::isValid(start))
        return ECheck::BadStart;
    if (!Ipv4::isValid(mask))
        return ECheck::BadMask;
    if (!Ipv4::isValid(gateway))
        return ECheck::BadGateway;
    bool runsOut = false;
    for (const sPlannedAddress &node : plan(start, selectedIps)) {
        if (!node.planned.isEmpty() && unselectedIps.contains(node.planned))
            return ECheck::Conflict;
        runsOut = runsOut || node.planned.isEmpty();
    }
    // Past .254 a node would be left without an address and without a word.
    return runsOut ? ECheck::RunsOut : ECheck::Ok;
}

} // namespace AddressPlan
