#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Consecutive addresses for the nodes of a network configuration. The dialog checks
// this plan and the job sends it, so what is checked is what is sent.
namespace AddressPlan {

struct sPlannedAddress
{
    QString current; // where the node is now
    QString planned; // what it is to become; empty once the plan has run out
};

// The address after ip: its last octet one higher, the first three unchanged. Empty for
// an address that is not dotted IPv4 and when the last octet would reach 255.
QString next(const QString &ip);
// One entry per current address that is dotted IPv4, in list order, the first planned at
// start and each next one address higher. A current address that is not dotted IPv4 cannot
// be sent to: it is left out without using up an address. A start that is not dotted IPv4
// plans nothing.
QVector<sPlannedAddress> plan(const QString &start, const QStringList &currentIps);

enum class ECheck { Ok, BadStart, BadMask, BadGateway, Conflict, RunsOut };
// One node's new address, mask and gateway. BadStart: not dotted IPv4, in 0/8, 224/4 or
// 240/4, or the subnet's network or broadcast address. BadMask: not leading ones only, or
// 0.0.0.0 or 255.255.255.255. BadGateway: not a host address of the new subnet, or the
// address itself.
ECheck checkOne(const QString &ip, const QString &mask, const QString &gateway);
// What the network configuration refuses before anything is sent: checkOne's refusals for
// the start, a gateway equal to a planned address, a planned address held by a node that
// is not being configured, a plan that runs out of addresses past .254 or past the
// subnet's last host address.
ECheck check(const QString &start, const QString &mask, const QString &gateway,
             const QStringList &selectedIps, const QStringList &unselectedIps);

} // namespace AddressPlan
