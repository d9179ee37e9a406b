#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/csingleinstance.h"

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_runtime;

    static QLocalSocket *connectClient(const QString &name, QObject *parent)
    {
        auto *socket = new QLocalSocket(parent);
        socket->connectToServer(name);
        if (!socket->waitForConnected(1000)) {
            delete socket;
            return nullptr;
        }
        return socket;
    }

private slots:
    void initTestCase()
    {
        // The server name lives in the user's runtime folder; keep it private to this test.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void silentClientDoesNotBlock()
    {
        CSingleInstance first(QStringLiteral("qv_test_silent"));
        first.setReadDeadlineMs(300);
        QVERIFY(first.listen());
        QSignalSpy activate(&first, &CSingleInstance::sigActivate);

        QLocalSocket *silent = connectClient(first.serverName(), this);
        QVERIFY(silent);
        // The event loop keeps turning while the client says nothing, and the client is dropped.
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&ticks] { ++ticks; });
        tick.start(10);
        // A wrong message drops its client too.
        QLocalSocket *wrong = connectClient(first.serverName(), this);
        QVERIFY(wrong);
        wrong->write("activateWindowX");
        wrong->flush();
        QTRY_COMPARE_WITH_TIMEOUT(silent->state(), QLocalSocket::UnconnectedState, 20000);
        QTRY_COMPARE(wrong->state(), QLocalSocket::UnconnectedState);
        QVERIFY(ticks >= 10);
        QCOMPARE(activate.count(), 0);

        // A real second start still works afterwards.
        QLocalSocket *real = connectClient(first.serverName(), this);
        QVERIFY(real);
        real->write("activate");
        real->flush();
        QTest::qWait(50);
        real->write("Window");
        real->flush();
        QTRY_COMPARE(activate.count(), 1);
        delete silent;
        delete wrong;
        delete real;
    }

    void liveServerIsNotTakenOver()
    {
        // Two starts at the same moment: both found nobody, the first got the name.
        CSingleInstance first(QStringLiteral("qv_test_race"));
        QVERIFY(first.listen());
        QSignalSpy activate(&first, &CSingleInstance::sigActivate);
        CSingleInstance second(QStringLiteral("qv_test_race"));
        QVERIFY(!second.listen());
        QVERIFY(first.isListening());
        // The name still leads to the first, so the second can hand over and leave.
        QLocalSocket *client = connectClient(first.serverName(), this);
        QVERIFY(client);
        client->write(CSingleInstance::ActivateMessage);
        client->flush();
        QTRY_COMPARE(activate.count(), 1);
        delete client;
    }

    void staleNameIsTakenOver()
    {
        // A server name left behind by a crashed instance: nobody answers, so the new one takes it.
        QVERIFY(!CSingleInstance(QStringLiteral("qv_test_nobody")).notifyRunning(200));
        const QString name = CSingleInstance::defaultServerName(QStringLiteral("qv_test_stale"));
        QFile stale(name);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        CSingleInstance next(QStringLiteral("qv_test_stale"));
        QVERIFY(!next.notifyRunning(200));
        QVERIFY(next.listen());
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
