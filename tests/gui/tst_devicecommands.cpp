// The hub's bulk commands up to the point where something would be sent:
// selections, questions and the restart outcome.
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include "cappconfig.h"
#include "comm/cdevicectrljob.h"
#include "dialog/cdevicerestartdlg.h"
#include "dialog/devicecommands.h"
#include "modaldriver.h"
#include "model/cnodelistmodel.h"

class TstDeviceCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        ModalDriver::useProgramLook();
        // A restart records its outcome beside the configuration: not into the user's documents.
        CAppConfig::instance()->setConfigDirOverride(m_config.path());
    }

    // The messages themselves are checked through the hub's menu.
    void withoutSelectionNoRescan()
    {
        CDeviceCtrlJob job(nullptr);
        CNodeListModel model;
        bool rescan = false;
        ModalDriver::messageFrom([&] { rescan |= DeviceCommands::switchType(job, model, {}, nullptr); });
        ModalDriver::messageFrom([&] { rescan |= DeviceCommands::restart(job, {}, nullptr); });
        ModalDriver::messageFrom([&] { rescan |= DeviceCommands::factoryReset(job, {}, nullptr); });
        ModalDriver::messageFrom([&] { rescan |= DeviceCommands::exportData(job, {}, nullptr); });
        QVERIFY(!rescan);
    }

    void restartOfOnlyIdZeroFails()
    {
        CDeviceCtrlJob job(nullptr);
        SelectedNodeList nodes;
        nodes << sSelectedNode{0, "127.0.1.61", "127.0.1.2", 1} << sSelectedNode{0, "127.0.1.62", "127.0.1.2", 2};
        QString title, question, outcome;
        auto ask = ModalDriver::expect<CDeviceRestartDlg>([&](CDeviceRestartDlg *dlg) {
            title = dlg->titleLabel()->text();
            question = dlg->text();
            dlg->accept();
        });
        outcome = ModalDriver::messageFrom([&] { QVERIFY(!DeviceCommands::restart(job, nodes, nullptr)); });
        QCOMPARE(title, QStringLiteral("设备重启"));
        QCOMPARE(question, QStringLiteral("是否重启设备？\n将发送到 2 个节点")); // says how many it reaches
        QCOMPARE(outcome, QStringLiteral("重启失败"));
    }

    void declinedQuestionsEndTheCommand()
    {
        CDeviceCtrlJob job(nullptr);
        SelectedNodeList nodes{sSelectedNode{0, "127.0.1.61", "127.0.1.2", 1}};
        QString question;
        const auto decline = [&question](CDeviceRestartDlg *dlg) {
            question = dlg->text();
            dlg->reject();
        };
        {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>(decline);
            QVERIFY(!DeviceCommands::restart(job, nodes, nullptr));
        }
        {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>(decline);
            QVERIFY(!DeviceCommands::factoryReset(job, nodes, nullptr));
        }
        bool rescanned = false;
        {
            auto ask = ModalDriver::expect<CDeviceRestartDlg>(decline);
            DeviceCommands::syncTime(job, nullptr, [&rescanned] { rescanned = true; });
        }
        QVERIFY(!rescanned);
        QCOMPARE(question, QStringLiteral("是否同步当前系统时间到所有设备？"));
    }
};

QTEST_MAIN(TstDeviceCommands)
#include "tst_devicecommands.moc"
