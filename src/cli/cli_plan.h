// Where every input's files go, decided before any work starts, so that no
// two inputs ever write the same file.
#pragma once

#include "cli/cli_options.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane::cli {

/// One input and the files it produces: one per vector format, or the BMP.
struct Job {
    std::string input;
    std::vector<std::filesystem::path> outputs;
    /// The output folder, made when the job runs; empty when the outputs
    /// are files the user named (their folders must exist).
    std::filesystem::path folder;
};

/// The jobs of a run, in the inputs' order; nothing (with `error`, a usage
/// error that says what to type instead) when an output has no or an
/// unknown extension, an image command names a non-BMP output, several
/// inputs would share one file, or two inputs would write the same file.
std::optional<std::vector<Job>> MakePlan(const Options& options, std::string& error);

} // namespace orvane::cli
