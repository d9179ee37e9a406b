#include <QtTest>

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

#include "comm/datafile.h"
#include "model/nodecsv.h"
#include "model/plaintext.h"
#include "operations/csiteinventory.h"
#include "transfer/csftpclient.h"
#include "transfer/filemd5.h"

namespace {

void writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

QByteArray readRaw(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

#ifdef Q_OS_UNIX
// Runs write with the process's file size limit at limit bytes: a disk that fills up.
template<typename F> bool withFileSizeLimit(rlim_t limit, F write)
{
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = write();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    return written;
}
#endif

} // namespace

class TestFiles final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }

private slots:
    void entryRoundTripAndLegacyKeys()
    {
        sDeviceData d;
        d.id = 8589934593;
        d.ip = "10.0.0.8";
        d.type = 1;
        d.model = 9;
        d.mainVer = 3;
        d.majorVer = 4;
        d.minorVer = 5;
        d.data = "配置 text";
        const QJsonObject entry = DataFile::packEntry(d);
        QCOMPARE(entry, QJsonDocument::fromJson(
            "{\"devData\":{\"id\":8589934593,\"ip\":\"10.0.0.8\",\"model\":9,\"type\":1},"
            "\"version\":{\"main\":3,\"major\":4,\"minor\":5},\"data\":\"配置 text\"}").object());
        sDeviceData back;
        DataFile::readEntry(entry, back);
        QCOMPARE(DataFile::packEntry(back), entry); // reader and writer agree on the keys
        QJsonObject read;

        writeRaw(path("legacy.json"), "{\"devData\":{\"id\":7,\"type\":2},"
                                      "\"version\":{\"mainVersion\":6,\"majorVersion\":7,\"minorVersion\":8}}");
        QVERIFY(DataFile::readJsonFile(path("legacy.json"), read));
        DataFile::readEntry(read, back);
        QCOMPARE(QVector<int>({back.mainVer, back.majorVer, back.minorVer}), QVector<int>({6, 7, 8}));
    }

    void badFiles()
    {
        QJsonObject out{{"keep", 1}};
        QTest::ignoreMessage(QtDebugMsg, "can't open error!");
        QVERIFY(!DataFile::readJsonFile(path("absent.json"), out));
        QCOMPARE(out.value("keep").toInt(), 1); // unchanged

        writeRaw(path("broken.json"), "{\"devData\": ");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Json格式错误！ "));
        QVERIFY(!DataFile::readJsonFile(path("broken.json"), out));
        QVERIFY(out.isEmpty());

        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^can't open error! "));
        QVERIFY(!DataFile::writeJsonFile(path("no/such/dir/x.json"), "{}"));
    }

    void exportFileIsWholeAndPrivate()
    {
        const QString target = path("de10.0.0.8.json");
        writeRaw(target, "{\"old\": true}");
        // A reader holding the old file keeps the old content: the new file was
        // written beside it and renamed over it, not truncated in place.
        QFile held(target);
        QVERIFY(held.open(QIODevice::ReadOnly));
#ifdef Q_OS_WIN
        // Windows replaces no file another program holds open: the write fails, the old
        // content stays, and a later write succeeds.
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("could not be replaced"));
        QVERIFY(!DataFile::writeJsonFile(target, "{\"new\": true}"));
        QCOMPARE(readRaw(target), QByteArray("{\"old\": true}"));
        held.close();
        QVERIFY(DataFile::writeJsonFile(target, "{\"new\": true}"));
#else
        QVERIFY(DataFile::writeJsonFile(target, "{\"new\": true}"));
        QCOMPARE(held.readAll(), QByteArray("{\"old\": true}"));
#endif
        QCOMPARE(readRaw(target), QByteArray("{\"new\": true}"));
