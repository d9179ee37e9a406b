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
        QCOMPARE(t->columnSpan(0, 0), 3);
        const QModelIndex dec = t->model()->index(0, 0);
        QCOMPARE(dec.data(ListItemDelegate::NameRole).toString(), QStringLiteral("大厅-1"));
        QCOMPARE(dec.data(ListItemDelegate::CurrentTypeRole).toString(), QStringLiteral("解码节点"));
        QCOMPARE(dec.data(ListItemDelegate::TargetTypeRole).toString(), QStringLiteral("编码节点"));
        const QModelIndex enc = t->model()->index(1, 0);
        QCOMPARE(enc.data(ListItemDelegate::CurrentTypeRole).toString(), QStringLiteral("编码节点"));
        QCOMPARE(enc.data(ListItemDelegate::TargetTypeRole).toString(), QStringLiteral("解码节点"));
        // Header and three rows: nothing hidden, no scroll bar.
        QCOMPARE(t->height(), 36 + 3 * 32);
        QCOMPARE(t->width(), 510);
        QCOMPARE(dlg.width(), 570);

        // Five rows or more: room for the scroll bar and at most 164 high.
        QList<sDeviceInfo> many;
        for (int i = 0; i < 6; ++i)
            many << node(20 + i, "n", "127.0.1.20", DecoderNode);
        dlg.setNodeList(many);
        QCOMPARE(t->width(), 518);
        QCOMPARE(t->height(), 164);
    }

    void removeAsksAndKeepsOneNode()
    {
        CTypeSwitchWidget dlg;
        dlg.setNodeList(threeNodes());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        // Outside the close-icon square: nothing asks, nothing goes.
        const int missedBefore = ModalDriver::missed();
        bool asked = false;
        ModalDriver::whenModal([&asked](QWidget *w) { asked = true; ModalDriver::reject(w); }, 300);
        clickRow(dlg, 0, 60);
        QTest::qWait(400);
        QVERIFY(!asked);
        QCOMPARE(ModalDriver::missed(), missedBefore + 1);
        QCOMPARE(dlg.nodeList().size(), 3);

        // Inside, declined: the row stays.
        QString question;
        ModalDriver::whenModal([&question](QWidget *w) {
            question = ModalDriver::messageText(w);
            ModalDriver::reject(w);
        });
        clickRow(dlg, 0, 25);
        QCOMPARE(question, QStringLiteral("是否将此节点移出待切换列表？"));
        QCOMPARE(dlg.nodeList().size(), 3);

        // Confirmed: the node at that row goes, the table shrinks.
        ModalDriver::whenModal([](QWidget *w) {
            QVERIFY(qobject_cast<CDeviceRestartDlg *>(w));
            QCOMPARE(w->size(), QSize(480, 180));
            ModalDriver::screenshot(w, QStringLiteral("typeswitch_remove_question"));
            ModalDriver::accept(w);
        });
        clickRow(dlg, 1, 25);
        QCOMPARE(dlg.nodeList().size(), 2);
        QCOMPARE(dlg.nodeList().at(0).id, 11);
        QCOMPARE(dlg.nodeList().at(1).id, 13);
        QCOMPARE(dlg.table()->rowCount(), 2);
        QCOMPARE(dlg.table()->height(), 36 + 2 * 32);

        ModalDriver::whenModal(ModalDriver::accept);
        clickRow(dlg, 0, 25);
        QCOMPARE(dlg.nodeList().size(), 1);
        QCOMPARE(dlg.nodeList().at(0).id, 13);

        // The last node: confirmed, then refused with a message.
        QString refusal;
        ModalDriver::whenModal([&refusal](QWidget *question) {
            ModalDriver::whenModal([&refusal](QWidget *box) {
                refusal = ModalDriver::messageText(box);
                ModalDriver::accept(box);
            });
            ModalDriver::accept(question);
        });
        clickRow(dlg, 0, 25);
        QCOMPARE(refusal, QStringLiteral("待切换列表不能为空"));
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
        ModalDriver::whenModal([&](QWidget *list) {
            ModalDriver::screenshot(list, QStringLiteral("typeswitch_list"));
            ModalDriver::whenModal([&](QWidget *box) {
                QVERIFY(qobject_cast<CMessageDialog *>(box));
                summary = allLabelTexts(box);
                ModalDriver::screenshot(box, QStringLiteral("typeswitch_summary"));
                ModalDriver::whenModal([&](QWidget *again) {
                    auto *dlg = qobject_cast<CTypeSwitchWidget *>(again);
                    QVERIFY(dlg);
                    for (const sDeviceInfo &n : dlg->nodeList())
                        secondList << n.id;
                    ModalDriver::accept(again);
                });
                ModalDriver::accept(box);
            });
            ModalDriver::accept(list);
        });
        const bool sent = CTypeSwitchWidget::run(threeNodes(), switcher);
        QVERIFY(sent);
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
        ModalDriver::whenModal([](QWidget *list) {
            ModalDriver::whenModal(ModalDriver::reject);
            ModalDriver::accept(list);
        });
        QVERIFY(CTypeSwitchWidget::run(threeNodes(), failAll));
        QCOMPARE(calls, 1);
        QVERIFY(!QApplication::activeModalWidget());

        // Cancelling the list sends nothing.
        ModalDriver::whenModal(ModalDriver::reject);
        QVERIFY(!CTypeSwitchWidget::run(threeNodes(), failAll));
        QCOMPARE(calls, 1);
    }

    void hoveredRowShowsCloseIcon()
    {
        CTypeSwitchWidget dlg;
        dlg.setNodeList(threeNodes());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.table()->selectRow(1);
        QTest::qWait(50);
        const QString path = ModalDriver::screenshot(&dlg, QStringLiteral("typeswitch_selected_row"));
        const QImage shot(path);
        QVERIFY(!shot.isNull());
        // The selected row is filled with the highlight colour, the others are not.
        QTableWidget *t = dlg.table();
        const QRect r1 = t->visualRect(t->model()->index(1, 0));
        const QRect r0 = t->visualRect(t->model()->index(0, 0));
        const QPoint in1 = t->viewport()->mapTo(&dlg, QPoint(r1.x() + 5, r1.y() + 3));
        const QPoint in0 = t->viewport()->mapTo(&dlg, QPoint(r0.x() + 5, r0.y() + 3));
        const qreal dpr = shot.devicePixelRatio();
        QCOMPARE(QColor(shot.pixel(in1 * dpr)), QColor(71, 77, 89));
        QVERIFY(QColor(shot.pixel(in0 * dpr)) != QColor(71, 77, 89));
    }
};

QTEST_MAIN(TstTypeSwitch)
#include "tst_typeswitch.moc"
