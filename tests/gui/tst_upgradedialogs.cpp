// Progress rows and the dialogs that list them, headless: upgrade (package chooser,
// firmware and application rows), data export and import, and the busy indicator.
// The upgrade dialogs are never shown, so their start timer never fires and no transfer
// starts; results are fed the way the worker feeds them.
#include <QtTest>

#include <QCheckBox>
#include <QSpinBox>
#include <QToolButton>

#include <QFileDialog>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include "modaldriver.h"
#include "nodefixtures.h"

#include "comm/cdevicectrljob.h"
#include "comm/cprotocolpacker.h"
#include "comm/protocol.h"
#include "dialog/cdataexportwidget.h"
#include "dialog/cdataimportwidget.h"
#include "dialog/cdeviceupdatewidget.h"
#include "operations/cexportworker.h"
#include "dialog/csoftwareupdatewidget.h"
#include "dialog/cupdatedlg.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogressdialog.h"
#include "ui/cprogreslistitem.h"

namespace {
sDeviceData answer(const QByteArray &ip, int type)
{
    sDeviceData d;
    d.id = 42;
    d.ip = ip;
    d.type = type;
    d.model = 18;
    d.mainVer = 1;
    d.majorVer = 2;
    d.minorVer = 3;
    d.data = "{\"opaque\":true}";
    return d;
}

} // namespace

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

    // Answers of selected nodes are written whenever they come (a second replaces the
    // file); an address that would leave the folder or a folder that cannot be written
    // fails the row; once stopping, answers are ignored.
    void answerIsWrittenOrItsRowFails()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CDeviceCtrlJob job(nullptr);
        const SelectedNodeList selected{{1, "127.0.1.21", {}, 1}, {2, "../evil", {}, 2}, {3, "127.0.1.23", {}, 1}};
        CExportWorker worker(selected, &job, dir.path() + QStringLiteral("/"));
        QSignalSpy results(&worker, &CExportWorker::setExportResult);
        sDeviceData dec = answer("127.0.1.21", 1);
        worker.exportDataSave(&dec);
        dec.model = 19;
        worker.exportDataSave(&dec);
        QJsonObject entry;
        job.readJsonFile(dir.filePath(QStringLiteral("de127.0.1.21.json")), entry);
        QCOMPARE(entry, CProtocolPacker::dataImportObject(dec));
        sDeviceData evil = answer("../evil", 2);
        worker.exportDataSave(&evil);
        QCOMPARE(results.size(), 3);
        QCOMPARE(results.at(1), (QList<QVariant>{QStringLiteral("127.0.1.21"), 0}));
        QCOMPARE(results.at(2), (QList<QVariant>{QStringLiteral("../evil"), 2}));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 1);

        CExportWorker lost({{4, "127.0.1.22", {}, 2}}, &job, dir.filePath(QStringLiteral("missing/deeper")));
        QSignalSpy lostResults(&lost, &CExportWorker::setExportResult);
        sDeviceData enc = answer("127.0.1.22", 2);
        lost.exportDataSave(&enc);
        QCOMPARE(lostResults.takeFirst().at(1).toInt(), 2);

        worker.requestStop();
        sDeviceData late = answer("127.0.1.23", 1);
        worker.exportDataSave(&late);
        QCOMPARE(results.size(), 3);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("de127.0.1.23.json"))));
    }

    // Broken and wrong-type files end in import failed (an empty list has no
    // rows); a node answer reaches only the row of its address.
    void importFilesAndAnswers()
    {
        QTemporaryDir dir;
        const QString garbage = dir.filePath("garbage.json");
        QVERIFY(fixtures::writeFile(garbage, "{ not json"));
        const QString wrongType = dir.filePath("type3.json");
        QVERIFY(fixtures::writeFile(wrongType, R"({"devData":{"id":9,"ip":"127.0.1.41","model":18,"type":3},
            "version":{"main":1},"data":"x"})"));
        CDeviceCtrlJob job(nullptr);
        CDataImportWidget broken(&job), typed(&job), none(&job), answered(&job);
        broken.startImport({garbage});
        typed.startImport({wrongType, garbage});
        none.startImport({});
        answered.startImport({wrongType});
        QCOMPARE(none.rowList()->count(), 0);
        QCOMPARE(typed.rowList()->count(), 1);
        sImportDataRes other, mismatch;
        other.ip = "127.0.1.99";
        mismatch.ip = "127.0.1.41";
        mismatch.result = 1;
        answered.importDataOver(&other);
        answered.importDataOver(&mismatch);
        typed.show();
        for (CDataImportWidget *dlg : {&broken, &typed, &answered})
            QVERIFY(fixtures::waitRows(dlg->rowList()));
        for (CDataImportWidget *dlg : {&broken, &typed})
            QCOMPARE(dlg->row(0)->resultLabel()->text(), QStringLiteral("导入失败"));
        QVERIFY(typed.row(0)->retryButton()->isVisibleTo(typed.row(0)));
        QCOMPARE(answered.row(0)->resultLabel()->text(), QStringLiteral("类型不匹配"));
    }
};

QTEST_MAIN(TestUpgradeDialogs)
#include "tst_upgradedialogs.moc"
