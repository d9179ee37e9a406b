#include "guitestutil.h"

#include "comm/protocol.h"
#include "ui/ccustomdialog.h"
#include "ui/cprogressdialog.h"
#include "ui/cprogreslistitem.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

Q_DECLARE_METATYPE(ProgressKind)

namespace {
enum Style { Unchanged, Success, Failed };

class ListDialog final : public CCustomDialog
{
public:
    ListDialog()
    {
        setFixedSize(650, 465);
        setTitle(QStringLiteral("设备升级"));
        setOkText(QStringLiteral("确定"));
        hideCancelButton();
        list = new QListWidget(contentWidget());
        list->setObjectName(QStringLiteral("importData"));
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *layout = new QVBoxLayout(contentWidget());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(list);
    }
    CProgressListItem *addRow(const QString &ip, bool real)
    {
        auto *row = new CProgressListItem(ip, real);
        auto *item = new QListWidgetItem(list);
        item->setSizeHint(QSize(0, 64));
        list->setItemWidget(item, row);
        return row;
    }
    void onOkClicked() override {}
    void onCancelClicked() override {}
    QListWidget *list = nullptr;
};
} // namespace

class TestProgressWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { applyAppStyle(); }

    void startTextsPerKind_data();
    void startTextsPerKind();
    void resultTextsPerKindAndCode_data();
    void resultTextsPerKindAndCode();
    void simulatedRowEndsAfter51Ticks();
    void simulatedRowRunsOnItsTimer();
    void restartClearsFailure();
    void retryCarriesTheAddress();
    void realProgressFollowsBytes();
    void listScreenshot();

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
    QCOMPARE(row.progressBar()->objectName(), QStringLiteral("normalBar"));
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
    QTest::newRow("import 2") << ProgressKind::Import << 2 << int(Failed) << QStringLiteral("导入失败");
    QTest::newRow("import 3") << ProgressKind::Import << 3 << int(Failed) << QStringLiteral("设备不在线");
    QTest::newRow("import 4") << ProgressKind::Import << 4 << int(Unchanged) << QString();
    QTest::newRow("export 0") << ProgressKind::Export << 0 << int(Success) << QStringLiteral("导出成功");
    QTest::newRow("export 2") << ProgressKind::Export << 2 << int(Failed) << QStringLiteral("导出失败");
    QTest::newRow("export 1") << ProgressKind::Export << 1 << int(Unchanged) << QString();
    QTest::newRow("upgrade ok") << ProgressKind::Upgrade << int(Protocol::kUpgradeOk) << int(Success)
                                << QStringLiteral("升级成功");
    const struct {
        uint32_t code;
        const char *text;
    } failures[] = {
        {Protocol::kUpgradeKillAppFailed, "杀掉App进程失败"},
        {Protocol::kUpgradeRemoveAppFailed, "移除App进程失败"},
        {Protocol::kUpgradeWriteAppFailed, "写入App进程失败"},
        {Protocol::kUpgradeMd5Mismatch, "MD5匹配失败"},
        {Protocol::kUpgradeModelMismatch, "设备型号不匹配"},
        {Protocol::kUpgradeVersionTooLow, "当前版本过低"},
        {Protocol::kUpgradeFrameMismatch, "帧编号不匹配"},
        {Protocol::kUpgradeOtherError, "其它错误"},
        {Protocol::kUpgradeBadFile, "升级文件错误"},
        {0, "升级失败"},
        {0x21000010, "升级失败"},
        {0x2100001A, "升级失败"},
    };
    for (const auto &f : failures) {
        QTest::addRow("upgrade 0x%x", f.code)
            << ProgressKind::Upgrade << int(f.code) << int(Failed) << QString::fromUtf8(f.text);
    }
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
        QCOMPARE(row.progressBar()->objectName(), QStringLiteral("normalBar"));
        QVERIFY(row.retryButton()->isHidden());
        break;
    case Success:
        QCOMPARE(row.resultLabel()->text(), text);
        QCOMPARE(row.resultLabel()->styleSheet(), QStringLiteral("color: rgb(48, 209, 88);"));
        QCOMPARE(row.progressBar()->objectName(), QStringLiteral("successBar"));
        QVERIFY(row.retryButton()->isHidden());
        // Only the upgrade forces a full bar on success.
        QCOMPARE(row.progressBar()->value(), kind == ProgressKind::Upgrade ? 1000 : 300);
        break;
    case Failed:
        QCOMPARE(row.resultLabel()->text(), text);
        QCOMPARE(row.resultLabel()->styleSheet(), QStringLiteral("color: rgb(236, 68, 68);"));
        QCOMPARE(row.progressBar()->objectName(), QStringLiteral("failedBar"));
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

