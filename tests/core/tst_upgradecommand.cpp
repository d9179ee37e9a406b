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

    void frameForAFirmwarePackage()
    {
        const QByteArray content("firmware bytes");
        const QString path = package(QStringLiteral("dec_decoder_V1.2.3.bin"), content);
        bool sent = false;
        const QByteArray frame = sendAndCatch(path, 0, &sent);
        QVERIFY(sent);
        QCOMPARE(frame.size(), 225);
        QCOMPARE(qFromLittleEndian<quint16>(frame.constData()), quint16(4501));
        QCOMPARE(qFromLittleEndian<quint16>(frame.constData() + 2), quint16(0));
        QCOMPARE(qFromLittleEndian<quint32>(frame.constData() + 4), 225u);
        const QByteArray body = frame.mid(8);
        QCOMPARE(body.at(0), char(1));
        QCOMPARE(qFromLittleEndian<quint32>(body.constData() + 1), 0u);
        QCOMPARE(body.mid(5, 4), QByteArray("aVQ\0", 4)); // 'QVa' little-endian
        QCOMPARE(body.mid(9, 16), QByteArray("V1.2.3").leftJustified(16, '\0'));
        QCOMPARE(body.mid(25, 32), QCryptographicHash::hash(content, QCryptographicHash::Md5).toHex());
        QCOMPARE(body.mid(57, 128), QByteArray("dec_decoder_V1.2.3.bin").leftJustified(128, '\0'));
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
