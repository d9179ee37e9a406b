#include "config/cappconfig.h"
#include "platform/uilanguage.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestAppConfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
    CAppConfig &config = *CAppConfig::instance();

    void writeConfig(const QByteArray &content)
    {
        QFile f(config.configFilePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QJsonObject readConfig() const
    {
        QFile f(config.configFilePath());
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        // Made on demand, with every missing parent.
        config.setConfigDirOverride(m_dir->filePath(QStringLiteral("deep/config")));
        QCOMPARE(config.configFilePath(), m_dir->filePath(QStringLiteral("deep/config/config.json")));
        QVERIFY(QDir(m_dir->filePath(QStringLiteral("deep/config"))).exists());
#ifdef Q_OS_UNIX
        // It holds the command history: the user's alone.
        const auto others = QFile::ReadGroup | QFile::ReadOther | QFile::ExeGroup | QFile::ExeOther;
        QCOMPARE(QFile::permissions(m_dir->filePath(QStringLiteral("deep/config"))) & others, QFile::Permissions());
#endif
        config.setLanguage(QString());
        config.setSoftVersion(QStringLiteral("Quorvane"));
    }

    void cleanup()
    {
        QDir::setCurrent(m_oldCwd);
        config.setConfigDirOverride(QString());
        m_dir.reset();
    }

    void languageAndSettingsAreReadAndSaved()
    {
        // main() of this test runs the process with a zh_CN locale.
        QCOMPARE(Platform::userDefaultUiLanguageId(), Platform::kLangChinesePrc);
        QCOMPARE(CAppConfig::languageForUiLanguageId(0x0404), QStringLiteral("EN")); // Chinese of Taiwan
        QVERIFY(Platform::uiLanguageIdForLocaleName(QStringLiteral("zh_TW.UTF-8")) != Platform::kLangChinesePrc);
        writeConfig(R"({"language": "FR"})");
        config.load();
        QCOMPARE(config.language(), QStringLiteral("FR"));
        config.resolveLanguage();
        QCOMPARE(config.language(), QStringLiteral("CN"));
        writeConfig(R"({"language": "EN"})"); // a valid code is kept as it is
        config.load();
        config.resolveLanguage();
        QCOMPARE(config.language(), QStringLiteral("EN"));

        // The operator's values survive a save; nonsense gives the default or the nearest bound.
        writeConfig(R"({"language": "EN", "maxInFlight": 40, "autoRefresh": 2,
                        "scanExcludedInterfaces": ["eth1", "", "wlan0", "eth1"]})");
        config.load();
        QCOMPARE(config.autoRefreshSeconds(), 5);
        QCOMPARE(config.scanExcludedInterfaces(), (QStringList{"eth1", "wlan0"}));
        config.setAutoRefreshSeconds(3600);
        QVERIFY(config.save());
        QCOMPARE(readConfig().value(QStringLiteral("maxInFlight")).toInt(), 40);
        QCOMPARE(readConfig().value(QStringLiteral("autoRefresh")).toInt(), 300);
        writeConfig(R"({"language": "EN", "maxInFlight": 0})");
        config.load();
        QCOMPARE(config.maxInFlight(), CAppConfig::kDefaultMaxInFlight);
        QVERIFY(config.scanExcludedInterfaces().isEmpty());
        QCOMPARE(config.autoRefreshSeconds(), 0);
    }

    void missingOrDamagedConfigGivesDefaults()
    {
        config.setLanguage(QStringLiteral("EN"));
        config.load(); // no file yet
        QCOMPARE(config.language(), QString());
        QVERIFY(config.setAsidePath().isEmpty());
        QCOMPARE(config.softVersion(), QStringLiteral("Quorvane"));
        QFile version(QStringLiteral("softversion/softVersion.txt")); // the folder was made by the load
        QVERIFY(version.open(QIODevice::WriteOnly));
        version.write("softname:\"Box\"\nsoftcode:\"V1.2\"\n");
        version.close();

        // A damaged file is kept aside for the operator, with a warning, and not overwritten
        // by the defaults at the next save.
        const QString path = config.configFilePath();
        for (const QByteArray &damaged : {QByteArray("{\"language\": \"EN\", \"maxInFlight\": "), QByteArray("[\"EN\"]")}) {
            writeConfig(damaged);
            config.setMaxInFlight(40);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("damaged; it is kept as .*config\\.json\\.bad")));
            config.load();
            QCOMPARE(config.language(), QString());
            QCOMPARE(config.maxInFlight(), CAppConfig::kDefaultMaxInFlight);
            QCOMPARE(config.setAsidePath(), path + QStringLiteral(".bad"));
            QVERIFY(!QFile::exists(path));
            QVERIFY(config.save());
            QFile bad(path + QStringLiteral(".bad"));
            QCOMPARE(bad.open(QIODevice::ReadOnly) ? bad.readAll() : QByteArray(), damaged);
        }
        writeConfig(R"({"other": 1})"); // valid, only without the key
        config.load();
        QVERIFY(config.setAsidePath().isEmpty());
        QCOMPARE(config.softVersion(), QStringLiteral("Box_V1.2"));
    }

    void saveOnlyWhenChangedAndWhole()
    {
        writeConfig("{\n    \"language\": \"EN\",\n    \"padding\": \"" + QByteArray(4096, 'x') + "\"\n}\n");
        config.load();
        const auto inode = [this] {
#ifdef Q_OS_UNIX
            struct stat st {};
            return ::stat(QFile::encodeName(config.configFilePath()).constData(), &st) == 0 ? qint64(st.st_ino) : -1;
#else
            return QFileInfo(config.configFilePath()).lastModified().toMSecsSinceEpoch();
#endif
        };
        const qint64 loaded = inode();
        // Saved on every activation change of the window: nothing changed, nothing written.
        QVERIFY(config.save());
        QCOMPARE(inode(), loaded);

        config.setLanguage(QStringLiteral("CN"));
        config.setMaxLogFileBytes(qint64(5) << 30);
        QVERIFY(config.save());
        QFile f(config.configFilePath());
        const QByteArray written = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        f.close(); // Windows replaces no file that is open
        // Indented, and only the values that differ from the defaults.
        QVERIFY(written.contains('\n'));
        QCOMPARE(QJsonDocument::fromJson(written).object().keys(), (QStringList{"language", "maxLogFileBytes"}));
        config.load();
        QCOMPARE(config.maxLogFileBytes(), qint64(5) << 30);
        // A new file renamed into place, not the old one truncated and rewritten, and no
        // temporary left behind.
        QVERIFY(inode() != loaded);
        QCOMPARE(QDir(config.configDir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("config.json")});
        config.setMaxLogFileBytes(0); // the default again: not written
        QVERIFY(config.save());
        QVERIFY(!readConfig().contains(QStringLiteral("maxLogFileBytes")));

        // A folder where the file should be: nothing can be written there.
        QVERIFY(QFile::remove(config.configFilePath()) && QDir().mkpath(config.configFilePath()));
        config.setLanguage(QStringLiteral("EN"));
        QVERIFY(!config.save());
        QVERIFY(QFileInfo(config.configFilePath()).isDir());
    }
};

int main(int argc, char *argv[])
{
    // The operating-system language is read from the locale on Linux.
    qputenv("LC_ALL", "zh_CN.UTF-8");
    qputenv("LANG", "zh_CN.UTF-8");
    QCoreApplication app(argc, argv);
    TestAppConfig test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cappconfig.moc"
