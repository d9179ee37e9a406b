#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <thread>

#include "comm/cobserverlist.h"
#include "comm/cprotocolpacker.h"
#include "comm/cprotocolparser.h"
#include "comm/frame.h"
#include "comm/protocol.h"
#include "comm/upgradecmd.h"

namespace {

// Expected documents are written by hand. Keep "//" and backslash-quote out of the raw
// strings: moc's lexer misreads them and silently drops the test functions after them.
QJsonObject json(const char *text)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        qFatal("bad expected JSON in test: %s", qPrintable(err.errorString()));
    return doc.object();
}

QJsonObject payloadOf(const QByteArray &frame)
{
    return QJsonDocument::fromJson(frame.mid(8)).object();
}

// Keeps a copy of every record announced to it.
struct Recorder final : IObserver
{
    struct Call
    {
        int cmdType, result, nodeType;
    };
    QVector<Call> calls;
    sDecoderInfo decoder;
    sEncoderInfo encoder;
    sDeviceData deviceData;
    sImportDataRes importRes;
    sUpdateRes update;

    void onResult(int cmdType, void *record, int result, int nodeType) override
    {
        calls.append({cmdType, result, nodeType});
        if (cmdType == Protocol::AnsScan && nodeType == 1)
            decoder = *static_cast<sDecoderInfo *>(record);
        else if (cmdType == Protocol::AnsScan && nodeType == 2)
            encoder = *static_cast<sEncoderInfo *>(record);
        else if (cmdType == 13533 || cmdType == 14017)
            deviceData = *static_cast<sDeviceData *>(record);
        else if (cmdType == 13532 || cmdType == 14016)
            importRes = *static_cast<sImportDataRes *>(record);
        else if (cmdType == 14501 || cmdType == 14502)
            update = *static_cast<sUpdateRes *>(record);
    }
    void onTransEnd(const sTransAnswer *) override {}
    void onTransProgress(const QString &, uint32_t) override {}
};

void feed(int cmdType, const QByteArray &payload, const QByteArray &ip = QByteArray())
{
    CProtocolParser().parse(cmdType, payload.constData(), size_t(payload.size()), ip);
}

// Transfer events reach observers the same way; tst_sftptransfer receives them end to end.
struct Counter final : IObserver
{
    std::atomic<int> results{0};
    std::function<void()> onCall;

    void onResult(int, void *, int, int) override
    {
        ++results;
        if (onCall)
            onCall();
    }
    void onTransEnd(const sTransAnswer *) override {}
    void onTransProgress(const QString &, uint32_t) override {}
};

// A code no record goes with: the codec tests' recorder stays out of it.
void announce() { CObserverList::instance().announceResult(0, nullptr, 0, 0); }

} // namespace

class TestCodec final : public QObject
{
    Q_OBJECT

    Recorder m_rec;

private slots:
    void init()
    {
        m_rec = Recorder();
        CObserverList::instance().add(&m_rec);
    }
    void cleanup() { CObserverList::instance().remove(&m_rec); }

    void frameHeaderByteByByte()
    {
        QByteArray frame;
        CProtocolPacker().packScan(frame);
        // 1006 = 0x03EE; the empty object "{\n}\n" makes 12 bytes in all.
        QCOMPARE(frame, QByteArray("\xEE\x03\x00\x00\x0C\x00\x00\x00{\n}\n", 12));

        CProtocolPacker().packLogLevel(3, frame);
        const QByteArray text("{\n    \"logLevel\": 3\n}\n");
        QCOMPARE(frame.mid(8), text);
        QCOMPARE(frame.left(8), QByteArray("\xF6\x03\x00\x00\x1E\x00\x00\x00", 8)); // 1014, 30 bytes
        QCOMPARE(Frame::build(0x1234, "xy", 0xABCD).left(8), QByteArray("\x34\x12\xCD\xAB\x0A\x00\x00\x00", 8));
        // What a send returns: 0x1000 or 1 is success, anything else a failure.
        QVERIFY(Protocol::sendSucceeded(0x1000) && Protocol::sendSucceeded(1));
        QVERIFY(!Protocol::sendSucceeded(0x1001) && !Protocol::sendSucceeded(0) && !Protocol::sendSucceeded(-1));
    }

