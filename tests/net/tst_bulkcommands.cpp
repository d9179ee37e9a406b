// Bulk and tool commands end to end against the simulated LAN: data export and
// import, restart, factory reset, time sync, type switch, mode switch and the
// proxy log level, each driven through its dialogs.
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>


#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "dialog/cdataexportwidget.h"
#include "dialog/cdataimportwidget.h"
#include "dialog/cdevicemanage.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cmodelswitch.h"
#include "dialog/cproxyloglevel.h"
#include "dialog/ctypeswitchwidget.h"
#include "dialog/devicecommands.h"
#include "modaldriver.h"
#include "operations/csendoperation.h"
#include "nodefixtures.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "simlan.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/cprogreslistitem.h"

namespace {

QString rowText(QListWidget *list, int i)
{
    auto *row = qobject_cast<CProgressListItem *>(list->itemWidget(list->item(i)));
    return row ? row->resultLabel()->text() : QString();
}

sSelectedNode entry(const QJsonObject &node)
{
    return sSelectedNode{static_cast<int64_t>(node.value("id").toDouble()), node.value("ip").toString().toUtf8(),
                         QByteArray(), node.value("type").toInt()};
}

// Accepts the folder or file dialog with `names` (a folder, or quoted file names) chosen in dir.
void choosePath(QFileDialog *fd, const QString &dir, const QString &names)
{
    fd->setDirectory(dir);
    // selectFile() leaves a focused name field alone: type into it as the operator would.
    auto *nameEdit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(nameEdit);
    nameEdit->setText(names);
    static_cast<QDialog *>(fd)->accept(); // QFileDialog::accept, which checks the choice
    if (fd->isVisible()) {
        fd->reject();
        QFAIL("the file dialog refused the choice");
    }
}
} // namespace

class TstBulkCommands : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_config;

    // Scans into the stores and takes the snapshot, as the hub does; the
    // observer stands in for the node table's, which fills the stores.
    void scan(CDeviceCtrlJob &job, CNodeListModel &model)
    {
        CDeviceCtrlObserver observer;
        CObserverList::instance().add(&observer);
        job.scanNodes();
        CObserverList::instance().remove(&observer);
        model.refreshSnapshot();
    }

