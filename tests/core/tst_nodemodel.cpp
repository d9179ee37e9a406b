#include <QtTest>

#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"

namespace {

sDecoderInfo decoder(int64_t id, const char *ip, const char *mac, int mode = 0, const char *version = "")
{
    sDecoderInfo d;
    d.id = id;
    d.ip = ip;
    d.macAddr = mac;
    d.mode = mode;
    d.version = version;
    return d;
}

sEncoderInfo encoder(int64_t id, const char *ip, const char *mac, const char *version = "")
{
    sEncoderInfo e;
    e.id = id;
    e.ip = ip;
    e.macAddr = mac;
    e.version = version;
    return e;
}

// Ids of the shown rows, in row order.
QList<int64_t> rows(CNodeListModel &model)
{
    QList<int64_t> ids;
    QStandardItemModel *items = model.itemModel();
    for (int r = 0; r < items->rowCount(); ++r)
        ids.append(items->item(r)->data(CNodeListModel::NodeRole).value<sDeviceInfo>().id);
    return ids;
}

} // namespace

class TestNodeModel final : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        CDecoderList::instance().clearNodes();
        CEncoderList::instance().clearNodes();
    }

    void ipValues()
    {
        QCOMPARE(ipToValue("192.168.1.10"), (192u << 24) + (168u << 16) + (1u << 8) + 10u);
        QCOMPARE(ipToValue(""), 0u);
        QCOMPARE(ipToValue("1.x.3.4"), (1u << 24) + (3u << 8) + 4u); // bad part counts 0
        QCOMPARE(ipToValue("+1.-2. 3.4"), 4u);
        QCOMPARE(ipToValue("99999999999999999999.1"), 1u);
        QCOMPARE(ipToValue("1..2"), (1u << 16) + 2u);
        QCOMPARE(ipToValue("1.2.3.4.5"), (2u << 24) + (3u << 16) + (4u << 8) + 5u); // wraps
    }

    void storeOrderTypeAndSnapping()
    {
        CDecoderList &decoders = CDecoderList::instance();
        decoders.addNode(decoder(1, "192.168.1.10", "A"));
        decoders.addNode(decoder(2, "192.168.1.9", "B"));
        decoders.addNode(decoder(3, "10.0.0.1", "C"));
        const QVector<sDecoderInfo> nodes = decoders.nodes();
        QCOMPARE(nodes.size(), 3);
        QCOMPARE(nodes[0].id, int64_t(3));
        QCOMPARE(nodes[1].id, int64_t(2)); // .9 before .10
        QCOMPARE(nodes[2].id, int64_t(1));
        QCOMPARE(nodes[1].nodeType, 1);
        QCOMPARE(nodes[1].ipValue, ipToValue("192.168.1.9"));

        QCOMPARE(CEncoderList::snapFrameRate(59.9f), 59.94f);
        QCOMPARE(CEncoderList::snapFrameRate(27.5f), 25.0f); // tie goes to the earlier step
        QCOMPARE(CEncoderList::snapFrameRate(44.0f), 30.0f);
        QCOMPARE(CEncoderList::snapFrameRate(45.0f), 59.94f);
        QCOMPARE(CEncoderList::snapFrameRate(24.5f), 24.0f);
        QCOMPARE(CEncoderList::snapFrameRate(120.0f), 60.0f);
        sEncoderInfo e = encoder(9, "10.0.0.2", "E");
        e.frameRate = 59.9f;
        CEncoderList::instance().addNode(e);
        QCOMPARE(CEncoderList::instance().nodes().at(0).frameRate, 59.94f);
        QCOMPARE(CEncoderList::instance().nodes().at(0).nodeType, 2);
        decoders.clearNodes();
        QVERIFY(decoders.nodes().isEmpty());
    }

    void managerNode()
    {
        CDecoderList &decoders = CDecoderList::instance();
        sDeviceInfo out;
        out.name = "unchanged";
        decoders.findManagerNode(out);
        QCOMPARE(out.name, QByteArray("unchanged"));
        sDecoderInfo a = decoder(1, "10.0.0.1", "A");
        a.managerIP = "10.0.0.7";
        sDecoderInfo m1 = decoder(2, "10.0.0.7", "M");
        m1.name = "first";
        sDecoderInfo m2 = m1;
        m2.name = "second";
        decoders.addNode(a);
        decoders.addNode(m1);
        decoders.addNode(m2);
        decoders.findManagerNode(out);
        QCOMPARE(out.name, QByteArray("second")); // the last match
    }

    void conflictsAndDeduplication()
    {
        CDecoderList &decoders = CDecoderList::instance();
        CEncoderList &encoders = CEncoderList::instance();
        decoders.addNode(decoder(1, "10.0.0.1", "M1"));
        decoders.addNode(decoder(2, "10.0.0.1", "M2"));  // same IP as 1
        encoders.addNode(encoder(3, "10.0.0.3", "M1"));  // same MAC as 1
        decoders.addNode(decoder(4, "10.0.0.4", "M4"));
        decoders.addNode(decoder(4, "10.0.0.4", "M4"));  // one node answering twice
        decoders.addNode(decoder(5, "", ""));
        encoders.addNode(encoder(6, "", ""));
        CNodeListModel model;
        model.refreshSnapshot();
        auto state = [&model](int64_t id) {
            if (const sDecoderInfo *d = model.decoderById(id))
                return d->conflictState;
            return model.encoderById(id)->conflictState;
        };
        QCOMPARE(state(1), 2); // the IP conflict wins over the MAC conflict with 3
        QCOMPARE(state(2), 2);
        QCOMPARE(state(3), 1);
        QCOMPARE(state(4), 0);
        QCOMPARE(state(5), 0);
        QCOMPARE(state(6), 0);

        model.fillItemModel(0, "所有模式", "所有版本");
        const QList<int64_t> ids = rows(model);
        QCOMPARE(ids.count(4), 1);
        QCOMPARE(ids.size(), 6);
        QCOMPARE(ids.mid(0, 2), (QList<int64_t>{5, 6})); // empty addresses sort first
        QCOMPARE(ids.mid(4), (QList<int64_t>{3, 4}));
    }

    void orderAcrossTypes()
    {
        CDecoderList::instance().addNode(decoder(1, "192.168.1.10", "A"));
        CEncoderList::instance().addNode(encoder(2, "192.168.1.9", "B"));
        CDecoderList::instance().addNode(decoder(3, "192.168.1.100", "C"));
        CNodeListModel model;
        model.refreshSnapshot();
        model.fillItemModel(0, "All modes", "All versions");
        QCOMPARE(rows(model), (QList<int64_t>{2, 1, 3}));
        QCOMPARE(model.itemModel()->item(0)->data(CNodeListModel::NodeRole).value<sDeviceInfo>().nodeType, 2);
    }

    void filters()
    {
        CDecoderList::instance().addNode(decoder(1, "10.0.0.1", "A", 0, "V1.2"));
        CDecoderList::instance().addNode(decoder(2, "10.0.0.2", "B", 2, "V1.2.3"));
        CDecoderList::instance().addNode(decoder(3, "10.0.0.3", "C", 7, "v1.2"));
        CEncoderList::instance().addNode(encoder(4, "10.0.0.4", "D", "V1.2"));
        CNodeListModel model;
        model.refreshSnapshot();

        model.fillItemModel(0, "矩阵", "所有版本");
        QCOMPARE(rows(model), (QList<int64_t>{2}));
        model.fillItemModel(0, "Matrix", "All versions");
        QCOMPARE(rows(model), (QList<int64_t>{2}));
        model.fillItemModel(0, "大屏", "所有版本");
        QCOMPARE(rows(model), (QList<int64_t>{1})); // mode 7 matches no particular mode
        model.fillItemModel(0, "所有模式", "所有版本");
        QCOMPARE(rows(model), (QList<int64_t>{1, 2, 3, 4}));
        model.fillItemModel(0, "所有模式", "V1.2");
        QCOMPARE(rows(model), (QList<int64_t>{1, 4})); // exact, case-sensitive
        model.fillItemModel(2, "所有模式", "V1.2");
        QCOMPARE(rows(model), (QList<int64_t>{4}));
        model.fillItemModel(1, "All modes", "V1.2");
        QCOMPARE(rows(model), (QList<int64_t>{1}));

        sDeviceInfo out;
        QVERIFY(!model.passesFilter(4, 0, "坐席", "所有版本", out));
        QVERIFY(model.passesFilter(4, 0, "所有模式", "所有版本", out));
        QCOMPARE(out.ip, QByteArray("10.0.0.4"));

        QCOMPARE(model.versionList("CN"), (QStringList{"所有版本", "V1.2", "V1.2.3", "v1.2"}));
        QCOMPARE(model.versionList("EN").first(), QString("All versions"));
        QCOMPARE(CNodeListModel::typeList("CN"), (QStringList{"所有类型", "解码节点", "编码节点"}));
        QCOMPARE(CNodeListModel::typeList("EN"), (QStringList{"All types", "Decoder", "Encoder"}));
        QCOMPARE(CNodeListModel::modeList("CN"), (QStringList{"所有模式", "大屏", "坐席", "矩阵"}));
        QCOMPARE(CNodeListModel::modeList("EN"), (QStringList{"All modes", "Screen", "KVM", "Matrix"}));
    }

    void lookupUpdateAndSelection()
    {
        CDecoderList::instance().addNode(decoder(1, "10.0.0.1", "A"));
        CEncoderList::instance().addNode(encoder(2, "10.0.0.2", "B"));
        CNodeListModel model;
        model.refreshSnapshot();

        sDecoderInfo d;
        d.name = "untouched";
        model.findById(d, 99);
        QCOMPARE(d.name, QByteArray("untouched"));
        QCOMPARE(d.id, int64_t(0));
        model.findById(d, 1);
        QCOMPARE(d.ip, QByteArray("10.0.0.1"));
        d.name = "renamed";
        model.updateById(d, 1);
        sDecoderInfo again;
        model.findById(again, 1);
        QCOMPARE(again.name, QByteArray("renamed"));
        sEncoderInfo e;
        model.findById(e, 2);
        QCOMPARE(e.ip, QByteArray("10.0.0.2"));

        // Check marks go back to the stores on refresh; every rebuild starts unchecked.
        model.setSelected(2, true);
        model.refreshSnapshot();
        QVERIFY(CEncoderList::instance().nodes().at(0).selected);
        QVERIFY(!CDecoderList::instance().nodes().at(0).selected);
        QVERIFY(model.encoderById(2)->selected);
        model.selectAll(true);
        QVERIFY(model.decoderById(1)->selected);
        model.fillItemModel(0, "所有模式", "所有版本");
        for (int r = 0; r < model.itemModel()->rowCount(); ++r)
            QVERIFY(!model.itemModel()->item(r)->data(CNodeListModel::NodeRole).value<sDeviceInfo>().selected);
    }
};

QTEST_GUILESS_MAIN(TestNodeModel)
#include "tst_nodemodel.moc"
