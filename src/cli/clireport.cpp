#include "cli/clireport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "history/ccommandhistory.h"
#include "model/plaintext.h"

void printLine(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void printError(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

int usageError(const QString &message)
{
    printError(QStringLiteral("quorvane-cli: ") + message);
    return 2;
}

namespace {
bool g_historyWritten = false;
} // namespace

bool historyWritten()
{
    return g_historyWritten;
}

int reportOutcomes(const QString &command, const QVector<sCliOutcome> &outcomes, bool json, bool record)
{
    g_historyWritten = true;
    // The window's history shows what the command line sent too; a broadcast names no node.
    QVector<sHistoryNode> history;
    for (const sCliOutcome &o : outcomes) {
        if (o.ip != kBroadcastTarget)
            history.append({o.id, QString::fromUtf8(o.ip), o.text, o.ok});
    }
    if (record && !CCommandHistory::instance()->append(QStringLiteral("quorvane-cli ") + command, history))
        printError(QStringLiteral("quorvane-cli: the history file %1 could not be written")
                       .arg(CCommandHistory::instance()->filePath()));
    int failed = 0;
    QJsonArray nodes;
    for (const sCliOutcome &o : outcomes) {
        if (!o.ok) {
            ++failed;
            printError(QStringLiteral("failed: %1 (id %2): %3")
                           .arg(PlainText::singleLine(QString::fromUtf8(o.ip)))
                           .arg(o.id)
                           .arg(PlainText::singleLine(o.text)));
        }
        if (json) {
            QJsonObject node;
            node.insert(QStringLiteral("ip"), QString::fromUtf8(o.ip));
            node.insert(QStringLiteral("id"), double(o.id));
            node.insert(QStringLiteral("ok"), o.ok);
            node.insert(QStringLiteral("outcome"), o.text);
            if (o.hasVersion)
                node.insert(QStringLiteral("version"), o.version.isEmpty() ? QJsonValue() : QJsonValue(o.version));
            nodes.append(node);
        } else {
            printLine(QStringLiteral("%1\t%2\t%3").arg(PlainText::singleLine(QString::fromUtf8(o.ip)),
                                                       o.ok ? QStringLiteral("ok") : QStringLiteral("FAILED"),
                                                       PlainText::singleLine(o.text)));
        }
    }
    if (json) {
        QJsonObject doc;
        doc.insert(QStringLiteral("command"), command);
        doc.insert(QStringLiteral("ok"), failed == 0);
        doc.insert(QStringLiteral("succeeded"), outcomes.size() - failed);
        doc.insert(QStringLiteral("failed"), failed);
        doc.insert(QStringLiteral("nodes"), nodes);
        std::fputs(QJsonDocument(doc).toJson(QJsonDocument::Indented).constData(), stdout);
        std::fflush(stdout);
    } else {
        printLine(QStringLiteral("%1: %2 of %3 succeeded").arg(command).arg(outcomes.size() - failed).arg(outcomes.size()));
    }
    return failed == 0 ? 0 : 1;
}
