#include <QtTest>

#include <QApplication>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <functional>
#include <mutex>

#include "config/cappconfig.h"
#include "history/ccommandhistory.h"
#include "comm/cobserverlist.h"
#include "comm/iobserver.h"
#include "dialog/cdeviceupdatewidget.h"
#include "dialog/clogexportwidget.h"
#include "dialog/csoftwareupdatewidget.h"
#include "dialog/devicecommands.h"
#include "modaldriver.h"
#include "nodefixtures.h"
#include "simlan.h"
#include "transfer/stransinfo.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogreslistitem.h"

// Firmware and application upgrades and log export through their dialogs,
// against simulated nodes with real SFTP servers and the simulator's MD5 check.
namespace {
using namespace fixtures;

bool allRowsDone(const CUpgradeWidget &dlg)
{
    return dlg.finishedCount() == dlg.rowCount();
}

// Calls back on every transfer end, on the transfer thread, before the worker
// hears of it.
class CEndHook final : public IObserver
{
public:
    explicit CEndHook(std::function<void(const sTransAnswer &)> hook) : m_hook(std::move(hook))
    {
        CObserverList::instance().add(this);
    }
    ~CEndHook() override { CObserverList::instance().remove(this); }
    void onResult(int, void *, int, int) override {}
    void onTransProgress(const QString &, uint32_t) override {}
    void onTransEnd(const sTransAnswer *answer) override { m_hook(*answer); }

private:
    std::function<void(const sTransAnswer &)> m_hook;
};

} // namespace

class TestUpgradeFlow final : public QObject
{
    Q_OBJECT

    SimLan m_lan;
    QTemporaryDir m_dir;
    QStringList m_ips;

    QString nodeFile(const QString &ip, const QString &rel) const
    {
        return m_lan.sftpRoot() + QLatin1Char('/') + ip + QLatin1Char('/') + rel;
    }

    bool startLan(const QStringList &extra = {})
    {
        m_lan.stop();
        if (!m_lan.start(QStringList({QStringLiteral("--decoders"), QStringLiteral("3")}) + extra, true))
            return false;
        m_ips = m_lan.addresses();
        return m_ips.size() == 3;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The history of commands goes beside the configuration: not into the user's documents.
        CAppConfig::instance()->setConfigDirOverride(m_dir.path());
        QVERIFY2(startLan(), qPrintable(m_lan.errorString()));
    }

    void cleanupTestCase()
    {
        m_lan.stop();
    }

