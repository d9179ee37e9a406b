#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <cstdint>

// One node's outcome of a command, as the command line reports it.
struct sCliOutcome
{
    QByteArray ip;
    int64_t id = 0;
    bool ok = false;
    QString text; // what happened, in a few words
    bool hasVersion = false; // upgrades: the JSON row carries "version"
    QString version;         // the version a scan showed after the upgrade (empty: none)

    sCliOutcome() = default;
    sCliOutcome(QByteArray ip_, int64_t id_, bool ok_, QString text_)
        : ip(std::move(ip_)), id(id_), ok(ok_), text(std::move(text_))
    {
    }
};

// The outcome of a broadcast is reported under this address.
inline const QByteArray kBroadcastTarget = QByteArrayLiteral("255.255.255.255");

// Prints the outcomes (text lines or one JSON document on stdout, failures named on
// stderr), adds them to the command history unless the operation has written its own
// (record false), and gives the exit status: 0 all succeeded, 1 some failed.
int reportOutcomes(const QString &command, const QVector<sCliOutcome> &outcomes, bool json, bool record = true);

// Whether reportOutcomes() has run (and so left its history line).
bool historyWritten();

// Exit status 2 with a message on stderr.
int usageError(const QString &message);

void printLine(const QString &text);
void printError(const QString &text);
