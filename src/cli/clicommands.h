#pragma once

#include <QStringList>

// The subcommands of quorvane-cli. args starts with the subcommand's name.
namespace CliCommands {

// Exit status: 0 every node succeeded, 1 some failed, 2 bad usage or input.
int run(const QStringList &args);

// The list of subcommands with one line each, for the top-level help.
QString summary();

} // namespace CliCommands
