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

namespace {

// An address a node may hold in the subnet of mask: not 0/8, multicast, 240/4, nor the
// subnet's network or broadcast address.
bool usable(uint32_t ip, uint32_t mask)
{
    const uint32_t top = ip >> 24;
    if (top == 0 || top >= 224)
        return false;
    if (mask >= 0xFFFFFFFEu)
        return true; // /31 and /32 have neither
    return (ip & ~mask) != 0 && (ip & ~mask) != ~mask;
}

// The three fields one node is given; set when each is sound on its own.
ECheck checkFields(const QString &ip, const QString &mask, const QString &gateway, uint32_t &ipValue,
                   uint32_t &maskValue, uint32_t &gatewayValue)
{
    if (!Ipv4::isValid(ip) || !Ipv4::parse(ip.toLatin1(), ipValue))
        return ECheck::BadStart;
    if (!Ipv4::isSubnetMask(mask.toLatin1()) || !Ipv4::parse(mask.toLatin1(), maskValue))
        return ECheck::BadMask;
    if (!usable(ipValue, maskValue))
        return ECheck::BadStart;
    // The gateway is reached inside the new subnet, and it is not the node itself.
    if (!Ipv4::isValid(gateway) || !Ipv4::parse(gateway.toLatin1(), gatewayValue)
        || !usable(gatewayValue, maskValue) || (gatewayValue & maskValue) != (ipValue & maskValue)
        || gatewayValue == ipValue)
        return ECheck::BadGateway;
    return ECheck::Ok;
}

} // namespace

ECheck checkOne(const QString &ip, const QString &mask, const QString &gateway)
{
    uint32_t ipValue = 0, maskValue = 0, gatewayValue = 0;
    return checkFields(ip, mask, gateway, ipValue, maskValue, gatewayValue);
}

ECheck check(const QString &start, const QString &mask, const QString &gateway,
             const QStringList &selectedIps, const QStringList &unselectedIps)
{
    // Every selected node is sent all three: none may go out half typed, nor cut off.
    uint32_t startValue = 0, maskValue = 0, gatewayValue = 0;
    const ECheck fields = checkFields(start, mask, gateway, startValue, maskValue, gatewayValue);
    if (fields != ECheck::Ok)
        return fields;
    bool runsOut = false;
    for (const sPlannedAddress &node : plan(start, selectedIps)) {
        uint32_t planned = 0;
        if (node.planned.isEmpty() || !Ipv4::parse(node.planned.toLatin1(), planned)) {
            runsOut = true;
            continue;
        }
        if (planned == gatewayValue)
            return ECheck::BadGateway;
        if (unselectedIps.contains(node.planned))
            return ECheck::Conflict;
        // Past the subnet's last host a node would be left cut off and without a word.
        if (!usable(planned, maskValue) || (planned & maskValue) != (startValue & maskValue))
            runsOut = true;
    }
    return runsOut ? ECheck::RunsOut : ECheck::Ok;
}

} // namespace AddressPlan
