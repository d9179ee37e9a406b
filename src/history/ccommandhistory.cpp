#include "history/ccommandhistory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMutexLocker>
#include <algorithm>

#include "config/cappconfig.h"
#include "platform/filesafety.h"

namespace {
// How long an append waits for the other writer (the window or the command line).
constexpr int kLockWaitMs = 5000;
} // namespace

CCommandHistory *CCommandHistory::instance()
{
    // Never destroyed: a worker thread may still record while statics are torn down.
    static CCommandHistory *history = new CCommandHistory;
    return history;
}

CCommandHistory::CCommandHistory(const QString &filePath, qint64 maxBytes)
    : m_filePath(filePath)
    , m_maxBytes(maxBytes)
{
}

QString CCommandHistory::filePath() const
{
    if (!m_filePath.isEmpty())
        return m_filePath;
    return CAppConfig::instance()->configDir() + QStringLiteral("/history.jsonl");
}

QVector<sHistoryNode> CCommandHistory::outcomes(const SelectedNodeList &nodes, const QString &outcome, bool ok)
{
    QVector<sHistoryNode> out;
    out.reserve(nodes.size());
    for (const sSelectedNode &node : nodes)
        out.append({node.id, QString::fromUtf8(node.ip), outcome, ok});
    return out;
}

namespace {
const QLatin1String kKeyPrefix("tr:");
} // namespace

QString CCommandHistory::key(const char *context, const char *source)
{
    return kKeyPrefix + QLatin1String(context) + QLatin1Char('/') + QString::fromUtf8(source);
}

QString CCommandHistory::shown(const QString &stored)
{
    const int slash = stored.indexOf(QLatin1Char('/'), kKeyPrefix.size());
    if (!stored.startsWith(kKeyPrefix) || slash < 0)
        return stored;
    const QByteArray context = stored.mid(kKeyPrefix.size(), slash - kKeyPrefix.size()).toUtf8();
    const QByteArray source = stored.mid(slash + 1).toUtf8();
    return QCoreApplication::translate(context.constData(), source.constData());
}

void CCommandHistory::setNodeNames(const QHash<int64_t, QString> &names)
{
    QMutexLocker lock(&m_mutex);
    // Kept beyond one listing: a node that has just gone still has its name.
    for (auto it = names.constBegin(); it != names.constEnd(); ++it)
        m_names.insert(it.key(), it.value());
}

// Texts the history writes as keys; listed here for the translator.
QString CCommandHistory::sentText()
{
    return key("CCommandHistory", QT_TRANSLATE_NOOP("CCommandHistory", "已发送"));
}

QString CCommandHistory::okText()
{
    return key("CCommandHistory", QT_TRANSLATE_NOOP("CCommandHistory", "成功"));
}

QString CCommandHistory::failedText()
{
    return key("CCommandHistory", QT_TRANSLATE_NOOP("CCommandHistory", "失败"));
}

QString CCommandHistory::cancelledText()
{
    return key("CCommandHistory", QT_TRANSLATE_NOOP("CCommandHistory", "已取消"));
}

QString CCommandHistory::canaryPassedText()
{
    return key("CCommandHistory", QT_TRANSLATE_NOOP("CCommandHistory", "试点节点验证通过"));
}

QString CCommandHistory::canaryFailedText()
{
    return key("CCommandHistory", QT_TRANSLATE_NOOP("CCommandHistory", "试点节点验证失败"));
}

