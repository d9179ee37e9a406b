// The bulk UDP commands at a few hundred nodes, sent from a worker as one batch: what
// reaches the nodes (order and bytes), the result each command reports, cancel in the
// middle, and a scan that leaves the event loop running.
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "cappconfig.h"
#include "comm/cbulkrunner.h"
#include "comm/cdevicectrljob.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/devicecommands.h"
#include "modaldriver.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "simlan.h"

namespace {
constexpr int kNodes = 200;

QStringList recordedTargets(const QList<QJsonObject> &records)
{
    QStringList targets;
    for (const QJsonObject &r : records)
        targets << r.value("node").toString();
    return targets;
}
} // namespace

class TstBulkScale : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The history of commands goes beside the configuration: not into the user's documents.
        CAppConfig::instance()->setConfigDirOverride(m_config.path());
        QVERIFY2(m_lan.start({"--decoders", QString::number(kNodes / 2), "--encoders", QString::number(kNodes / 2)}),
                 qPrintable(m_lan.errorString()));
        // The scan runs on a worker; the event loop goes on meanwhile.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(5);
        m_hub.setBusyMs(0);
        m_hub.scanNodes();
        QVERIFY(ticks > 0);
        QCOMPARE(m_hub.mainShowWidget()->nodeListModel()->decoders().size()
                     + m_hub.mainShowWidget()->nodeListModel()->encoders().size(),
                 kNodes);
        m_hub.mainShowWidget()->selectOrCancelAll(1);
        m_selection = m_hub.mainShowWidget()->selectedNodeList();
        QCOMPARE(m_selection.size(), kNodes);
    }

    void restartReachesEveryNodeInOrder()
    {
        // An entry without id is passed over; an unusable address fails alone.
        SelectedNodeList nodes = m_selection;
        nodes.insert(10, sSelectedNode{0, "127.0.1.250", QByteArray(), 1});
        nodes.insert(20, sSelectedNode{99, "not an address", QByteArray(), 1});
        auto ask = ModalDriver::expect<CDeviceRestartDlg>([](CDeviceRestartDlg *w) { w->accept(); });
        // The last send decides.
        QCOMPARE(ModalDriver::messageFrom([&] { QVERIFY(DeviceCommands::restart(*m_hub.job(), nodes, nullptr)); }),
                 QStringLiteral("重启成功"));
        QVERIFY(m_lan.waitForRecords(1011, kNodes, 60000));
        const QList<QJsonObject> sent = m_lan.records(1011);
        QCOMPARE(sent.size(), kNodes);
        for (int i = 0; i < kNodes; ++i) {
            QCOMPARE(sent.at(i).value("node").toString(), QString::fromUtf8(m_selection.at(i).ip));
            QCOMPARE(sent.at(i).value("payload").toObject(),
                     (QJsonObject{{"deviceID", double(m_selection.at(i).id)}}));
            QCOMPARE(sent.at(i).value("applied").toArray().size(), 1);
        }
    }

    void typeSwitchReportsOnlyUnsentNodes()
    {
        CNodeListModel &model = *m_hub.mainShowWidget()->nodeListModel();
        QList<sDeviceInfo> nodes = DeviceCommands::recordsOf(model, m_selection);
        sDeviceInfo bad = nodes.at(5);
        bad.ip = "300.1.1.1";
        nodes.insert(6, bad);
        QList<sDeviceInfo> failed;
        QVERIFY(m_hub.job()->switchNodeType(nodes, failed));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().ip, QByteArray("300.1.1.1"));
        QVERIFY(m_lan.waitForRecords(1013, kNodes, 60000));
        const QList<QJsonObject> sent = m_lan.records(1013);
        QCOMPARE(sent.size(), kNodes);
        nodes.removeAt(6);
        for (int i = 0; i < kNodes; ++i) {
            QCOMPARE(sent.at(i).value("node").toString(), QString::fromUtf8(nodes.at(i).ip));
            QCOMPARE(sent.at(i).value("payload").toObject().value("deviceType").toInt(),
                     nodes.at(i).nodeType == DecoderNode ? 2 : 1);
        }
    }

    void cancelInTheMiddleStopsTheBatch()
    {
        // A cancel of the runner while the frames go out: the first ones went, in order,
        // nothing after them, and the restart reports failure (its last frame never left).
        CBulkRunner runner;
        int asked = 0;
        bool ok = true;
        QVERIFY(runner.startBatch(0, [&](const CBulkRunner::Control &ctl) {
            ok = m_hub.job()->rebootNodes(m_selection, [&] {
                if (++asked == 101)
                    runner.cancel();
                return ctl.stopRequested();
            });
        }));
        QVERIFY(runner.wait(60000));
        QVERIFY(runner.wasCancelled());
        QVERIFY(!ok);
        QVERIFY(m_lan.waitForRecords(1011, kNodes + 100, 60000));
        QTest::qWait(300);
        const QStringList targets = recordedTargets(m_lan.records(1011).mid(kNodes));
        QStringList expected;
        for (int i = 0; i < 100; ++i)
            expected << QString::fromUtf8(m_selection.at(i).ip);
        QCOMPARE(targets, expected);
    }

    void consecutiveAddressesFollowThePlan()
    {
        // From .200 the plan ends at .254: the first 55 nodes move, in order, the rest get nothing.
        QStringList current;
        for (const sSelectedNode &n : qAsConst(m_selection))
            current << QString::fromUtf8(n.ip);
        QVERIFY(DeviceCommands::runOffThread([&](const CBulkRunner::Control &) {
            m_hub.job()->setNetwork(QStringLiteral("127.0.9.200"), QStringLiteral("255.255.0.0"),
                                    QStringLiteral("127.0.9.254"), current);
        }));
        QVERIFY(m_lan.waitForRecords(1007, 55, 60000));
        QTest::qWait(300);
        const QList<QJsonObject> sent = m_lan.records(1007);
        QCOMPARE(sent.size(), 55);
        QCOMPARE(recordedTargets(sent), current.mid(0, 55));
        for (int i = 0; i < 55; ++i)
            QCOMPARE(sent.at(i).value("payload").toObject(),
                     (QJsonObject{{"ip", QStringLiteral("127.0.9.%1").arg(200 + i)}, {"mask", "255.255.0.0"},
                                  {"getway", "127.0.9.254"}}));
        m_hub.scanNodes();
        QCOMPARE(CDecoderList::instance().nodes().size() + CEncoderList::instance().nodes().size(), kNodes);
    }

private:
    QTemporaryDir m_config;
    SimLan m_lan;
    CDeviceManage m_hub;
    SelectedNodeList m_selection;
};

QTEST_MAIN(TstBulkScale)
#include "tst_bulkscale.moc"