void TestProgressWidgets::simulatedRowRunsOnItsTimer()
{
    CProgressListItem row(QStringLiteral("10.0.0.4"), false);
    row.setKind(ProgressKind::Export);
    row.startRow();
    row.setResultCode(2);
    QTRY_VERIFY_WITH_TIMEOUT(row.progressBar()->value() >= 100, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!row.isAnimating(), 10000);
    QCOMPARE(row.resultLabel()->text(), QStringLiteral("导出失败"));

    CProgressListItem real(QStringLiteral("10.0.0.5"), true);
    real.startRow();
    QVERIFY(!real.isAnimating());
}

void TestProgressWidgets::restartClearsFailure()
{
    CProgressListItem row(QStringLiteral("10.0.0.6"), true);
    row.setKind(ProgressKind::Upgrade);
    row.setResultCode(int(Protocol::kUpgradeBadFile));
    row.showResult();
    QVERIFY(!row.retryButton()->isHidden());
    row.startRow();
    QVERIFY(row.retryButton()->isHidden());
    QCOMPARE(row.resultLabel()->text(), QStringLiteral("正在升级"));
    QCOMPARE(row.resultLabel()->styleSheet(), QStringLiteral("color: rgba(255, 255, 255, 0.8);"));
    QCOMPARE(row.progressBar()->objectName(), QStringLiteral("normalBar"));
}

void TestProgressWidgets::retryCarriesTheAddress()
{
    CProgressListItem row(QStringLiteral("192.168.10.77"), true);
    row.setKind(ProgressKind::Upgrade);
    row.startRow();
    row.setResultCode(int(Protocol::kUpgradeMd5Mismatch));
    row.showResult();
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    QCOMPARE(row.resultLabel()->text(), QStringLiteral("MD5匹配失败"));
    QVERIFY(row.retryButton()->isVisible());
    QCOMPARE(row.retryButton()->toolTip(), QStringLiteral("重试"));

    QSignalSpy spy(&row, &CProgressListItem::sigRetry);
    QTest::mousePress(row.retryButton(), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("192.168.10.77"));
    QTest::mouseRelease(row.retryButton(), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
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

void TestProgressWidgets::listScreenshot()
{
    ListDialog dlg;
    const struct {
        const char *ip;
        ProgressKind kind;
        int code;
        int bytes;
        bool finish;
    } rows[] = {
        {"192.168.1.20", ProgressKind::Upgrade, int(Protocol::kUpgradeOk), 0, true},
        {"192.168.1.21", ProgressKind::Upgrade, int(Protocol::kUpgradeMd5Mismatch), 620, true},
        {"192.168.1.22", ProgressKind::Upgrade, 0, 450, false},
        {"192.168.1.23", ProgressKind::Import, 3, 1000, true},
        {"192.168.1.24", ProgressKind::Export, 0, 1000, true},
    };
    for (const auto &r : rows) {
        CProgressListItem *row = dlg.addRow(QString::fromLatin1(r.ip), true);
        row->setKind(r.kind);
        row->startRow();
        row->setTotalSize(1000);
        row->setTransferredBytes(r.bytes);
        row->setResultCode(r.code);
        if (r.finish)
            row->showResult();
    }
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    saveScreenshot(&dlg, QStringLiteral("progress_rows"));
}

void TestProgressWidgets::busyIndicatorCyclesAndTimesOut()
{
    QWidget owner;
    owner.setGeometry(100, 100, 400, 300);
    owner.show();
    CProgressDialog busy(&owner);
    QCOMPARE(busy.size(), QSize(80, 80));
    QVERIFY(busy.imageLabel()->styleSheet().contains(QStringLiteral("wait0.svg")));
    busy.show();
    busy.startWaiting(200);
    QVERIFY((busy.geometry().center() - owner.geometry().center()).manhattanLength() <= 2);
    saveScreenshot(&busy, QStringLiteral("busy_indicator"));

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
    QTRY_VERIFY_WITH_TIMEOUT(busy.tickCount() >= 7, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!busy.isVisible(), 3000);
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

    // Save every frame of the indicator for a look.
    for (int i = 0; i < CProgressDialog::kImageCount; ++i) {
        busy.show();
        busy.startWaiting(100000);
        for (int t = 0; t <= i; ++t)
            busy.timeCount();
        saveScreenshot(&busy, QStringLiteral("busy_frame%1").arg(i));
        busy.stopWaiting();
    }
}

QTEST_MAIN(TestProgressWidgets)
#include "tst_progresswidgets.moc"
