#include <QtTest>

#include <QCryptographicHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QtEndian>

#include "comm/ctcpmanager.h"
#include "operations/crolloutplan.h"
#include "transfer/csftpclient.h"

// The upgrade command as it leaves the client: caught by a listener standing in
// for the node's TCP port 7780 (ctest runs inside the private namespace); and the rollout
// plan that decides which node gets it when.
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

    // A command that cannot go out (no listener; no package) leaves no link behind.
    void undeliveredCommandDropsTheLink()
    {
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
        csftpclient missing;
        info.ip = QStringLiteral("127.0.0.1");
        info.localPath = m_dir.filePath(QStringLiteral("vela_gone_1.bin"));
        missing.setTransInfo(info);
        QTest::ignoreMessage(QtDebugMsg, "can't open error!");
        QVERIFY(!missing.sendUpgradeCommand());
        QVERIFY(!CTcpManager::instance().hasLink(info.ip));
    }

    void rolloutPlan()
    {
        using S = CRolloutPlan::EState;
        // Given out of order: planned by address, .10 after .9; .3 already runs the package.
        const QVector<CRolloutPlan::sNode> nodes{{"127.0.1.10", "V1"}, {"127.0.1.2", "V1"}, {"127.0.1.9", "V1"},
                                                 {"127.0.1.3", "V2"}, {"127.0.1.1", "V1"}, {"127.0.1.4", "v2"}};
        // Defaults: one wave, every node, nothing skipped, no stop.
        CRolloutPlan all(nodes, "V2", sRolloutOptions());
        QCOMPARE(all.nextWave(), (QVector<int>{4, 1, 3, 5, 2, 0}));
        for (int i = 0; i < 6; ++i) {
            QVERIFY(all.mayStart(i));
            all.setResult(i, i != 1 && i != 2);
        }
        QVERIFY(all.finished() && !all.stopped() && all.canary() == CRolloutPlan::ECanary::None);

        // Canary of 2, waves of 2, skip current (exact bytes: "v2" is not "V2").
        sRolloutOptions staged;
        staged.canary = 2;
        staged.wave = 2;
        staged.skipCurrent = true;
        CRolloutPlan passing(nodes, "V2", staged);
        QCOMPARE(passing.state(3), S::Skipped);
        QCOMPARE(passing.waves(), (QVector<QVector<int>>{{4, 1}, {5, 2}, {0}}));
        QCOMPARE(passing.nextWave(), (QVector<int>{4, 1}));
        QVERIFY(passing.mayStart(4) && passing.mayStart(1));
        passing.setResult(4, true);
        QVERIFY(passing.nextWave().isEmpty()); // the canary is not verified yet
        QCOMPARE(passing.canary(), CRolloutPlan::ECanary::Pending);
        passing.setResult(1, true);
        QCOMPARE(passing.canary(), CRolloutPlan::ECanary::Passed);
        QCOMPARE(passing.nextWave(), (QVector<int>{5, 2}));

        // A failed canary node: nobody else starts, and what is left is not started.
        CRolloutPlan failing(nodes, "V2", staged);
        failing.nextWave();
        QVERIFY(failing.mayStart(4) && failing.mayStart(1));
        failing.setResult(1, false);
        QCOMPARE(failing.canary(), CRolloutPlan::ECanary::Failed);
        QVERIFY(!failing.finished()); // .1 still runs
        failing.setResult(4, true);
        QVERIFY(failing.nextWave().isEmpty() && failing.finished());
        for (int i : {0, 2, 5})
            QCOMPARE(failing.state(i), S::NotStarted);

        // The failure limit also stops nodes of a running wave that have not started yet.
        sRolloutOptions limited;
        limited.wave = 3;
        limited.maxFailures = 1;
        CRolloutPlan stop(nodes, "V2", limited);
        QCOMPARE(stop.nextWave(), (QVector<int>{4, 1, 3}));
        QVERIFY(stop.mayStart(4));
        stop.setResult(4, false);
        QVERIFY(stop.stopped() && !stop.mayStart(1));
        QVERIFY(stop.nextWave().isEmpty() && stop.finished());
        for (int i : {0, 1, 2, 3, 5})
            QCOMPARE(stop.state(i), S::NotStarted);
    }
};

QTEST_GUILESS_MAIN(TestUpgradeCommand)
#include "tst_upgradecommand.moc"
