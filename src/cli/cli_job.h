// One input of an orvane-cli run, from reading to its output files.
#pragma once

#include "cli/cli_options.h"
#include "cli/cli_plan.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::cli {

class MemoryBudget;
struct Terminal;

/// Processes one input as the options say and writes its planned outputs,
/// once its memory fits the budget (refused at once when it never would).
/// Problems are told on stderr prefixed with the input's name; a summary
/// goes to stdout unless quiet. Returns true when every output was written.
bool RunInput(const Options& options, const Job& job, Terminal& terminal, MemoryBudget& budget);

} // namespace orvane::cli