    // Command codes and payloads of the requests without a record behind them.
    void simplePackers()
    {
        CProtocolPacker p;
        const std::tuple<std::function<void(QByteArray &)>, int, const char *> rows[] = {
            {[&](QByteArray &f) { p.packNetwork("10.0.0.7", "255.255.0.0", "10.0.0.1", f); }, 1007,
             R"({"ip":"10.0.0.7","mask":"255.255.0.0","getway":"10.0.0.1"})"},
            {[&](QByteArray &f) { p.packTimeBase(1700000000123, f); }, 1008, R"({"ptsBase":1700000000123})"},
            {[&](QByteArray &f) { p.packReboot(1099511627777, f); }, 1011, R"({"deviceID":1099511627777})"},
            {[&](QByteArray &f) { p.packFactoryReset(42, f); }, 1012, R"({"deviceID":42})"},
            {[&](QByteArray &f) { p.packNodeType(2, f); }, 1013, R"({"deviceType":2})"},
            {[&](QByteArray &f) { p.packDecoderExport(f); }, 3533, "{}"},
            {[&](QByteArray &f) { p.packEncoderExport(f); }, 4017, "{}"}};
        for (const auto &[pack, code, payload] : rows) {
            QByteArray f;
            pack(f);
            QCOMPARE(Frame::cmdTypeOf(f.constData()), uint16_t(code));
            QCOMPARE(Frame::lengthOf(f.constData()), uint32_t(f.size()));
            QCOMPARE(payloadOf(f), json(payload));
        }
    }

