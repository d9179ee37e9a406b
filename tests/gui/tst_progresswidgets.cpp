#include "comm/protocol.h"
#include "modaldriver.h"
#include "ui/cprogressdialog.h"
#include "ui/cprogreslistitem.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(ProgressKind)

namespace {
enum Style { Unchanged, Success, Failed };

} // namespace

class TestProgressWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    void startTextsPerKind_data();
    void startTextsPerKind();
    void resultTextsPerKindAndCode_data();
    void resultTextsPerKindAndCode();
    void simulatedRowEndsAfter51Ticks();
    void realProgressFollowsBytes();

    void busyIndicatorCyclesAndTimesOut();
    void busyIndicatorStops();
};

void TestProgressWidgets::startTextsPerKind_data()
{
    QTest::addColumn<ProgressKind>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("import") << ProgressKind::Import << QStringLiteral("正在导入");
    QTest::newRow("export") << ProgressKind::Export << QStringLiteral("正在导出");
    QTest::newRow("upgrade") << ProgressKind::Upgrade << QStringLiteral("正在升级");
}

void TestProgressWidgets::startTextsPerKind()
{
    QFETCH(ProgressKind, kind);
    QFETCH(QString, text);
    CProgressListItem row(QStringLiteral("10.0.0.1"), false);
    row.setKind(kind);
    row.setResultCode(7);
    row.startRow();
    QCOMPARE(row.resultLabel()->text(), text);
    QCOMPARE(row.resultCode(), 0);
    QCOMPARE(row.percentLabel()->text(), QStringLiteral("0%"));
    QVERIFY(row.isAnimating());
}

void TestProgressWidgets::resultTextsPerKindAndCode_data()
{
    QTest::addColumn<ProgressKind>("kind");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("text");

    QTest::newRow("import 0") << ProgressKind::Import << 0 << int(Success) << QStringLiteral("导入成功");
    QTest::newRow("import 1") << ProgressKind::Import << 1 << int(Failed) << QStringLiteral("类型不匹配");
    QTest::newRow("import 3") << ProgressKind::Import << 3 << int(Failed) << QStringLiteral("设备不在线");
    QTest::newRow("import 4") << ProgressKind::Import << 4 << int(Unchanged) << QString();
    QTest::newRow("export 2") << ProgressKind::Export << 2 << int(Failed) << QStringLiteral("导出失败");
    QTest::newRow("export 1") << ProgressKind::Export << 1 << int(Unchanged) << QString();
    QTest::newRow("upgrade ok") << ProgressKind::Upgrade << int(Protocol::kUpgradeOk) << int(Success)
                                << QStringLiteral("升级成功");
    // A known failure code, and codes without a text of their own.
    QTest::newRow("upgrade md5") << ProgressKind::Upgrade << int(Protocol::kUpgradeMd5Mismatch) << int(Failed)
                                 << QStringLiteral("MD5匹配失败");
    for (const int code : {0, 0x2100001A})
        QTest::addRow("upgrade 0x%x", code) << ProgressKind::Upgrade << code << int(Failed) << QStringLiteral("升级失败");
}

void TestProgressWidgets::resultTextsPerKindAndCode()
{
    QFETCH(ProgressKind, kind);
    QFETCH(int, code);
    QFETCH(int, style);
    QFETCH(QString, text);

    CProgressListItem row(QStringLiteral("10.0.0.2"), true);
    row.setKind(kind);
    row.startRow();
    const QString startText = row.resultLabel()->text();
    row.setTotalSize(1000);
    row.setTransferredBytes(300);
    row.setResultCode(code);
    row.showResult();

    switch (style) {
    case Unchanged:
        QCOMPARE(row.resultLabel()->text(), startText);
        QVERIFY(row.retryButton()->isHidden());
        break;
    case Success:
        QCOMPARE(row.resultLabel()->text(), text);
        QVERIFY(row.retryButton()->isHidden());
        // Only the upgrade forces a full bar on success.
        QCOMPARE(row.progressBar()->value(), kind == ProgressKind::Upgrade ? 1000 : 300);
        break;
    case Failed:
        QCOMPARE(row.resultLabel()->text(), text);
        QVERIFY(!row.retryButton()->isHidden());
        QCOMPARE(row.progressBar()->value(), 300);
        break;
    }
    QVERIFY(!row.resultLabel()->isHidden());
}

