#pragma once

#include <QMutex>
#include <QString>

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

    // Reads the configuration file, then the version file.
    void load();
    // Writes {"language": ...} (and "maxInFlight" when not the default) to the configuration file; true when it is on disk.
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

    mutable QMutex m_mutex;
    QString m_softVersion = QStringLiteral("Quorvane");
    QString m_language;
    QString m_configDirOverride;
    int m_maxInFlight = kDefaultMaxInFlight;
};
