// A site's worth of nodes through the data export and import dialogs: every row ends
// in what really happened to its node, with unreachable, slow and silent nodes mixed
// in, and a cancel in the middle stops everything it started.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "comm/cdevicectrljob.h"
#include "dialog/cdataexportwidget.h"
#include "dialog/cdataimportwidget.h"
#include "simlan.h"
#include "ui/cprogreslistitem.h"

namespace {
const QString kOk = QStringLiteral("导出成功");
const QString kFailed = QStringLiteral("导出失败");

QString rowText(QListWidget *list, int i)
{
    auto *row = qobject_cast<CProgressListItem *>(list->itemWidget(list->item(i)));
    return row ? row->resultLabel()->text() : QString();
}

// Every row shows one of the final texts.
bool waitFinal(QListWidget *list, const QStringList &finals, int ms)
{
    return QTest::qWaitFor(
        [&] {
            for (int i = 0; i < list->count(); ++i) {
                if (!finals.contains(rowText(list, i)))
                    return false;
            }
            return true;
        },
        ms);
}

SelectedNodeList selection(const SimLan &lan, int count)
{
    SelectedNodeList nodes;
    for (int i = 0; i < count; ++i) {
        const QJsonObject n = lan.node(i);
        nodes.push_back(sSelectedNode{static_cast<int64_t>(n.value("id").toDouble()),
                                      n.value("ip").toString().toUtf8(), QByteArray(), n.value("type").toInt()});
    }
    return nodes;
}

QString exportFile(const QString &dir, const QJsonObject &node)
{
    return QDir(dir).filePath((node.value("type").toInt() == 1 ? QStringLiteral("de") : QStringLiteral("en"))
                              + node.value("ip").toString() + QStringLiteral(".json"));
}

QString indices(int from, int step, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << QString::number(from + i * step);
    return out.join(QLatin1Char(','));
}
} // namespace

class TstSiteScale : public QObject
{
    Q_OBJECT

private slots:
    void exportRowsTellTheTruth()
    {
        // 300 nodes: 10 unreachable (the 5 s connect limit ends them), 6 answering after
        // the rows' 5.1 s animation, 3 that never answer (their own deadline ends them).
        const int total = 300;
        const QString unreachable = indices(3, 29, 10);
        const QString slow = indices(10, 47, 6);
        const QString silent = indices(150, 50, 3);
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "200", "--encoders", "100", "--fault", "unreachable@" + unreachable,
                            "--fault", "tcp-delay=6500@" + slow, "--fault", "tcp-silent@" + silent}),
                 qPrintable(lan.errorString()));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CDeviceCtrlJob job(nullptr);
        CDataExportWidget dlg(&job);
        dlg.startExport(dir.path(), selection(lan, total));
        QListWidget *rows = dlg.rowList();
        QVERIFY(QTest::qWaitFor([&] { return rows->count() == total; }, 20000));
        QVERIFY(waitFinal(rows, {kOk, kFailed}, 60000));

        const QStringList failing = (unreachable + ',' + silent).split(',');
        for (int i = 0; i < total; ++i) {
            const QJsonObject node = lan.node(i);
            const bool fails = failing.contains(QString::number(i));
            QCOMPARE(rowText(rows, i) + ' ' + node.value("ip").toString(),
                     (fails ? kFailed : kOk) + ' ' + node.value("ip").toString());
            QFile file(exportFile(dir.path(), node));
            QCOMPARE(file.exists(), !fails);
            if (fails)
                continue;
            // The node's own data, not a neighbour's.
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(QJsonDocument::fromJson(file.readAll()).object().value("data").toString(),
                     node.value("data").toString());
        }
        // Each node was asked once.
        QCOMPARE(lan.records(3533).size() + lan.records(4017).size(), total - 10);
    }

    void cancelInTheMiddle()
    {
        const int total = 300;
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "300", "--fault", "tcp-delay=800", "--fault", "unreachable@" + indices(0, 7, 40)}),
                 qPrintable(lan.errorString()));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CDeviceCtrlJob job(nullptr);
        auto dlg = std::make_unique<CDataExportWidget>(&job);
        dlg->startExport(dir.path(), selection(lan, total));
        QVERIFY(QTest::qWaitFor([&] { return QDir(dir.path()).entryList(QDir::Files).size() >= 20; }, 20000));
        dlg->okButton()->click(); // ends the run: requests stop, links close, threads join
        const int written = QDir(dir.path()).entryList(QDir::Files).size();
        QVERIFY(written < total - 40);
        int shown = 0;
        for (int i = 0; i < dlg->rowList()->count(); ++i)
            shown += rowText(dlg->rowList(), i) == kOk;
        dlg.reset();
        // Nothing started by the dialog goes on writing after it is gone.
        QTest::qWait(1500);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), written);
        QVERIFY(shown <= written);
        QVERIFY(lan.records(3533).size() < total);
    }

    void importAnswerAfterTheAnimation()
    {
        SimLan lan;
        QVERIFY2(lan.start({"--decoders", "1", "--fault", "tcp-delay=6000"}), qPrintable(lan.errorString()));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        CDeviceCtrlJob job(nullptr);
        {
            CDataExportWidget exporter(&job);
            exporter.startExport(dir.path(), selection(lan, 1));
            QVERIFY(waitFinal(exporter.rowList(), {kOk}, 20000));
        }
        CDataImportWidget dlg(&job);
        dlg.startImport({exportFile(dir.path(), lan.node(0))});
        QVERIFY(waitFinal(dlg.rowList(), {QStringLiteral("导入成功"), QStringLiteral("导入失败")}, 20000));
        QCOMPARE(rowText(dlg.rowList(), 0), QStringLiteral("导入成功"));
        QCOMPARE(lan.node(0).value("importCount").toInt(), 1);
    }
};

QTEST_MAIN(TstSiteScale)
#include "tst_sitescale.moc"
