#pragma once

struct sCliInvocation;

// The commands that move files: upgrades, data export and import, logs. Each runs on the
// same workers as the window's dialogs, so the same limits and the same outcomes hold.
namespace CliTransfer {

int upgradeCommand(sCliInvocation &inv);
int exportCommand(sCliInvocation &inv);
int importCommand(sCliInvocation &inv);
int logsCommand(sCliInvocation &inv);

} // namespace CliTransfer
