#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

// Process-wide user configuration (the interface language) and the version label.
class CAppConfig final
{
    Q_DISABLE_COPY_MOVE(CAppConfig)

public:
    static CAppConfig *instance();

    QString softVersion() const;
    void setSoftVersion(const QString &version);

    // "CN", "EN", or empty / anything else until resolveLanguage() decides.
    QString language() const;
    void setLanguage(const QString &language);

    // Most nodes a bulk operation works on at once over TCP or SFTP ("maxInFlight").
    static constexpr int kDefaultMaxInFlight = 16;
    int maxInFlight() const;
    void setMaxInFlight(int n); // below 1 restores the default
    // Seconds between refreshes of the node list on its own; 0 is off (the default).
    // Anything else is held within 5..300.
    int autoRefreshSeconds() const;
    void setAutoRefreshSeconds(int seconds);
    static int boundedRefreshSeconds(int seconds);

    // Largest log file a download keeps ("maxLogFileBytes"); a bigger one fails its fetch.
    static constexpr qint64 kDefaultMaxLogFileBytes = qint64(256) * 1024 * 1024;
    qint64 maxLogFileBytes() const;
    void setMaxLogFileBytes(qint64 bytes); // below 1 restores the default

    // Network cards the scan leaves out, by card name ("scanExcludedInterfaces").
    QStringList scanExcludedInterfaces() const;
    void setScanExcludedInterfaces(const QStringList &names);
    void setInterfaceExcluded(const QString &name, bool excluded);

    // Reads the configuration file, then the version file. A file that is not a JSON object
    // is moved aside to "config.json.bad" (with a warning) and the defaults are used.
    void load();
    // Reads only "maxLogFileBytes" and moves nothing aside: the command line keeps to the
    // window's limit on log files, but not to its other settings.
    void loadLogFileLimit();
    // Where the last load put a damaged configuration file; empty when it did not.
    QString setAsidePath() const;
    // Writes {"language": ...} (and "maxInFlight", "autoRefresh", "maxLogFileBytes",
    // "scanExcludedInterfaces" when not the default) to the configuration file, only when
    // that differs from what the file holds; true when it is on disk.
    bool save() const;

    // Replaces a language that is neither "CN" nor "EN" by the operating system's.
    void resolveLanguage();
    static QString languageForUiLanguageId(uint16_t langId);

    // Documents folder + "/Orvanta/Quorvane/config", created on demand.
    QString configDir() const;
    QString configFilePath() const;
    // Tests point the configuration somewhere harmless; empty restores the default.
    void setConfigDirOverride(const QString &dir);

    // "softversion/softVersion.txt" under the current working directory.
    static QString versionFilePath();

private:
    CAppConfig() = default;
    ~CAppConfig() = default;

    void loadConfigFile();
    void loadVersionFile();
    QByteArray toJson() const;

    mutable QMutex m_mutex;
    QString m_softVersion = QStringLiteral("Quorvane");
    QString m_language;
    QString m_configDirOverride;
    int m_maxInFlight = kDefaultMaxInFlight;
    int m_autoRefreshSeconds = 0;
    qint64 m_maxLogFileBytes = kDefaultMaxLogFileBytes;
    QStringList m_scanExcluded;
    QString m_setAside;
    // What the configuration file holds as far as this process knows, and its path.
    mutable QByteArray m_savedJson;
    mutable QString m_savedPath;
};
