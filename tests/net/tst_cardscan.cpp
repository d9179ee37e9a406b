// Scans over several network cards: two simulated LANs, each in a network namespace of
// its own behind a veth pair on a documentation range, made and removed by this test.
#include <QAction>
#include <QMenu>
#include <QtTest>

#include "config/cappconfig.h"
#include "comm/cdevicectrljob.h"
#include "comm/netinterfaces.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
#include "nodefixtures.h"
#include "simlan.h"

namespace {

QStringList behindCard(const QString &card, const QString &hostAddress, const QStringList &nodes)
{
    return {SimLan::sourceDir() + QStringLiteral("/scripts/child-lan.sh"), card, hostAddress,
            nodes.join(QLatin1Char(',')), QStringLiteral("--")};
}

QStringList shown(const CDeviceManage &hub)
{
    QStringList out;
    for (const sDeviceInfo &row : hub.mainShowWidget()->rows())
        out << QString::fromLatin1(row.ip);
    out.sort();
    return out;
}

// Where the LAN's datagrams of one command went, and which nodes acted on each.
QStringList received(const SimLan &lan, int cmd)
{
    QStringList out;
    for (const QJsonObject &r : lan.records(cmd)) {
        QStringList applied;
        for (const QJsonValue &ip : r.value(QStringLiteral("applied")).toArray())
            applied << ip.toString();
        applied.sort();
        out << r.value(QStringLiteral("node")).toString() + QLatin1Char(':') + applied.join(QLatin1Char(','));
    }
    return out;
}

QJsonObject configFile()
{
    QFile f(CAppConfig::instance()->configFilePath());
    return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
}

} // namespace

class TestCardScan : public QObject
{
    Q_OBJECT

private:
    SimLan m_lanA;
    SimLan m_lanB;
    QTemporaryDir m_config;
    // The first node is factory-default, outside the card's subnet.
    const QStringList m_nodesA{QStringLiteral("192.0.2.50"), QStringLiteral("198.51.100.11"), QStringLiteral("198.51.100.12")};
    const QStringList m_nodesB{QStringLiteral("203.0.113.21"), QStringLiteral("203.0.113.22")};

private slots:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        CAppConfig::instance()->setConfigDirOverride(m_config.path());
        m_lanA.setLauncher(behindCard(QStringLiteral("qvcardA"), QStringLiteral("198.51.100.1"), m_nodesA));
        QVERIFY2(m_lanA.start({"--decoders", "2", "--base", "198.51.100.11", "--seed", "1", "--node", "decoder@192.0.2.50"}),
                 qPrintable(m_lanA.errorString()));
        // Another seed: other ids, so the two LANs do not share nodes.
        m_lanB.setLauncher(behindCard(QStringLiteral("qvcardB"), QStringLiteral("203.0.113.1"), m_nodesB));
        QVERIFY2(m_lanB.start({"--decoders", "1", "--encoders", "1", "--base", "203.0.113.21", "--seed", "2"}),
                 qPrintable(m_lanB.errorString()));
    }

    void cleanupTestCase()
    {
        m_lanA.stop();
        m_lanB.stop();
        // The cards go with their namespaces: later tests scan from the unbound socket again.
        QVERIFY(QTest::qWaitFor([] { return NetInterfaces::candidates().isEmpty(); }, 5000));
        CAppConfig::instance()->setConfigDirOverride(QString());
    }

    // Both cards are offered, and one scan finds both LANs with one request each, to
    // 255.255.255.255, which every node there acts on once; the same for the time and the
    // proxy log level.
    void everyCardIsScanned()
    {
        const QVector<sNetInterface> cards{{"qvcardA", "qvcardA", "198.51.100.1", "198.51.100.255"},
                                           {"qvcardB", "qvcardB", "203.0.113.1", "203.0.113.255"}};
        QCOMPARE(NetInterfaces::candidates(), cards);

        CDeviceManage hub;
        hub.setBusyMs(0);
        QVERIFY(fixtures::scanToEnd(hub));
        QCOMPARE(shown(hub), m_nodesA + m_nodesB);
        QCOMPARE(received(m_lanA, 1006), QStringList{"255.255.255.255:" + m_nodesA.join(',')});
        QCOMPARE(received(m_lanB, 1006), QStringList{"255.255.255.255:" + m_nodesB.join(',')});
        QVERIFY(hub.job()->syncTime(QString(), 42));
        QVERIFY(hub.job()->setProxyLogLevel(3));
        for (const SimLan *lan : {&m_lanA, &m_lanB})
            QVERIFY(lan->waitForRecords(1008) && lan->waitForRecords(1014));
        QTest::qWait(200); // a second datagram would have come by now
        for (const SimLan *lan : {&m_lanA, &m_lanB}) {
            QCOMPARE(lan->records(1008).size(), 1);
            QCOMPARE(lan->records(1014).size(), 1);
            QCOMPARE(lan->records(1014).first().value(QStringLiteral("node")).toString(), QStringLiteral("255.255.255.255"));
        }
    }

    // A card unticked in the more menu stays out of the scan; the choice is kept in the
    // configuration file only while there is one.
    void untickedCardIsLeftOut()
    {
        CDeviceManage hub;
        hub.setBusyMs(0);
        QMenu menu;
        hub.fillCardMenu(&menu);
        const QList<QAction *> entries = menu.actions();
        QVERIFY(entries.size() == 2 && entries.at(0)->isChecked() && entries.at(1)->isChecked());

        entries.at(0)->setChecked(false);
        QCOMPARE(configFile().value(QStringLiteral("scanExcludedInterfaces")).toArray(), QJsonArray{"qvcardA"});
        const int asksA = m_lanA.records(1006).size();
        QVERIFY(fixtures::scanToEnd(hub));
        QCOMPARE(shown(hub), m_nodesB);
        QCOMPARE(m_lanA.records(1006).size(), asksA);

        // Every card unticked: nothing goes out, not even by the route's card.
        CAppConfig::instance()->setScanExcludedInterfaces({"qvcardA", "qvcardB"});
        const int asksB = m_lanB.records(1006).size();
        QVERIFY(!hub.job()->scanNodes());
        QCOMPARE(m_lanB.records(1006).size(), asksB);

        CAppConfig::instance()->setScanExcludedInterfaces({"qvcardA"});
        entries.at(0)->setChecked(true);
        QVERIFY(!configFile().contains(QStringLiteral("scanExcludedInterfaces")));
    }

};

QTEST_MAIN(TestCardScan)
#include "tst_cardscan.moc"
