#include "comm/netinterfaces.h"

#include <QNetworkInterface>

namespace NetInterfaces {

QVector<sNetInterface> candidates()
{
    QVector<sNetInterface> out;
    const QList<QNetworkInterface> cards = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &card : cards) {
        const QNetworkInterface::InterfaceFlags flags = card.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QList<QNetworkAddressEntry> entries = card.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.isLoopback())
                continue;
            sNetInterface candidate;
            candidate.name = card.name();
            candidate.humanName = card.humanReadableName();
            candidate.address = ip.toString().toLatin1();
            // Point-to-point links (VPNs) have none; they get the 255.255.255.255 broadcast only.
            if (!entry.broadcast().isNull())
                candidate.broadcast = entry.broadcast().toString().toLatin1();
            out.append(candidate);
        }
    }
    return out;
}

QVector<sNetInterface> without(const QVector<sNetInterface> &all, const QStringList &excluded)
{
    QVector<sNetInterface> out;
    for (const sNetInterface &card : all)
        if (!excluded.contains(card.name))
            out.append(card);
    return out;
}

bool named(const QVector<sNetInterface> &all, const QStringList &names, QVector<sNetInterface> &out,
           QStringList &unknown)
{
    out.clear();
    unknown.clear();
    for (const QString &name : names) {
        bool found = false;
        for (const sNetInterface &card : all) {
            if (card.name != name && card.humanName != name)
                continue;
            found = true;
            if (!out.contains(card))
                out.append(card);
        }
        if (!found)
            unknown.append(name);
    }
    return unknown.isEmpty();
}

} // namespace NetInterfaces
