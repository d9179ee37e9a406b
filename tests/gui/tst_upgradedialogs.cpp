#include <QtTest>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

#include "modaldriver.h"
#include "nodefixtures.h"

#include "dialog/cdeviceupdatewidget.h"
#include "dialog/csoftwareupdatewidget.h"
#include "dialog/cupdatedlg.h"
#include "ui/cmessagedialog.h"
#include "ui/cprogreslistitem.h"

// The upgrade dialogs' rows and buttons, headless. The dialogs are never shown
// here, so their start timer never fires and no transfer starts; results are
// fed the way the worker feeds them.
class TestUpgradeDialogs final : public QObject
{
    Q_OBJECT
private slots:
    void chooserRefusesAnEmptyPath()
    {
        CUpdateDlg dlg;
        dlg.show();
        QCOMPARE(ModalDriver::messageFrom([&] { dlg.okButton()->click(); }), QStringLiteral("请选择有效的升级路径"));
        QVERIFY(dlg.isVisible());

        dlg.setPath(QStringLiteral("/tmp/vela_decoder_1.bin"));
        dlg.okButton()->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.path(), QStringLiteral("/tmp/vela_decoder_1.bin"));
    }

    void chooserOffersVelaPackagesFromTheCurrentFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile(dir.filePath(QStringLiteral("vela_decoder_V1.0.bin"))).open(QIODevice::WriteOnly);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());

        CUpdateDlg dlg;
        QString filter, accept, reject, caption, folder;
        auto chosen = ModalDriver::expect<QFileDialog>([&](QFileDialog *chooser) {
            filter = chooser->nameFilters().join(QLatin1Char(';'));
            accept = chooser->labelText(QFileDialog::Accept);
            reject = chooser->labelText(QFileDialog::Reject);
            caption = chooser->windowTitle();
            folder = chooser->directory().absolutePath();
            // Typed as the operator does: selectFile() leaves a focused name field alone.
            auto *name = chooser->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(QStringLiteral("vela_decoder_V1.0.bin"));
            static_cast<QDialog *>(chooser)->accept(); // QFileDialog::accept, which checks the choice
        });
        dlg.browseButton()->click();
        QDir::setCurrent(previous);

        QCOMPARE(filter, QStringLiteral("vela*"));
        QCOMPARE(accept, QStringLiteral("打开"));
        QCOMPARE(reject, QStringLiteral("取消"));
        QCOMPARE(caption, QStringLiteral("Quorvane"));
        QCOMPARE(QFileInfo(folder).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
        QCOMPARE(QFileInfo(dlg.path()).fileName(), QStringLiteral("vela_decoder_V1.0.bin"));
    }

    void firmwareRowsSkipEmptyAddressesAndEndAtOk()
    {
        CDeviceUpdateWidget dlg;
        dlg.startUpdate(QStringLiteral("/tmp/vela.bin"), fixtures::selection({"127.0.1.1", "", "127.0.1.2"}));
        QCOMPARE(dlg.rowCount(), 2);
        QCOMPARE(dlg.ipList(), QStringList({QStringLiteral("127.0.1.1"), QStringLiteral("127.0.1.2")}));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(!dlg.cancelButton()->isVisibleTo(&dlg));
        QCOMPARE(dlg.row(0)->resultLabel()->text(), QStringLiteral("正在升级"));

        // An answer for an address without a row changes nothing.
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.9"), 1);
        QCOMPARE(dlg.finishedCount(), 0);

        dlg.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        QCOMPARE(dlg.row(0)->resultLabel()->text(), QStringLiteral("升级成功"));
        QCOMPARE(dlg.row(0)->progressBar()->value(), 1000);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(dlg.inProgress());

        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 0x21000016);
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("当前版本过低"));
        QVERIFY(dlg.row(1)->retryButton()->isVisibleTo(dlg.row(1)));
        QCOMPARE(dlg.finishedCount(), 2);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("确定"));
        QVERIFY(!dlg.inProgress());
        // Every row has its result: closing does not ask.
        auto none = ModalDriver::expectNone();
        dlg.onOkClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void retryPutsTheRowBackToWork()
    {
        CDeviceUpdateWidget dlg;
        dlg.startUpdate(QStringLiteral("/tmp/vela.bin"), fixtures::selection({"127.0.1.1", "127.0.1.2"}));
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 0x21000014);
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("MD5匹配失败"));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("确定"));

        QSignalSpy retries(&dlg, &CUpgradeWidget::retrySignal);
        QTest::mousePress(dlg.row(1)->retryButton(), Qt::LeftButton);
        QCOMPARE(retries.count(), 1);
        QCOMPARE(retries.at(0).at(0).toString(), QStringLiteral("127.0.1.2"));
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("正在升级"));
        QCOMPARE(dlg.row(1)->progressBar()->value(), 0);
        // Pending again: the button reads cancel and closing would ask.
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(dlg.inProgress());
        QCOMPARE(dlg.finishedCount(), 1);

        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 1);
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("确定"));
        QVERIFY(!dlg.inProgress());
    }

    void closingDuringTheUpgradeAsks()
    {
        CDeviceUpdateWidget dlg;
        dlg.startUpdate(QStringLiteral("/tmp/vela.bin"), fixtures::selection({"127.0.1.1"}));
        QSignalSpy stops(&dlg, &CUpgradeWidget::transStopSignal);

        QString asked;
        {
            auto ask = ModalDriver::expect<CMessageDialog>([&asked](CMessageDialog *m) {
                asked = ModalDriver::messageText(m);
                m->reject();
            });
            dlg.onOkClicked();
        }
        QCOMPARE(asked, QStringLiteral("确定要取消升级吗？"));
        QCOMPARE(stops.count(), 0); // declined: everything goes on
        QVERIFY(dlg.inProgress());

        asked.clear();
        auto ask = ModalDriver::expect<CMessageDialog>([&asked](CMessageDialog *m) {
            asked = ModalDriver::messageText(m);
            m->accept();
        });
        dlg.onCancelClicked();
        QCOMPARE(asked, QStringLiteral("确定要取消升级吗？"));
        QCOMPARE(stops.count(), 1);
        QCOMPARE(stops.at(0).at(0).toBool(), true);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }

    void applicationRowsKeepCancelAndEmptyAddresses()
    {
        CSoftwareUpdateWidget dlg;
        QCOMPARE(dlg.titleLabel()->text(), QStringLiteral("app升级"));
        dlg.startUpdate(QStringLiteral("/tmp/x_encoder_V2.bin"), fixtures::selection({"127.0.1.1", "", "127.0.1.2"}));
        QCOMPARE(dlg.rowCount(), 3);
        QCOMPARE(dlg.ipList().at(1), QString());
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 1);
        // The row without an address never changes, so the upgrade stays pending.
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("正在升级"));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(dlg.inProgress());
    }

    void applicationButtonStaysCancelAndClosesWhenDone()
    {
        CSoftwareUpdateWidget dlg;
        dlg.startUpdate(QStringLiteral("/tmp/x_encoder_V2.bin"), fixtures::selection({"127.0.1.1", "127.0.1.2"}));
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.1"), 1);
        dlg.setUpdateResult(false, QStringLiteral("127.0.1.2"), 0x21000011);
        QCOMPARE(dlg.row(1)->resultLabel()->text(), QStringLiteral("杀掉App进程失败"));
        QCOMPARE(dlg.okButton()->text(), QStringLiteral("取消"));
        QVERIFY(!dlg.inProgress());
        auto none = ModalDriver::expectNone();
        dlg.onOkClicked();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestUpgradeDialogs)
#include "tst_upgradedialogs.moc"
