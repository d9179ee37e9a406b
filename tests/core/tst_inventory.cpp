// The site inventory: what a scan saves, what reading a file accepts, and what a new scan
// shows against it.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include "operations/csiteinventory.h"

namespace
{
sListedNode row(int64_t id, const char *ip, int type, const QByteArray &version, int mode = -1)
{
    sListedNode r;
    r.info.id = id;
    r.info.ip = ip;
    r.info.nodeType = type;
    r.info.version = version;
    r.info.name = "node-" + QByteArray::number(qint64(id));
    r.info.mask = "255.255.255.0";
    r.info.getway = "192.168.1.254";
    r.info.macAddr = "3C:6A:2C:00:00:" + QByteArray::number(qint64(id % 100)).rightJustified(2, '0');
    r.info.managerIP = "192.168.1.1";
    r.mode = mode;
    return r;
}

QStringList described(const QVector<sInventoryNode> &nodes)
{
    QStringList out;
    for (const sInventoryNode &n : nodes)
        out << QString::number(n.id) + '@' + n.ip;
    return out;
}
} // namespace

class TestInventory final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void savedAndReadBackWhole()
    {
        QVector<sListedNode> rows{row(1, "192.168.1.10", DecoderNode, "V1.2.3", 2), row(0x1234500000007, "192.168.1.11", EncoderNode, "E2.0")};
        rows[0].info.name = "大厅\n\"左\";=1";
        sListedNode gone = row(9, "192.168.1.12", DecoderNode, "V1");
        gone.gone = true; // stopped answering: not part of the site any more
        rows.append(gone);
        const CSiteInventory inventory = CSiteInventory::fromRows(rows, QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC));
        QCOMPARE(inventory.nodes().size(), 2);

        const QString path = m_dir.filePath("site.json");
        QString error;
        QVERIFY2(inventory.save(path, &error), qPrintable(error));
        CSiteInventory back;
        QVERIFY2(back.load(path, &error), qPrintable(error));
        QCOMPARE(back.saved(), inventory.saved());
        QCOMPARE(back.nodes().size(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(CSiteInventory::nodeToJson(back.nodes().at(i)), CSiteInventory::nodeToJson(inventory.nodes().at(i)));
        QCOMPARE(back.nodes().at(0).name, QString::fromUtf8(rows[0].info.name));
        QCOMPARE(back.nodes().at(1).id, qint64(0x1234500000007));
        QCOMPARE(back.nodes().at(1).mode, -1);
        QCOMPARE(CSiteInventory::fieldValue(back.nodes().at(0), EInventoryField::Mode), QStringLiteral("matrix"));
        QVERIFY(SiteInventory::compare(inventory, back).isEmpty());
    }

    // Whatever a file holds, reading it ends with the nodes or with a reason, and a failed
    // read keeps nothing of the bad file.
    void damagedAndHostileFilesAreRefused()
    {
        const QByteArray good = R"({"format":1,"nodes":[{"id":5,"type":"decoder","ip":"10.0.0.5"}]})";
        const QList<QPair<QByteArray, QString>> bad{
            {"", "not JSON"},
            {"{\"format\":1,\"nodes\":[", "not JSON"},
            {"[1,2]", "no \"format\""},
            {"{\"nodes\":[]}", "no \"format\""},
            {"{\"format\":2,\"nodes\":[]}", "format 2 is not known"},
            {"{\"format\":1,\"nodes\":{}}", "\"nodes\""},
            {"{\"format\":1,\"nodes\":[7]}", "node 1: not an object"},
            {R"({"format":1,"nodes":[{"id":1.5,"type":"decoder","ip":"a"}]})", "node 1: \"id\""},
            {R"({"format":1,"nodes":[{"id":1e300,"type":"decoder","ip":"a"}]})", "node 1: \"id\""},
            {R"({"format":1,"nodes":[{"id":"5","type":"decoder","ip":"a"}]})", "node 1: \"id\""},
            {R"({"format":1,"nodes":[{"id":5,"type":"proxy","ip":"a"}]})", "\"type\""},
            {R"({"format":1,"nodes":[{"id":5,"type":"decoder"}]})", "\"ip\""},
            {R"({"format":1,"nodes":[{"id":5,"type":"decoder","ip":"a","name":7}]})", "\"name\" is not text"},
            {R"({"format":1,"nodes":[{"id":5,"type":"decoder","ip":"a","mode":"wall"}]})", "\"mode\""},
            {R"({"format":1,"nodes":[{"id":5,"type":"decoder","ip":"a","mode":-3}]})", "\"mode\""},
            {R"({"format":1,"nodes":[{"id":5,"type":"decoder","ip":"a"},{"id":5,"type":"encoder","ip":"a"}]})",
             "node 2: id 5 at a is listed twice"},
            {QByteArray(2000, '[') + QByteArray(2000, ']'), "not JSON"},
        };
        for (const auto &[bytes, expected] : bad) {
            CSiteInventory inventory;
            QString error;
            QVERIFY(inventory.parse(good, &error));
            QVERIFY2(!inventory.parse(bytes, &error), bytes.left(80).constData());
            QVERIFY2(error.contains(expected), qPrintable(error + " / " + expected));
            QCOMPARE(inventory.nodes().size(), 1);
        }

        // Larger than any inventory, a folder, nothing there: read errors, not a crash.
        const QString huge = m_dir.filePath("huge.json");
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(CSiteInventory::kMaxFileBytes + 1));
        file.close();
        for (const auto &[path, expected] : QList<QPair<QString, QString>>{
                 {huge, "larger than 8 MiB"}, {m_dir.path(), "folder"}, {m_dir.filePath("none.json"), "cannot be read"}}) {
            CSiteInventory inventory;
            QString error;
            QVERIFY(!inventory.load(path, &error));
            QVERIFY2(error.contains(expected), qPrintable(error));
        }
    }

    void newScanAgainstTheSavedOne()
    {
        // Saved: 1 and 2 plain, 3 to go, and id 7 answering from two addresses.
        QVector<sListedNode> before{row(1, "10.0.0.1", DecoderNode, "V1", 0), row(2, "10.0.0.2", DecoderNode, "V1", 0),
                                    row(3, "10.0.0.3", EncoderNode, "E1"), row(7, "10.0.0.7", DecoderNode, "V1", 0),
                                    row(7, "10.0.0.8", DecoderNode, "V1", 0)};
        before[4].info.macAddr = "3C:6A:2C:00:00:08";
        QVector<sListedNode> now{row(1, "10.0.0.1", DecoderNode, "V1", 0), row(2, "10.0.0.22", DecoderNode, "V2", 1),
                                 row(4, "10.0.0.4", EncoderNode, "E1"), row(7, "10.0.0.17", DecoderNode, "V1", 0),
                                 row(7, "10.0.0.18", DecoderNode, "V1", 0)};
        now[1].info.name = "renamed";
        // Both twins re-addressed: each is known again by its MAC address, crosswise.
        now[3].info.macAddr = before[4].info.macAddr;
        const CSiteInventory saved = CSiteInventory::fromRows(before);

        const sInventoryDiff diff = SiteInventory::compare(saved, CSiteInventory::fromRows(now));
        QCOMPARE(described(diff.missing), QStringList{"3@10.0.0.3"});
        QCOMPARE(described(diff.added), QStringList{"4@10.0.0.4"});
        QCOMPARE(diff.changed.size(), 3);
        QMap<QString, QStringList> changes;
        for (const sInventoryChange &c : diff.changed) {
            for (const EInventoryField f : c.fields)
                changes[c.before.ip + "->" + c.after.ip] << CSiteInventory::fieldKey(f) + ':' + CSiteInventory::fieldValue(c.before, f)
                        + '>' + CSiteInventory::fieldValue(c.after, f);
        }
        QCOMPARE(changes.value("10.0.0.2->10.0.0.22"),
                 (QStringList{"name:node-2>renamed", "ip:10.0.0.2>10.0.0.22", "version:V1>V2", "mode:screen>kvm"}));
        QCOMPARE(changes.value("10.0.0.8->10.0.0.17"), (QStringList{"ip:10.0.0.8>10.0.0.17"}));
        QCOMPARE(changes.value("10.0.0.7->10.0.0.18"), (QStringList{"ip:10.0.0.7>10.0.0.18"}));

        // The command line's --json: the same, keyed for scripts.
        const QJsonObject json = diff.toJson();
        QCOMPARE(json.value("equal").toBool(), false);
        QCOMPARE(json.value("missing").toArray().at(0).toObject().value("id").toInt(), 3);
        const QJsonObject change = json.value("changed").toArray().at(0).toObject();
        QCOMPARE(change.value("ip").toString(), QStringLiteral("10.0.0.22"));
        QCOMPARE(change.value("changes").toArray().at(2).toObject(),
                 (QJsonObject{{"field", "version"}, {"old", "V1"}, {"new", "V2"}}));
    }
};

QTEST_GUILESS_MAIN(TestInventory)
#include "tst_inventory.moc"
