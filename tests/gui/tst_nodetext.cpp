#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "dialog/cmainshowwidget.h"
#include "dialog/cnodescanui/cnodetableview.h"
#include "model/cdecoderlist.h"
#include "nodefixtures.h"
#include "ui/cprogreslistitem.h"

// Node-given text on screen: one plain line in the node table and in the progress rows,
// whatever line breaks or markup a node puts into it.
class TestNodeText final : public QObject
{
    Q_OBJECT

private slots:
    void tableRowStaysOnOneLine()
    {
        registerNodeMetaTypes();
        fixtures::clearStores();
        CDecoderList::instance().addNode(
            fixtures::decoder(1, "127.0.1.1", "00:11:22:33:44:01", 0, "V1\nV2\nV3", "Hall\nA\nB\nC"));
        CMainShowWidget page;
        page.resize(1366, 300);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.updateDeviceInfo();
        QCoreApplication::processEvents(); // the view lays its rows out on a zero timer
        CNodeTableView *view = page.tableView();
        const QImage image = view->viewport()->grab().toImage();
        const QRect r = view->visualRect(view->model()->index(0, 0));
        // White text from the name column on: in the row's middle, nothing in its top and
        // bottom quarter (four lines of text would fill them).
        const int x = 134;
        const int w = view->viewport()->width() - x;
        QVERIFY(fixtures::countColour(image, QRect(x, r.top() + 12, w, r.height() - 24), Qt::white, 30) > 40);
        QCOMPARE(fixtures::countColour(image, QRect(x, r.top() + 1, w, 11), Qt::white, 30), 0);
        QCOMPARE(fixtures::countColour(image, QRect(x, r.bottom() - 11, w, 11), Qt::white, 30), 0);
        fixtures::clearStores();
    }

    void progressRowShowsPlainText()
    {
        CProgressListItem row(QStringLiteral("<b>10.0.0.9</b>\n2"), false);
        QSignalSpy retry(&row, &CProgressListItem::sigRetry);
        const QLabel *name = row.findChild<QLabel *>(QStringLiteral("progressName"));
        QVERIFY(name && name->textFormat() == Qt::PlainText && row.resultLabel()->textFormat() == Qt::PlainText);
        QCOMPARE(name->text(), QStringLiteral("<b>10.0.0.9</b>\\n2"));
        // Retry still names the node as it was given.
        emit row.retryButton()->pressed();
        QCOMPARE(retry.value(0).value(0).toString(), QStringLiteral("<b>10.0.0.9</b>\n2"));
    }
};

QTEST_MAIN(TestNodeText)
#include "tst_nodetext.moc"
