// The node address rule and the network plan check on arbitrary text: whatever the rule
// lets through is a plain dotted literal every platform reads alike, and never a broadcast,
// multicast or reserved address; a plan that passes gives only usable host addresses.

#include <QHostAddress>
#include <QList>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

#include "comm/addressplan.h"
#include "comm/ipv4.h"

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

void checkRule(const QByteArray &text, const QByteArray &sender)
{
    uint32_t value = 0;
    const bool literal = Ipv4::parse(text, value);
    if (literal) {
        // One spelling only, the one Qt (and inet_pton) read as the same number.
        const QHostAddress qt(QString::fromLatin1(text));
        require(qt.protocol() == QAbstractSocket::IPv4Protocol && qt.toIPv4Address() == value);
        require(qt.toString().toLatin1() == text);
    }
    const QVector<Ipv4::sSubnet> cards{{0xC0A80A01u, 0xFFFFFF00u}};
    const Ipv4::EFault fault = Ipv4::nodeAddressFault(text, sender, cards);
    require(literal || fault == Ipv4::EFault::NotLiteral);
    if (fault == Ipv4::EFault::None) {
        const uint32_t top = value >> 24;
        require(top != 0 && top < 224);
        require(value != 0xC0A80AFFu && value != 0xC0A80A00u && value != 0x7FFFFFFFu);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const QList<QByteArray> parts = input.split('|');
    checkRule(parts.value(0), parts.value(1));

    // start|mask|gateway|node|node...
    if (parts.size() >= 4) {
        QStringList nodes;
        for (int i = 3; i < parts.size() && i < 40; ++i)
            nodes << QString::fromLatin1(parts.at(i));
        const QString start = QString::fromLatin1(parts.at(0));
        const QString mask = QString::fromLatin1(parts.at(1));
        if (AddressPlan::check(start, mask, QString::fromLatin1(parts.at(2)), nodes, {}) == AddressPlan::ECheck::Ok) {
            uint32_t maskValue = 0;
            require(Ipv4::isSubnetMask(mask.toLatin1()) && Ipv4::parse(mask.toLatin1(), maskValue));
            for (const AddressPlan::sPlannedAddress &p : AddressPlan::plan(start, nodes)) {
                uint32_t planned = 0;
                require(Ipv4::parse(p.planned.toLatin1(), planned));
                require((planned >> 24) != 0 && (planned >> 24) < 224);
                require((planned & ~maskValue) != 0 && (planned & ~maskValue) != ~maskValue);
            }
        }
    }
    return 0;
}
