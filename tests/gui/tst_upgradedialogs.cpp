// Progress rows and the dialogs that list them, headless: upgrade (package chooser,
// firmware and application rows) and the busy indicator. The data export and import
// dialogs are driven against the simulator (tst_bulkcommands).
// The upgrade dialogs are never shown, so their start timer never fires and no transfer
// starts; results are fed the way the worker feeds them.
#include <QtTest>

#include <QCheckBox>
#include <QSpinBox>
#include <QToolButton>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include "modaldriver.h"
#include "nodefixtures.h"

#include "comm/protocol.h"
#include "dialog/cdeviceupdatewidget.h"
#include "dialog/csoftwareupdatewidget.h"
#include "dialog/cupdatedlg.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogressdialog.h"
#include "ui/cprogreslistitem.h"

class TestUpgradeDialogs final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    // Result codes by kind: a text of its own, the generic failure, or no change at all.
    void rowResults()
    {
        const struct
        {
            ProgressKind kind;
            int code;
            const char *text; // empty: the row keeps its start text
            bool failed;
        } rows[] = {{ProgressKind::Import, 0, "导入成功", false},
                    {ProgressKind::Import, 1, "类型不匹配", true},
                    {ProgressKind::Export, 1, "", false},
                    {ProgressKind::Export, 4, "日志文件超过大小限制", true},
                    {ProgressKind::Upgrade, int(Protocol::kUpgradeOk), "升级成功", false},
                    {ProgressKind::Upgrade, int(Protocol::kUpgradeMd5Mismatch), "MD5匹配失败", true},
                    {ProgressKind::Upgrade, 0x2100001A, "升级失败", true}};
        for (const auto &r : rows) {
            CProgressListItem row(QStringLiteral("10.0.0.2"), true);
            row.setKind(r.kind);
            row.setResultCode(7);
            row.startRow();
            QCOMPARE(row.resultCode(), 0);
            const QString startText = row.resultLabel()->text();
            row.setTotalSize(1000);
            row.setTransferredBytes(300);
            row.setResultCode(r.code);
            row.showResult();
            QCOMPARE(row.resultLabel()->text(), *r.text ? QString::fromUtf8(r.text) : startText);
            QCOMPARE(row.retryButton()->isHidden(), !r.failed);
            // Only the upgrade forces a full bar on success.
            QCOMPARE(row.progressBar()->value(), r.kind == ProgressKind::Upgrade && !r.failed ? 1000 : 300);
        }
    }

    void simulatedAndRealProgress()
    {
        CProgressListItem sim(QStringLiteral("10.0.0.3"), false);
        sim.setKind(ProgressKind::Import);
        sim.startRow();
        for (int i = 0; i < 50; ++i)
            sim.onTimer();
        // The bar has reached its end but the result waits for the 51st tick.
        QCOMPARE(sim.percentLabel()->text(), QStringLiteral("98.0%"));
        QVERIFY(sim.isAnimating());
        sim.onTimer();
        QVERIFY(!sim.isAnimating());
        // The code was never set: an import reads as a success.
        QCOMPARE(sim.resultLabel()->text(), QStringLiteral("导入成功"));

        CProgressListItem row(QStringLiteral("10.0.0.8"), true);
        row.setKind(ProgressKind::Upgrade);
        row.startRow();
        row.setTransferredBytes(500); // no size yet: nothing to scale against
        QCOMPARE(row.progressBar()->value(), 0);
        row.setTotalSize(2000);
        row.setTransferredBytes(5000);
        QCOMPARE(row.progressBar()->value(), 1000);
        // Packages above 2 GiB still scale.
        row.setTotalSize(Q_INT64_C(3) * 1024 * 1024 * 1024);
        row.setTransferredBytes(Q_INT64_C(3) * 512 * 1024 * 1024);
        QCOMPARE(row.progressBar()->value(), 500);
        QCOMPARE(row.percentLabel()->text(), QStringLiteral("50.0%"));
    }

    void busyIndicatorTimesOutOrStops()
    {
        QWidget owner;
        owner.show();
        CProgressDialog busy(&owner);
        busy.show();
        busy.startWaiting(200);
        // tick x 50 must exceed 200: ticks 0..4 keep waiting, tick 5 gives up.
        for (int tick = 0; tick <= 4; ++tick)
            busy.timeCount();
        QVERIFY(busy.isVisible());
        busy.timeCount();
        QVERIFY(!busy.isWaiting() && !busy.isVisible());
        // Real time: the wait ends by itself.
        busy.show();
        busy.startWaiting(400);
        QTRY_VERIFY_WITH_TIMEOUT(!busy.isVisible(), 20000);
        busy.show();
        busy.startWaiting();
        busy.stopWaiting();
        QVERIFY(!busy.isWaiting() && !busy.isVisible());
    }

    // An empty path is refused; the chooser offers vela* packages from the current folder.
    // The staged rollout sits in a fold, closed, whose defaults upgrade every node at once.
    void packageChooser()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile(dir.filePath(QStringLiteral("vela_decoder_V1.0.bin"))).open(QIODevice::WriteOnly);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        CUpdateDlg dlg;
        dlg.show();
        QVERIFY(dlg.size() == QSize(480, 216) && !dlg.foldPanel()->isVisible());
        QVERIFY(!dlg.rollout().staged() && dlg.rollout().verifyTimeoutSec == 600);
        dlg.foldButton()->click();
        // Opened, it changes nothing by itself; what is set there is the rollout.
        QVERIFY(dlg.foldPanel()->isVisible() && dlg.height() > 216 && !dlg.rollout().staged());
        dlg.canaryBox()->setValue(3);
        dlg.waveBox()->setValue(5);
        dlg.maxFailuresBox()->setValue(2);
        dlg.skipCurrentBox()->setChecked(true);
        dlg.verifyTimeoutBox()->setValue(120);
        const sRolloutOptions staged = dlg.rollout();
        QVERIFY(staged.canary == 3 && staged.wave == 5 && staged.maxFailures == 2 && staged.skipCurrent
                && staged.verifyTimeoutSec == 120);
        dlg.foldButton()->click();
        QCOMPARE(dlg.size(), QSize(480, 216));
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.okButton()->click(); }), QStringLiteral("请选择有效的升级路径"));
        QString filter, folder;
        auto chosen = ModalDriver::expect<QFileDialog>([&](QFileDialog *chooser) {
            filter = chooser->nameFilters().join(QLatin1Char(';'));
            folder = chooser->directory().absolutePath();
            // Typed as the operator does: selectFile() leaves a focused name field alone.
            chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("vela_decoder_V1.0.bin"));
            static_cast<QDialog *>(chooser)->accept(); // QFileDialog::accept, which checks the choice
        });
        dlg.browseButton()->click();
        QDir::setCurrent(previous);
        QCOMPARE(filter, QStringLiteral("vela*"));
        QCOMPARE(QFileInfo(folder).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
        dlg.okButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(QFileInfo(dlg.path()).fileName(), QStringLiteral("vela_decoder_V1.0.bin"));
    }

    // Rows for non-empty addresses only; the button turns to OK once every row has its
    // result, and back to cancel while a retried row is at work again.
    void firmwareRowsRetryAndEndAtOk()
    {
        CDeviceUpdateWidget dlg;
        dlg.startUpdate(QStringLiteral("/tmp/vela.bin"), fixtures::selection({"127.0.1.1", "", "127.0.1.2"}));
        QCOMPARE(dlg.ipList(), QStringList({QStringLiteral("127.0.1.1"), QStringLiteral("127.0.1.2")}));
        // An answer for an address without a row changes nothing.
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.9"), 1);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        QCOMPARE(dlg.finishedCount(), 1);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 0x21000016);
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("当前版本过低"));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("确定"));

        QSignalSpy retries(&dlg, &CUpgradeWidget::retrySignal);
        QTest::mousePress(dlg.row(1)->retryButton(), Qt::LeftButton);
        QCOMPARE(retries.count(), 1);
        QCOMPARE(retries.at(0).at(0).toString(), QStringLiteral("127.0.1.2"));
        QCOMPARE(dlg.row(1)->progressBar()->value(), 0);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(dlg.inProgress());
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 1);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("确定"));
        // Every row has its result: closing does not ask.
        auto none = ModalDriver::expectNone();
        dlg.onOkClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    // The application upgrade keeps a row without an address (which never ends) and its
    // button reads cancel throughout; done, closing does not ask.
    void applicationRowsKeepCancel()
    {
        CSoftwareUpdateWidget dlg;
        dlg.startUpdate(QStringLiteral("/tmp/x_encoder_V2.bin"), fixtures::selection({"127.0.1.1", "", "127.0.1.2"}));
        QCOMPARE(dlg.rowCount(), 3);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 0x21000011);
        QCOMPARE(dlg.row(2)->resultLabel()->text(), QStringLiteral("杀掉App进程失败"));
        QVERIFY(dlg.inProgress());

        CSoftwareUpdateWidget done;
        done.startUpdate(QStringLiteral("/tmp/x_encoder_V2.bin"), fixtures::selection({"127.0.1.1"}));
        done.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        QCOMPARE(done.okButton()->text(), QStringLiteral("取消"));
        auto none = ModalDriver::expectNone();
        done.onOkClicked();
        QCOMPARE(done.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestUpgradeDialogs)
#include "tst_upgradedialogs.moc"
