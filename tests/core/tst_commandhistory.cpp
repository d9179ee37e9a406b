#include <QFile>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

#include "history/ccommandhistory.h"

class TestCommandHistory final : public QObject
{
    Q_OBJECT

private slots:
    void linesAfterABulkCommand()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("config/history.jsonl"));
        CCommandHistory history(path);
        const QVector<sHistoryNode> restart{{1, QStringLiteral("10.0.0.1"), QStringLiteral("重启成功"), true},
                                            {2, QStringLiteral("10.0.0.2"), QStringLiteral("重启失败"), false}};
        QVERIFY(history.append(QStringLiteral("设备重启"), restart));
        const int64_t bigId = std::numeric_limits<int64_t>::max();
        QVERIFY(history.append(QStringLiteral("恢复出厂设置"), {{bigId, QStringLiteral("10.0.0.3"), QString(), true}}));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count('\n'), 2); // two lines, each ended
        const QVector<sHistoryEntry> entries = history.entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(0).command, QStringLiteral("恢复出厂设置")); // newest first
        QCOMPARE(entries.at(0).nodes.at(0).id, bigId);
        QCOMPARE(entries.at(1).nodes, restart);
        QVERIFY(qAbs(entries.at(1).when.secsTo(QDateTime::currentDateTimeUtc())) < 60);
#ifdef Q_OS_UNIX
        // What was sent to which node is the user's alone, folder and file.
        const auto others = QFile::ReadGroup | QFile::ReadOther | QFile::ExeGroup | QFile::ExeOther;
        QCOMPARE(QFile::permissions(path) & others, QFile::Permissions());
        QCOMPARE(QFile::permissions(dir.filePath(QStringLiteral("config"))) & others, QFile::Permissions());
#endif

        // A line cut short by a crash is skipped and does not swallow the next one.
        file.close();
        QVERIFY(file.open(QIODevice::Append));
        file.write("{\"time\":\"2026-");
        file.close();
        QVERIFY(history.append(QStringLiteral("同步系统时间"), {}));
        QCOMPARE(history.entries().size(), 3);

#ifdef Q_OS_UNIX
        // A full disk: the append fails and the file is as it was, with no half line.
        const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        struct rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        struct rlimit full = old;
        full.rlim_cur = rlim_t(before.size() + 10);
        setrlimit(RLIMIT_FSIZE, &full);
        const bool appended = history.append(QStringLiteral("设备重启"), restart);
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
        QVERIFY(!appended);
        QFile after(path);
        QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), before);
#endif
    }

    // The command line holds the lock: the window's append waits for it, then goes in.
    void appendWaitsForTheOtherWriter()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.jsonl"));
        QLockFile other(path + QStringLiteral(".lock"));
        QVERIFY(other.tryLock(0));
        bool appended = false;
        std::thread writer([&] { appended = CCommandHistory(path).append(QStringLiteral("设备重启"), {}); });
        QTest::qWait(300);
        QVERIFY(!QFile::exists(path));
        other.unlock();
        writer.join();
        QVERIFY(appended && CCommandHistory(path).entries().size() == 1);
    }

    // The window and the command line: two histories on one file, each with its own
    // mutex, so only the lock file keeps them apart. Rotation drops the oldest entries,
    // never one in the middle, and each file stays within its limit.
    void rotationUnderTwoWriters()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.jsonl"));
        constexpr int kEach = 100;
        constexpr qint64 kMax = 1500;
        std::vector<std::thread> writers;
        for (int w = 0; w < 2; ++w) {
            writers.emplace_back([path, w] {
                CCommandHistory history(path, kMax);
                for (int i = 0; i < kEach; ++i)
                    history.append(QStringLiteral("w%1").arg(w), {{i, QStringLiteral("10.0.0.1"), QString(), true}});
            });
        }
        for (std::thread &writer : writers)
            writer.join();

        QVERIFY(QFileInfo(path).size() <= kMax);
        QVERIFY(QFileInfo(path + ".1").size() > kMax / 2 && QFileInfo(path + ".1").size() <= kMax);
        QVERIFY(!QFile::exists(path + ".lock"));
        int lines = 0;
        for (const QString &name : {path, path + ".1"}) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::ReadOnly));
            lines += f.readAll().count('\n');
        }
        const QVector<sHistoryEntry> entries = CCommandHistory(path, kMax).entries();
        QCOMPARE(entries.size(), lines); // every line whole
        QHash<QString, QVector<int64_t>> seen; // each writer's numbers, newest first
        for (const sHistoryEntry &e : entries)
            seen[e.command].append(e.nodes.at(0).id);
        for (const QVector<int64_t> &ids : qAsConst(seen)) {
            QCOMPARE(ids.first(), int64_t(kEach - 1));
            for (int i = 1; i < ids.size(); ++i)
                QCOMPARE(ids.at(i), ids.at(i - 1) - 1);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandHistory)
#include "tst_commandhistory.moc"
