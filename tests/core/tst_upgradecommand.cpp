#include <QtTest>

#include <QCryptographicHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtEndian>

#include "comm/ctcpmanager.h"
#include "transfer/csftpclient.h"

// The upgrade command as it leaves the client: caught by a listener standing in
// for the node's TCP port 7780 (ctest runs inside the private namespace).
class TestUpgradeCommand final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString package(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            return QString();
        return path;
    }

    // Sends the command from a thread of its own (it blocks while the link
    // comes up) and returns what the listener received.
    QByteArray sendAndCatch(const QString &path, int upgradeType, bool *sent)
    {
        QTcpServer node;
        if (!node.listen(QHostAddress(QStringLiteral("127.0.0.1")), 7780))
            return QByteArray();
        QByteArray received;
        QList<QTcpSocket *> peers;
        connect(&node, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket *s = node.nextPendingConnection()) {
                peers.append(s);
                connect(s, &QTcpSocket::readyRead, this, [s, &received] { received += s->readAll(); });
            }
        });
        csftpclient client;
        sTransInfo info;
        info.ip = QStringLiteral("127.0.0.1");
        info.localPath = path;
        info.upgradeType = upgradeType;
        client.setTransInfo(info);
        QThread *sender = QThread::create([&client, sent] { *sent = client.sendUpgradeCommand(); });
        sender->start();
        // The caller checks what arrived; the wait only ends early once it has.
        const bool arrived = QTest::qWaitFor([&] { return sender->isFinished() && received.size() >= 225; }, 30000);
        Q_UNUSED(arrived)
        sender->wait();
        delete sender;
        CTcpManager::instance().removeTcp(info.ip);
        QTest::qWait(50);
        qDeleteAll(peers);
        return received;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void kindVersionAndName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("version");
        QTest::newRow("both, decoder first") << "x_encoder_decoder_2.0.bin" << 0 << QByteArray("aVQ\0", 4) << QByteArray("2.0");
        QTest::newRow("encoder app") << "enc_encoder_V3.bin" << 1 << QByteArray("AVQ\0", 4) << QByteArray("V3");
        QTest::newRow("neither") << "vela_plain_7.1.bin" << 0 << QByteArray("VQ\0\0", 4) << QByteArray("7.1");
        QTest::newRow("upper case is not the word") << "vela_DECODER_1.bin" << 0 << QByteArray("VQ\0\0", 4) << QByteArray("1");
        // Long texts are cut to their fields.
        QTest::newRow("long") << QStringLiteral("pkg_%1_V12345678901234567890.bin").arg(QString(120, QLatin1Char('n')))
                              << 0 << QByteArray("VQ\0\0", 4) << QByteArray("V123456789012345");
    }
    void kindVersionAndName()
    {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QByteArray, kind);
        QFETCH(QByteArray, version);
        bool sent = false;
        const QByteArray frame = sendAndCatch(package(name, "x"), type, &sent);
        QVERIFY(sent);
        // Header: 4501, 0, length 225; then the body's level byte 1.
        QCOMPARE(frame.left(9), QByteArray("\x95\x11\0\0\xE1\0\0\0\x01", 9));
        const QByteArray body = frame.mid(8);
        QCOMPARE(body.size(), 217);
        QCOMPARE(qFromLittleEndian<quint32>(body.constData() + 1), quint32(type));
        QCOMPARE(body.mid(5, 4), kind);
        QCOMPARE(body.mid(9, 16), version.leftJustified(16, '\0'));
        QCOMPARE(body.mid(25, 32), QCryptographicHash::hash("x", QCryptographicHash::Md5).toHex());
        QCOMPARE(body.mid(57, 128), name.toUtf8().left(128).leftJustified(128, '\0'));
        QCOMPARE(body.mid(185), QByteArray(32, '\0'));
    }

    void undeliveredCommandDropsTheLink()
    {
        // Nothing listens on this address: no link comes up within the wait.
        csftpclient client;
        sTransInfo info;
        info.ip = QStringLiteral("127.0.0.2");
        info.localPath = package(QStringLiteral("vela_decoder_1.bin"), "z");
        client.setTransInfo(info);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!client.sendUpgradeCommand());
        QVERIFY(clock.elapsed() < 15000);
        QVERIFY(!CTcpManager::instance().hasLink(info.ip));
    }

    void missingPackageSendsNothing()
    {
        csftpclient client;
        sTransInfo info;
        info.ip = QStringLiteral("127.0.0.1");
        info.localPath = m_dir.filePath(QStringLiteral("vela_gone_1.bin"));
        client.setTransInfo(info);
        QTest::ignoreMessage(QtDebugMsg, "can't open error!");
        QVERIFY(!client.sendUpgradeCommand());
        QVERIFY(!CTcpManager::instance().hasLink(info.ip));
    }
};

QTEST_GUILESS_MAIN(TestUpgradeCommand)
#include "tst_upgradecommand.moc"