void TestProgressWidgets::simulatedRowEndsAfter51Ticks()
{
    CProgressListItem row(QStringLiteral("10.0.0.3"), false);
    row.setKind(ProgressKind::Import);
    row.startRow();
    for (int i = 0; i < 50; ++i)
        row.onTimer();
    // The bar has reached its end but the result waits for the 51st tick.
    QCOMPARE(row.progressBar()->value(), 980);
    QCOMPARE(row.resultLabel()->text(), QStringLiteral("正在导入"));
    QVERIFY(row.isAnimating());
    QCOMPARE(row.percentLabel()->text(), QStringLiteral("98.0%"));

    row.onTimer();
    QCOMPARE(row.tickCount(), 51);
    QCOMPARE(row.progressBar()->value(), 1000);
    QCOMPARE(row.percentLabel()->text(), QStringLiteral("100.0%"));
    QVERIFY(!row.isAnimating());
    // The code was never set: an import reads as a success.
    QCOMPARE(row.resultLabel()->text(), QStringLiteral("导入成功"));
}

void TestProgressWidgets::realProgressFollowsBytes()
{
    CProgressListItem row(QStringLiteral("10.0.0.8"), true);
    row.setKind(ProgressKind::Upgrade);
    row.startRow();
    row.setTransferredBytes(500); // no size yet: nothing to scale against
    QCOMPARE(row.progressBar()->value(), 0);

    row.setTotalSize(2000);
    row.setTransferredBytes(900);
    QCOMPARE(row.progressBar()->value(), 450);
    QCOMPARE(row.percentLabel()->text(), QStringLiteral("45.0%"));
    row.setTransferredBytes(1);
    QCOMPARE(row.percentLabel()->text(), QStringLiteral("0.0%"));
    row.setTransferredBytes(5000);
    QCOMPARE(row.progressBar()->value(), 1000);

    // Packages above 2 GiB still scale.
    row.setTotalSize(Q_INT64_C(3) * 1024 * 1024 * 1024);
    row.setTransferredBytes(Q_INT64_C(3) * 512 * 1024 * 1024);
    QCOMPARE(row.progressBar()->value(), 500);
}

void TestProgressWidgets::busyIndicatorCyclesAndTimesOut()
{
    QWidget owner;
    owner.setGeometry(100, 100, 400, 300);
    owner.show();
    CProgressDialog busy(&owner);
    QVERIFY(busy.imageLabel()->styleSheet().contains(QStringLiteral("wait0.svg")));
    busy.show();
    busy.startWaiting(200);

    // tick x 50 must exceed 200: ticks 0..4 keep waiting, tick 5 gives up.
    for (int tick = 0; tick <= 4; ++tick) {
        busy.timeCount();
        QVERIFY(busy.imageLabel()->styleSheet().contains(QStringLiteral("wait%1.svg").arg(tick % 6)));
        QVERIFY(busy.isVisible());
    }
    busy.timeCount();
    QVERIFY(!busy.isWaiting());
    QVERIFY(!busy.isVisible());
    QCOMPARE(busy.result(), int(QDialog::Rejected));

    // Real time: the images wrap around and the wait ends by itself.
    busy.show();
    busy.startWaiting(400);
    QTRY_VERIFY_WITH_TIMEOUT(!busy.isVisible(), 20000);
    QVERIFY(busy.tickCount() >= 7);
    QVERIFY(!busy.isWaiting());
}

void TestProgressWidgets::busyIndicatorStops()
{
    CProgressDialog busy;
    busy.show();
    busy.startWaiting();
    QVERIFY(busy.isWaiting());
    busy.stopWaiting();
    QVERIFY(!busy.isWaiting());
    QVERIFY(!busy.isVisible());

}

QTEST_MAIN(TestProgressWidgets)
#include "tst_progresswidgets.moc"
