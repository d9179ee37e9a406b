#include <QFile>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>
#include <thread>
#include <vector>

#include "ccommandhistory.h"

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
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3); // two lines, each ended
        const QJsonObject first = QJsonDocument::fromJson(lines.at(0)).object();
        QCOMPARE(first.keys(), (QStringList{"command", "nodes", "time"}));
        QCOMPARE(first.value("nodes").toArray().at(1).toObject().value("ok").toBool(), false);

        const QVector<sHistoryEntry> entries = history.entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(0).command, QStringLiteral("恢复出厂设置")); // newest first
        QCOMPARE(entries.at(0).nodes.at(0).id, bigId);
        QCOMPARE(entries.at(1).nodes, restart);
        QVERIFY(qAbs(entries.at(1).when.secsTo(QDateTime::currentDateTimeUtc())) < 60);

        // A line cut short by a crash is skipped and does not swallow the next one.
        file.close();
        QVERIFY(file.open(QIODevice::Append));
        file.write("{\"time\":\"2026-");
        file.close();
        QVERIFY(history.append(QStringLiteral("同步系统时间"), {}));
        QCOMPARE(history.entries().size(), 3);
        QCOMPARE(history.entries().at(0).command, QStringLiteral("同步系统时间"));
    }

    void rotatesKeepingOneOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.jsonl"));
        CCommandHistory history(path, 1000);
        const QVector<sHistoryNode> node{{5, QStringLiteral("10.0.0.5"), QStringLiteral("成功"), true}};
        for (int i = 0; i < 40; ++i)
            QVERIFY(history.append(QStringLiteral("command %1").arg(i), node));
        QVERIFY(QFileInfo(path).size() <= 1000);
        QVERIFY(QFileInfo(path + ".1").size() <= 1000);
        QVERIFY(!QFile::exists(path + ".2"));
        const QVector<sHistoryEntry> entries = history.entries();
        QCOMPARE(entries.first().command, QStringLiteral("command 39"));
        // What is left is the newest run of commands, without gaps.
        QVERIFY(entries.size() > 5 && entries.size() < 40);
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(entries.at(i).command, QStringLiteral("command %1").arg(39 - i));
    }

    void appendsFromManyThreads()
    {
        QTemporaryDir dir;
        CCommandHistory history(dir.filePath(QStringLiteral("history.jsonl")));
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&history, t] {
                for (int i = 0; i < 50; ++i)
                    history.append(QStringLiteral("t%1").arg(t), {{i, QStringLiteral("10.0.0.1"), QString(), true}});
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QFile file(dir.filePath(QStringLiteral("history.jsonl")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count('\n'), 200);
        QCOMPARE(history.entries().size(), 200); // every line whole
    }
};

QTEST_GUILESS_MAIN(TestCommandHistory)
#include "tst_commandhistory.moc"