private slots:
    void initTestCase()
    {
        ModalDriver::useProgramLook();
        // The history of commands goes beside the configuration: not into the user's documents.
        CAppConfig::instance()->setConfigDirOverride(m_config.path());
    }

    void exportTwoNodesThenImportOne()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "1", "--encoders", "1", "--node", "decoder@127.0.1.9,fault=tcp-silent"}),
                 qPrintable(lan.errorString()));
        const QJsonObject dec = lan.node(0);
        const QJsonObject enc = lan.node(1);
        const QJsonObject silent = lan.node(2);
        QTemporaryDir dir;
        CDeviceCtrlJob job(nullptr);
        const SelectedNodeList nodes{entry(dec), entry(enc), entry(silent)};
        QStringList rows;
        {
            auto chooser = ModalDriver::expect<QFileDialog>(
                [&](QFileDialog *fd) { choosePath(fd, dir.path(), dir.path()); });
            auto exporter = ModalDriver::expect<CDataExportWidget>([&](CDataExportWidget *dlg) {
                QVERIFY(fixtures::waitRows(dlg->rowList()));
                // The silent node's row fails at its own deadline, after the animation.
                QVERIFY(QTest::qWaitFor([&] { return !rowText(dlg->rowList(), 2).startsWith("正在"); }, 15000));
                for (int i = 0; i < dlg->rowList()->count(); ++i)
                    rows << rowText(dlg->rowList(), i);
                dlg->okButton()->click();
            });
            QVERIFY(DeviceCommands::exportData(job, nodes, nullptr));
        }
        QCOMPARE(rows, (QStringList{"导出成功", "导出成功", "导出失败"}));
        // The history has each node as its row showed it.
        QVector<sHistoryNode> shown;
        for (int i = 0; i < 3; ++i)
            shown.append({nodes.at(i).id, QString::fromUtf8(nodes.at(i).ip), rows.at(i), i < 2});
        QCOMPARE(fixtures::newestHistoryShown(), shown);

        const QString decFile = dir.filePath(QStringLiteral("de") + dec.value("ip").toString() + ".json");
        const QString encFile = dir.filePath(QStringLiteral("en") + enc.value("ip").toString() + ".json");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{QFileInfo(decFile).fileName(), QFileInfo(encFile).fileName()}));
        QJsonObject written;
        job.readJsonFile(decFile, written);
        QCOMPARE(written.value("data").toString(), dec.value("data").toString());
        const QJsonObject version = written.value("version").toObject();

        // Import the decoder's file back, chosen together with the encoder's: only the first counts.
        QString importRow;
        {
            auto chooser = ModalDriver::expect<QFileDialog>([&](QFileDialog *fd) {
                choosePath(fd, dir.path(),
                           QStringLiteral("\"%1\" \"%2\"").arg(QFileInfo(decFile).fileName(),
                                                              QFileInfo(encFile).fileName()));
            });
            auto importer = ModalDriver::expect<CDataImportWidget>([&](CDataImportWidget *dlg) {
                QCOMPARE(dlg->rowList()->count(), 1);
                QVERIFY(fixtures::waitRows(dlg->rowList()));
                importRow = rowText(dlg->rowList(), 0);
                dlg->okButton()->click();
            });
            QVERIFY(DeviceCommands::importData(job, nullptr));
        }
        QCOMPARE(importRow, QStringLiteral("导入成功"));
        const sHistoryNode imported{nodes.at(0).id, shown.at(0).ip, importRow, true};
        QCOMPARE(fixtures::newestHistoryShown(), QVector<sHistoryNode>{imported});
        QVERIFY(lan.waitForRecords(3532, 1));
        QCOMPARE(lan.records(4016).size(), 0);
        QCOMPARE(lan.node(0).value("importCount").toInt(), 1);
        QCOMPARE(lan.node(0).value("importedVersion").toObject(), version);
    }

    // The node is gone by the time of the import: no link, "设备不在线"; after it is back, retry
    // succeeds. A file that is no data file is not sent: "导入失败".
    void importOfflineThenRetry()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--node", "encoder@127.0.1.21"}), qPrintable(lan.errorString()));
        QTemporaryDir dir;
        CDeviceCtrlJob job(nullptr);
        {
            CDataExportWidget dlg(&job);
            dlg.startExport(dir.path(), {entry(lan.node(0))});
            QVERIFY(QTest::qWaitFor([&] { return QDir(dir.path()).entryList(QDir::Files).size() == 1; }, 30000));
            dlg.onOkClicked();
        }
        lan.stop();
        CDataImportWidget offline(&job);
        offline.startImport({dir.filePath("en127.0.1.21.json")});
        QVERIFY(fixtures::waitRows(offline.rowList()));
        QCOMPARE(rowText(offline.rowList(), 0), QStringLiteral("设备不在线"));
        QVERIFY2(lan.start({"--node", "encoder@127.0.1.21"}), qPrintable(lan.errorString()));
        auto *row = qobject_cast<CProgressListItem *>(offline.rowList()->itemWidget(offline.rowList()->item(0)));
        QTest::mousePress(row->retryButton(), Qt::LeftButton);
        QVERIFY(lan.waitForRecords(4016, 1, 30000));
        QVERIFY(fixtures::waitRows(offline.rowList()));
        QCOMPARE(rowText(offline.rowList(), 0), QStringLiteral("导入成功"));
        QVERIFY(fixtures::writeFile(dir.filePath("broken.json"), "{ not json"));
        CDataImportWidget broken(&job);
        broken.startImport({dir.filePath("broken.json")});
        QVERIFY(fixtures::waitRows(broken.rowList()));
        QCOMPARE(rowText(broken.rowList(), 0), QStringLiteral("导入失败"));
        QCOMPARE(lan.records(4016).size(), 1);
    }

    void restartResetAndTimeSync()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "2", "--node", "encoder@127.0.1.40,id=0"}), qPrintable(lan.errorString()));
        CDeviceCtrlJob job(nullptr);
        const SelectedNodeList selection{entry(lan.node(0)), entry(lan.node(1)), entry(lan.node(2))};

        const auto yes = [](CDeviceRestartDlg *w) { w->accept(); };
        auto ask = ModalDriver::expect<CDeviceRestartDlg>(yes);
        std::optional<bool> rescan;
        QCOMPARE(ModalDriver::messageFrom([&] {
                     rescan = fixtures::finishCommand([&](auto done) { DeviceCommands::restart(job, selection, nullptr, done); });
                 }),
                 QStringLiteral("重启成功"));
        QCOMPARE(rescan, std::optional<bool>(true));
        QVERIFY(lan.waitForRecords(1011, 2));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(lan.node(i).value("rebootCount").toInt(), i < 2 ? 1 : 0);

        {
            auto askReset = ModalDriver::expect<CDeviceRestartDlg>(yes);
            QCOMPARE(fixtures::finishCommand(
                         [&](auto done) { DeviceCommands::factoryReset(job, {selection.at(1)}, nullptr, done); }),
                     std::optional<bool>(true));
        }
        QVERIFY(lan.waitForRecords(1012, 1));
        QCOMPARE(lan.records(1012).first().value("node").toString(), lan.node(1).value("ip").toString());

        // No selection needed; rescans first, then broadcasts the time (its value: tst_codec).
        int scansBefore = 0; // set by the rescan only
        auto askTime = ModalDriver::expect<CDeviceRestartDlg>(yes);
        const std::optional<bool> synced = fixtures::finishCommand([&](auto done) {
            DeviceCommands::syncTime(
                job, nullptr,
                [&](const std::function<void()> &then) {
                    job.scanNodes();
                    scansBefore = lan.records(1006).size();
                    then();
                },
                done);
        });
        QCOMPARE(synced, std::optional<bool>(false));
        QVERIFY(lan.waitForRecords(1008, 1));
        QCOMPARE(lan.records(1008).first().value("node").toString(), QStringLiteral("255.255.255.255"));
        QVERIFY(scansBefore >= 1);
        QVERIFY(QTest::qWaitFor([&] { return !lan.node(0).value("ptsBase").isUndefined(); }, 30000));

        // Each command is in the history, newest first, with every node's outcome as shown.
        // Kept as keys, read in the language of the moment; a restart's only evidence is its send.
        QCOMPARE(CCommandHistory::shown(CCommandHistory::instance()->entries().value(0).command), QStringLiteral("同步系统时间"));
        QCOMPARE(fixtures::newestHistoryShown(1), CCommandHistory::outcomes({selection.at(1)}, QStringLiteral("已发送"), true));
        // Each node by its own send: the node without an id was never sent to.
        QCOMPARE(fixtures::newestHistoryShown(2), CCommandHistory::outcomes(selection.mid(0, 2), QStringLiteral("已发送"), true)
                                                      + CCommandHistory::outcomes({selection.at(2)}, QStringLiteral("失败"), false));

        // Type switch: each node to the other type; the node without an id is not sent to
        // and, as nothing failed, no summary follows.
        CNodeListModel model;
        scan(job, model);
        {
            auto list = ModalDriver::expect<CTypeSwitchWidget>([](CTypeSwitchWidget *w) { w->accept(); });
            QCOMPARE(fixtures::finishCommand(
                         [&](auto done) { DeviceCommands::switchType(job, model, selection, nullptr, done); }),
                     std::optional<bool>(true));
        }
        auto none = ModalDriver::expectNone();
        QVERIFY(lan.waitForRecords(1013, 2));
        QTest::qWait(300);
        QStringList switched;
        for (const QJsonObject &r : lan.records(1013))
            switched << r.value("node").toString() + '>' + QString::number(r.value("payload").toObject().value("deviceType").toInt());
        QCOMPARE(switched, (QStringList{lan.node(0).value("ip").toString() + ">2", lan.node(1).value("ip").toString() + ">2"}));
    }

    // An operation whose view goes away mid-run (the window closed) is cancelled and still
    // leaves its history line; the view's continuation never runs.
    void runOutlivedByItsView()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "1"}), qPrintable(lan.errorString()));
        CDeviceCtrlJob job(nullptr);
        sDeviceInfo absent; // no node answers there, so the switch waits for its deadline
        absent.id = 77;
        absent.ip = "127.0.1.99";
        absent.nodeType = DecoderNode;
        const int entries = CCommandHistory::instance()->entries().size();
        bool continued = false;
        auto view = std::make_unique<QObject>();
        DeviceCommands::runOperation(SendOperations::typeSwitch(job, {absent}), nullptr, {}, 0,
                                     [&continued](COperation &, bool) { continued = true; }, view.get());
        QTest::qWait(100);
        view.reset();
        QCOMPARE(CCommandHistory::instance()->entries().size(), entries + 1);
        const sHistoryEntry newest = CCommandHistory::instance()->entries().value(0);
        QCOMPARE(CCommandHistory::shown(newest.command), QStringLiteral("类型切换"));
        QVERIFY(newest.nodes.size() == 1 && !newest.nodes.first().ok);
        QTest::qWait(100);
        QVERIFY(!continued);
    }

    void modeSwitchAndProxyLevel()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "3", "--encoders", "1"}), qPrintable(lan.errorString()));
        CNodeListModel model;
        CDeviceCtrlJob job(&model); // as the hub's: settings are read from the table's model
        scan(job, model);
        auto dialog = ModalDriver::expect<CModelSwitch>([](CModelSwitch *dlg) {
            dlg->SelectAll(true);
            dlg->targetBox()->setCurrentIndex(2);
            dlg->okButton()->click();
        });
        std::optional<bool> switched;
        QCOMPARE(ModalDriver::messageFrom([&] {
                     switched = fixtures::finishCommand([&](auto done) { DeviceCommands::modelSwitch(job, model, nullptr, done); });
                 }),
                 QStringLiteral("切换成功"));
        QCOMPARE(switched, std::optional<bool>(true));
        QVERIFY(lan.waitForRecords(3501, 3));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(lan.records(3501).at(i).value("payload").toObject().value("mode").toInt(), 2);
        for (const sDecoderInfo &d : model.decoders())
            QCOMPARE(d.mode, 2);

        // The proxy is the manager the first decoder names (the first node by default).
        auto proxy = ModalDriver::expect<CProxyLogLevel>([&](CProxyLogLevel *dlg) {
            QCOMPARE(dlg->proxy().ip, lan.node(0).value("ip").toString().toUtf8());
            dlg->levelBox()->setCurrentIndex(3);
            dlg->okButton()->click();
        });
        DeviceCommands::proxyLogLevel(nullptr);
        QVERIFY(lan.waitForRecords(1014, 1));
        QCOMPARE(lan.records(1014).first().value("payload").toObject().value("logLevel").toInt(), 4);
        QCOMPARE(lan.records(1014).first().value("port").toInt(), 7799);
    }
};

QTEST_MAIN(TstBulkCommands)
#include "tst_bulkcommands.moc"
