// The hub's command dialogs up to the point where something would be sent: decoder mode
// switch, the to-switch list of a type switch, the questions of the bulk commands, the
// network plan and add node.
// The proxy log level dialog is driven on a LAN by tst_bulkcommands.
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "config/cappconfig.h"
#include "comm/cdevicectrljob.h"
#include "dialog/caddnodedlg.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/cmodelswitch.h"
#include "dialog/cnodescanui/customcheckbox.h"
#include "dialog/ctypeswitchwidget.h"
#include "dialog/devicecommands.h"
#include "dialog/listitemdelegate.h"
#include "dialog/cnetconfigdlg.h"
#include "modaldriver.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "nodefixtures.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/cipaddredit.h"
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

template <typename T>
QList<int64_t> idsOf(const T &list)
{
    QList<int64_t> ids;
    for (const auto &d : list)
        ids << d.id;
    return ids;
}
// The message action opened (accepted), or empty when it opened none.
QString messageOrNone(const std::function<void()> &action, bool expected)
{
    if (expected)
        return ModalDriver::messageFrom(action);
    auto none = ModalDriver::expectNone();
    action();
    return {};
}

} // namespace

class TstModelSwitch : public QObject
{
    Q_OBJECT

    CNodeListModel *m_model = nullptr;
    QTemporaryDir m_config;

    // Clicks at a point of a type switch row, relative to the row's right edge.
    static void clickRow(CTypeSwitchWidget &dlg, int row, int fromRight)
    {
        QTableWidget *t = dlg.table();
        const QRect r = t->visualRect(t->model()->index(row, 0));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, QPoint(r.x() + r.width() - fromRight, r.center().y()));
    }

