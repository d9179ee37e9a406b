// The node simulator's scan answers checked against the protocol tables with plain sockets,
// independently of the program's codec: every other networked test trusts them.

#include <QtTest>

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

#include "simlan.h"

namespace {

struct Frame
{
    quint16 cmd = 0;
    quint32 length = 0;
    int size = 0;
    QByteArray payload;
    QString from;
    QJsonObject json() const { return QJsonDocument::fromJson(payload).object(); }
    QJsonObject data() const { return json().value("data").toObject(); }
};

QByteArray packFrame(quint16 cmd, const QByteArray &payload)
{
    QByteArray out(8, '\0');
    qToLittleEndian<quint16>(cmd, out.data());
    qToLittleEndian<quint32>(quint32(8 + payload.size()), out.data() + 4);
    return out + payload;
}

QByteArray packJson(quint16 cmd, const QJsonObject &o)
{
    return packFrame(cmd, QJsonDocument(o).toJson(QJsonDocument::Indented));
}

Frame unpack(const QByteArray &bytes)
{
    Frame f;
    f.size = bytes.size();
    if (bytes.size() >= 8) {
        f.cmd = qFromLittleEndian<quint16>(bytes.constData());
        f.length = qFromLittleEndian<quint32>(bytes.constData() + 4);
        f.payload = bytes.mid(8);
    }
    return f;
}

// Sends one datagram and collects answers until 300 ms pass without one.
QList<Frame> udpExchange(const QHostAddress &to, quint16 cmd, const QJsonObject &o, quint16 port = 7788)
{
    QUdpSocket s;
    s.bind(QHostAddress::AnyIPv4, 0);
    s.writeDatagram(packJson(cmd, o), to, port);
    QList<Frame> out;
    while (s.waitForReadyRead(300)) {
        while (s.hasPendingDatagrams()) {
            const QNetworkDatagram dg = s.receiveDatagram(70000);
            Frame f = unpack(dg.data());
            f.from = dg.senderAddress().toString();
            out << f;
        }
    }
    return out;
}

QList<Frame> scan(const QString &unicastTo = QString())
{
    return udpExchange(unicastTo.isEmpty() ? QHostAddress::Broadcast : QHostAddress(unicastTo), 1006, {});
}

QSet<QString> keys(const QJsonObject &o)
{
    const QStringList k = o.keys();
    return QSet<QString>(k.begin(), k.end());
}

QSet<QString> keySet(std::initializer_list<const char *> names)
{
    QSet<QString> s;
    for (const char *n : names)
        s.insert(QString::fromLatin1(n));
    return s;
}

const Frame *answerFrom(const QList<Frame> &frames, const QString &ip)
{
    for (const Frame &f : frames) {
        const QJsonObject nd = f.data().value("nodeData").toObject();
        const QString answerIp = nd.contains("deviceInfo") ? nd.value("deviceInfo").toObject().value("ip").toString()
                                                           : nd.value("ip").toString();
        if (answerIp == ip)
            return &f;
    }
    return nullptr;
}

} // namespace

class TestNodeSim final : public QObject
{
    Q_OBJECT

private slots:
    void scanAnswersFollowTheTables();
};