    void decoderAnswer()
    {
        feed(11006, R"({"res":3,"data":{"nodeType":1,"nodeData":{"id":1099511627777,"ip":"10.0.0.5",
            "mask":"255.255.255.0","getway":"10.0.0.1","macAddr":"M1","name":"解码器一","model":7,
            "mainVer":1,"majorVer":2,"minorVer":3,"managerIP":"10.0.0.2","w":1920,"h":1080,
            "frameRate":59.5,"audioOutput":1,"mode":2,"version":"V1.2.3","logLevel":5}}})");
        QVERIFY(m_rec.calls.size() == 1 && m_rec.calls[0].result == 3 && m_rec.calls[0].nodeType == 1);
        // Every field, through the settings command that carries all but the version (distinct
        // values: a field read or written into another's place shows).
        QByteArray f;
        CProtocolPacker().packDecoderSettings(m_rec.decoder, f);
        QCOMPARE(payloadOf(f), json(R"({"id":1099511627777,"ip":"10.0.0.5",
            "mask":"255.255.255.0","getway":"10.0.0.1","macAddr":"M1","name":"解码器一","model":7,
            "mainVer":1,"majorVer":2,"minorVer":3,"managerIP":"10.0.0.2","w":1920,"h":1080,
            "frameRate":59.5,"audioOutput":1,"mode":2,"logLevel":5})"));
        QCOMPARE(m_rec.decoder.version, QByteArray("V1.2.3"));
    }

    void decoderAnswerMissingAndWrongTypes()
    {
        // No "logLevel": the default 2 stays; no "model": 0, not the default 16;
        // an id sent as a string reads 0; no "res" gives 0.
        feed(11006, R"({"data":{"nodeType":1,"nodeData":{"id":"12345","ip":7,"w":"wide"}}})");
        QVERIFY(m_rec.calls.size() == 1 && m_rec.calls[0].result == 0);
        const sDecoderInfo &d = m_rec.decoder;
        QVERIFY(d.id == 0 && d.logLevel == 2 && d.model == 0 && d.ip.isEmpty() && d.w == 0);
        // A huge id clamps instead of overflowing the conversion.
        feed(11006, R"({"data":{"nodeType":1,"nodeData":{"id":1e300}}})");
        QCOMPARE(m_rec.decoder.id, std::numeric_limits<int64_t>::max());
    }

    void encoderAnswer()
    {
        feed(11006, R"({"res":0,"data":{"nodeType":2,"nodeData":{
            "deviceInfo":{"id":4294967297,"ip":"10.0.1.5","mask":"255.0.0.0","getway":"10.0.1.1",
                "macAddr":"M2","name":"enc","model":77,"mainVersion":1,"majorVersion":2,"minorVersion":3,
                "managerIP":"10.0.1.2","enableUSB":true,"version":"V1","logLevel":0},
            "signalInfo":{"signalID":5000000001,"sourceID":99,"signalName":"cam","signalType":4,
                "status":5,"streamUrl":"rtsp:\/\/x","sourceWidth":3840,"sourceHeight":2160,"clipEnable":true,
                "x":11,"y":12,"w":13,"h":14,"audioType":15,"a35Volume":16,"hdmiVolume":17},
            "streamInfo":{"signalID":6000000001,"username":"u","password":"p","enablePassword":true,
                "videoIP":"239.0.0.1","audioIP":"239.0.0.2","defaultPort":5000,"backupPort":5002,
                "videoFormat":"h265","audioFormat":"aac","streamIndex":21,"channel":22,"mode":23,
                "width":1280,"height":720,"frameRate":29.5,"bitRate":4096.5,"level":24,"audioGain":25,
                "interval":26}}}})");
        QCOMPARE(m_rec.calls.size(), 1);
        // Every field: the settings command (renamed keys) and the few it does not carry.
        const sEncoderInfo &e = m_rec.encoder;
        QByteArray f;
        CProtocolPacker().packEncoderSettings(e, f);
        QCOMPARE(payloadOf(f), json(R"({
            "basicInfo":{"encoderID":4294967297,"encoderIP":"10.0.1.5","subMask":"255.0.0.0",
                "getway":"10.0.1.1","macAddr":"M2","name":"enc","mainVer":1,"majorVer":2,
                "minorVer":3,"managerIP":"10.0.1.2","enableUSB":true,"logLevel":0,"signalID":5000000001},
            "signalInfo":{"signalID":5000000001,"name":"cam","type":4,"status":5,"srcWidth":3840,
                "srcHeight":2160,"clipX":11,"clipY":12,"clipW":13,"clipH":14,"audioType":15,
                "a35Volume":16,"hdmiVolume":17},
            "signalStream":{"signalID":6000000001,"username":"u","password":"p","pswEnable":true,
                "videoIP":"239.0.0.1","audioIP":"239.0.0.2","defaultPort":5000,"backupPort":5002,
                "videoEncodeFmt":"h265","audioEncodeFmt":"aac","streamIndex":21,"channel":22,
                "transtionMode":23,"width":1280,"height":720,"frameRate":29.5,"bitRate":4096.5,"level":24,
                "audioGain":25,"keyFrameInterval":26}})"));
        QVERIFY(e.sourceID == 99 && e.streamUrl == "rtsp://x" && e.clipEnable && e.model == 77 && e.version == "V1");
    }

    void exportAndImportAnswers()
    {
        feed(13533, R"({"res":1,"data":{"devData":{"id":8589934593,"ip":"10.0.0.8","type":1,"model":9},
            "version":{"main":3,"major":4,"minor":5},"data":"opaque text"}})");
        // What an export gives, an import sends back whole.
        const QJsonObject entry = json(R"({"devData":{"id":8589934593,"ip":"10.0.0.8","type":1,"model":9},
            "version":{"main":3,"major":4,"minor":5},"data":"opaque text"})");
        QByteArray f;
        CProtocolPacker().packDecoderImport(m_rec.deviceData, f);
        QVERIFY(Frame::cmdTypeOf(f.constData()) == 3532 && payloadOf(f) == entry);
        CProtocolPacker().packEncoderImport(m_rec.deviceData, f);
        QVERIFY(Frame::cmdTypeOf(f.constData()) == 4016 && payloadOf(f) == entry);
        feed(14017, R"({"res":0,"data":{}})");
        feed(14016, R"({"res":2,"data":{"ip":"10.0.0.9","name":"n","result":6}})");
        QVERIFY(m_rec.importRes.result == 6 && m_rec.importRes.ip == "10.0.0.9" && m_rec.importRes.name == "n");
        feed(13532, R"({"data":{}})");
        QCOMPARE(m_rec.calls.size(), 4);
        const int codes[] = {13533, 14017, 14016, 13532}, results[] = {1, 0, 2, 0};
        for (int i = 0; i < 4; ++i)
            QVERIFY(m_rec.calls[i].cmdType == codes[i] && m_rec.calls[i].result == results[i] && m_rec.calls[i].nodeType == -1);
    }

    void upgradeAnswers()
    {
        feed(14501, QByteArray("\x14\x00\x00\x21\xFF", 5), "10.0.0.9");
        QVERIFY(m_rec.calls.size() == 1 && m_rec.calls[0].result == 1 && m_rec.calls[0].nodeType == -1);
        QVERIFY(m_rec.update.value == Protocol::kUpgradeMd5Mismatch && m_rec.update.ip == "10.0.0.9");
        feed(14502, QByteArray("\x32\x00\x00\x00", 4), "10.0.0.9");
        QCOMPARE(m_rec.update.value, 50u);
        feed(14501, QByteArray("\x01\x00\x00", 3), "10.0.0.9"); // too short: dropped
        CProtocolParser().parse(14502, nullptr, 0, "10.0.0.9");
        QCOMPARE(m_rec.calls.size(), 2);
    }

    void refusals()
    {
        for (const auto &[cmdType, payload] : {std::pair{11006, R"({"res":1,"data":"x"})"}, std::pair{13533, R"({"res":1})"},
                                               std::pair{14016, R"([{"res":1,"data":{}}])"},
                                               std::pair{11006, R"({"data":{"nodeType":3,"nodeData":{}}})"},
                                               std::pair{11007, R"({"data":{"nodeType":1,"nodeData":{}}})"},
                                               std::pair{1006, R"({"data":{"nodeType":1,"nodeData":{}}})"}})
            feed(cmdType, payload);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^json error! "));
        feed(11006, "{\"res\":1,");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^json error! "));
        feed(13532, QByteArray());
        QCOMPARE(m_rec.calls.size(), 0);
    }

    // The body built from these is tst_upgradecommand's, caught as it leaves for a node.
    void upgradeFileNames()
    {
        QCOMPARE(UpgradeCmd::versionTextOf("nounderscore.bin"), QByteArray());
        QCOMPARE(UpgradeCmd::fileNameOf("plain.bin"), QString("plain.bin"));
        // A folder's name never decides the kind.
        QCOMPARE(UpgradeCmd::fileNameOf("C:\\fw\\decoder\\vela_1.0.bin"), QString("vela_1.0.bin"));
        QCOMPARE(UpgradeCmd::fileNameOf("/fw/.."), QString());
    }

    // East of UTC (and the value on the wire): tst_bulkcommands, against a node.
    void timeBaseWestOfUtc()
    {
        const QByteArray oldTz = qgetenv("TZ");
        const auto restore = qScopeGuard([&oldTz] {
            oldTz.isNull() ? qunsetenv("TZ") : qputenv("TZ", oldTz);
            tzset();
        });
        qputenv("TZ", "EST5"); // POSIX: five hours west
        tzset();
        const QDateTime utc(QDate(2024, 1, 15), QTime(12, 0), Qt::UTC);
        QCOMPARE(timeBaseValue(utc), utc.toMSecsSinceEpoch() - 5 * 3600 * 1000);
    }

    // How announcements reach observers while links and the window add and remove them.
    void addRemoveAndChangesDuringAnAnnouncement()
    {
        CObserverList &list = CObserverList::instance();
        Counter a, b;
        list.add(&a);
        list.add(&b);
        list.add(&a); // present twice: called twice
        announce();
        list.remove(&a); // every occurrence
        announce();
        QVERIFY(a.results == 2 && b.results == 2);
        list.remove(&b);

        Counter first, second, added;
        // The first removes the second (which may then be gone) and adds another.
        first.onCall = [&] {
            list.remove(&second);
            list.add(&added);
            list.remove(&first);
        };
        list.add(&first);
        list.add(&second);
        announce();
        QCOMPARE(second.results.load(), 0); // removed before its turn: skipped
        QCOMPARE(added.results.load(), 0);  // not in the copy
        announce();
        QVERIFY(added.results == 1 && first.results == 1);
        list.remove(&added);
    }

    void removeWaitsForACallInProgress()
    {
        Counter observer;
        std::atomic_bool left{false};
        observer.onCall = [&left] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            left = true;
        };
        CObserverList::instance().add(&observer);
        std::thread link([] { announce(); });
        QTRY_VERIFY(observer.results == 1);
        CObserverList::instance().remove(&observer);
        QVERIFY(left); // the call had ended before remove() returned
        link.join();
    }

    void concurrentAnnounceAndChange()
    {
        // Link threads announce while the GUI thread adds and removes observers.
        CObserverList &list = CObserverList::instance();
        Counter stable;
        list.add(&stable);
        std::atomic<bool> stop{false};
        std::thread announcer([&] {
            while (!stop)
                announce();
        });
        Counter churn[8];
        for (int round = 0; round < 2000; ++round) {
            for (Counter &c : churn)
                list.add(&c);
            for (Counter &c : churn)
                list.remove(&c);
        }
        stop = true;
        announcer.join();
        const int before = stable.results;
        announce();
        QCOMPARE(stable.results.load(), before + 1);
        list.remove(&stable);
    }
};

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
