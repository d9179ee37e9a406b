#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>

namespace Ipv4 {

// A complete dotted IPv4 address, four numbers 0..255 and nothing around them.
bool isValid(const QString &text);

// Strict dotted IPv4: four decimal numbers 0..255 without leading zeros, signs or spaces
// (the form every platform reads alike). False for anything else, host names included.
bool parse(const QByteArray &text, uint32_t &value);

struct sSubnet
{
    uint32_t address = 0;
    uint32_t mask = 0;
};

// Why an address may not be a node's destination.
enum class EFault {
    None,
    NotLiteral,  // not strict dotted IPv4 (a host name, "localhost", trailing text)
    Reserved,    // 0/8, 224/4 (multicast), 240/4 and 255.255.255.255
    SubnetEdge,  // network or broadcast address of a subnet of this PC, 127/8 included
    Loopback,    // 127/8 named by an answer that did not come over loopback
};

// The one rule for node addresses. sender is the source of the datagram that named the
// address, empty (or 0.0.0.0) when not known; subnets are this PC's cards.
EFault nodeAddressFault(const QByteArray &ip, const QByteArray &sender, const QVector<sSubnet> &subnets);
// The same against this PC's cards as they are now (looked up at most once a second).
EFault nodeAddressFault(const QByteArray &ip, const QByteArray &sender = QByteArray());
inline bool isNodeAddress(const QByteArray &ip) { return nodeAddressFault(ip) == EFault::None; }

// The IPv4 subnets of this PC's cards, loopback included.
QVector<sSubnet> localSubnets();

// A mask of leading one bits only, neither 0.0.0.0 nor 255.255.255.255.
bool isSubnetMask(const QByteArray &mask);

} // namespace Ipv4
