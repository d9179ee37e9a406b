#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include "dialog/guiresources.h"

#include "cappconfig.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnodescanui/cnodeheaderview.h"
#include "dialog/cnodescanui/cnodetabledelegate.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/cnodescanui/customcheckbox.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "nodefixtures.h"

using namespace fixtures;

class TestNodeTable : public QObject
{
    Q_OBJECT

private:
    CMainShowWidget *m_page = nullptr;

    CNodeTableView *view() const { return m_page->tableView(); }
    CNodeHeaderView *header() const { return m_page->headerView(); }
    QList<int64_t> rowIds() const
    {
        QList<int64_t> ids;
        const QList<sDeviceInfo> rows = m_page->rows();
        for (const sDeviceInfo &r : rows)
            ids.append(r.id);
        return ids;
    }
    int rowOf(int64_t id) const { return rowIds().indexOf(id); }
    QPoint checkMarkPoint(int row) const
    {
        const QRect r = view()->visualRect(m_page->nodeListModel()->itemModel()->index(row, 0));
        return QPoint(r.left() + 30, r.center().y());
    }
    QPoint namePoint(int row) const
    {
        const QRect r = view()->visualRect(m_page->nodeListModel()->itemModel()->index(row, 0));
        return QPoint(r.left() + 200, r.center().y());
    }
    void sendMouse(QEvent::Type type, const QPoint &pos)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, view()->viewport()->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view()->viewport(), &event);
    }
    // What a real double-click delivers: press, release, double-click, release.
    void doubleClick(const QPoint &pos)
    {
        sendMouse(QEvent::MouseButtonPress, pos);
        sendMouse(QEvent::MouseButtonRelease, pos);
        sendMouse(QEvent::MouseButtonDblClick, pos);
        sendMouse(QEvent::MouseButtonRelease, pos);
    }
    void activate(QComboBox *box, const QString &text)
    {
        const int index = box->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    bool selected(int64_t id) const
    {
        const QList<sDeviceInfo> rows = m_page->rows();
        for (const sDeviceInfo &r : rows)
            if (r.id == id)
                return r.selected;
        return false;
    }

private slots:
    void initTestCase()
    {
        initGuiResources();
        installAppStyleSheet(*qApp);
        registerNodeMetaTypes();
        CAppConfig::instance()->setLanguage(QStringLiteral("CN"));
    }

    void init()
    {
        clearStores();
        // e1 and d2 share a MAC address, d3 and e2 share an IP address.
        CDecoderList::instance().addNode(decoder(101, "127.0.1.10", "00:11:22:33:44:01", 1, "V1.0.0"));
        CDecoderList::instance().addNode(decoder(102, "127.0.1.9", "00:11:22:33:44:02", 0, "V1.2.0"));
        CDecoderList::instance().addNode(decoder(103, "127.0.1.20", "00:11:22:33:44:03", 2, "V1.2.0"));
        CEncoderList::instance().addNode(encoder(201, "127.0.1.2", "00:11:22:33:44:02", "", "V1.0.0"));
        CEncoderList::instance().addNode(encoder(202, "127.0.1.20", "00:11:22:33:44:05", "Camera-2", "V2.0.0"));
        m_page = new CMainShowWidget;
        m_page->resize(1366, 600);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page));
        m_page->updateDeviceInfo();
    }

    void cleanup()
    {
        delete m_page;
        m_page = nullptr;
        clearStores();
    }

    void rowsInIpOrderWithConflicts()
    {
        const QList<sDeviceInfo> rows = m_page->rows();
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.at(0).id, int64_t(201));
        QCOMPARE(rows.at(1).id, int64_t(102));
        QCOMPARE(rows.at(2).id, int64_t(101));
        QCOMPARE((QSet<int64_t>{rows.at(3).id, rows.at(4).id}), (QSet<int64_t>{103, 202}));
        QHash<int64_t, int> conflict;
        for (const sDeviceInfo &r : rows)
            conflict.insert(r.id, r.conflictState);
        QCOMPARE(conflict.value(101), 0);
        QCOMPARE(conflict.value(102), 1);
        QCOMPARE(conflict.value(201), 1);
        QCOMPARE(conflict.value(103), 2);
        QCOMPARE(conflict.value(202), 2);
    }

    void columnTexts()
    {
        const CNodeTableDelegate *d = view()->nodeDelegate();
        const QList<sDeviceInfo> rows = m_page->rows();
        QHash<int64_t, sDeviceInfo> byId;
        for (const sDeviceInfo &r : rows)
            byId.insert(r.id, r);
        QCOMPARE(d->modeText(byId.value(101)), QStringLiteral("坐席"));
        QCOMPARE(d->modeText(byId.value(103)), QStringLiteral("矩阵"));
        QCOMPARE(d->modeText(byId.value(201)), QStringLiteral("无"));
        QCOMPARE(d->signalText(byId.value(201)), QStringLiteral("-"));
        QCOMPARE(d->signalText(byId.value(202)), QStringLiteral("Camera-2"));
        QCOMPARE(d->signalText(byId.value(101)), QStringLiteral("无"));
        QCOMPARE(d->typeText(byId.value(101)), QStringLiteral("解码节点"));
        QCOMPARE(d->typeText(byId.value(202)), QStringLiteral("编码节点"));
        QCOMPARE(CNodeTableDelegate::ipColor(0), QColor(0xdd, 0xdd, 0xdd));
        QCOMPARE(CNodeTableDelegate::ipColor(1), QColor(0xff, 0xc6, 0x32));
        QCOMPARE(CNodeTableDelegate::ipColor(2), QColor(0xff, 0x33, 0x33));
    }

    void selectAllAndCount()
    {
        CustomCheckBox *box = header()->selectAllBox();
        QCOMPARE(box->text(), QStringLiteral("序号"));
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, 12));
        QVERIFY(box->isChecked());
        QCOMPARE(box->text(), QStringLiteral("序号(5)"));
        QCOMPARE(m_page->selectedNodeList().size(), 5);
        // A right click changes nothing.
        QTest::mouseClick(box, Qt::RightButton, Qt::NoModifier, QPoint(8, 12));
        QVERIFY(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, 12));
        QVERIFY(!box->isChecked());
        QCOMPARE(box->text(), QStringLiteral("序号"));
        QVERIFY(m_page->selectedNodeList().isEmpty());
    }

    void rowChecksFollowHeader()
    {
        CustomCheckBox *box = header()->selectAllBox();
        QSignalSpy checks(view(), &CNodeTableView::sigItemCheck);
        for (int row = 0; row < 5; ++row) {
            QVERIFY(!box->isChecked());
            QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(row));
        }
        QCOMPARE(checks.count(), 5);
        QVERIFY(box->isChecked());
        QCOMPARE(box->text(), QStringLiteral("序号(5)"));

        const int64_t id = rowIds().at(2);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(2));
        QVERIFY(!box->isChecked());
        QCOMPARE(box->text(), QStringLiteral("序号"));
        QVERIFY(!selected(id));
        QCOMPARE(m_page->selectedNodeList().size(), 4);

        // A press beside the mark highlights instead of checking.
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, namePoint(2));
        QVERIFY(!selected(id));
        QCOMPARE(view()->nodeDelegate()->highlightedId(), id);
        QCOMPARE(checks.count(), 6);
    }

    void doubleClickOnCheckMarkLeavesIt()
    {
        QSignalSpy open(m_page, &CMainShowWidget::sigSelectRows);
        QSignalSpy checks(view(), &CNodeTableView::sigItemCheck);
        const int64_t id = rowIds().at(1);
        doubleClick(checkMarkPoint(1));
        QCOMPARE(checks.count(), 2);
        QVERIFY(!selected(id));
        QCOMPARE(open.count(), 0);
    }

    void doubleClickOnRowOpensSettings()
    {
        QSignalSpy open(m_page, &CMainShowWidget::sigSelectRows);
        const int row = rowOf(202);
        doubleClick(namePoint(row));
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.at(0).at(0).value<ENodeType>(), EncoderNode);
        QCOMPARE(open.at(0).at(1).value<int64_t>(), int64_t(202));
        QVERIFY(!selected(202));
    }

    void filtersResetEachOther()
    {
        // A filter change also clears every check mark.
        QTest::mouseClick(header()->selectAllBox(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 12));
        QVERIFY(header()->selectAllBox()->isChecked());

        activate(header()->versionBox(), QStringLiteral("V1.2.0"));
        QCOMPARE(rowIds(), (QList<int64_t>{102, 103}));
        QCOMPARE(header()->typeBox()->currentIndex(), 0);
        QCOMPARE(header()->modeBox()->currentIndex(), 0);
        QVERIFY(!header()->selectAllBox()->isChecked());
        QCOMPARE(header()->selectAllBox()->text(), QStringLiteral("序号"));
        QVERIFY(m_page->selectedNodeList().isEmpty());

        activate(header()->typeBox(), QStringLiteral("编码节点"));
        QCOMPARE(rowIds(), (QList<int64_t>{201, 202}));
        QCOMPARE(header()->versionBox()->currentIndex(), 0);
        QCOMPARE(header()->modeBox()->currentIndex(), 0);

        activate(header()->modeBox(), QStringLiteral("坐席"));
        QCOMPARE(rowIds(), (QList<int64_t>{101}));
        QCOMPARE(header()->typeBox()->currentIndex(), 0);
        QCOMPARE(header()->versionBox()->currentIndex(), 0);

        activate(header()->modeBox(), QStringLiteral("所有模式"));
        QCOMPARE(rowIds().size(), 5);

        // A rescan keeps the active filter.
        activate(header()->versionBox(), QStringLiteral("V2.0.0"));
        m_page->updateDeviceInfo();
        QCOMPARE(rowIds(), (QList<int64_t>{202}));
        QCOMPARE(header()->versionBox()->currentText(), QStringLiteral("V2.0.0"));
    }

    void languageRebuildsFilterLists()
    {
        m_page->updateCombox(QStringLiteral("EN"));
        QCOMPARE(header()->typeBox()->itemText(0), QStringLiteral("All types"));
        QCOMPARE(header()->modeBox()->itemText(2), QStringLiteral("KVM"));
        QCOMPARE(header()->versionBox()->itemText(0), QStringLiteral("All versions"));
        QCOMPARE(rowIds().size(), 5);
        activate(header()->modeBox(), QStringLiteral("KVM"));
        QCOMPARE(rowIds(), (QList<int64_t>{101}));
        m_page->updateCombox(QStringLiteral("CN"));
        QCOMPARE(header()->modeBox()->currentText(), QStringLiteral("坐席"));
        QCOMPARE(rowIds(), (QList<int64_t>{101}));
    }

    void selectionForCommands()
    {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(101)));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(202)));
        const SelectedNodeList nodes = m_page->selectedNodeList();
        QCOMPARE(nodes.size(), 2);
        QCOMPARE(nodes.at(0).id, int64_t(101));
        QCOMPARE(nodes.at(0).ip, QByteArray("127.0.1.10"));
        QCOMPARE(nodes.at(0).managerIP, QByteArray("127.0.1.1"));
        QCOMPARE(nodes.at(0).nodeType, int(DecoderNode));
        QCOMPARE(nodes.at(1).nodeType, int(EncoderNode));
        const sSelectedAddresses addresses = m_page->selectedAddresses();
        QCOMPARE(addresses.selected, (QStringList{"127.0.1.10", "127.0.1.20"}));
        QCOMPARE(addresses.others.size(), 3);
        QCOMPARE(addresses.mask, QStringLiteral("255.255.255.0"));
        QCOMPARE(addresses.gateway, QStringLiteral("127.0.0.1"));
        const auto ids = m_page->selectedNodes();
        QCOMPARE(ids.size(), 2);
        QCOMPARE(ids.at(1).second, EncoderNode);
    }

    void scrollBarMovesHeaderColumns()
    {
        const int first = CNodeHeaderView::LeftMargin + CNodeHeaderView::FirstColumnWidth + CNodeHeaderView::ColumnGap;
        const int w = header()->width();
        QCOMPARE(header()->typeBox()->x(), first + (w - 158) / 6);
        for (int i = 0; i < 40; ++i)
            CDecoderList::instance().addNode(decoder(1000 + i, "127.0.2." + QByteArray::number(i + 1), QByteArray()));
        m_page->updateDeviceInfo();
        QTRY_VERIFY(view()->verticalScrollBar()->isVisible());
        QCOMPARE(header()->scrollBarAllowance(), 8);
        // Each column gives up 8/6 pixels so the titles stay above the narrower rows.
        QCOMPARE(header()->typeBox()->x(), first + (w - 158 - 8) / 6);
        QCOMPARE(header()->versionBox()->x(), first + 3 * ((w - 158 - 8) / 6));
    }

    void paintedRows()
    {
        saveScreenshot(m_page, QStringLiteral("nodetable"));
        const QImage image = view()->viewport()->grab().toImage();
        const int x = 134 + 5 * ((view()->viewport()->width() - 168) / 6); // the IP column
        for (int row = 0; row < 5; ++row) {
            const sDeviceInfo info = m_page->rows().at(row);
            const QRect r = view()->visualRect(m_page->nodeListModel()->itemModel()->index(row, 0));
            const QRect ipArea(x, r.top() + 8, view()->viewport()->width() - x, r.height() - 16);
            const QColor expected = CNodeTableDelegate::ipColor(info.conflictState);
            QVERIFY2(countColour(image, ipArea, expected, 30) > 5, qPrintable(QString::number(info.id)));
            // The other conflict colours do not appear in that row's IP.
            for (int state = 1; state <= 2; ++state)
                if (state != info.conflictState)
                    QCOMPARE(countColour(image, ipArea, CNodeTableDelegate::ipColor(state), 20), 0);
        }
    }
};

QTEST_MAIN(TestNodeTable)
#include "tst_nodetable.moc"