    void threeNodesUpgradeEndToEnd()
    {
        const QByteArray data = randomBytes(6 << 20, 1);
        // A folder no ANSI code page of a Western Windows can name.
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("固件包")));
        const QString path = m_dir.filePath(QStringLiteral("固件包/vela_decoder_V2.4.1.bin"));
        QVERIFY(writeFile(path, data));

        CDeviceUpdateWidget dlg;
        // As the file dialog hands it over: with backslashes on Windows.
        dlg.startUpdate(QDir::toNativeSeparators(path), selection(m_ips));
        QCOMPARE(dlg.rowCount(), 3);
        int highest = 0;
        for (int i = 0; i < 3; ++i) {
            connect(dlg.row(i)->progressBar(), &QProgressBar::valueChanged, this, [&highest, &dlg, i](int v) {
                if (dlg.row(i)->resultCode() != 1)
                    highest = qMax(highest, v);
            });
        }
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(allRowsDone(dlg), 60000);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(dlg.row(i)->resultLabel()->text(), QStringLiteral("升级成功"));
            QCOMPARE(dlg.row(i)->progressBar()->value(), 1000);
            QCOMPARE(readFile(nodeFile(m_ips.at(i), QStringLiteral("userdata/vela_decoder_V2.4.1.bin"))), data);
        }
        // During the transfer the bar stops at 99.5 %.
        QVERIFY2(highest > 900 && highest <= 995, qPrintable(QString::number(highest)));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("确定"));
        // Each node is then seen with the package's version, in a field of its own.
        for (int i = 0; i < 3; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(dlg.verification(i), QStringLiteral("已验证 V2.4.1"), 30000);

        // The command's fields are the wire test's; here: one per node, naming the final file.
        const auto commands = m_lan.records(4501);
        QCOMPARE(commands.size(), 3);
        QCOMPARE(commands.first().value(QStringLiteral("payload")).toObject().value(QStringLiteral("fileName")).toString(),
                 QStringLiteral("vela_decoder_V2.4.1.bin"));
        dlg.onOkClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void md5MismatchThenRetryRecovers()
    {
        const QString path = m_dir.filePath(QStringLiteral("vela_decoder_V3.0.bin"));
        QVERIFY(writeFile(path, randomBytes(2 << 20, 3)));
        // Once the first upload is done, the local package changes before the
        // command reads its digest: the node holds other bytes than announced.
        std::atomic<int> uploads{0};
        CEndHook hook([&uploads, path](const sTransAnswer &answer) {
            if (answer.code == CURLE_OK && uploads.fetch_add(1) == 0) {
                QFile f(path);
                if (f.open(QIODevice::Append))
                    f.write("changed");
            }
        });
        CDeviceUpdateWidget dlg;
        dlg.startUpdate(path, selection({m_ips.at(2)}));
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(allRowsDone(dlg), 60000);
        CProgressListItem *row = dlg.row(0);
        QCOMPARE(row->resultLabel()->text(), QStringLiteral("MD5匹配失败"));
        QVERIFY(row->retryButton()->isVisibleTo(row));

        QTest::mousePress(row->retryButton(), Qt::LeftButton);
        QCOMPARE(row->resultLabel()->text(), QStringLiteral("正在升级"));
        QTRY_VERIFY_WITH_TIMEOUT(allRowsDone(dlg), 60000);
        QCOMPARE(row->resultLabel()->text(), QStringLiteral("升级成功"));
        // The whole (changed) file went up again.
        QCOMPARE(uploads.load(), 2);
        QCOMPARE(readFile(nodeFile(m_ips.at(2), QStringLiteral("userdata/vela_decoder_V3.0.bin"))), readFile(path));
    }

    // One node never gets the command, one answers success but keeps its version: the rows
    // show the answers as always, the verification field and the history what was seen.
    void undeliveredAndUnchangedNodesFail()
    {
        QVERIFY2(startLan({QStringLiteral("--fault"), QStringLiteral("tcp-refuse@0"), QStringLiteral("--fault"),
                           QStringLiteral("upgrade-keeps-version@2"), QStringLiteral("--reboot-ms"), QStringLiteral("200")}),
                 qPrintable(m_lan.errorString()));
        const QString old = m_lan.node(2).value(QStringLiteral("nodeData")).toObject().value(QStringLiteral("version")).toString();
        const QString path = m_dir.filePath(QStringLiteral("vela_decoder_V6.bin"));
        QVERIFY(writeFile(path, randomBytes(1 << 20, 7)));
        auto upgrade = ModalDriver::expect<CDeviceUpdateWidget>([&old](CDeviceUpdateWidget *dlg) {
            QTRY_VERIFY_WITH_TIMEOUT(allRowsDone(*dlg), 60000);
            QCOMPARE(dlg->row(0)->resultLabel()->text(), QStringLiteral("升级失败"));
            QVERIFY(dlg->row(0)->retryButton()->isVisibleTo(dlg->row(0)) && dlg->verification(0).isEmpty());
            QCOMPARE(dlg->row(1)->resultLabel()->text(), QStringLiteral("升级成功"));
            QCOMPARE(dlg->row(2)->resultLabel()->text(), QStringLiteral("升级成功"));
            QTRY_COMPARE_WITH_TIMEOUT(dlg->verification(1), QStringLiteral("已验证 V6"), 30000);
            QTRY_COMPARE_WITH_TIMEOUT(dlg->verification(2), QStringLiteral("验证失败：3 秒后仍为 %1").arg(old), 30000);
            dlg->onOkClicked();
        });
        sRolloutOptions rollout;
        rollout.verifyTimeoutSec = 3;
        DeviceCommands::upgrade(false, path, selection(m_ips), nullptr, rollout);
        // The history has each node as it ended, with the version a scan showed.
        QCOMPARE(CCommandHistory::shown(CCommandHistory::instance()->entries().value(0).command), QStringLiteral("设备升级"));
        sHistoryNode verified{2, m_ips.at(1), QStringLiteral("已验证"), true};
        verified.version = QStringLiteral("V6");
        sHistoryNode unchanged{3, m_ips.at(2), QStringLiteral("验证失败：版本未变"), false};
        unchanged.version = old;
        QCOMPARE(fixtures::newestHistoryShown(),
                 (QVector<sHistoryNode>{{1, m_ips.at(0), QStringLiteral("升级失败"), false}, verified, unchanged}));
        QVERIFY2(startLan(), qPrintable(m_lan.errorString()));
    }

    void refusedLoginFailsTheRow()
    {
        // The server refuses the program's password: its account is given
        // another one for the length of this test (inside the private
        // namespace; the bind mount goes with it).
#ifdef Q_OS_WIN
        QSKIP("the SFTP server's accounts are the Linux side's (covered by the Linux run)");
#endif
        const QString shadow = m_dir.filePath(QStringLiteral("shadow"));
        {
            QFile in(QStringLiteral("/etc/shadow"));
            QVERIFY(in.open(QIODevice::ReadOnly));
            QByteArray text;
            for (QByteArray line : in.readAll().split('\n')) {
                if (line.startsWith("svc1:"))
                    line = "svc1:$6$qv$Gq3yGP3j8Q7Oq0rkzqwqzXK5k1dBo2UOYsmy0W8pC9bnZnEuYyLEvKXDyuYSxWdoE0Dj4GQRoS2KQ2nS0o1SU1:19000:0:99999:7:::";
                text += line + '\n';
            }
            QVERIFY(writeFile(shadow, text.trimmed() + '\n'));
        }
        QCOMPARE(QProcess::execute(QStringLiteral("mount"), {QStringLiteral("--bind"), shadow, QStringLiteral("/etc/shadow")}), 0);
        // Lazy: an sshd process still reading the file cannot keep the wrong password for
        // the tests that follow.
        const auto unmount = qScopeGuard([] { QProcess::execute("umount", {"-l", "/etc/shadow"}); });
        // A refused login fails a log export's row, also on retry, and nothing more.
        QTemporaryDir dest;
        sDeviceInfo node;
        node.name = "Hall-2";
        node.ip = m_ips.at(2).toUtf8();
        CLogExportWidget dlg;
        dlg.startLogExport(dest.path(), node, false);
        CProgressListItem *row = dlg.row();
        for (int attempt = 0; attempt < 2; ++attempt) {
            QTRY_VERIFY_WITH_TIMEOUT(row->resultLabel()->text() == QStringLiteral("导出失败"), 60000);
            QTest::mousePress(row->retryButton(), Qt::LeftButton);
        }
        dlg.onOkClicked();
        QVERIFY(QDir(dest.path()).isEmpty());
    }

    // A proxy export fetches the proxy logs from the manager's address.
    void proxyLogExportUsesTheManager()
    {
        QTemporaryDir dest;
        const QString chosen = dest.filePath(QStringLiteral("节点日志"));
        QVERIFY(QDir().mkpath(chosen));
        sDeviceInfo node;
        node.name = "大厅-1";
        node.ip = m_ips.at(0).toUtf8();
        node.managerIP = m_ips.at(1).toUtf8();
        node.nodeType = DecoderNode;
        CLogExportWidget proxy;
        proxy.startLogExport(chosen, node, true);
        QTRY_VERIFY_WITH_TIMEOUT(proxy.row()->resultLabel()->text() == QStringLiteral("导出成功"), 60000);
        const QString proxyFolder = chosen + QStringLiteral("/大厅-1_") + m_ips.at(1) + QStringLiteral("_log_proxy");
        QCOMPARE(QDir(proxyFolder).entryList(QDir::Files), QStringList({QStringLiteral("log_proxy.1")}));
        QCOMPARE(readFile(proxyFolder + QStringLiteral("/log_proxy.1")),
                 readFile(nodeFile(m_ips.at(1), QStringLiteral("userdata/logs/log_proxy.1"))));
        proxy.onOkClicked();
        QCOMPARE(proxy.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestUpgradeFlow)
#include "tst_upgradeflow.moc"
