#include "cli/cliinventory.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "cli/cliinvocation.h"
#include "cli/clilan.h"
#include "cli/clireport.h"
#include "cli/clisignals.h"
#include "model/plaintext.h"
#include "operations/csiteinventory.h"

namespace {

// Node strings on one line each: a name cannot start a line of its own nor steer the terminal.
QString shown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("(empty)") : PlainText::singleLine(text);
}

QString nodeLine(const QString &group, const sInventoryNode &node)
{
    return QStringList{group, shown(node.ip), QString::number(node.id),
                       CSiteInventory::fieldValue(node, EInventoryField::Type), shown(node.name), shown(node.version)}
        .join(QLatin1Char('\t'));
}

bool scanInto(sCliInvocation &inv, CCliLan &lan)
{
    if (lan.scan(inv.timeoutSec * 1000, inv.interfaces))
        return true;
    printError(CCliSignals::instance().interrupted() ? QStringLiteral("quorvane-cli: interrupted during the scan")
                                                     : QStringLiteral("quorvane-cli: the scan could not be sent"));
    return false;
}

int save(sCliInvocation &inv, const QString &path)
{
    CCliLan lan;
    if (!scanInto(inv, lan))
        return 2;
    const CSiteInventory inventory = CSiteInventory::fromRows(lan.rows());
    // An empty scan (a card that is down, the wrong --interface) must not replace a site's inventory.
    if (inventory.nodes().isEmpty()) {
        printError(QStringLiteral("quorvane-cli: the scan found no node; %1 was not written").arg(path));
        return 1;
    }
    QString error;
    if (!inventory.save(path, &error)) {
        printError(QStringLiteral("quorvane-cli: %1 could not be written: %2").arg(path, error));
        return 1;
    }
    if (inv.json)
        printLine(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("file"), path},
                                                              {QStringLiteral("nodes"), inventory.nodes().size()}})
                                        .toJson(QJsonDocument::Indented)).trimmed());
    else
        printLine(QStringLiteral("%1 nodes saved to %2").arg(inventory.nodes().size()).arg(path));
    return 0;
}

int diff(sCliInvocation &inv, const QString &path)
{
    // The file first: a bad one is reported without waiting for a scan.
    CSiteInventory saved;
    QString error;
    if (!saved.load(path, &error))
        return usageError(QStringLiteral("%1: %2").arg(path, error));
    CCliLan lan;
    if (!scanInto(inv, lan))
        return 2;
    const sInventoryDiff result = SiteInventory::compare(saved, CSiteInventory::fromRows(lan.rows()));
    if (inv.json) {
        QJsonObject doc = result.toJson();
        doc.insert(QStringLiteral("file"), path);
        printLine(QString::fromUtf8(QJsonDocument(doc).toJson(QJsonDocument::Indented)).trimmed());
    } else {
        for (const sInventoryNode &node : result.missing)
            printLine(nodeLine(QStringLiteral("missing"), node));
        for (const sInventoryNode &node : result.added)
            printLine(nodeLine(QStringLiteral("new"), node));
        for (const sInventoryChange &change : result.changed) {
            printLine(nodeLine(QStringLiteral("changed"), change.after));
            for (const EInventoryField field : change.fields)
                printLine(QStringLiteral("\t%1: %2 \u2192 %3")
                              .arg(CSiteInventory::fieldKey(field), shown(CSiteInventory::fieldValue(change.before, field)),
                                   shown(CSiteInventory::fieldValue(change.after, field))));
        }
        if (result.isEmpty())
            printLine(QStringLiteral("the same %1 nodes as saved").arg(saved.nodes().size()));
        else
            printLine(QStringLiteral("%1 missing, %2 new, %3 changed")
                          .arg(result.missing.size()).arg(result.added.size()).arg(result.changed.size()));
    }
    return result.isEmpty() ? 0 : 1;
}

} // namespace

namespace CliInventory {

int inventoryCommand(sCliInvocation &inv)
{
    const QStringList words = inv.parser.positionalArguments();
    const QString action = words.value(0);
    if (words.size() != 2 || (action != QLatin1String("save") && action != QLatin1String("diff")))
        return usageError(QStringLiteral("inventory takes save FILE or diff FILE"));
    const QString path = words.at(1);
    if (path.isEmpty())
        return usageError(QStringLiteral("inventory %1 needs a file name").arg(action));
    return action == QLatin1String("save") ? save(inv, path) : diff(inv, path);
}

} // namespace CliInventory
