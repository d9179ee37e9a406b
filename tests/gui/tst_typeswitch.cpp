// The to-switch list: rows, removal with confirmation, the one-node rule, and the
// whole command's summary and new attempt.
#include <QLabel>
#include <QTableWidget>
#include <QtTest>

#include "dialog/cdevicerestartdlg.h"
#include "dialog/ctypeswitchwidget.h"
#include "dialog/listitemdelegate.h"
#include "modaldriver.h"
#include "ui/cmessagedialog.h"

namespace {
sDeviceInfo node(int64_t id, const char *name, const char *ip, int type)
{
    sDeviceInfo n;
    n.id = id;
    n.name = name;
    n.ip = ip;
    n.nodeType = type;
    return n;
}

QList<sDeviceInfo> threeNodes()
{
    return {node(11, "大厅-1", "127.0.1.11", DecoderNode), node(12, "Lobby-Cam", "127.0.1.12", EncoderNode),
            node(13, "会议室", "127.0.1.13", DecoderNode)};
}

QStringList allLabelTexts(QWidget *w)
{
    QStringList texts;
    const auto labels = w->findChildren<QLabel *>();
    for (QLabel *l : labels)
        texts << l->text();
    return texts;
}
} // namespace

class TstTypeSwitch : public QObject
{
    Q_OBJECT

private:
    // Clicks at a point of a row, relative to the row's right edge.
    void clickRow(CTypeSwitchWidget &dlg, int row, int fromRight)
    {
        QTableWidget *t = dlg.table();
        const QRect r = t->visualRect(t->model()->index(row, 0));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {},
                          QPoint(r.x() + r.width() - fromRight, r.center().y()));
    }

private slots:
    void initTestCase() { ModalDriver::useProgramLook(); }

    void rowsShowNameAndTypes()
    {
        CTypeSwitchWidget dlg;
        dlg.setNodeList(threeNodes());
        QTableWidget *t = dlg.table();
        QCOMPARE(t->rowCount(), 3);
        const QModelIndex dec = t->model()->index(0, 0);
        QCOMPARE(dec.data(ListItemDelegate::NameRole).toString(), QStringLiteral("大厅-1"));
        QCOMPARE(dec.data(ListItemDelegate::CurrentTypeRole).toString(), QStringLiteral("解码节点"));
        QCOMPARE(dec.data(ListItemDelegate::TargetTypeRole).toString(), QStringLiteral("编码节点"));
        const QModelIndex enc = t->model()->index(1, 0);
        QCOMPARE(enc.data(ListItemDelegate::CurrentTypeRole).toString(), QStringLiteral("编码节点"));
        QCOMPARE(enc.data(ListItemDelegate::TargetTypeRole).toString(), QStringLiteral("解码节点"));
    }

    void removeAsksAndKeepsOneNode()
    {
        CTypeSwitchWidget dlg;
        dlg.setNodeList(threeNodes());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        // Outside the close-icon square: nothing asks, nothing goes.
        {
            auto none = ModalDriver::expectNone();
            clickRow(dlg, 0, 60);
            QTest::qWait(200);
        }
        QCOMPARE(dlg.nodeList().size(), 3);

        // Inside, declined: the row stays.
        QString question;
        {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>([&question](CDeviceRestartDlg *w) {
                question = w->text();
                w->reject();
            });
            clickRow(dlg, 0, 25);
        }
        QCOMPARE(question, QStringLiteral("是否将此节点移出待切换列表？"));
        QCOMPARE(dlg.nodeList().size(), 3);

        // Confirmed: the node at that row goes, the table shrinks.
        {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>([](CDeviceRestartDlg *w) { w->accept(); });
            clickRow(dlg, 1, 25);
        }
        QCOMPARE(dlg.nodeList().size(), 2);
        QCOMPARE(dlg.nodeList().at(0).id, 11);
        QCOMPARE(dlg.nodeList().at(1).id, 13);
        QCOMPARE(dlg.table()->rowCount(), 2);
        {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>([](CDeviceRestartDlg *w) { w->accept(); });
            clickRow(dlg, 0, 25);
        }
        QCOMPARE(dlg.nodeList().size(), 1);
        QCOMPARE(dlg.nodeList().at(0).id, 13);

        // The last node: confirmed, then refused with a message.
        auto ask = ModalDriver::expect<CDeviceRestartDlg>([](CDeviceRestartDlg *w) { w->accept(); });
        QCOMPARE(ModalDriver::messageFrom([&] { clickRow(dlg, 0, 25); }), QStringLiteral("待切换列表不能为空"));
        QCOMPARE(dlg.nodeList().size(), 1);
        QCOMPARE(dlg.table()->rowCount(), 1);
    }

    void summaryAndNewAttemptWithFailedNodes()
    {
        QList<QList<int64_t>> calls;
        const CTypeSwitchWidget::Switcher switcher = [&calls](const QList<sDeviceInfo> &nodes,
                                                              QList<sDeviceInfo> &failed) {
            QList<int64_t> ids;
            for (const sDeviceInfo &n : nodes) {
                ids << n.id;
                if (n.id == 12 && calls.isEmpty())
                    failed << n;
            }
            calls << ids;
        };

        QStringList summary;
        QList<int64_t> secondList;
        // The list, the summary, then the list again with the failed node.
        auto list = ModalDriver::expect<CTypeSwitchWidget>([](CTypeSwitchWidget *w) { w->accept(); });
        auto box = ModalDriver::expect<CMessageDialog>([&](CMessageDialog *m) {
            summary = allLabelTexts(m);
            m->accept();
        });
        auto again = ModalDriver::expect<CTypeSwitchWidget>([&](CTypeSwitchWidget *w) {
            for (const sDeviceInfo &n : w->nodeList())
                secondList << n.id;
            w->accept();
        });
        QVERIFY(CTypeSwitchWidget::run(threeNodes(), switcher));
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls.at(0), (QList<int64_t>{11, 12, 13}));
        QCOMPARE(secondList, QList<int64_t>{12});
        QCOMPARE(calls.at(1), QList<int64_t>{12});

        const QString all = summary.join(QLatin1Char('|'));
        QVERIFY2(all.contains(QStringLiteral("切换结果")), qPrintable(all));
        QVERIFY2(summary.contains(QStringLiteral("3")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("<font color ='green'>2</font>")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("<font color ='red'>1 ( 127.0.1.12 ")), qPrintable(all));
    }

    void closingTheSummaryEndsTheCommand()
    {
        int calls = 0;
        const CTypeSwitchWidget::Switcher failAll = [&calls](const QList<sDeviceInfo> &nodes,
                                                             QList<sDeviceInfo> &failed) {
            ++calls;
            failed = nodes;
        };
        {
            auto list = ModalDriver::expect<CTypeSwitchWidget>([](CTypeSwitchWidget *w) { w->accept(); });
            auto summary = ModalDriver::expect<CMessageDialog>([](CMessageDialog *m) { m->reject(); });
            QVERIFY(CTypeSwitchWidget::run(threeNodes(), failAll));
        }
        QCOMPARE(calls, 1);
        QVERIFY(!QApplication::activeModalWidget());

        // Cancelling the list sends nothing.
        auto list = ModalDriver::expect<CTypeSwitchWidget>([](CTypeSwitchWidget *w) { w->reject(); });
        QVERIFY(!CTypeSwitchWidget::run(threeNodes(), failAll));
        QCOMPARE(calls, 1);
    }
};

QTEST_MAIN(TstTypeSwitch)
#include "tst_typeswitch.moc"
