// Decoder mode switch: filter, ticks, select-all and apply; the proxy log level dialog.
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "dialog/cmodelswitch.h"
#include "dialog/cnodescanui/customcheckbox.h"
#include "dialog/cproxyloglevel.h"
#include "modaldriver.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "ui/cbanwheelcombobox.h"

namespace {
void addDecoder(int64_t id, const char *name, const char *ip, int mode)
{
    sDecoderInfo d;
    d.id = id;
    d.name = name;
    d.ip = ip;
    d.mode = mode;
    d.managerIP = "127.0.1.2";
    CDecoderList::instance().addNode(d);
}

QList<int64_t> idsOf(const QList<sDecoderInfo> &list)
{
    QList<int64_t> ids;
    for (const sDecoderInfo &d : list)
        ids << d.id;
    return ids;
}
} // namespace

class TstModelSwitch : public QObject
{
    Q_OBJECT

private:
    CNodeListModel *m_model = nullptr;

private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    void init()
    {
        CDecoderList::instance().clearNodes();
        CEncoderList::instance().clearNodes();
        // Two screens, three seats, one matrix; names out of order on purpose.
        addDecoder(1, "d-Wall", "127.0.1.11", 0);
        addDecoder(2, "c-Seat", "127.0.1.12", 1);
        addDecoder(3, "a-Seat", "127.0.1.13", 1);
        addDecoder(4, "b-Matrix", "127.0.1.14", 2);
        addDecoder(5, "e-Seat", "127.0.1.15", 1);
        addDecoder(6, "f-Wall", "127.0.1.16", 0);
        delete m_model;
        m_model = new CNodeListModel;
        m_model->refreshSnapshot();
    }

    void cleanupTestCase() { delete m_model; }

    void listIsSortedByNameAndFiltered()
    {
        CModelSwitch dlg(m_model);
        QTableWidget *t = dlg.table();
        QCOMPARE(t->rowCount(), 6);
        QCOMPARE(t->item(0, 1)->text(), QStringLiteral("a-Seat"));
        QCOMPARE(t->item(5, 1)->text(), QStringLiteral("f-Wall"));
        QCOMPARE(t->item(0, 2)->text(), QStringLiteral("坐席"));
        QCOMPARE(dlg.rowBox(0)->text(), QStringLiteral("1"));

        dlg.filterBox()->setCurrentIndex(2); // 坐席
        QCOMPARE(t->rowCount(), 3);
        QStringList names;
        for (int r = 0; r < 3; ++r) {
            names << t->item(r, 1)->text();
            QCOMPARE(t->item(r, 2)->text(), QStringLiteral("坐席"));
        }
        QCOMPARE(names, (QStringList{"a-Seat", "c-Seat", "e-Seat"}));
        dlg.filterBox()->setCurrentIndex(3);
        QCOMPARE(t->rowCount(), 1);
        QCOMPARE(t->item(0, 1)->text(), QStringLiteral("b-Matrix"));
    }

    void ticksDriveTheHeaderAndFilterClearsThem()
    {
        CModelSwitch dlg(m_model);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.filterBox()->setCurrentIndex(2);
        for (int r = 0; r < 3; ++r)
            QTest::mouseClick(dlg.rowBox(r), Qt::LeftButton, {}, QPoint(5, 18));
        QVERIFY(dlg.headerBox()->isChecked());
        QCOMPARE(dlg.headerBox()->text(), QStringLiteral("序号(3)"));
        QTest::mouseClick(dlg.rowBox(1), Qt::LeftButton, {}, QPoint(5, 18));
        QVERIFY(!dlg.headerBox()->isChecked());
        QCOMPARE(dlg.headerBox()->text(), QStringLiteral("序号"));

        // A new filter forgets every tick made before.
        dlg.filterBox()->setCurrentIndex(0);
        for (const sDecoderInfo &d : dlg.decoderList())
            QVERIFY(!d.selected);
        for (int r = 0; r < dlg.table()->rowCount(); ++r)
            QVERIFY(!dlg.rowBox(r)->isChecked());
    }

    void selectAllAndApplyOnlyTicked()
    {
        CModelSwitch dlg(m_model);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.filterBox()->setCurrentIndex(2); // the three seats
        QTest::mouseClick(dlg.headerBox(), Qt::LeftButton, {}, QPoint(5, 8));
        QCOMPARE(dlg.headerBox()->text(), QStringLiteral("序号(3)"));
        int ticked = 0;
        for (const sDecoderInfo &d : dlg.decoderList()) {
            QCOMPARE(d.selected, d.mode == 1);
            ticked += d.selected;
        }
        QCOMPARE(ticked, 3);
        for (int r = 0; r < 3; ++r)
            QVERIFY(dlg.rowBox(r)->isChecked());

        dlg.targetBox()->setCurrentIndex(2); // 矩阵
        dlg.onOkClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(idsOf(dlg.resultList()), (QList<int64_t>{3, 2, 5}));
        for (const sDecoderInfo &d : dlg.resultList())
            QCOMPARE(d.mode, 2);
        // Written back into the table's model; the others keep their modes.
        QList<int> modes;
        for (int64_t id = 1; id <= 6; ++id)
            modes << m_model->decoderById(id)->mode;
        QCOMPARE(modes, (QList<int>{0, 2, 2, 2, 2, 0}));
    }

    void okWithNothingTickedStaysOpen()
    {
        CModelSwitch dlg(m_model);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.okButton()->click(); }), QStringLiteral("请选择需要切换的设备"));
        QVERIFY(dlg.isVisible());
        QVERIFY(dlg.resultList().isEmpty());
    }

    void proxyDialogDefaultsAndLookup()
    {
        // The manager of the first decoder is an encoder here; no decoder has that address.
        {
            CProxyLogLevel dlg;
            QCOMPARE(dlg.proxy().id, 0);
            QCOMPARE(dlg.levelBox()->currentText(), QStringLiteral("INFO"));
            QCOMPARE(dlg.levelBox()->count(), 4);
        }
        sEncoderInfo proxy;
        proxy.id = 77;
        proxy.ip = "127.0.1.2";
        proxy.managerIP = "127.0.1.2";
        proxy.logLevel = 4;
        CEncoderList::instance().addNode(proxy);
        CProxyLogLevel dlg;
        QCOMPARE(dlg.proxy().id, 77);
        QCOMPARE(dlg.levelBox()->currentText(), QStringLiteral("ERROR"));
    }
};

QTEST_MAIN(TstModelSwitch)
#include "tst_modelswitch.moc"