private slots:
    void initTestCase()
    {
        ModalDriver::useProgramLook();
        // A command records its outcome beside the configuration: not into the user's documents.
        CAppConfig::instance()->setConfigDirOverride(m_config.path());
    }

    void init()
    {
        CDecoderList::instance().clearNodes();
        CEncoderList::instance().clearNodes();
        // Two screens, three seats, one matrix; names out of order on purpose.
        const std::pair<const char *, int> nodes[] = {{"d-Wall", 0}, {"c-Seat", 1}, {"a-Seat", 1},
                                                      {"b-Matrix", 2}, {"e-Seat", 1}, {"f-Wall", 0}};
        for (int i = 0; i < 6; ++i) // ids 1..6 at 127.0.1.11..16
            CDecoderList::instance().addNode(fixtures::decoder(i + 1, "127.0.1.1" + QByteArray::number(i + 1), "",
                                                               nodes[i].second, "V1.0.0", nodes[i].first));
        delete m_model;
        m_model = new CNodeListModel;
        m_model->refreshSnapshot();
    }

    void cleanupTestCase() { delete m_model; }

    // Rows sorted by name and filtered by mode; the header ticks with every row, and a
    // new filter forgets the ticks; only ticked rows are switched and written back.
    void modeListFilterTicksAndApply()
    {
        CModelSwitch dlg(m_model);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTableWidget *t = dlg.table();
        QCOMPARE(t->rowCount(), 6);
        dlg.filterBox()->setCurrentIndex(2); // 坐席
        QStringList names;
        for (int r = 0; r < t->rowCount(); ++r)
            names << t->item(r, 1)->text();
        QCOMPARE(names, (QStringList{"a-Seat", "c-Seat", "e-Seat"}));
        for (int r = 0; r < 3; ++r)
            QTest::mouseClick(dlg.rowBox(r), Qt::LeftButton, {}, QPoint(5, 18));
        QCOMPARE(dlg.headerBox()->text(), QStringLiteral("序号(3)"));
        QTest::mouseClick(dlg.rowBox(1), Qt::LeftButton, {}, QPoint(5, 18));
        QCOMPARE(dlg.headerBox()->text(), QStringLiteral("序号"));
        dlg.filterBox()->setCurrentIndex(0);
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.okButton()->click(); }), QStringLiteral("请选择需要切换的设备"));
        dlg.filterBox()->setCurrentIndex(2);
        QTest::mouseClick(dlg.headerBox(), Qt::LeftButton, {}, QPoint(5, 8));
        dlg.targetBox()->setCurrentIndex(2); // 矩阵
        dlg.onOkClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(idsOf(dlg.resultList()), (QList<int64_t>{3, 2, 5}));
        QList<int> modes;
        for (int64_t id = 1; id <= 6; ++id)
            modes << m_model->decoderById(id)->mode;
        QCOMPARE(modes, (QList<int>{0, 2, 2, 2, 2, 0}));
    }

    void typeSwitchRowsAndRemoval()
    {
        CTypeSwitchWidget dlg;
        dlg.setNodeList(threeNodes());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // Each row offers the other type.
        QCOMPARE(dlg.table()->model()->index(1, 0).data(ListItemDelegate::TargetTypeRole).toString(),
                 QStringLiteral("解码节点"));

        // Outside the close-icon square: nothing asks, nothing goes.
        {
            auto none = ModalDriver::expectNone();
            clickRow(dlg, 0, 60);
            QTest::qWait(200);
        }
        QCOMPARE(dlg.nodeList().size(), 3);
        // Inside, declined: the row stays.
        {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>([](CDeviceRestartDlg *w) { w->reject(); });
            clickRow(dlg, 0, 25);
        }
        QCOMPARE(dlg.nodeList().size(), 3);
        // Confirmed: the node at that row goes, the table shrinks.
        for (int row : {1, 0}) {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>([](CDeviceRestartDlg *w) { w->accept(); });
            clickRow(dlg, row, 25);
        }
        QCOMPARE(idsOf(dlg.nodeList()), QList<int64_t>{13});
        // The last node: confirmed, then refused with a message.
        auto ask = ModalDriver::expect<CDeviceRestartDlg>([](CDeviceRestartDlg *w) { w->accept(); });
        QCOMPARE(ModalDriver::messageFrom([&] { clickRow(dlg, 0, 25); }), QStringLiteral("待切换列表不能为空"));
        QCOMPARE(dlg.nodeList().size(), 1);
    }

    // A failed node comes back in a new list after the summary.
    void typeSwitchSummaryAndNewAttempt()
    {
        QList<QList<int64_t>> calls;
        const CTypeSwitchWidget::Switcher switcher = [&calls](const QList<sDeviceInfo> &nodes,
                                                              const CTypeSwitchWidget::Switched &switched) {
            QList<sDeviceInfo> failed;
            for (const sDeviceInfo &n : nodes) {
                if (n.id == 12 && calls.isEmpty())
                    failed << n;
            }
            calls << idsOf(nodes);
            // As an operation's end does: later, from the event loop.
            QTimer::singleShot(0, [switched, failed] { switched(failed); });
        };
        const auto run = [&switcher] {
            return fixtures::finishCommand([&](auto done) { CTypeSwitchWidget::run(threeNodes(), switcher, done); });
        };
        QStringList summary;
        QList<int64_t> secondList;
        // The list, the summary, then the list again with the failed node.
        auto list = ModalDriver::expect<CTypeSwitchWidget>([](CTypeSwitchWidget *w) { w->accept(); });
        auto box = ModalDriver::expect<CMessageDialog>([&](CMessageDialog *m) {
            for (QLabel *l : m->findChildren<QLabel *>())
                summary << l->text();
            m->accept();
        });
        auto again = ModalDriver::expect<CTypeSwitchWidget>([&](CTypeSwitchWidget *w) {
            secondList = idsOf(w->nodeList());
            w->accept();
        });
        QCOMPARE(run(), std::optional<bool>(true));
        QCOMPARE(calls, (QList<QList<int64_t>>{{11, 12, 13}, {12}}));
        QCOMPARE(secondList, QList<int64_t>{12});
        const QString all = summary.join(QLatin1Char('|'));
        QVERIFY2(all.contains(QStringLiteral("切换结果")) && summary.contains(QStringLiteral("3")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("<font color ='green'>2</font>")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("<font color ='red'>1 ( 127.0.1.12 ")), qPrintable(all));

        // A closed summary ends the switch, and so does a cancelled list.
        calls.clear();
        {
            auto list = ModalDriver::expect<CTypeSwitchWidget>([](CTypeSwitchWidget *w) { w->accept(); });
            auto summary = ModalDriver::expect<CMessageDialog>([](CMessageDialog *m) { m->reject(); });
            QCOMPARE(run(), std::optional<bool>(true));
        }
        QCOMPARE(calls.size(), 1);
        auto cancelled = ModalDriver::expect<CTypeSwitchWidget>([](CTypeSwitchWidget *w) { w->reject(); });
        QCOMPARE(run(), std::optional<bool>(false));
        QCOMPARE(calls.size(), 1);
    }

    // With a question declined, a bulk command ends without a rescan (without a selection:
    // tst_mainwindow).
    void bulkCommandsEndEarly()
    {
        CDeviceCtrlJob job(nullptr);
        const SelectedNodeList nodes{sSelectedNode{0, "127.0.1.61", "127.0.1.2", 1}};
        QStringList questions;
        bool scanned = false;
        const std::function<void(const DeviceCommands::Done &)> commands[] = {
            [&](const DeviceCommands::Done &done) { DeviceCommands::restart(job, nodes, nullptr, done); },
            [&](const DeviceCommands::Done &done) { DeviceCommands::factoryReset(job, nodes, nullptr, done); },
            [&](const DeviceCommands::Done &done) {
                DeviceCommands::syncTime(
                    job, nullptr, [&scanned](const std::function<void()> &) { scanned = true; }, done);
            }};
        for (const auto &command : commands) {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>([&questions](CDeviceRestartDlg *dlg) {
                questions << dlg->text();
                dlg->reject();
            });
            QCOMPARE(fixtures::finishCommand(command, 0), std::optional<bool>(false)); // ended at once, no rescan
        }
        QVERIFY(!scanned);
        QCOMPARE(questions.size(), 3);
        QCOMPARE(questions.first(), QStringLiteral("是否重启设备？\n将发送到 1 个节点")); // says how many it reaches
    }

    // The plan's own cases are tested with the plan; here each refusal must reach the operator
    // through the OK button with its text, and a sound plan must close the dialog. A conflict
    // and a plan that runs out, typed by the operator: tst_settingsflow, against nodes.
    void refusalsReachTheOperator()
    {
        const char *const mask = "255.255.255.0";
        const std::tuple<const char *, const char *, const char *, QStringList, const char *> cases[] = {
            {"192.168.1.10", "192.168.1.1", mask, {"192.168.1.13", "192.168.2.11", ""}, ""},
            {"not an ip", "192.168.1.1", mask, {}, "起始IP无效，请重新输入"},
            {"192.168.1.255", "192.168.1.1", mask, {}, "起始IP无效，请重新输入"},
            {"192.168.1.10", "192.168.2.1", mask, {}, "网关无效，请重新输入"},
            {"192.168.1.10", "192.168.1.11", mask, {}, "网关无效，请重新输入"},
            {"192.168.1.10", "192.168.1.1", "255.0.255.0", {}, "子网掩码无效，请重新输入"},
        };
        for (const auto &[start, gateway, netmask, unselected, refusal] : cases) {
            CNetConfigDlg dlg(QString::fromLatin1(start), QString::fromLatin1(gateway), QString::fromLatin1(netmask));
            dlg.setSelectedIps({"10.9.9.1", "10.9.9.2", "10.9.9.3"});
            dlg.setUnselectedIps(unselected);
            dlg.show();
            QSignalSpy accepted(&dlg, &QDialog::accepted);
            QCOMPARE(messageOrNone([&] { dlg.okButton()->click(); }, *refusal), QString::fromUtf8(refusal));
            QCOMPARE(accepted.count(), *refusal ? 0 : 1);
        }
    }

    void addNodePassesTextAsTyped()
    {
        CAddNodeDlg dlg;
        dlg.show();
        auto *ip = dlg.findChild<CIpAddrEdit *>(QStringLiteral("ipEdit"));
        QVERIFY(ip);
        ip->field(0)->setText(QStringLiteral("192"));
        ip->field(1)->setText(QStringLiteral("168"));
        QSignalSpy accepted(&dlg, &QDialog::accepted);
        dlg.okButton()->click();
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(dlg.ipText(), QStringLiteral("192.168.."));
    }
};

QTEST_MAIN(TstModelSwitch)
#include "tst_modelswitch.moc"
