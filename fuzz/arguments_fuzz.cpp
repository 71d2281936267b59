// The command line's arguments on any bytes, split at each NUL into
// arguments. Reading them must never throw or crash; arguments it accepts
// are planned (which only looks at the file system), and a plan must give
// every input at least one output, never the same file twice; a refusal
// must always say why.
#include "cli/cli_options.h"
#include "cli/cli_plan.h"

#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(char(data[i]));
        }
    }
    if (size > 0)
        args.push_back(current);

    const orvane::cli::ParsedArguments parsed = orvane::cli::ParseArguments(args);
    using Status = orvane::cli::ParsedArguments::Status;
    if (parsed.status == Status::Error)
        FUZZ_CHECK(!parsed.error.empty());
    if (parsed.status != Status::Run)
        return 0;

    const orvane::cli::Options& options = parsed.options;
    FUZZ_CHECK(!options.inputs.empty() && !options.output.empty());
    std::string error;
    const auto plan = orvane::cli::MakePlan(options, error);
    if (!plan) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(plan->size() == options.inputs.size());
    std::set<std::filesystem::path> outputs;
    for (const orvane::cli::Job& job : *plan) {
        FUZZ_CHECK(!job.outputs.empty());
        for (const std::filesystem::path& output : job.outputs)
            FUZZ_CHECK(outputs.insert(output.lexically_normal()).second);
    }
    return 0;
}
