#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QtTest>

#include "dialog/guiresources.h"

#include "config/cappconfig.h"
#include "dialog/cautorefresh.h"
#include "dialog/chistorydialog.h"
#include "dialog/cmainshowwidget.h"
#include "dialog/cnodescanui/cnodeheaderview.h"
#include "dialog/cnodescanui/cnodetabledelegate.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "dialog/cnodescanui/customcheckbox.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "nodefixtures.h"
#include "operations/coperation.h"
#include "ui/cprogressdialog.h"

using namespace fixtures;

namespace {
// A refresh's scan that does its work where the operation runs it, with no network.
class CWorkScan final : public COperation
{
public:
    explicit CWorkScan(std::function<void(const CBulkRunner::Control &)> work)
        : COperation(OutcomeText::EKind::Send, QString(), {}, nullptr), m_work(std::move(work))
    {
    }
    ~CWorkScan() override { finish(); }

protected:
    bool isBatch() const override { return true; }
    void runBatch(const QVector<int> &, const CBulkRunner::Control &ctl) override { m_work(ctl); }

private:
    std::function<void(const CBulkRunner::Control &)> m_work;
};
} // namespace

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
    // A point on a row's check mark, or with x = 200 on its name.
    QPoint checkMarkPoint(int row, int x = 30) const
    {
        const QRect r = view()->visualRect(m_page->nodeListModel()->itemModel()->index(row, 0));
        return QPoint(r.left() + x, r.center().y());
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
    bool selected(int64_t id) const { return m_page->rows().value(rowOf(id)).selected; }

private slots:
    void initTestCase()
    {
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

    void checkMarksByMouse()
    {
        CustomCheckBox *box = header()->selectAllBox();
        QSignalSpy checks(view(), &CNodeTableView::sigItemCheck);
        QSignalSpy open(m_page, &CMainShowWidget::sigSelectRows);
        // The select-all box checks every row; a right click changes nothing.
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, 12));
        QCOMPARE(box->text(), QStringLiteral("序号(5)"));
        QCOMPARE(m_page->selectedNodeList().size(), 5);
        QTest::mouseClick(box, Qt::RightButton, Qt::NoModifier, QPoint(8, 12));
        QVERIFY(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, 12));
        QVERIFY(m_page->selectedNodeList().isEmpty());

        // Row by row: the box follows, its count only when every row is checked.
        for (int row = 0; row < 5; ++row) {
            QVERIFY(!box->isChecked());
            QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(row));
        }
        QVERIFY(box->isChecked());
        QCOMPARE(m_page->selectionCountLabel()->text(), QStringLiteral("已选 5 / 5"));
        const int64_t id = rowIds().at(2);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(2));
        QVERIFY(!box->isChecked());
        QCOMPARE(m_page->selectionCountLabel()->text(), QStringLiteral("已选 4 / 5"));

        // A double-click on the mark toggles it twice and opens nothing; beside it, it opens the node.
        doubleClick(checkMarkPoint(2));
        QVERIFY(!selected(id));
        QCOMPARE(checks.count(), 8);
        QCOMPARE(open.count(), 0);
        doubleClick(checkMarkPoint(rowOf(202), 200));
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.at(0).at(0).value<ENodeType>(), EncoderNode);
        QCOMPARE(open.at(0).at(1).value<int64_t>(), int64_t(202));
        QCOMPARE(view()->nodeDelegate()->highlightedId(), int64_t(202));
    }

    void filtersResetEachOther()
    {
        // A filter change also clears every check mark.
        QTest::mouseClick(header()->selectAllBox(), Qt::LeftButton, Qt::NoModifier, QPoint(8, 12));

        activate(header()->versionBox(), QStringLiteral("V1.2.0"));
        QCOMPARE(rowIds(), (QList<int64_t>{102, 103}));
        QVERIFY(header()->typeBox()->currentIndex() == 0 && header()->modeBox()->currentIndex() == 0);
        QVERIFY(m_page->selectedNodeList().isEmpty());

        activate(header()->typeBox(), QStringLiteral("编码节点"));
        QCOMPARE(rowIds(), (QList<int64_t>{201, 202}));
        QVERIFY(header()->versionBox()->currentIndex() == 0 && header()->modeBox()->currentIndex() == 0);

        activate(header()->modeBox(), QStringLiteral("坐席"));
        QCOMPARE(rowIds(), (QList<int64_t>{101}));
        QVERIFY(header()->typeBox()->currentIndex() == 0 && header()->versionBox()->currentIndex() == 0);

        // A rescan keeps the active filter.
        activate(header()->versionBox(), QStringLiteral("V2.0.0"));
        m_page->updateDeviceInfo();
        QCOMPARE(rowIds(), (QList<int64_t>{202}));

        // The only V2.0.0 node is gone at the next scan: the box falls back to all versions, and so do the rows.
        CEncoderList::instance().clearNodes();
        CEncoderList::instance().addNode(encoder(201, "127.0.1.2", "00:11:22:33:44:02", "", "V1.0.0"));
        m_page->updateDeviceInfo();
        QCOMPARE(header()->versionBox()->currentIndex(), 0);
        QCOMPARE(rowIds(), (QList<int64_t>{201, 102, 101, 103}));
        activate(header()->versionBox(), QStringLiteral("V1.0.0"));
        QCOMPARE(rowIds(), (QList<int64_t>{201, 101}));
    }

    void searchSortAndRefreshKeepState()
    {
        // Ctrl+F focuses the search; it narrows the active filter by name, IP or MAC; Escape clears it.
        m_page->activateWindow();
        QTest::keyClick(m_page, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(m_page->searchBox()->hasFocus());
        activate(header()->versionBox(), QStringLiteral("V1.0.0"));
        QTest::keyClicks(m_page->searchBox(), QStringLiteral("44:02"));
        QCOMPARE(rowIds(), (QList<int64_t>{201}));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(0));
        QCOMPARE(header()->selectAllBox()->text(), QStringLiteral("序号(1)")); // every listed row checked
        QTest::keyClick(m_page->searchBox(), Qt::Key_Escape);
        QCOMPARE(rowIds(), (QList<int64_t>{201, 101}));
        QVERIFY(selected(201));
        QCOMPARE(header()->selectAllBox()->text(), QStringLiteral("序号"));
        activate(header()->versionBox(), QStringLiteral("所有版本"));

        // A click on a column sorts by it, the next reverses; checks and the highlight follow the nodes.
        header()->sortButton(ENodeColumn::Version)->click();
        QCOMPARE(rowIds(), (QList<int64_t>{201, 101, 102, 103, 202}));
        header()->sortButton(ENodeColumn::Version)->click();
        QCOMPARE(rowIds(), (QList<int64_t>{202, 103, 102, 101, 201}));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(103)));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(101)));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(102), 200));

        // Node 101 stops answering: one refresh lists it greyed and unchecked, the next drops it.
        const auto rescanWithout101 = [this] {
            CDecoderList::instance().clearNodes();
            CDecoderList::instance().addNode(decoder(102, "127.0.1.9", "00:11:22:33:44:02", 0, "V1.2.0"));
            CDecoderList::instance().addNode(decoder(103, "127.0.1.20", "00:11:22:33:44:03", 2, "V1.2.0"));
            m_page->refreshKeepingState();
        };
        m_page->resize(1366, 250); // room for three rows: the list scrolls
        QApplication::processEvents();
        QScrollBar *bar = view()->verticalScrollBar();
        bar->setValue(bar->maximum());
        const int scrolled = bar->value();
        QVERIFY(scrolled > 0);
        rescanWithout101();
        QApplication::processEvents(); // the view lays the new rows out
        QCOMPARE(bar->value(), scrolled);
        QCOMPARE(rowIds(), (QList<int64_t>{202, 103, 102, 101, 201}));
        QVERIFY(m_page->nodeListModel()->isGone(101));
        QVERIFY(selected(103) && !selected(101));
        QCOMPARE(view()->nodeDelegate()->highlightedId(), int64_t(102));
        QCOMPARE(m_page->exportRows(true).size(), 4); // a gone node is not exported
        bar->setValue(0);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(101)));
        QVERIFY(!selected(101));
        rescanWithout101();
        QCOMPARE(rowIds(), (QList<int64_t>{202, 103, 102, 201}));
        QVERIFY(selected(103));
        // Back again: listed, and its old mark gone for good.
        CDecoderList::instance().addNode(decoder(101, "127.0.1.10", "00:11:22:33:44:01", 1, "V1.0.0"));
        m_page->refreshKeepingState();
        QVERIFY(rowOf(101) >= 0 && !selected(101) && selected(103));
    }

    void refreshRunsOnAWorkerAndWaitsItsTurn()
    {
        // The refresh scans on a worker (here: the stores change there) and merges on this thread.
        QThread *scannedOn = nullptr;
        bool endless = false;
        CAutoRefresh refresh([&scannedOn, &endless] {
            return std::make_unique<CWorkScan>([&scannedOn, endless](const CBulkRunner::Control &ctl) {
                while (endless && !ctl.stopRequested())
                    QThread::msleep(1);
                scannedOn = QThread::currentThread();
                CEncoderList::instance().clearNodes();
                CEncoderList::instance().addNode(encoder(201, "127.0.1.2", "00:11:22:33:44:02", "", "V1.0.0"));
                CEncoderList::instance().addNode(encoder(202, "127.0.1.20", "00:11:22:33:44:05", "Camera-2", "V2.0.0"));
            });
        }, [this] { m_page->refreshKeepingState(); });
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(103)));
        QVERIFY(refresh.tick());
        QVERIFY(!refresh.tick()); // one at a time
        QTRY_VERIFY(!refresh.isRunning());
        QVERIFY(scannedOn && scannedOn != QThread::currentThread());
        // What shows checked is what a command gets (after a command's rescan and more
        // refreshes, against nodes: tst_mainwindow_scan).
        QCOMPARE(m_page->selectionCountLabel()->text(), QStringLiteral("已选 1 / 5"));
        QCOMPARE(m_page->selectedNodeList().value(0).id, int64_t(103));

        // Never under an open dialog; a running one is settled (merged) before a command.
        QDialog dialog(m_page);
        dialog.setModal(true);
        dialog.show();
        QVERIFY(!refresh.tick());
        dialog.close();
        {
            const CAutoRefresh::Hold command(&refresh); // nor while a command runs
            QVERIFY(!refresh.tick());
        }
        const QDateTime before = refresh.lastRefresh();
        QTest::qWait(5);
        QVERIFY(refresh.tick());
        // What waits for the settle runs once the refresh has been merged, not before.
        QDateTime seen;
        QVERIFY(refresh.settle(nullptr, [&] { seen = refresh.lastRefresh(); }));
        QVERIFY(!refresh.settle(nullptr, [] {})); // one waits at a time
        QVERIFY(seen.isNull() && refresh.isSettling());
        QTRY_VERIFY(seen.isValid());
        QVERIFY(!refresh.isRunning() && !refresh.isSettling());
        QVERIFY(seen > before);

        // Closing the indicator drops a refresh that would not end; what waits runs then.
        endless = true;
        QVERIFY(refresh.tick());
        CProgressDialog busy(m_page);
        bool ran = false;
        QVERIFY(refresh.settle(&busy, [&] { ran = true; }));
        QVERIFY(busy.isVisible() && QApplication::activeModalWidget() == &busy);
        QTest::qWait(20);
        QVERIFY(!ran && refresh.isRunning());
        busy.reject();
        QVERIFY(ran && !refresh.isRunning());
        QCOMPARE(refresh.lastRefresh(), seen);
    }

    void keyboardChecksOpensAndChecksAll()
    {
        QSignalSpy open(m_page, &CMainShowWidget::sigSelectRows);
        view()->setFocus();
        view()->setCurrentIndex(m_page->nodeListModel()->itemModel()->index(0, 0));
        QTest::keyClick(view(), Qt::Key_Down); // the current row is the highlighted one
        const int64_t second = rowIds().at(1);
        QCOMPARE(view()->nodeDelegate()->highlightedId(), second);
        QTest::keyClick(view(), Qt::Key_Space);
        QVERIFY(selected(second));
        QTest::keyClick(view(), Qt::Key_Return);
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.at(0).at(1).value<int64_t>(), second);
        QTest::keyClick(view(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_page->selectedNodeList().size(), 5);

        // Nothing matches: the table says so.
        QTest::keyClicks(m_page->searchBox(), QStringLiteral("zzzz"));
        QVERIFY(rowIds().isEmpty());
        QVERIFY(!m_page->noMatchLabel()->isHidden());
        QVERIFY(m_page->selectedNodeList().isEmpty());
    }

    void historyViewFiltersByNode()
    {
        // A line of today's format (texts as shown then) and one with keys and names.
        const QDateTime when = QDateTime::currentDateTimeUtc();
        CHistoryDialog dlg({{when, CCommandHistory::key("CDeviceManage", "设备重启"),
                             {{1, QStringLiteral("10.0.0.1"), CCommandHistory::sentText(), true, QStringLiteral("大厅")},
                              {2, QStringLiteral("10.0.0.2"), CCommandHistory::failedText(), false, QStringLiteral("坐席")}}},
                            {when.addSecs(-60), QStringLiteral("同步系统时间"), {}},
                            {when.addSecs(-120), QStringLiteral("Device restart"),
                             {{3, QStringLiteral("10.0.0.3"), QStringLiteral("Restart successful."), true}}}});
        QCOMPARE(dlg.table()->rowCount(), 4); // a command sent to all nodes keeps its row
        QCOMPARE(dlg.table()->item(0, CHistoryDialog::CommandColumn)->text(), QStringLiteral("设备重启"));
        QCOMPARE(dlg.table()->item(0, CHistoryDialog::ResultColumn)->text(), QStringLiteral("已发送"));
        QCOMPARE(dlg.table()->item(3, CHistoryDialog::ResultColumn)->text(), QStringLiteral("Restart successful."));
        dlg.nodeFilter()->setText(QStringLiteral("大厅")); // by name
        QCOMPARE(dlg.table()->rowCount(), 1);
        dlg.nodeFilter()->setText(QStringLiteral("1")); // an id or a part of an address
        QCOMPARE(dlg.table()->rowCount(), 3);
    }

    void selectionForCommands()
    {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(101)));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, checkMarkPoint(rowOf(202)));
        const SelectedNodeList nodes = m_page->selectedNodeList();
        QVERIFY(nodes.at(0).ip == "127.0.1.10" && nodes.at(0).managerIP == "127.0.1.1" && nodes.at(1).nodeType == EncoderNode);
        const sSelectedAddresses addresses = m_page->selectedAddresses();
        QCOMPARE(addresses.selected, (QStringList{"127.0.1.10", "127.0.1.20"}));
        QCOMPARE(addresses.others.size(), 3);
        QCOMPARE(addresses.mask + addresses.gateway, QStringLiteral("255.255.255.0127.0.0.1"));
    }
    // Each row's IP in its conflict colour and in no other.
    void ipColourSaysTheConflict()
    {
        QCoreApplication::processEvents(); // the view lays its rows out on a zero timer
        const QImage rows = view()->viewport()->grab().toImage();
        const int x = 134 + 5 * ((rows.width() - 168) / 6); // the IP column
        for (int row = 0; row < 5; ++row) {
            const sDeviceInfo info = m_page->rows().at(row);
            const QRect r = view()->visualRect(m_page->nodeListModel()->itemModel()->index(row, 0));
            const QRect ipArea(x, r.top() + 8, rows.width() - x, r.height() - 16);
            QVERIFY2(countColour(rows, ipArea, CNodeTableDelegate::ipColor(info.conflictState), 30) > 5, qPrintable(QString::number(info.id)));
            for (int state = 1; state <= 2; ++state)
                QVERIFY(state == info.conflictState || countColour(rows, ipArea, CNodeTableDelegate::ipColor(state), 20) == 0);
        }
    }

    void filterBoxesInBothLanguages()
    {
        // A language switch rebuilds the lists and keeps the chosen entry.
        m_page->updateCombox(QStringLiteral("EN"));
        activate(header()->modeBox(), QStringLiteral("KVM"));
        QCOMPARE(rowIds(), (QList<int64_t>{101}));
        m_page->updateCombox(QStringLiteral("CN"));
        QCOMPARE(header()->modeBox()->currentText(), QStringLiteral("坐席"));
        QCOMPARE(rowIds(), (QList<int64_t>{101}));
        // Each filter box shows every item uncut.
        for (const char *lang : {"EN", "CN"}) {
            m_page->updateCombox(QString::fromLatin1(lang));
            for (QComboBox *box : {header()->typeBox(), header()->modeBox(), header()->versionBox()}) {
                QStyleOptionComboBox option;
                option.initFrom(box);
                option.editable = false;
                const int field = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box).width();
                for (int i = 0; i < box->count(); ++i)
                    QVERIFY2(box->fontMetrics().horizontalAdvance(box->itemText(i)) <= field, qPrintable(box->itemText(i)));
            }
        }
    }
};

QTEST_MAIN(TestNodeTable)
#include "tst_nodetable.moc"
