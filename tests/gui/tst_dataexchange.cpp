// Data export and import without nodes: file names, writing answers, and rows
// that end in failure when nothing (or nothing usable) came back.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "comm/cdevicectrljob.h"
#include "dialog/cdataexportwidget.h"
#include "dialog/cdataimportwidget.h"
#include "dialog/cexportworker.h"
#include "modaldriver.h"
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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
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

class TstDataExchange : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    void fileNamesOnlyForDottedAddresses()
    {
        QCOMPARE(CExportWorker::fileNameFor("192.168.100.21", 1), QStringLiteral("de192.168.100.21.json"));
        QCOMPARE(CExportWorker::fileNameFor("192.168.100.22", 2), QStringLiteral("en192.168.100.22.json"));
        QCOMPARE(CExportWorker::fileNameFor("10.0.0.1", 3), QStringLiteral("10.0.0.1.json"));
        QVERIFY(CExportWorker::fileNameFor("1.2.3.4/../../etc", 1).isEmpty());
        QVERIFY(CExportWorker::fileNameFor("1.2.3.4\n", 1).isEmpty());
        QVERIFY(CExportWorker::fileNameFor("256.1.1.1", 1).isEmpty());
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
        QCOMPARE(entry.value("devData").toObject().value("ip").toString(), QStringLiteral("127.0.1.21"));
        QCOMPARE(entry.value("devData").toObject().value("type").toInt(), 1);
        QCOMPARE(entry.value("data").toString(), QStringLiteral("{\"opaque\":true}"));

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
        writeFile(garbage, "{ not json");
        const QString wrongType = dir.filePath("type3.json");
        QJsonObject devData{{"id", 9}, {"ip", "127.0.1.41"}, {"model", 18}, {"type", 3}};
        writeFile(wrongType, QJsonDocument(QJsonObject{{"devData", devData},
                                                       {"version", QJsonObject{{"main", 1}}},
                                                       {"data", "x"}})
                                 .toJson());

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
        QCOMPARE(missing.row(0)->resultLabel()->text(), QStringLiteral("导入失败"));
        QCOMPARE(broken.row(0)->resultLabel()->text(), QStringLiteral("导入失败"));
        QCOMPARE(typed.row(0)->resultLabel()->text(), QStringLiteral("导入失败"));
        QVERIFY(typed.row(0)->retryButton()->isVisibleTo(typed.row(0)));
    }

    void importAnswersReachTheirRows()
    {
        QTemporaryDir dir;
        const QString wrongType = dir.filePath("type3.json");
        writeFile(wrongType, R"({"devData":{"ip":"127.0.1.51","type":3}})");
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

QTEST_MAIN(TstDataExchange)
#include "tst_dataexchange.moc"
