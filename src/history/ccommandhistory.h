#pragma once

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QVector>

#include "model/sdeviceinfo.h"

// One node's part in a command, as its row showed it. The outcome (and the entry's command)
// is kept as a text key (CCommandHistory::key) and shown in the language of the moment;
// lines written before keys existed hold the text as it was shown then.
struct sHistoryNode
{
    int64_t id = 0;
    QString ip;
    QString outcome;
    bool ok = false;
    QString name; // the node's name when the command was sent
    QString version; // upgrades: the version a scan showed after the upgrade (empty: none)
    int wave = -1;   // upgrades in waves: the node's wave (0 the canary's when there is one)

    sHistoryNode() = default;
    sHistoryNode(int64_t id_, QString ip_, QString outcome_, bool ok_, QString name_ = QString())
        : id(id_), ip(std::move(ip_)), outcome(std::move(outcome_)), ok(ok_), name(std::move(name_))
    {
    }

    bool operator==(const sHistoryNode &o) const
    {
        return id == o.id && ip == o.ip && outcome == o.outcome && ok == o.ok && name == o.name
            && version == o.version && wave == o.wave;
    }
};

// One wave of a staged upgrade: how many nodes it started and how they ended.
struct sHistoryWave
{
    int number = 0;
    bool canary = false;
    int nodes = 0;
    int verified = 0; // verified, or answered success where nothing can be verified
    int failed = 0;

    bool operator==(const sHistoryWave &o) const
    {
        return number == o.number && canary == o.canary && nodes == o.nodes && verified == o.verified
            && failed == o.failed;
    }
};

// One command sent: what, when, and to which nodes with which outcome.
struct sHistoryEntry
{
    QDateTime when;
    QString command;
    QVector<sHistoryNode> nodes;
    QVector<sHistoryWave> waves; // staged upgrades only
    QString canary;              // the canary's verdict (a key), empty without one

    sHistoryEntry() = default;
    sHistoryEntry(QDateTime when_, QString command_, QVector<sHistoryNode> nodes_)
        : when(std::move(when_)), command(std::move(command_)), nodes(std::move(nodes_))
    {
    }
};

// The history of commands sent, one JSON object a line in "history.jsonl" beside the
// configuration file (the documents folder, so the window and the command line share it).
// The file moves to "history.jsonl.1" once it would pass its size limit; one old file is kept.
// Every call may come from any thread.
class CCommandHistory final
{
    Q_DISABLE_COPY_MOVE(CCommandHistory)

public:
    static constexpr qint64 DefaultMaxBytes = 1024 * 1024;

    // The shared history; its file follows the configuration folder.
    static CCommandHistory *instance();
    // A history in a file of its own (tests, tools).
    explicit CCommandHistory(const QString &filePath, qint64 maxBytes = DefaultMaxBytes);
    ~CCommandHistory() = default;

    // Appends the command with the current time, each node with its name (as given, else as
    // last listed); false when the file cannot be written.
    bool append(const QString &command, const QVector<sHistoryNode> &nodes);
    // The same with the entry's other fields (waves, canary) as given.
    bool appendNamed(sHistoryEntry entry);
    bool append(const sHistoryEntry &entry);
    // Every readable entry, newest first, the old file's after the current file's.
    QVector<sHistoryEntry> entries() const;
    QString filePath() const;

    // The names of the nodes as the table last listed them, for the entries that follow.
    void setNodeNames(const QHash<int64_t, QString> &names);

    // The same outcome for every node of a selection.
    static QVector<sHistoryNode> outcomes(const SelectedNodeList &nodes, const QString &outcome, bool ok);
    // A text stored by its translation context and source, shown translated when read back.
    static QString key(const char *context, const char *source);
    // A stored text as the current language shows it; a text that is no key as it was written.
    static QString shown(const QString &stored);
    // Outcomes for commands whose rows show none of their own: sent without an answer,
    // answered, not answered or refused (keys).
    static QString sentText();
    static QString okText();
    static QString failedText();
    static QString cancelledText(); // stopped by the operator before every node was reached
    static QString canaryPassedText();
    static QString canaryFailedText();
    static QByteArray toLine(const sHistoryEntry &entry);
    static bool fromLine(const QByteArray &line, sHistoryEntry *entry);

private:
    CCommandHistory() = default;

    mutable QMutex m_mutex;
    QString m_filePath; // empty: beside the configuration
    qint64 m_maxBytes = DefaultMaxBytes;
    QHash<int64_t, QString> m_names;
};
