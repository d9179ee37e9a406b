#pragma once

struct sCliInvocation;

// quorvane-cli inventory save FILE | diff FILE: every node of a scan to a file, and a new
// scan against that file.
namespace CliInventory {

// Exit status: save 0 written, 1 nothing found or not written; diff 0 the same nodes as
// saved, 1 differences; 2 bad usage, a file that is not an inventory, or no scan.
int inventoryCommand(sCliInvocation &inv);

} // namespace CliInventory