void TestNodeSim::scanAnswersFollowTheTables()
{
    SimLan lan;
    QVERIFY2(lan.start({"--decoders", "3", "--encoders", "2", "--seed", "7", "--spread", "40"}),
             qPrintable(lan.errorString()));
    const QList<Frame> answers = scan();
    QCOMPARE(answers.size(), 5);

    const QSet<QString> decoderKeys = keySet({"id", "ip", "mask", "getway", "macAddr", "name", "model", "mainVer",
                                              "majorVer", "minorVer", "managerIP", "w", "h", "frameRate",
                                              "audioOutput", "mode", "version"});
    const QSet<QString> deviceKeys = keySet({"id", "ip", "mask", "getway", "macAddr", "name", "model", "mainVersion",
                                             "majorVersion", "minorVersion", "managerIP", "enableUSB", "version"});
    const QSet<QString> signalKeys = keySet({"signalID", "sourceID", "signalName", "signalType", "status", "streamUrl",
                                             "sourceWidth", "sourceHeight", "clipEnable", "x", "y", "w", "h",
                                             "audioType", "a35Volume", "hdmiVolume"});
    const QSet<QString> streamKeys = keySet({"signalID", "username", "password", "enablePassword", "videoIP",
                                             "audioIP", "defaultPort", "backupPort", "videoFormat", "audioFormat",
                                             "streamIndex", "channel", "mode", "width", "height", "frameRate",
                                             "bitRate", "level", "audioGain", "interval"});
    QSet<qint64> ids;
    QSet<QString> ips;
    int decoders = 0, bigIds = 0, withoutLogLevel = 0, nonAscii = 0;
    for (const Frame &f : answers) {
        QCOMPARE(f.cmd, quint16(11006));
        QCOMPARE(int(f.length), f.size);
        // Qt's indented layout, as the nodes are said to write it.
        QVERIFY(f.payload.startsWith("{\n    \""));
        const QJsonObject env = f.json();
        QCOMPARE(keys(env), keySet({"res", "data"}));
        QCOMPARE(env.value("res").toInt(-1), 0);
        const QJsonObject data = f.data();
        const int type = data.value("nodeType").toInt();
        const QJsonObject nd = data.value("nodeData").toObject();
        QJsonObject common;
        if (type == 1) {
            ++decoders;
            QSet<QString> k = keys(nd);
            if (!k.remove("logLevel"))
                ++withoutLogLevel;
            QCOMPARE(k, decoderKeys);
            common = nd;
        } else {
            QCOMPARE(type, 2);
            QCOMPARE(keys(nd), keySet({"deviceInfo", "signalInfo", "streamInfo"}));
            common = nd.value("deviceInfo").toObject();
            QSet<QString> k = keys(common);
            if (!k.remove("logLevel"))
                ++withoutLogLevel;
            QCOMPARE(k, deviceKeys);
            QCOMPARE(keys(nd.value("signalInfo").toObject()), signalKeys);
            QCOMPARE(keys(nd.value("streamInfo").toObject()), streamKeys);
        }
        QVERIFY(common.value("id").isDouble());
        const qint64 id = qint64(common.value("id").toDouble());
        ids.insert(id);
        bigIds += id > 0xFFFFFFFFll;
        ips.insert(common.value("ip").toString());
        // Each answer leaves from its node's own address.
        QCOMPARE(f.from, common.value("ip").toString());
        QCOMPARE(common.value("managerIP").toString(), QString("127.0.1.1"));
        const QString name = common.value("name").toString();
        QVERIFY(!name.isEmpty());
        nonAscii += name.toUtf8().size() != name.size();
    }
    QCOMPARE(decoders, 3);
    QCOMPARE(ids.size(), 5);
    QCOMPARE(ips, keySet({"127.0.1.1", "127.0.1.2", "127.0.1.3", "127.0.1.4", "127.0.1.5"}));
    QVERIFY(bigIds >= 2);
    QVERIFY(withoutLogLevel >= 1);
    QVERIFY(nonAscii >= 1);

    // Same seed, same LAN; the broadcast is recorded once.
    const QList<QJsonObject> rec = lan.records(1006);
    QCOMPARE(rec.size(), 1);
    QCOMPARE(rec[0].value("node").toString(), QString("255.255.255.255"));
    QCOMPARE(rec[0].value("applied").toArray().size(), 5);

    // A unicast probe is answered by that node alone.
    const QList<Frame> one = scan("127.0.1.4");
    QCOMPARE(one.size(), 1);
    QVERIFY(answerFrom(one, "127.0.1.4"));
    QVERIFY(scan("127.0.1.99").isEmpty());
}

QTEST_GUILESS_MAIN(TestNodeSim)
#include "tst_nodesim.moc"
