#include "appevent.h"
#include "cappconfig.h"
#include "platform/uilanguage.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestAppConfig : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void configFolderIsCreated();
    void unknownLanguageFallsBackToSystemAndIsSaved();
    void languageRuleMapsChinesePrcOnly();
    void missingOrDamagedConfigGivesDefaults();
    void versionFile();
    void saveOnlyWhenChangedAndWhole();
    void saveFailureIsReported();
    void autoRefreshIsKeptWithinItsRange();

private:
    void writeConfig(const QByteArray &content);
    QJsonObject readConfig() const;

    QTemporaryDir *m_dir = nullptr;
    QString m_oldCwd;
};

void TestAppConfig::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    CAppConfig::instance()->setConfigDirOverride(m_dir->filePath(QStringLiteral("config")));
    CAppConfig::instance()->setLanguage(QString());
    CAppConfig::instance()->setSoftVersion(QStringLiteral("Quorvane"));
}

void TestAppConfig::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    CAppConfig::instance()->setConfigDirOverride(QString());
    delete m_dir;
    m_dir = nullptr;
}

void TestAppConfig::writeConfig(const QByteArray &content)
{
    QFile f(CAppConfig::instance()->configFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QJsonObject TestAppConfig::readConfig() const
{
    QFile f(CAppConfig::instance()->configFilePath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

void TestAppConfig::configFolderIsCreated()
{
    const QString dir = m_dir->filePath(QStringLiteral("deep/er/config"));
    CAppConfig::instance()->setConfigDirOverride(dir);
    QCOMPARE(CAppConfig::instance()->configFilePath(), dir + QStringLiteral("/config.json"));
    QVERIFY(QDir(dir).exists());

    CAppConfig::instance()->setConfigDirOverride(QString());
    QVERIFY(CAppConfig::instance()->configDir().endsWith(QStringLiteral("/Orvanta/Quorvane/config")));
}

void TestAppConfig::unknownLanguageFallsBackToSystemAndIsSaved()
{
    // main() of this test runs the process with a zh_CN locale.
    writeConfig(R"({"language": "FR"})");
    CAppConfig &config = *CAppConfig::instance();
    config.load();
    QCOMPARE(config.language(), QStringLiteral("FR"));
    config.resolveLanguage();
    QCOMPARE(config.language(), QStringLiteral("CN"));
    QVERIFY(config.save());
    QCOMPARE(readConfig().value(QStringLiteral("language")).toString(), QStringLiteral("CN"));

    // A valid code is kept as it is.
    writeConfig(R"({"language": "EN"})");
    config.load();
    config.resolveLanguage();
    QCOMPARE(config.language(), QStringLiteral("EN"));
    QCOMPARE(config.maxInFlight(), CAppConfig::kDefaultMaxInFlight);

    // The operator's in-flight limit survives a save; a nonsense value gives the default.
    writeConfig(R"({"language": "EN", "maxInFlight": 40})");
    config.load();
    QVERIFY(config.save());
    QCOMPARE(readConfig().value(QStringLiteral("maxInFlight")).toInt(), 40);
    writeConfig(R"({"language": "EN", "maxInFlight": 0})");
    config.load();
    QCOMPARE(config.maxInFlight(), CAppConfig::kDefaultMaxInFlight);

    // The cards left out of the scan are read back; a file without the key has none.
    writeConfig(R"({"language": "EN", "scanExcludedInterfaces": ["eth1", "", "wlan0", "eth1"]})");
    config.load();
    QCOMPARE(config.scanExcludedInterfaces(), (QStringList{"eth1", "wlan0"}));
    writeConfig(R"({"language": "EN"})");
    config.load();
    QVERIFY(config.scanExcludedInterfaces().isEmpty());
}

void TestAppConfig::languageRuleMapsChinesePrcOnly()
{
    QCOMPARE(Platform::userDefaultUiLanguageId(), Platform::kLangChinesePrc);
    QCOMPARE(CAppConfig::languageForUiLanguageId(0x0804), QStringLiteral("CN"));
    QCOMPARE(CAppConfig::languageForUiLanguageId(0x0404), QStringLiteral("EN")); // Chinese of Taiwan
    QCOMPARE(Platform::uiLanguageIdForLocaleName(QStringLiteral("zh_CN.UTF-8")), Platform::kLangChinesePrc);
    QVERIFY(Platform::uiLanguageIdForLocaleName(QStringLiteral("zh_TW.UTF-8")) != Platform::kLangChinesePrc);
}

void TestAppConfig::missingOrDamagedConfigGivesDefaults()
{
    CAppConfig &config = *CAppConfig::instance();
    config.setLanguage(QStringLiteral("EN"));
    config.load(); // no file yet
    QCOMPARE(config.language(), QString());
    QVERIFY(config.setAsidePath().isEmpty());

    // A damaged file is kept aside for the operator, with a warning, and not overwritten
    // by the defaults at the next save.
    const QString path = config.configFilePath();
    for (const QByteArray &damaged : {QByteArray("{\"language\": \"EN\", \"maxInFlight\": "), QByteArray("[\"EN\"]")}) {
        writeConfig(damaged);
        config.setLanguage(QStringLiteral("EN"));
        config.setMaxInFlight(40);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("damaged; it is kept as .*config\\.json\\.bad")));
        config.load();
        QCOMPARE(config.language(), QString());
        QCOMPARE(config.maxInFlight(), CAppConfig::kDefaultMaxInFlight);
        QCOMPARE(config.setAsidePath(), path + QStringLiteral(".bad"));
        QVERIFY(!QFile::exists(path));
        QVERIFY(config.save());
        QFile bad(path + QStringLiteral(".bad"));
        QVERIFY(bad.open(QIODevice::ReadOnly));
        QCOMPARE(bad.readAll(), damaged);
    }

    writeConfig(R"({"other": 1})");
    config.setLanguage(QStringLiteral("EN"));
    config.load();
    QCOMPARE(config.language(), QString());
    QVERIFY(config.setAsidePath().isEmpty());
}

void TestAppConfig::versionFile()
{
    CAppConfig::instance()->load();
    QCOMPARE(CAppConfig::instance()->softVersion(), QStringLiteral("Quorvane"));
    QVERIFY(QDir(QStringLiteral("softversion")).exists());

    QFile f(QStringLiteral("softversion/softVersion.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("softname:\"Box\"\nsoftcode:\"V1.2\"\n");
    f.close();
    CAppConfig::instance()->load();
    QCOMPARE(CAppConfig::instance()->softVersion(), QStringLiteral("Box_V1.2"));
}

void TestAppConfig::saveOnlyWhenChangedAndWhole()
{
    CAppConfig &config = *CAppConfig::instance();
    writeConfig("{\n    \"language\": \"EN\",\n    \"padding\": \"" + QByteArray(4096, 'x') + "\"\n}\n");
    config.load();
    const auto inode = [&config] {
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
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray written = f.readAll();
    QVERIFY(written.contains('\n')); // indented
    const QJsonObject o = QJsonDocument::fromJson(written).object();
    QCOMPARE(o.keys(), (QStringList{QStringLiteral("language"), QStringLiteral("maxLogFileBytes")}));
    QCOMPARE(o.value(QStringLiteral("language")).toString(), QStringLiteral("CN"));
    config.load();
    QCOMPARE(config.maxLogFileBytes(), qint64(5) << 30);
    // A new file renamed into place, not the old one truncated and rewritten, and no
    // temporary left behind.
    QVERIFY(inode() != loaded);
    QCOMPARE(QDir(config.configDir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("config.json")});

    config.setMaxLogFileBytes(0); // the default again: not written
    QVERIFY(config.save());
    QVERIFY(!readConfig().contains(QStringLiteral("maxLogFileBytes")));
}

void TestAppConfig::autoRefreshIsKeptWithinItsRange()
{
    CAppConfig &config = *CAppConfig::instance();
    writeConfig(R"({"language": "CN", "autoRefresh": 2})");
    config.load();
    QCOMPARE(config.autoRefreshSeconds(), 5);
    config.setAutoRefreshSeconds(3600);
    QVERIFY(config.save());
    QCOMPARE(readConfig().value(QStringLiteral("autoRefresh")).toInt(), 300);
    config.setAutoRefreshSeconds(0); // off, the default: not written
    QVERIFY(config.save());
    QVERIFY(!readConfig().contains(QStringLiteral("autoRefresh")));
    config.load();
    QCOMPARE(config.autoRefreshSeconds(), 0);
}

void TestAppConfig::saveFailureIsReported()
{
    CAppConfig &config = *CAppConfig::instance();
    // A folder where the file should be: nothing can be written there.
    QVERIFY(QDir().mkpath(config.configFilePath()));
    config.setLanguage(QStringLiteral("EN"));
    QVERIFY(!config.save());
    QVERIFY(QFileInfo(config.configFilePath()).isDir());
}

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
