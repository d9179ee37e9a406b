#include <QtTest>

#include <QTcpServer>
#include <QTcpSocket>
#include <curl/curl.h>

#include "dialog/clogexportwidget.h"
#include "transfer/csftpclient.h"

// A node that takes the connection and then says nothing: the library would
// wait minutes for it. A stop must end the transfer at once all the same.
class TestSftpStop final : public QObject
{
    Q_OBJECT

    QTcpServer m_silentNode;
    QList<QTcpSocket *> m_held;

private slots:
    void initTestCase()
    {
        curl_global_init(CURL_GLOBAL_ALL);
        QVERIFY2(m_silentNode.listen(QHostAddress(QStringLiteral("127.0.3.1")), 22),
                 qPrintable(m_silentNode.errorString()));
        connect(&m_silentNode, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_silentNode.nextPendingConnection())
                m_held.append(s);
        });
    }

    void cleanupTestCase()
    {
        qDeleteAll(m_held);
        curl_global_cleanup();
    }

    void stopEndsAnUploadThatNeverStarted()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("vela_decoder_1.bin"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("package");
        f.close();

        const TransFlag flag = makeTransFlag();
        csftpclient client;
        sTransInfo info;
        info.ip = QStringLiteral("127.0.3.1");
        info.localPath = path;
        info.transEnable = flag;
        client.setTransInfo(info);
        QVERIFY(client.uploadToUserdata());
        QTRY_VERIFY(!m_held.isEmpty()); // connected, waiting for the server's greeting
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        flag->store(0);
        client.joinTransfer();
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed()))); // minutes without the stop
    }

    void closingTheLogExportDoesNotWaitForTheNode()
    {
        QTemporaryDir dest;
        sDeviceInfo node;
        node.name = "silent";
        node.ip = "127.0.3.1";
        const int before = m_held.size();
        CLogExportWidget dlg;
        dlg.startLogExport(dest.path(), node, false);
        QTRY_VERIFY(m_held.size() > before);
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        dlg.onOkClicked(); // returns once the worker thread has ended
        QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed()))); // minutes without the stop
        QVERIFY(QDir(dest.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }
};

QTEST_MAIN(TestSftpStop)
#include "tst_sftpstop.moc"
