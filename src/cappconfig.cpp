#include "cappconfig.h"

#include "platform/uilanguage.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace {
const QString kConfigSubDir = QStringLiteral("/Orvanta/Quorvane/config");
const QString kConfigFileName = QStringLiteral("/config.json");
const QString kVersionDir = QStringLiteral("softversion");
const QString kVersionFileName = QStringLiteral("softVersion.txt");

QString valueAfterColon(const QString &line)
{
    const int colon = line.indexOf(QLatin1Char(':'));
    QString value = colon < 0 ? QString() : line.mid(colon + 1);
    value.remove(QLatin1Char('"'));
    return value;
}
} // namespace

CAppConfig *CAppConfig::instance()
{
    // Never destroyed: widgets may still ask for it while statics are torn down.
    static CAppConfig *config = new CAppConfig;
    return config;
}

QString CAppConfig::softVersion() const
{
    QMutexLocker lock(&m_mutex);
    return m_softVersion;
}

void CAppConfig::setSoftVersion(const QString &version)
{
    QMutexLocker lock(&m_mutex);
    m_softVersion = version;
}

QString CAppConfig::language() const
{
    QMutexLocker lock(&m_mutex);
    return m_language;
}

void CAppConfig::setLanguage(const QString &language)
{
    QMutexLocker lock(&m_mutex);
    m_language = language;
}

int CAppConfig::maxInFlight() const
{
    QMutexLocker lock(&m_mutex);
    return m_maxInFlight;
}

void CAppConfig::setMaxInFlight(int n)
{
    QMutexLocker lock(&m_mutex);
    m_maxInFlight = n >= 1 ? n : kDefaultMaxInFlight;
}

QString CAppConfig::configDir() const
{
    QString dir;
    {
        QMutexLocker lock(&m_mutex);
        dir = m_configDirOverride;
    }
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + kConfigSubDir;
    QDir().mkpath(dir);
    return dir;
}

QString CAppConfig::configFilePath() const
{
    return configDir() + kConfigFileName;
}

void CAppConfig::setConfigDirOverride(const QString &dir)
{
    QMutexLocker lock(&m_mutex);
    m_configDirOverride = dir;
}

QString CAppConfig::versionFilePath()
{
    return QDir::current().filePath(kVersionDir + QLatin1Char('/') + kVersionFileName);
}

void CAppConfig::load()
{
    loadConfigFile();
    loadVersionFile();
}

void CAppConfig::loadConfigFile()
{
    QByteArray content;
    QFile file(configFilePath());
    if (file.open(QIODevice::ReadOnly)) {
        content = file.readAll();
        file.close();
    } else {
        qDebug() << "can't open error!";
    }

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(content, &error);
    if (error.error == QJsonParseError::NoError || doc.isNull()) {
        // A missing key gives an empty code, which resolveLanguage() replaces.
        setLanguage(doc.object().value(QStringLiteral("language")).toString());
        setMaxInFlight(doc.object().value(QStringLiteral("maxInFlight")).toInt(kDefaultMaxInFlight));
    }
}

void CAppConfig::loadVersionFile()
{
    QDir::current().mkpath(kVersionDir);
    QFile file(versionFilePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "can't open softVersion error!";
        return;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QString label = softVersion();
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.contains(QLatin1String("softname")))
            label = valueAfterColon(line);
        if (line.contains(QLatin1String("softcode")))
            label += QLatin1Char('_') + valueAfterColon(line);
    }
    setSoftVersion(label);
}

bool CAppConfig::save() const
{
    QJsonObject root;
    root.insert(QStringLiteral("language"), language());
    // Written only when the operator chose a value of their own, so it survives the save.
    if (maxInFlight() != kDefaultMaxInFlight)
        root.insert(QStringLiteral("maxInFlight"), maxInFlight());
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Indented);

    // Written beside the old file and renamed over it, so a failed write never
    // leaves a truncated configuration behind.
    QSaveFile file(configFilePath());
    if (!file.open(QIODevice::WriteOnly)) {
        qDebug() << "JsonFile <<< can't open error!";
        return false;
    }
    if (file.write(json) != json.size() || !file.commit()) {
        qDebug() << "JsonFile <<< can't write error!";
        return false;
    }
    qDebug() << "save JsonFile <<< success!";
    return true;
}

QString CAppConfig::languageForUiLanguageId(uint16_t langId)
{
    return langId == Platform::kLangChinesePrc ? QStringLiteral("CN") : QStringLiteral("EN");
}

void CAppConfig::resolveLanguage()
{
    const QString lang = language();
    if (lang == QLatin1String("CN") || lang == QLatin1String("EN"))
        return;
    setLanguage(languageForUiLanguageId(Platform::userDefaultUiLanguageId()));
}