QByteArray CCommandHistory::toLine(const sHistoryEntry &entry)
{
    QJsonArray nodes;
    for (const sHistoryNode &node : entry.nodes) {
        // The id as text: a JSON number would lose digits above 2^53.
        QJsonObject object{{QStringLiteral("id"), QString::number(node.id)},
                           {QStringLiteral("ip"), node.ip},
                           {QStringLiteral("outcome"), node.outcome},
                           {QStringLiteral("ok"), node.ok}};
        if (!node.name.isEmpty())
            object.insert(QStringLiteral("name"), node.name);
        if (!node.version.isEmpty())
            object.insert(QStringLiteral("version"), node.version);
        if (node.wave >= 0)
            object.insert(QStringLiteral("wave"), node.wave);
        nodes.append(object);
    }
    QJsonObject object{{QStringLiteral("time"), entry.when.toString(Qt::ISODateWithMs)},
                       {QStringLiteral("command"), entry.command},
                       {QStringLiteral("nodes"), nodes}};
    if (!entry.waves.isEmpty()) {
        QJsonArray waves;
        for (const sHistoryWave &w : entry.waves)
            waves.append(QJsonObject{{QStringLiteral("wave"), w.number},
                                     {QStringLiteral("canary"), w.canary},
                                     {QStringLiteral("nodes"), w.nodes},
                                     {QStringLiteral("verified"), w.verified},
                                     {QStringLiteral("failed"), w.failed}});
        object.insert(QStringLiteral("waves"), waves);
    }
    if (!entry.canary.isEmpty())
        object.insert(QStringLiteral("canary"), entry.canary);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool CCommandHistory::fromLine(const QByteArray &line, sHistoryEntry *entry)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject object = doc.object();
    sHistoryEntry out;
    out.when = QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    out.command = object.value(QStringLiteral("command")).toString();
    if (!out.when.isValid())
        return false;
    const QJsonArray nodes = object.value(QStringLiteral("nodes")).toArray();
    for (const QJsonValue &value : nodes) {
        const QJsonObject node = value.toObject();
        sHistoryNode read(node.value(QStringLiteral("id")).toString().toLongLong(),
                          node.value(QStringLiteral("ip")).toString(),
                          node.value(QStringLiteral("outcome")).toString(),
                          node.value(QStringLiteral("ok")).toBool(),
                          node.value(QStringLiteral("name")).toString());
        read.version = node.value(QStringLiteral("version")).toString();
        read.wave = node.value(QStringLiteral("wave")).toInt(-1);
        out.nodes.append(read);
    }
    for (const QJsonValue &value : object.value(QStringLiteral("waves")).toArray()) {
        const QJsonObject w = value.toObject();
        out.waves.append({w.value(QStringLiteral("wave")).toInt(), w.value(QStringLiteral("canary")).toBool(),
                          w.value(QStringLiteral("nodes")).toInt(), w.value(QStringLiteral("verified")).toInt(),
                          w.value(QStringLiteral("failed")).toInt()});
    }
    out.canary = object.value(QStringLiteral("canary")).toString();
    *entry = out;
    return true;
}

bool CCommandHistory::append(const QString &command, const QVector<sHistoryNode> &nodes)
{
    sHistoryEntry entry;
    entry.command = command;
    entry.nodes = nodes;
    return appendNamed(entry);
}

bool CCommandHistory::appendNamed(sHistoryEntry entry)
{
    {
        QMutexLocker lock(&m_mutex);
        for (sHistoryNode &node : entry.nodes) {
            if (node.name.isEmpty())
                node.name = m_names.value(node.id);
        }
    }
    entry.when = QDateTime::currentDateTimeUtc();
    return append(entry);
}

bool CCommandHistory::append(const sHistoryEntry &entry)
{
    const QByteArray line = toLine(entry) + '\n';
    const QString path = filePath();
    QMutexLocker lock(&m_mutex);
    if (!Platform::makeOwnerFolder(QFileInfo(path).absolutePath()))
        return false;
    // The window and the command line write the same file: one writer at a time, also
    // across processes. A lock left by a process that died is taken over.
    QLockFile fileLock(path + QStringLiteral(".lock"));
    if (!fileLock.tryLock(kLockWaitMs))
        return false;
    const QFileInfo current(path);
    if (current.exists() && current.size() > 0 && current.size() + line.size() > m_maxBytes) {
        // One rename replaces the old file: the current one is never deleted, and a failed
        // rename (a file another program holds open) lets it grow past its limit for now.
        Platform::replaceFile(path, path + QStringLiteral(".1"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    // What the operator sent, and to which nodes, is theirs alone.
    Platform::restrictToOwner(path);
    const qint64 oldSize = file.size();
    QByteArray bytes = line;
    // A line cut short (a crash mid-write) must not swallow the next one.
    if (oldSize > 0 && file.seek(oldSize - 1) && file.read(1) != "\n")
        bytes.prepend('\n');
    if (file.write(bytes) == bytes.size() && file.flush())
        return true;
    // Half a line on a full disk: the file goes back to what it held.
    file.resize(oldSize);
    return false;
}

QVector<sHistoryEntry> CCommandHistory::entries() const
{
    const QString path = filePath();
    QVector<sHistoryEntry> out;
    QMutexLocker lock(&m_mutex);
    // Not halfway through another writer's rotation; a writer that holds on is not waited for.
    QLockFile fileLock(path + QStringLiteral(".lock"));
    fileLock.tryLock(kLockWaitMs);
    for (const QString &name : {path + QStringLiteral(".1"), path}) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            sHistoryEntry entry;
            if (!line.isEmpty() && fromLine(line, &entry))
                out.append(entry);
        }
    }
    std::reverse(out.begin(), out.end());
    return out;
}
