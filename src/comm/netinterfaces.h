#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// One IPv4 address of a network card a scan can broadcast from.
struct sNetInterface
{
    QString name;         // the system's name ("eth0"; on Windows Qt's "ethernet_32769")
    QString humanName;    // what the operator knows it by ("Ethernet 2")
    QByteArray address;   // dotted IPv4
    QByteArray broadcast; // the subnet's broadcast address; empty on links without one

    bool operator==(const sNetInterface &o) const
    {
        return name == o.name && humanName == o.humanName && address == o.address && broadcast == o.broadcast;
    }
};

// The cards of this PC as QNetworkInterface sees them (the same on Windows and Linux).
namespace NetInterfaces {

// Every IPv4 address of every card that is up and not loopback, in the system's order;
// a card with two addresses gives two entries of one name.
QVector<sNetInterface> candidates();

// The candidates whose card name is not in excluded.
QVector<sNetInterface> without(const QVector<sNetInterface> &all, const QStringList &excluded);

// The candidates of the named cards, each name matching a card's name or its human name.
// False when a name matches no candidate; those names go to unknown.
bool named(const QVector<sNetInterface> &all, const QStringList &names, QVector<sNetInterface> &out,
           QStringList &unknown);

} // namespace NetInterfaces
