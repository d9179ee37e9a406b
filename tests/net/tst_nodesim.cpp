// The node simulator checked against the protocol tables with plain sockets:
// every other networked test trusts what it answers.

#include <QtTest>

#include <QCryptographicHash>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkDatagram>
#include <QTcpSocket>
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

// Sends one frame over a fresh connection and reads whole frames back.
QList<Frame> tcpExchange(const QString &ip, quint16 port, const QByteArray &frame, int want = 1,
                         QList<int> *readSizes = nullptr)
{
    QTcpSocket s;
    s.connectToHost(ip, port);
    if (!s.waitForConnected(2000))
        return {};
    s.write(frame);
    QByteArray buf;
    QList<Frame> out;
    QElapsedTimer t;
    t.start();
    while (out.size() < want && t.elapsed() < 3000) {
        if (!s.waitForReadyRead(200))
            continue;
        const QByteArray chunk = s.readAll();
        if (readSizes)
            *readSizes << chunk.size();
        buf += chunk;
        while (buf.size() >= 8) {
            const quint32 len = qFromLittleEndian<quint32>(buf.constData() + 4);
            if (len < 8 || quint32(buf.size()) < len)
                break;
            out << unpack(buf.left(int(len)));
            buf.remove(0, int(len));
        }
    }
    return out;
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
    void settingsChangeTheNextAnswer();
    void networkCommandMovesNodeAndItsTcp();
    void nodeCommandsChangeState();
    void exportImportRoundTrip();
    void faultModesShapeTheAnswers();
    void sftpUploadAndUpgradeCheck();
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

void TestNodeSim::settingsChangeTheNextAnswer()
{
    SimLan lan;
    QVERIFY2(lan.start({"--decoders", "1", "--encoders", "1"}), qPrintable(lan.errorString()));
    const QJsonObject dec = lan.node(0).value("nodeData").toObject();
    const QJsonObject enc = lan.node(1).value("nodeData").toObject();

    // Decoder: flat keys; a wrong id must not touch the node.
    QJsonObject cmd = dec;
    cmd.remove("version");
    cmd.insert("name", QStringLiteral("新名字"));
    cmd.insert("mode", 2);
    cmd.insert("w", 1280);
    cmd.insert("h", 720);
    cmd.insert("logLevel", 4);
    QJsonObject wrongId = cmd;
    wrongId.insert("id", 12345);
    udpExchange(QHostAddress("127.0.1.1"), 3501, wrongId);
    udpExchange(QHostAddress("127.0.1.1"), 3501, cmd);
    QVERIFY(lan.waitForRecords(3501, 2));
    QCOMPARE(lan.records(3501)[0].value("applied").toArray().size(), 0);
    QVERIFY(lan.records(3501)[0].contains("ignored"));
    const QList<Frame> a = scan("127.0.1.1");
    QCOMPARE(a.size(), 1);
    const QJsonObject nd = a[0].data().value("nodeData").toObject();
    QCOMPARE(nd.value("name").toString(), QStringLiteral("新名字"));
    QCOMPARE(nd.value("mode").toInt(), 2);
    QCOMPARE(nd.value("w").toInt(), 1280);
    QCOMPARE(nd.value("logLevel").toInt(), 4);
    QCOMPARE(nd.value("version"), dec.value("version"));

    // Encoder: the command's own object and key names.
    QJsonObject basic{{"encoderID", enc.value("deviceInfo").toObject().value("id")},
                      {"encoderIP", "127.0.1.2"},
                      {"subMask", "255.255.0.0"},
                      {"name", QStringLiteral("编码-A")},
                      {"enableUSB", false},
                      {"logLevel", 3}};
    QJsonObject sig{{"name", "Cam-X"}, {"clipW", 640}, {"type", 2}};
    QJsonObject stream{{"transtionMode", 1}, {"keyFrameInterval", 25}, {"videoEncodeFmt", "H265"},
                       {"pswEnable", true}, {"frameRate", 25.0}};
    udpExchange(QHostAddress("127.0.1.2"), 4001, {{"basicInfo", basic}, {"signalInfo", sig}, {"signalStream", stream}});
    QVERIFY(lan.waitForRecords(4001, 1));
    const QList<Frame> b = scan("127.0.1.2");
    QCOMPARE(b.size(), 1);
    const QJsonObject end = b[0].data().value("nodeData").toObject();
    const QJsonObject di = end.value("deviceInfo").toObject();
    const QJsonObject si = end.value("signalInfo").toObject();
    const QJsonObject st = end.value("streamInfo").toObject();
    QCOMPARE(di.value("name").toString(), QStringLiteral("编码-A"));
    QCOMPARE(di.value("mask").toString(), QString("255.255.0.0"));
    QCOMPARE(di.value("enableUSB").toBool(true), false);
    QCOMPARE(di.value("logLevel").toInt(), 3);
    QCOMPARE(si.value("signalName").toString(), QString("Cam-X"));
    QCOMPARE(si.value("w").toInt(), 640);
    QCOMPARE(si.value("signalType").toInt(), 2);
    QCOMPARE(st.value("mode").toInt(), 1);
    QCOMPARE(st.value("interval").toInt(), 25);
    QCOMPARE(st.value("videoFormat").toString(), QString("H265"));
    QCOMPARE(st.value("enablePassword").toBool(), true);
    QCOMPARE(st.value("frameRate").toDouble(), 25.0);
    // Command-only names never leak into the answer.
    QVERIFY(!si.contains("clipW") && !st.contains("transtionMode") && !di.contains("subMask"));
}

void TestNodeSim::networkCommandMovesNodeAndItsTcp()
{
    SimLan lan;
    QVERIFY2(lan.start({"--decoders", "3"}), qPrintable(lan.errorString()));
    // Consecutive re-addressing, one node after the other, as the tool does it:
    // a node moving onto a taken address does not capture it.
    const qint64 id1 = qint64(lan.node(1).value("id").toDouble());
    for (const char *ip : {"127.0.1.1", "127.0.1.2", "127.0.1.3"}) {
        const QString to = QHostAddress(QHostAddress(ip).toIPv4Address() + 1).toString();
        udpExchange(QHostAddress(ip), 1007, {{"ip", to}, {"mask", "255.255.0.0"}, {"getway", "127.0.0.1"}});
    }
    QVERIFY(lan.waitForRecords(1007, 3));
    QCOMPARE(lan.addresses(), QStringList({"127.0.1.2", "127.0.1.3", "127.0.1.4"}));

    udpExchange(QHostAddress("127.0.1.3"), 1007, {{"ip", "127.0.1.50"}, {"mask", "255.255.0.0"}, {"getway", "127.0.0.1"}});
    QVERIFY(lan.waitForRecords(1007, 4));
    const QList<Frame> answers = scan();
    QCOMPARE(answers.size(), 3);
    const Frame *moved = answerFrom(answers, "127.0.1.50");
    QVERIFY(moved);
    QCOMPARE(moved->from, QString("127.0.1.50"));
    QCOMPARE(qint64(moved->data().value("nodeData").toObject().value("id").toDouble()), id1);
    QCOMPARE(moved->data().value("nodeData").toObject().value("getway").toString(), QString("127.0.0.1"));
    QVERIFY(scan("127.0.1.3").isEmpty());
    QCOMPARE(scan("127.0.1.50").size(), 1);

    const QList<Frame> exp = tcpExchange("127.0.1.50", 9988, packJson(3533, {}));
    QCOMPARE(exp.size(), 1);
    QCOMPARE(exp[0].cmd, quint16(13533));
    QCOMPARE(exp[0].data().value("devData").toObject().value("ip").toString(), QString("127.0.1.50"));
    // Nothing listens on the old address any more.
    QTcpSocket old;
    old.connectToHost("127.0.1.3", 9988);
    QVERIFY(!old.waitForConnected(1000));
}

void TestNodeSim::nodeCommandsChangeState()
{
    SimLan lan;
    QVERIFY2(lan.start({"--decoders", "2", "--encoders", "1"}), qPrintable(lan.errorString()));
    const qint64 id0 = qint64(lan.node(0).value("id").toDouble());
    const qint64 id1 = qint64(lan.node(1).value("id").toDouble());

    udpExchange(QHostAddress("127.0.1.1"), 1011, {{"deviceID", id0}});
    udpExchange(QHostAddress("127.0.1.1"), 1011, {{"deviceID", id1}}); // not this node's id
    udpExchange(QHostAddress("127.0.1.2"), 1012, {{"deviceID", id1}});
    udpExchange(QHostAddress("127.0.1.2"), 1013, {{"deviceType", 2}});
    udpExchange(QHostAddress::Broadcast, 1008, {{"ptsBase", 1700000000123.0}});
    udpExchange(QHostAddress::Broadcast, 1014, {{"logLevel", 4}}, 7799);
    QVERIFY(lan.waitForRecords(1014, 1));

    QCOMPARE(lan.node(0).value("rebootCount").toInt(), 1);
    QCOMPARE(lan.node(1).value("resetCount").toInt(), 1);
    QVERIFY(lan.node(1).value("name").toString().startsWith(QStringLiteral("解码器-")));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(qint64(lan.node(i).value("ptsBase").toDouble()), Q_INT64_C(1700000000123));
    QCOMPARE(lan.state().value("proxyLogLevel").toInt(), 4);
    // The proxy is the node every other one names as manager.
    QCOMPARE(lan.node(0).value("nodeData").toObject().value("logLevel").toInt(), 4);

    // The switched node now answers as an encoder, same identity.
    const QList<Frame> a = scan("127.0.1.2");
    QCOMPARE(a.size(), 1);
    QCOMPARE(a[0].data().value("nodeType").toInt(), 2);
    const QJsonObject di = a[0].data().value("nodeData").toObject().value("deviceInfo").toObject();
    QCOMPARE(qint64(di.value("id").toDouble()), id1);
    QCOMPARE(di.value("ip").toString(), QString("127.0.1.2"));
}

void TestNodeSim::exportImportRoundTrip()
{
    SimLan lan;
    QVERIFY2(lan.start({"--decoders", "1", "--encoders", "1", "--fault", "tcp-split@0", "--fault", "import-fail@1"}),
             qPrintable(lan.errorString()));
    QList<int> pieces;
    const QList<Frame> exp = tcpExchange("127.0.1.1", 9988, packJson(3533, {}), 1, &pieces);
    QCOMPARE(exp.size(), 1);
    // The split fault delivers 5 bytes, then 3, then the rest.
    QVERIFY(pieces.size() >= 3);
    QCOMPARE(pieces[0], 5);
    QCOMPARE(pieces[1], 3);
    QCOMPARE(int(exp[0].length), exp[0].size);
    const QJsonObject d = exp[0].data();
    QCOMPARE(keys(d), keySet({"devData", "version", "data"}));
    QCOMPARE(keys(d.value("devData").toObject()), keySet({"id", "ip", "model", "type"}));
    QCOMPARE(keys(d.value("version").toObject()), keySet({"main", "major", "minor"}));
    QCOMPARE(d.value("devData").toObject().value("type").toInt(), 1);
    QCOMPARE(d.value("data").toString(), lan.node(0).value("data").toString());

    // Import the entry back with new data text; the next export returns it.
    QJsonObject entry = d;
    entry.insert("data", QStringLiteral("{\"新\":\"配置\"}"));
    entry.insert("version", QJsonObject{{"main", 0}, {"major", 0}, {"minor", 0}});
    const QList<Frame> imp = tcpExchange("127.0.1.1", 9988, packJson(3532, entry));
    QCOMPARE(imp.size(), 1);
    QCOMPARE(imp[0].cmd, quint16(13532));
    const QJsonObject r = imp[0].data();
    QCOMPARE(r.value("result").toInt(-1), 0);
    QCOMPARE(r.value("ip").toString(), QString("127.0.1.1"));
    QCOMPARE(r.value("name").toString(), lan.node(0).value("name").toString());
    QCOMPARE(tcpExchange("127.0.1.1", 9988, packJson(3533, {}))[0].data().value("data").toString(),
             QStringLiteral("{\"新\":\"配置\"}"));
    QCOMPARE(lan.node(0).value("importedVersion").toObject().value("main").toInt(-1), 0);

    // A decoder entry on the encoder: the fault wins over the type check.
    const QList<Frame> bad = tcpExchange("127.0.1.2", 9988, packJson(4016, entry));
    QCOMPARE(bad.size(), 1);
    QCOMPARE(bad[0].cmd, quint16(14016));
    QCOMPARE(bad[0].data().value("result").toInt(), 2);
    // Decoder import to the decoder with an encoder entry: type mismatch.
    entry.insert("devData", QJsonObject{{"id", 1}, {"ip", "127.0.1.1"}, {"model", 16}, {"type", 2}});
    QCOMPARE(tcpExchange("127.0.1.1", 9988, packJson(3532, entry))[0].data().value("result").toInt(), 1);
}

void TestNodeSim::faultModesShapeTheAnswers()
{
    SimLan lan;
    QVERIFY2(lan.start({"--decoders", "7", "--fault", "silent@0", "--fault", "twice@1", "--fault", "short-frame@2",
                        "--fault", "bad-length@3", "--fault", "huge@4", "--fault", "data-not-object@5",
                        "--fault", "dup-ip@6", "--fault", "tcp-len-below-8@1"}),
             qPrintable(lan.errorString()));
    const QList<Frame> answers = scan();
    QMap<QString, QList<Frame>> bySource;
    for (const Frame &f : answers)
        bySource[f.from] << f;
    QVERIFY(!bySource.contains("127.0.1.1"));
    QCOMPARE(bySource.value("127.0.1.2").size(), 2);
    QCOMPARE(bySource.value("127.0.1.3").size(), 1);
    QVERIFY(bySource.value("127.0.1.3")[0].size < 8);
    QCOMPARE(int(bySource.value("127.0.1.4")[0].length), bySource.value("127.0.1.4")[0].size + 4);
    QVERIFY(bySource.value("127.0.1.5")[0].size > 10240);
    QCOMPARE(int(bySource.value("127.0.1.5")[0].length), bySource.value("127.0.1.5")[0].size);
    QVERIFY(bySource.value("127.0.1.6")[0].json().value("data").isString());
    // Two nodes answer as 127.0.1.6 with different ids.
    QCOMPARE(bySource.value("127.0.1.6").size(), 2);
    QVERIFY(bySource.value("127.0.1.6")[0].json() != bySource.value("127.0.1.6")[1].json());

    // A header claiming 4 bytes precedes the real answer.
    QTcpSocket s;
    s.connectToHost("127.0.1.2", 9988);
    QVERIFY(s.waitForConnected(2000));
    s.write(packJson(3533, {}));
    QByteArray got;
    while (got.size() < 16 && s.waitForReadyRead(1000))
        got += s.readAll();
    QVERIFY(got.size() >= 16);
    QCOMPARE(qFromLittleEndian<quint32>(got.constData() + 4), quint32(4));
    QCOMPARE(qFromLittleEndian<quint16>(got.constData() + 8), quint16(13533));

    // The simulator itself drops a client whose header says less than 8.
    QTcpSocket t;
    t.connectToHost("127.0.1.3", 9988);
    QVERIFY(t.waitForConnected(2000));
    QByteArray badHeader = packFrame(3533, {});
    qToLittleEndian<quint32>(3, badHeader.data() + 4);
    t.write(badHeader);
    QVERIFY(t.state() == QAbstractSocket::UnconnectedState || t.waitForDisconnected(2000));
    QTRY_VERIFY(!lan.records().isEmpty() && lan.records().last().value("error").toString().contains("length"));
}

void TestNodeSim::sftpUploadAndUpgradeCheck()
{
    if (QStandardPaths::findExecutable("curl").isEmpty() || !QFile::exists("/usr/sbin/sshd"))
        QSKIP("curl or sshd missing (scripts/install-deps.sh installs them)");
    SimLan lan;
    QVERIFY2(lan.start({"--decoders", "2"}, true), qPrintable(lan.errorString()));
    const QString nodes = lan.sftpRoot();
    QVERIFY(QFileInfo(nodes + "/127.0.1.2/userdata/logs/log_proxy.1").isFile());

    QTemporaryDir dir;
    const QString pkgName = "vela_decoder_V2.0.9.bin";
    QFile pkg(dir.filePath(pkgName));
    QVERIFY(pkg.open(QIODevice::WriteOnly));
    pkg.write(QByteArray(200000, 'q') + "end");
    pkg.close();
    QVERIFY(pkg.open(QIODevice::ReadOnly));
    const QByteArray md5 = QCryptographicHash::hash(pkg.readAll(), QCryptographicHash::Md5).toHex();

    QProcess curl;
    curl.start("curl", {"-sS", "-k", "-u", "svc1:k7m2q", "-T", pkg.fileName(), "sftp://127.0.1.2:22/userdata/" + pkgName});
    QVERIFY(curl.waitForFinished(20000));
    QCOMPARE(curl.exitCode(), 0);
    QFile landed(nodes + "/127.0.1.2/userdata/" + pkgName);
    QVERIFY(landed.open(QIODevice::ReadOnly));
    QCOMPARE(QCryptographicHash::hash(landed.readAll(), QCryptographicHash::Md5).toHex(), md5);
    QVERIFY(!QFile::exists(nodes + "/127.0.1.1/userdata/" + pkgName));

    curl.start("curl", {"-sS", "-k", "-u", "svc1:k7m2q", "-l", "sftp://127.0.1.1:22/userdata/logs/"});
    QVERIFY(curl.waitForFinished(20000));
    QCOMPARE(curl.exitCode(), 0);
    QStringList listed = QString::fromUtf8(curl.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    listed.sort();
    QCOMPARE(listed, QStringList({".", "..", "a.log", "b.txt", "log_proxy.1"}));
    curl.start("curl", {"-sS", "-k", "-u", "svc1:nope", "-l", "sftp://127.0.1.1:22/userdata/logs/"});
    QVERIFY(curl.waitForFinished(20000));
    QCOMPARE(curl.exitCode(), 67);

    auto upgrade = [&](const QString &ip, const QByteArray &sum) {
        QByteArray body(217, '\0');
        body[0] = 1;
        qToLittleEndian<quint32>(0, body.data() + 1);
        qToLittleEndian<quint32>(0x515661, body.data() + 5);
        memcpy(body.data() + 9, "V2.0.9", 6);
        memcpy(body.data() + 25, sum.constData(), 32);
        memcpy(body.data() + 57, pkgName.toUtf8().constData(), size_t(pkgName.size()));
        const QList<Frame> a = tcpExchange(ip, 7780, packFrame(4501, body));
        return a.isEmpty() || a[0].cmd != 14501 || a[0].payload.size() < 4
                   ? -1 : qint64(qFromLittleEndian<quint32>(a[0].payload.constData()));
    };
    QCOMPARE(upgrade("127.0.1.2", QByteArray(32, '0')), qint64(0x21000014));
    QCOMPARE(upgrade("127.0.1.1", md5), qint64(0x21000014)); // not uploaded there
    QCOMPARE(upgrade("127.0.1.2", md5), qint64(1));
    const QJsonObject p = lan.records(4501).last().value("payload").toObject();
    QCOMPARE(p.value("fileName").toString(), pkgName);
    QCOMPARE(p.value("version").toString(), QString("V2.0.9"));
    QCOMPARE(p.value("packageKind").toInt(), 0x515661);
    QCOMPARE(p.value("tailZero").toBool(), true);
    // A successful firmware upgrade shows in the next answer.
    const QList<Frame> a = scan("127.0.1.2");
    QCOMPARE(a.size(), 1);
    QCOMPARE(a[0].data().value("nodeData").toObject().value("version").toString(), QString("V2.0.9"));
    QCOMPARE(a[0].data().value("nodeData").toObject().value("minorVer").toInt(), 9);
}

QTEST_GUILESS_MAIN(TestNodeSim)
#include "tst_nodesim.moc"