#ifdef Q_OS_UNIX
        // The node's data holds its stream passwords: nobody but the user reads it.
        QCOMPARE(QFile::permissions(target) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());

        // The disk fills up, once with a file small enough to sit in a write buffer until
        // the end, once with one that goes to the disk at once: neither is reported as
        // written, the old file stays as it was and no temporary is left behind.
        for (const int size : {100, 100000}) {
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^can't open error! "));
            QVERIFY(!withFileSizeLimit(64, [&] { return DataFile::writeJsonFile(target, QByteArray(size, 'x')); }));
            QCOMPARE(readRaw(target), QByteArray("{\"new\": true}"));
        }
        QCOMPARE(QDir(m_dir.path()).entryList({"*de10.0.0.8*"}, QDir::Files | QDir::Hidden), QStringList{"de10.0.0.8.json"});

        // The node list keeps the permissions its file had, and fails the same way.
        const QString csv = path("nodes.csv");
        writeRaw(csv, "old");
        QVERIFY(QFile::setPermissions(csv, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(NodeCsv::writeFile(csv, "new"));
        QCOMPARE(QFile::permissions(csv) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions(QFile::ReadGroup));
        QString error;
        QVERIFY(!withFileSizeLimit(1, [&] { return NodeCsv::writeFile(csv, "newer", &error); }));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readRaw(csv), QByteArray("new"));
        // So does a site inventory: a full disk leaves the one saved before, whole.
        const QString site = path("site.json");
        const QVector<sListedNode> rows(50, NodeCsv::listed(sDecoderInfo{}));
        QVERIFY(CSiteInventory::fromRows(rows.mid(0, 1)).save(site, &error));
        QVERIFY(!withFileSizeLimit(64, [&] { return CSiteInventory::fromRows(rows).save(site, &error); }));
        CSiteInventory back;
        QVERIFY2(back.load(site, &error) && back.nodes().size() == 1, qPrintable(error));
#endif
    }

    void csvAndPlainTextCannotForgeCells()
    {
        sDecoderInfo d;
        d.id = 7;
        d.ip = "10.0.0.7";
        d.name = "a;b"; // a cell boundary where ';' separates lists
        d.version = "=1+2";
        d.nodeType = DecoderNode;
        const QByteArray csv = NodeCsv::toCsv({NodeCsv::listed(d)}, QStringLiteral("EN"), false);
        QVERIFY2(csv.contains(",\"a;b\",") && csv.contains(",'=1+2,"), csv.constData());

        // One line whatever the node sent; text without control characters is left alone.
        QCOMPARE(PlainText::singleLine(QStringLiteral("hall\n10.0.0.9\tdecoder\r\x1b[2J\x7f")),
                 QStringLiteral("hall\\n10.0.0.9\\tdecoder\\r\\x1b[2J\\x7f"));
        QCOMPARE(PlainText::singleLine(QString::fromUtf8("a\u2028b\u202ec")), QStringLiteral("a\\u2028b\\u202ec"));
        QCOMPARE(PlainText::singleLine(QStringLiteral("大屏 a\\b")), QStringLiteral("大屏 a\\b"));
    }

    void logNamesThatMayBecomeFiles()
    {
        for (const char *name : {"a.log", "log_proxy.1", "..log", "Com10.txt", "console.log", "A-b_9"})
            QVERIFY2(csftpclient::isSafeLogName(name), name);
        // Ways out of the folder, characters Windows refuses or a terminal obeys, device
        // names (any case, any extension), trailing dots and blanks, and overlong names.
        for (const char *name : {"", ".", "..", "../x.log", "..\\x.log", "a:b", "x log", "a\nb", "a\x1b", "CON", "nul.txt",
                                 "Com1", "lpt9.log.1", "aux.", "x.log.", "x.log ", "é.log"})
            QVERIFY2(!csftpclient::isSafeLogName(name), name);
        QVERIFY(csftpclient::isSafeLogName(QByteArray(128, 'a')));
        QVERIFY(!csftpclient::isSafeLogName(QByteArray(129, 'a')));
    }

    void md5()
    {
        QByteArray out = "unchanged";
        QVERIFY(!fileMd5(path("absent.bin").toUtf8(), out));
        QCOMPARE(out, QByteArray("unchanged"));

        // Exactly two read blocks; digest taken with md5sum.
        QByteArray block(4096, '\0');
        for (int i = 0; i < block.size(); ++i)
            block[i] = char((i * 31 + 7) & 0xff);
        writeRaw(path("4096.bin"), block);
        QVERIFY(fileMd5(path("4096.bin").toUtf8(), out));
        QCOMPARE(out, QByteArray("88c3b31b216d705c77b752990f1b55f5"));
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
