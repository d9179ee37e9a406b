// A few hundred nodes: a scan that leaves the event loop running, and a cancel in the
// middle of a batch of UDP commands sent from a worker.
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "cappconfig.h"
#include "comm/cbulkrunner.h"
#include "comm/cdevicectrljob.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cmainshowwidget.h"
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
        QVERIFY(m_lan.waitForRecords(1011, 100, 60000));
        QTest::qWait(300);
        const QStringList targets = recordedTargets(m_lan.records(1011));
        QStringList expected;
        for (int i = 0; i < 100; ++i)
            expected << QString::fromUtf8(m_selection.at(i).ip);
        QCOMPARE(targets, expected);
    }

private:
    QTemporaryDir m_config;
    SimLan m_lan;
    CDeviceManage m_hub;
    SelectedNodeList m_selection;
};

QTEST_MAIN(TstBulkScale)
#include "tst_bulkscale.moc"
