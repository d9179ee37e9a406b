#pragma once

#include <QString>
#include <QStringList>

// Consecutive addresses for the nodes of a network configuration. The dialog checks
// this plan and the job sends it, so what is checked is what is sent.
namespace AddressPlan {

// The address after ip: its last octet one higher, the first three unchanged. Empty for
// an address that is not dotted IPv4 and when the last octet would reach 255.
QString next(const QString &ip);
// The addresses of count nodes, in order, from start on; an entry is empty where the
// plan has run out (or start is not dotted IPv4): that node gets no address.
QStringList plan(const QString &start, int count);

} // namespace AddressPlan
