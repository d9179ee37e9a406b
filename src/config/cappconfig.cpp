#include "config/cappconfig.h"

#include "platform/filesafety.h"
#include "platform/uilanguage.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
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

int CAppConfig::boundedRefreshSeconds(int seconds)
{
    return seconds <= 0 ? 0 : qBound(5, seconds, 300);
}

int CAppConfig::autoRefreshSeconds() const
{
    QMutexLocker lock(&m_mutex);
    return m_autoRefreshSeconds;
}

void CAppConfig::setAutoRefreshSeconds(int seconds)
{
    QMutexLocker lock(&m_mutex);
    m_autoRefreshSeconds = boundedRefreshSeconds(seconds);
}

qint64 CAppConfig::maxLogFileBytes() const
{
    QMutexLocker lock(&m_mutex);
    return m_maxLogFileBytes;
}

void CAppConfig::setMaxLogFileBytes(qint64 bytes)
{
    QMutexLocker lock(&m_mutex);
    m_maxLogFileBytes = bytes >= 1 ? bytes : kDefaultMaxLogFileBytes;
}

QStringList CAppConfig::scanExcludedInterfaces() const
{
    QMutexLocker lock(&m_mutex);
    return m_scanExcluded;
}

void CAppConfig::setScanExcludedInterfaces(const QStringList &names)
{
    QMutexLocker lock(&m_mutex);
    m_scanExcluded = names;
    m_scanExcluded.removeAll(QString());
    m_scanExcluded.removeDuplicates();
}

void CAppConfig::setInterfaceExcluded(const QString &name, bool excluded)
{
    QMutexLocker lock(&m_mutex);
    m_scanExcluded.removeAll(name);
    if (excluded && !name.isEmpty())
        m_scanExcluded.append(name);
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
    // It holds the command history too: made private to the user.
    Platform::makeOwnerFolder(dir);
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
    m_savedJson.clear();
    m_savedPath.clear();
}

QString CAppConfig::setAsidePath() const
{
    QMutexLocker lock(&m_mutex);
    return m_setAside;
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

void CAppConfig::loadLogFileLimit()
{
    QFile file(configFilePath());
    if (file.open(QIODevice::ReadOnly))
        setMaxLogFileBytes(qint64(QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("maxLogFileBytes")).toDouble(0)));
}

void CAppConfig::loadConfigFile()
{
    const QString path = configFilePath();
    QByteArray content;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        content = file.readAll();
        file.close();
    } else {
        qDebug() << "can't open error!";
    }

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(content, &error);
    QString setAside;
    if (!content.trimmed().isEmpty() && !doc.isObject()) {
        // Kept for the operator to look at, rather than silently overwritten by the defaults.
        setAside = path + QStringLiteral(".bad");
        if (Platform::replaceFile(path, setAside))
            qWarning().noquote() << "The configuration file was damaged; it is kept as" << setAside
                                 << "and the defaults are used.";
        else
            qWarning().noquote() << "The configuration file" << path << "is damaged; the defaults are used.";
    }
    {
        QMutexLocker lock(&m_mutex);
        m_setAside = setAside;
    }
    // A missing key gives an empty code, which resolveLanguage() replaces; a damaged file
    // gives the defaults.
    const QJsonObject object = doc.object();
    setLanguage(object.value(QStringLiteral("language")).toString());
    setMaxInFlight(object.value(QStringLiteral("maxInFlight")).toInt(kDefaultMaxInFlight));
    setAutoRefreshSeconds(object.value(QStringLiteral("autoRefresh")).toInt());
    setMaxLogFileBytes(qint64(object.value(QStringLiteral("maxLogFileBytes")).toDouble(0)));
    QStringList excluded;
    const QJsonArray names = object.value(QStringLiteral("scanExcludedInterfaces")).toArray();
    for (const QJsonValue &name : names)
        excluded.append(name.toString());
    setScanExcludedInterfaces(excluded);

    // The file as loaded counts as saved: only a change of a setting writes it again.
    const QByteArray loaded = doc.isObject() ? toJson() : QByteArray();
    QMutexLocker lock(&m_mutex);
    m_savedJson = loaded;
    m_savedPath = path;
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

QByteArray CAppConfig::toJson() const
{
    QJsonObject root;
    root.insert(QStringLiteral("language"), language());
    // Written only when the operator chose a value of their own, so a default
    // configuration keeps its one key.
    if (maxInFlight() != kDefaultMaxInFlight)
        root.insert(QStringLiteral("maxInFlight"), maxInFlight());
    if (const int seconds = autoRefreshSeconds())
        root.insert(QStringLiteral("autoRefresh"), seconds);
    if (maxLogFileBytes() != kDefaultMaxLogFileBytes)
        root.insert(QStringLiteral("maxLogFileBytes"), double(maxLogFileBytes()));
    const QStringList excluded = scanExcludedInterfaces();
    if (!excluded.isEmpty())
        root.insert(QStringLiteral("scanExcludedInterfaces"), QJsonArray::fromStringList(excluded));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool CAppConfig::save() const
{
    const QByteArray json = toJson();
    const QString path = configFilePath();
    {
        // Saved on every activation change: unchanged settings touch no disk.
        QMutexLocker lock(&m_mutex);
        if (json == m_savedJson && path == m_savedPath)
            return true;
    }
    // A new file renamed over the old one once whole: a failed write (a full disk)
    // never leaves a truncated configuration behind.
    QString error;
    if (!Platform::writeFileWhole(path, json, Platform::FileAccess::Shared, &error)) {
        qDebug() << "JsonFile <<< can't open error!" << error;
        return false;
    }
    qDebug() << "save JsonFile <<< success!";
    QMutexLocker lock(&m_mutex);
    m_savedJson = json;
    m_savedPath = path;
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
