#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <QVector>

#include "operations/coperation.h"
#include "comm/cdevicectrljob.h"
#include "model/sdeviceinfo.h"

class CCliLan;
struct sCliOutcome;

// What every command shares: the parsed options.
struct sCliInvocation
{
    QCommandLineParser parser;
    bool json = false;
    int timeoutSec = 120;
    QStringList addresses;
    bool all = false;
    QStringList interfaces; // scan on these cards only; empty: every card
};

namespace CliRun {

// Runs the operation as the window does (its nodes off this thread); --timeout or a
// signal cancels it. Finishes it, so its history line is written. false when it had to be
// cancelled.
bool runOperation(const sCliInvocation &inv, COperation &operation);

// Scans, then picks the nodes the command acts on. Addresses that no node answered
// from are failures of their own. false (after saying why) when the scan failed.
bool scanAndSelect(sCliInvocation &inv, CCliLan &lan, QVector<sDeviceInfo> &chosen, QVector<sCliOutcome> &outcomes);

SelectedNodeList asSelection(const QVector<sDeviceInfo> &nodes);

} // namespace CliRun
