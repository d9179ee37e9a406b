#include <QtTest>

#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

#include "comm/datafile.h"
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

} // namespace

class TestFiles final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }

private slots:
    void entryRoundTrip()
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

        QVERIFY(DataFile::writeJsonFile(path("node.json"), QJsonDocument(entry).toJson()));
        QJsonObject read;
        QVERIFY(DataFile::readJsonFile(path("node.json"), read));
        sDeviceData back;
        DataFile::readEntry(read, back);
        // The version survives too: reader and writer agree on the keys.
        QCOMPARE(DataFile::packEntry(back), entry);
    }

    void legacyVersionKeys()
    {
        writeRaw(path("legacy.json"),
                 "{\"devData\":{\"id\":7,\"ip\":\"10.0.0.7\",\"model\":2,\"type\":2},"
                 "\"version\":{\"mainVersion\":6,\"majorVersion\":7,\"minorVersion\":8},\"data\":\"x\"}");
        QJsonObject read;
        QVERIFY(DataFile::readJsonFile(path("legacy.json"), read));
        sDeviceData back;
        DataFile::readEntry(read, back);
        QCOMPARE(back.id, int64_t(7));
        QCOMPARE(back.type, 2);
        QCOMPARE(back.mainVer, 6);
        QCOMPARE(back.majorVer, 7);
        QCOMPARE(back.minorVer, 8);
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

        writeRaw(path("array.json"), "[1, 2]");
        out = {{"keep", 1}};
        QVERIFY(!DataFile::readJsonFile(path("array.json"), out));
        QVERIFY(out.isEmpty());

        QTest::ignoreMessage(QtDebugMsg, "can't open error!");
        QVERIFY(!DataFile::writeJsonFile(path("no/such/dir/x.json"), "{}"));
    }

    void writeReplacesAtomically()
    {
        const QString target = path("atomic.json");
        writeRaw(target, "{\"old\": true}");
        // A reader holding the old file keeps the old content: the new file was
        // written beside it and renamed over it, not truncated in place.
        QFile held(target);
        QVERIFY(held.open(QIODevice::ReadOnly));
#ifdef Q_OS_WIN
        // Windows replaces no file another program holds open: the write fails, the old
        // content stays, and a later write succeeds.
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^write error! "));
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
        // A write that fails half way (file size limit) leaves the good file alone.
        const QByteArray good = readRaw(target);
        struct rlimit old {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 64;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^write error! "));
        const bool written = DataFile::writeJsonFile(target, QByteArray(100000, 'x'));
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
        QVERIFY(!written);
        QCOMPARE(readRaw(target), good);
        QCOMPARE(QDir(m_dir.path()).entryList({"atomic.json*"}, QDir::Files), QStringList{"atomic.json"});
#endif
    }

    void md5()
    {
        QByteArray out = "unchanged";
        QVERIFY(!fileMd5(path("absent.bin").toUtf8(), out));
        QCOMPARE(out, QByteArray("unchanged"));

        writeRaw(path("empty.bin"), QByteArray());
        QVERIFY(fileMd5(path("empty.bin").toUtf8(), out));
        QCOMPARE(out, QByteArray("d41d8cd98f00b204e9800998ecf8427e"));

        writeRaw(path("abc.bin"), "abc");
        QVERIFY(fileMd5(path("abc.bin").toUtf8(), out));
        QCOMPARE(out, QByteArray("900150983cd24fb0d6963f7d28e17f72")); // RFC 1321

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
