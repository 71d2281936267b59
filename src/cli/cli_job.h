// One input of an orvane-cli run, from reading to its output files.
#pragma once

#include "cli/cli_options.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::cli {

struct Terminal;

/// The files one input produces: one per vector format, or the one BMP.
/// Empty (with `error` set) when the options do not say where they go.
std::vector<std::filesystem::path> OutputPaths(const Options& options, const std::string& input, std::string& error);

/// Processes one input as the options say and writes its outputs. Problems
/// are told on stderr prefixed with the input's name; a summary goes to
/// stdout unless quiet. Returns true when every output was written.
bool RunInput(const Options& options, const std::string& input, Terminal& terminal);

} // namespace orvane::cli
