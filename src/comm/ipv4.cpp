#include "comm/ipv4.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkInterface>
#include <QRegularExpression>

namespace Ipv4 {

bool isValid(const QString &text)
{
    // Anchored at both ends: "$" alone would let a trailing newline through.
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        "(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)")));
    return pattern.match(text).hasMatch();
}

bool parse(const QByteArray &text, uint32_t &value)
{
    uint32_t out = 0;
    int part = 0;
    int digits = 0;
    uint32_t number = 0;
    for (int i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text.at(i) : '.';
        if (c >= '0' && c <= '9') {
            // "010" reads as octal on some platforms: only the plain form counts.
            if (digits == 1 && number == 0)
                return false;
            number = number * 10 + uint32_t(c - '0');
            if (++digits > 3 || number > 255)
                return false;
            continue;
        }
        if (c != '.' || digits == 0 || part == 4)
            return false;
        out = (out << 8) | number;
        ++part;
        digits = 0;
        number = 0;
    }
    if (part != 4)
        return false;
    value = out;
    return true;
}

EFault nodeAddressFault(const QByteArray &ip, const QByteArray &sender, const QVector<sSubnet> &subnets)
{
    uint32_t value = 0;
    if (!parse(ip, value))
        return EFault::NotLiteral;
    const uint32_t top = value >> 24;
    if (top == 0 || top >= 224)
        return EFault::Reserved;
    const auto edge = [value](uint32_t address, uint32_t mask) {
        // /31 and /32 have no network or broadcast address.
        if (mask >= 0xFFFFFFFEu)
            return false;
        const uint32_t network = address & mask;
        return (value & mask) == network && (value == network || value == (network | ~mask));
    };
    if (edge(0x7F000000u, 0xFF000000u))
        return EFault::SubnetEdge;
    for (const sSubnet &subnet : subnets) {
        if (edge(subnet.address, subnet.mask))
            return EFault::SubnetEdge;
    }
    uint32_t from = 0;
    if (top == 127 && parse(sender, from) && from != 0 && (from >> 24) != 127)
        return EFault::Loopback;
    return EFault::None;
}

QVector<sSubnet> localSubnets()
{
    QVector<sSubnet> out;
    const QList<QNetworkInterface> cards = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &card : cards) {
        const QList<QNetworkAddressEntry> entries = card.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            out.append({entry.ip().toIPv4Address(), entry.netmask().toIPv4Address()});
        }
    }
    return out;
}

EFault nodeAddressFault(const QByteArray &ip, const QByteArray &sender)
{
    // A batch checks every address: the cards are asked at most once a second.
    static QMutex mutex;
    static QVector<sSubnet> cached;
    static QElapsedTimer age;
    QVector<sSubnet> subnets;
    {
        QMutexLocker lock(&mutex);
        if (!age.isValid() || age.hasExpired(1000)) {
            cached = localSubnets();
            age.start();
        }
        subnets = cached;
    }
    return nodeAddressFault(ip, sender, subnets);
}

bool isSubnetMask(const QByteArray &mask)
{
    uint32_t value = 0;
    if (!parse(mask, value) || value == 0 || value == 0xFFFFFFFFu)
        return false;
    // Leading ones only: the inverse plus one is a power of two.
    const uint32_t hosts = ~value;
    return (hosts & (hosts + 1)) == 0;
}

} // namespace Ipv4
