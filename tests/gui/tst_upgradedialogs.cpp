// Progress rows and the dialogs that list them, headless: upgrade (package chooser,
// firmware and application rows), data export and import, and the busy indicator.
// The upgrade dialogs are never shown, so their start timer never fires and no transfer
// starts; results are fed the way the worker feeds them.
#include <QtTest>

#include <QFileDialog>
#include <QJsonDocument>
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
#include "dialog/cexportworker.h"
#include "dialog/csoftwareupdatewidget.h"
#include "dialog/cupdatedlg.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogressdialog.h"
#include "ui/cprogreslistitem.h"

Q_DECLARE_METATYPE(ProgressKind)

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

// Waits until every row of the list has shown its result.
bool waitRows(QListWidget *list, int ms = 30000)
{
    return QTest::qWaitFor(
        [list] {
            for (int i = 0; i < list->count(); ++i) {
                auto *row = qobject_cast<CProgressListItem *>(list->itemWidget(list->item(i)));
                if (!row || row->isAnimating())
                    return false;
            }
            return true;
        },
        ms);
}
} // namespace

class TestUpgradeDialogs final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    // Result codes by kind: a text of its own, the generic failure, or no change at all.
    void rowResults_data()
    {
        QTest::addColumn<ProgressKind>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text"); // empty: the row keeps its start text
        QTest::addColumn<bool>("failed");
        QTest::newRow("import 0") << ProgressKind::Import << 0 << QStringLiteral("导入成功") << false;
        QTest::newRow("import 1") << ProgressKind::Import << 1 << QStringLiteral("类型不匹配") << true;
        QTest::newRow("import 4") << ProgressKind::Import << 4 << QString() << false;
        QTest::newRow("export 1") << ProgressKind::Export << 1 << QString() << false;
        QTest::newRow("upgrade ok") << ProgressKind::Upgrade << int(Protocol::kUpgradeOk) << QStringLiteral("升级成功") << false;
        QTest::newRow("upgrade md5") << ProgressKind::Upgrade << int(Protocol::kUpgradeMd5Mismatch)
                                     << QStringLiteral("MD5匹配失败") << true;
        for (const int code : {0, 0x2100001A})
            QTest::addRow("upgrade 0x%x", code) << ProgressKind::Upgrade << code << QStringLiteral("升级失败") << true;
    }

    void rowResults()
    {
        QFETCH(ProgressKind, kind);
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(bool, failed);
        CProgressListItem row(QStringLiteral("10.0.0.2"), true);
        row.setKind(kind);
        row.setResultCode(7);
        row.startRow();
        QCOMPARE(row.resultCode(), 0);
        QCOMPARE(row.percentLabel()->text(), QStringLiteral("0%"));
        const QString startText = row.resultLabel()->text();
        row.setTotalSize(1000);
        row.setTransferredBytes(300);
        row.setResultCode(code);
        row.showResult();
        QCOMPARE(row.resultLabel()->text(), text.isEmpty() ? startText : text);
        QCOMPARE(row.retryButton()->isHidden(), !failed);
        // Only the upgrade forces a full bar on success.
        const bool full = kind == ProgressKind::Upgrade && !failed;
        QCOMPARE(row.progressBar()->value(), full ? 1000 : 300);
    }

    void simulatedRowEndsAfter51Ticks()
    {
        CProgressListItem row(QStringLiteral("10.0.0.3"), false);
        row.setKind(ProgressKind::Import);
        row.startRow();
        for (int i = 0; i < 50; ++i)
            row.onTimer();
        // The bar has reached its end but the result waits for the 51st tick.
        QCOMPARE(row.progressBar()->value(), 980);
        QCOMPARE(row.resultLabel()->text(), QStringLiteral("正在导入"));
        QCOMPARE(row.percentLabel()->text(), QStringLiteral("98.0%"));
        QVERIFY(row.isAnimating());
        row.onTimer();
        QCOMPARE(row.progressBar()->value(), 1000);
        QVERIFY(!row.isAnimating());
        // The code was never set: an import reads as a success.
        QCOMPARE(row.resultLabel()->text(), QStringLiteral("导入成功"));
    }

    void realProgressFollowsBytes()
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
        row.setTransferredBytes(5000);
        QCOMPARE(row.progressBar()->value(), 1000);
        // Packages above 2 GiB still scale.
        row.setTotalSize(Q_INT64_C(3) * 1024 * 1024 * 1024);
        row.setTransferredBytes(Q_INT64_C(3) * 512 * 1024 * 1024);
        QCOMPARE(row.progressBar()->value(), 500);
    }

    void busyIndicatorTimesOutOrStops()
    {
        QWidget owner;
        owner.show();
        CProgressDialog busy(&owner);
        busy.show();
        busy.startWaiting(200);
        // tick x 50 must exceed 200: ticks 0..4 keep waiting, tick 5 gives up.
        for (int tick = 0; tick <= 4; ++tick) {
            busy.timeCount();
            QVERIFY(busy.isVisible());
        }
        busy.timeCount();
        QVERIFY(!busy.isWaiting() && !busy.isVisible());
        QCOMPARE(busy.result(), int(QDialog::Rejected));
        // Real time: the wait ends by itself.
        busy.show();
        busy.startWaiting(400);
        QTRY_VERIFY_WITH_TIMEOUT(!busy.isVisible(), 20000);
        QVERIFY(busy.tickCount() >= 7 && !busy.isWaiting());
        busy.show();
        busy.startWaiting();
        QVERIFY(busy.isWaiting());
        busy.stopWaiting();
        QVERIFY(!busy.isWaiting() && !busy.isVisible());
    }

    void chooserRefusesAnEmptyPath()
    {
        CUpdateDlg dlg;
        dlg.show();
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.okButton()->click(); }), QStringLiteral("请选择有效的升级路径"));
        QVERIFY(dlg.isVisible());

        dlg.setPath(QStringLiteral("/tmp/vela_decoder_1.bin"));
        dlg.okButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.path(), QStringLiteral("/tmp/vela_decoder_1.bin"));
    }

    void chooserOffersVelaPackagesFromTheCurrentFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile(dir.filePath(QStringLiteral("vela_decoder_V1.0.bin"))).open(QIODevice::WriteOnly);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());

        CUpdateDlg dlg;
        QString filter, accept, reject, caption, folder;
        auto chosen = ModalDriver::expect<QFileDialog>([&](QFileDialog *chooser) {
            filter = chooser->nameFilters().join(QLatin1Char(';'));
            accept = chooser->labelText(QFileDialog::Accept);
            reject = chooser->labelText(QFileDialog::Reject);
            caption = chooser->windowTitle();
            folder = chooser->directory().absolutePath();
            // Typed as the operator does: selectFile() leaves a focused name field alone.
            auto *name = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(QStringLiteral("vela_decoder_V1.0.bin"));
            static_cast<QDialog *>(chooser)->accept(); // QFileDialog::accept, which checks the choice
        });
        dlg.browseButton()->click();
        QDir::setCurrent(previous);

        QCOMPARE(filter, QStringLiteral("vela*"));
        QCOMPARE(accept, QStringLiteral("打开"));
        QCOMPARE(reject, QStringLiteral("取消"));
        QCOMPARE(caption, QStringLiteral("Quorvane"));
        QCOMPARE(QFileInfo(folder).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
        QCOMPARE(QFileInfo(dlg.path()).fileName(), QStringLiteral("vela_decoder_V1.0.bin"));
    }

    // Rows for non-empty addresses only; the button turns to OK once every row has its
    // result, and back to cancel while a retried row is at work again.
    void firmwareRowsRetryAndEndAtOk()
    {
        CDeviceUpdateWidget dlg;
        dlg.startUpdate(QStringLiteral("/tmp/vela.bin"), fixtures::selection({"127.0.1.1", "", "127.0.1.2"}));
        QCOMPARE(dlg.ipList(), QStringList({QStringLiteral("127.0.1.1"), QStringLiteral("127.0.1.2")}));
        QVERIFY(!dlg.cancelButton()->isVisibleTo(&dlg));
        QCOMPARE(dlg.row(0)->resultLabel()->text(), QStringLiteral("正在升级"));
        // An answer for an address without a row changes nothing.
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.9"), 1);
        QCOMPARE(dlg.finishedCount(), 0);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        QCOMPARE(dlg.row(0)->resultLabel()->text(), QStringLiteral("升级成功"));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 0x21000016);
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("当前版本过低"));
        QCOMPARE(dlg.finishedCount(), 2);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("确定"));
        QVERIFY(!dlg.inProgress());

        QSignalSpy retries(&dlg, &CUpgradeWidget::retrySignal);
        QTest::mousePress(dlg.row(1)->retryButton(), Qt::LeftButton);
        QCOMPARE(retries.count(), 1);
        QCOMPARE(retries.at(0).at(0).toString(), QStringLiteral("127.0.1.2"));
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("正在升级"));
        QCOMPARE(dlg.row(1)->progressBar()->value(), 0);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(dlg.inProgress());
        QCOMPARE(dlg.finishedCount(), 1);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 1);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("确定"));
        // Every row has its result: closing does not ask.
        auto none = ModalDriver::expectNone();
        dlg.onOkClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void closingDuringTheUpgradeAsks()
    {
        CDeviceUpdateWidget dlg;
        dlg.startUpdate(QStringLiteral("/tmp/vela.bin"), fixtures::selection({"127.0.1.1"}));
        QSignalSpy stops(&dlg, &CUpgradeWidget::transStopSignal);

        QString asked;
        {
            auto ask = ModalDriver::expect<CMessageDialog>([&asked](CMessageDialog *m) {
                asked = ModalDriver::messageText(m);
                m->reject();
            });
            dlg.onOkClicked();
        }
        QCOMPARE(asked, QStringLiteral("确定要取消升级吗？"));
        QCOMPARE(stops.count(), 0); // declined: everything goes on
        QVERIFY(dlg.inProgress());

        asked.clear();
        auto ask = ModalDriver::expect<CMessageDialog>([&asked](CMessageDialog *m) {
            asked = ModalDriver::messageText(m);
            m->accept();
        });
        dlg.onCancelClicked();
        QCOMPARE(asked, QStringLiteral("确定要取消升级吗？"));
        QCOMPARE(stops.count(), 1);
        QCOMPARE(stops.at(0).at(0).toBool(), true);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void applicationRowsKeepCancel()
    {
        CSoftwareUpdateWidget dlg;
        QCOMPARE(dlg.titleLabel()->text(), QStringLiteral("app升级"));
        dlg.startUpdate(QStringLiteral("/tmp/x_encoder_V2.bin"), fixtures::selection({"127.0.1.1", "", "127.0.1.2"}));
        QCOMPARE(dlg.rowCount(), 3);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 0x21000011);
        QCOMPARE(dlg.row(2)->resultLabel()->text(), QStringLiteral("杀掉App进程失败"));
        // The row without an address never changes, so the upgrade stays pending.
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("正在升级"));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(dlg.inProgress());

        CSoftwareUpdateWidget done;
        done.startUpdate(QStringLiteral("/tmp/x_encoder_V2.bin"), fixtures::selection({"127.0.1.1"}));
        done.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        // Done, the button still reads cancel, and closing does not ask.
        QCOMPARE(done.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(!done.inProgress());
        auto none = ModalDriver::expectNone();
        done.onOkClicked();
        QCOMPARE(done.result(), int(QDialog::Accepted));
    }

    void exportFileNamesOnlyForDottedAddresses()
    {
        QCOMPARE(CExportWorker::fileNameFor("192.168.100.21", 1), QStringLiteral("de192.168.100.21.json"));
        QCOMPARE(CExportWorker::fileNameFor("192.168.100.22", 2), QStringLiteral("en192.168.100.22.json"));
        QCOMPARE(CExportWorker::fileNameFor("10.0.0.1", 3), QStringLiteral("10.0.0.1.json"));
        for (const char *bad : {"1.2.3.4/../../etc", "1.2.3.4\n", "256.1.1.1"})
            QVERIFY2(CExportWorker::fileNameFor(bad, 1).isEmpty(), bad);
    }

    void answerIsWrittenOrItsRowFails()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CDeviceCtrlJob job(nullptr);
        // Answers of selected nodes are written, asked for now or earlier.
        const SelectedNodeList selected{{1, "127.0.1.21", {}, 1}, {2, "../evil", {}, 2}, {3, "127.0.1.23", {}, 1}};
        CExportWorker worker(selected, &job, dir.path() + QStringLiteral("/"));
        QSignalSpy results(&worker, &CExportWorker::setExportResult);

        sDeviceData dec = answer("127.0.1.21", 1);
        worker.exportDataSave(&dec);
        const QString path = dir.filePath(QStringLiteral("de127.0.1.21.json"));
        QVERIFY(QFile::exists(path));
        QCOMPARE(results.takeFirst(), (QList<QVariant>{QStringLiteral("127.0.1.21"), 0}));
        QJsonObject entry;
        job.readJsonFile(path, entry);
        QCOMPARE(entry, CProtocolPacker::dataImportObject(dec));

        // A second answer replaces the file.
        dec.model = 19;
        worker.exportDataSave(&dec);
        job.readJsonFile(path, entry);
        QCOMPARE(entry.value("devData").toObject().value("model").toInt(), 19);
        QCOMPARE(results.takeFirst().at(1).toInt(), 0);

        // An address that would leave the folder: nothing written anywhere, the row fails.
        sDeviceData evil = answer("../evil", 2);
        worker.exportDataSave(&evil);
        QCOMPARE(results.takeFirst(), (QList<QVariant>{QStringLiteral("../evil"), 2}));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("../en../evil.json"))));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 1);

        // A folder that cannot be written.
        CExportWorker lost({{4, "127.0.1.22", {}, 2}}, &job, dir.filePath(QStringLiteral("missing/deeper")));
        QSignalSpy lostResults(&lost, &CExportWorker::setExportResult);
        sDeviceData enc = answer("127.0.1.22", 2);
        lost.exportDataSave(&enc);
        QCOMPARE(lostResults.takeFirst().at(1).toInt(), 2);

        // Once stopping, answers are ignored.
        worker.requestStop();
        sDeviceData late = answer("127.0.1.23", 1);
        worker.exportDataSave(&late);
        QVERIFY(results.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("de127.0.1.23.json"))));
    }

    void exportRowWithoutAnswerFailsAndOffersRetry()
    {
        QTemporaryDir dir;
        CDeviceCtrlJob job(nullptr);
        CDataExportWidget dlg(&job);
        // Type 0 entries ask no node, so no answer can come.
        SelectedNodeList nodes;
        nodes << sSelectedNode{5, "127.0.1.31", "127.0.1.2", 0} << sSelectedNode{6, "127.0.1.32", "127.0.1.2", 0};
        dlg.startExport(dir.path(), nodes);
        dlg.show();
        QCOMPARE(dlg.rowList()->count(), 2);
        QCOMPARE(dlg.row(0)->ip(), QStringLiteral("127.0.1.31"));

        QVERIFY(waitRows(dlg.rowList()));
        QCOMPARE(dlg.row(0)->resultLabel()->text(), QStringLiteral("导出失败"));
        QVERIFY(dlg.row(0)->retryButton()->isVisibleTo(dlg.row(0)));
        // A late answer for the second row (as the worker reports it) still turns it.
        dlg.setImportResult(QStringLiteral("127.0.1.32"), 0);
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("导出成功"));

        // Retry restarts the row and asks again (with its recorded type).
        QSignalSpy retries(&dlg, &CDataExportWidget::retrySignal);
        QTest::mousePress(dlg.row(0)->retryButton(), Qt::LeftButton);
        QCOMPARE(retries.size(), 1);
        QCOMPARE(retries.first().first().toString(), QStringLiteral("127.0.1.31"));
        QVERIFY(dlg.row(0)->isAnimating());
        dlg.onOkClicked();
    }

    void badFilesEndInImportFailed()
    {
        QTemporaryDir dir;
        const QString garbage = dir.filePath("garbage.json");
        QVERIFY(fixtures::writeFile(garbage, "{ not json"));
        const QString wrongType = dir.filePath("type3.json");
        QJsonObject devData{{"id", 9}, {"ip", "127.0.1.41"}, {"model", 18}, {"type", 3}};
        QVERIFY(fixtures::writeFile(wrongType, QJsonDocument(QJsonObject{{"devData", devData},
                                                       {"version", QJsonObject{{"main", 1}}},
                                                       {"data", "x"}})
                                 .toJson()));

        CDeviceCtrlJob job(nullptr);
        CDataImportWidget missing(&job);
        missing.startImport({dir.filePath("nothere.json")});
        CDataImportWidget broken(&job);
        broken.startImport({garbage});
        CDataImportWidget typed(&job);
        typed.startImport({wrongType, garbage});
        CDataImportWidget none(&job);
        none.startImport({});
        QCOMPARE(none.rowList()->count(), 0);
        QCOMPARE(typed.rowList()->count(), 1);
        QCOMPARE(typed.row(0)->ip(), QStringLiteral("127.0.1.41"));

        typed.show();
        QVERIFY(waitRows(missing.rowList()));
        QVERIFY(waitRows(broken.rowList()));
        QVERIFY(waitRows(typed.rowList()));
        for (CDataImportWidget *dlg : {&missing, &broken, &typed})
            QCOMPARE(dlg->row(0)->resultLabel()->text(), QStringLiteral("导入失败"));
        QVERIFY(typed.row(0)->retryButton()->isVisibleTo(typed.row(0)));
    }

    void importAnswersReachTheirRows()
    {
        QTemporaryDir dir;
        const QString wrongType = dir.filePath("type3.json");
        QVERIFY(fixtures::writeFile(wrongType, R"({"devData":{"ip":"127.0.1.51","type":3}})"));
        CDeviceCtrlJob job(nullptr);
        CDataImportWidget dlg(&job);
        dlg.startImport({wrongType});
        // A node answer for another address changes nothing; one for this row does.
        sImportDataRes other;
        other.ip = "127.0.1.99";
        other.result = 0;
        dlg.importDataOver(&other);
        sImportDataRes mismatch;
        mismatch.ip = "127.0.1.51";
        mismatch.result = 1;
        dlg.importDataOver(&mismatch);
        QVERIFY(waitRows(dlg.rowList()));
        QCOMPARE(dlg.row(0)->resultLabel()->text(), QStringLiteral("类型不匹配"));
    }
};

QTEST_MAIN(TestUpgradeDialogs)
#include "tst_upgradedialogs.moc"
