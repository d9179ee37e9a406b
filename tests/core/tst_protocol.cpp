#include <QtTest>

#include "comm/protocol.h"

class TestProtocol final : public QObject
{
    Q_OBJECT
private slots:
    void sendResultRule()
    {
        QVERIFY(Protocol::sendSucceeded(0x1000));
        QVERIFY(Protocol::sendSucceeded(1));
        QVERIFY(!Protocol::sendSucceeded(0x1001));
        QVERIFY(!Protocol::sendSucceeded(0));
        QVERIFY(!Protocol::sendSucceeded(-1));
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
