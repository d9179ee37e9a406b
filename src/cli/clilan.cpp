#include "cli/clilan.h"

#include <QJsonObject>
#include <QSet>

#include "cli/clisignals.h"
#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "operations/cscanoperation.h"

namespace {

QString typeKey(int nodeType)
{
    return nodeType == EncoderNode ? QStringLiteral("encoder") : QStringLiteral("decoder");
}

QJsonValue modeKey(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("screen");
    case 1: return QStringLiteral("kvm");
    case 2: return QStringLiteral("matrix");
    default: return mode < 0 ? QJsonValue() : QJsonValue(mode);
    }
}

QString conflictKey(int state)
{
    switch (state) {
    case 1: return QStringLiteral("mac");
    case 2: return QStringLiteral("ip");
    default: return QStringLiteral("none");
    }
}

} // namespace

bool CCliLan::scan(int timeoutMs, const QStringList &cards)
{
    // Scan answers reach the stores through an observer, as in the window.
    CDeviceCtrlObserver observer;
    CObserverList::instance().add(&observer);
    CDeviceCtrlJob job(&m_model);
    bool sent = false;
    {
        bool ended = false;
        CScanOperation scan(job, cards); // the command line checked the names before
        CCliLoop loop([&ended] { return ended; });
        QObject::connect(&scan, &COperation::sigIdle, &scan, [&] {
            ended = true;
            loop.poke();
        });
        scan.start();
        // A scan cut short by the time-out lists what answered so far; one cut short by a
        // signal is no scan.
        if (!loop.run(timeoutMs))
            scan.cancel();
        scan.finish();
        sent = scan.sent();
    }
    CObserverList::instance().remove(&observer);
    if (CCliSignals::instance().interrupted())
        sent = false;

    m_model.refreshSnapshot();
    m_rows = m_model.listedNodes(sNodeFilter());
    return sent;
}

QVector<sDeviceInfo> CCliLan::nodes() const
{
    QVector<sDeviceInfo> out;
    out.reserve(m_rows.size());
    for (const sListedNode &row : m_rows)
        out.append(row.info);
    return out;
}

QVector<sDeviceInfo> CCliLan::select(const QStringList &addresses, QStringList *missing) const
{
    const QVector<sDeviceInfo> all = nodes();
    if (addresses.isEmpty())
        return all;
    QVector<sDeviceInfo> chosen;
    // One row per address: an id twin elsewhere does not take the node's place.
    QSet<QByteArray> taken;
    for (const QString &address : addresses) {
        bool found = false;
        for (const sDeviceInfo &node : all) {
            if (node.ip != address.toUtf8())
                continue;
            found = true;
            if (!taken.contains(node.ip)) {
                taken.insert(node.ip);
                chosen.append(node);
            }
        }
        if (!found && missing)
            missing->append(address);
    }
    return chosen;
}

QJsonArray nodesToJson(const CCliLan &lan)
{
    QJsonArray out;
    for (const sListedNode &row : lan.rows()) {
        const sDeviceInfo &node = row.info;
        QJsonObject o;
        o.insert(QStringLiteral("id"), double(node.id));
        o.insert(QStringLiteral("name"), QString::fromUtf8(node.name));
        o.insert(QStringLiteral("type"), typeKey(node.nodeType));
        o.insert(QStringLiteral("signalName"), QString::fromUtf8(row.signalName));
        o.insert(QStringLiteral("version"), QString::fromUtf8(node.version));
        o.insert(QStringLiteral("mode"), modeKey(row.mode));
        o.insert(QStringLiteral("ip"), QString::fromUtf8(node.ip));
        o.insert(QStringLiteral("macAddr"), QString::fromUtf8(node.macAddr));
        o.insert(QStringLiteral("mask"), QString::fromUtf8(node.mask));
        o.insert(QStringLiteral("gateway"), QString::fromUtf8(node.getway));
        o.insert(QStringLiteral("model"), node.model);
        o.insert(QStringLiteral("managerIP"), QString::fromUtf8(node.managerIP));
        o.insert(QStringLiteral("conflict"), conflictKey(node.conflictState));
        // Said only when there is something to say: the plain rows of a sound LAN stay as they were.
        if (node.addrMarks & AddrInvalid)
            o.insert(QStringLiteral("invalidAddress"), true);
        if (node.addrMarks & AddrIdConflict)
            o.insert(QStringLiteral("idConflict"), true);
        if (node.addrMarks & AddrSenderDiffers)
            o.insert(QStringLiteral("sender"), QString::fromUtf8(node.sender));
        out.append(o);
    }
    return out;
}
