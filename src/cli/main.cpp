// orvane-cli: the batch command line over the Orvane core.
#include "cli/cli_job.h"
#include "cli/cli_options.h"
#include "cli/cli_plan.h"
#include "cli/cli_port.h"
#include "cli/memory_budget.h"

#include <algorithm>
#include <exception>
#include <string>
#include <optional>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

/// Set by the first Ctrl-C; a second one ends the program at once.
std::atomic<bool>* interruptFlag = nullptr;

extern "C" void onInterrupt(int)
{
    if (interruptFlag)
        interruptFlag->store(true);
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace orvane::cli;
    const ParsedArguments parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    switch (parsed.status) {
    case ParsedArguments::Status::Help: std::fputs(UsageText().c_str(), stdout); return 0;
    case ParsedArguments::Status::Version: std::puts("orvane-cli 0.1"); return 0;
    case ParsedArguments::Status::Error:
        std::fprintf(stderr, "orvane-cli: %s\nTry 'orvane-cli --help' for more information.\n", parsed.error.c_str());
        return 2;
    case ParsedArguments::Status::Run: break;
    }
    const Options& options = parsed.options;
    std::string planError;
    const std::optional<std::vector<Job>> jobs = MakePlan(options, planError);
    if (!jobs) {
        std::fprintf(stderr, "orvane-cli: %s\nTry 'orvane-cli --help' for more information.\n", planError.c_str());
        return 2;
    }

    Terminal terminal;
    terminal.quiet = options.quiet;
    terminal.verbose = options.verbose;
    terminal.showProgress = !options.quiet && isatty(fileno(stderr));
    interruptFlag = &terminal.interrupted;
    std::signal(SIGINT, onInterrupt);

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t workers = std::min<std::size_t>(jobs->size(), options.jobs > 0 ? unsigned(options.jobs) : cores);
    // With several jobs at once, progress bars would overwrite each other.
    if (workers > 1)
        terminal.showProgress = false;

    MemoryBudget budget(MemoryBudget::Available());
    std::atomic<std::size_t> next{0};
    std::atomic<int> failures{0};
    auto worker = [&] {
        for (std::size_t i = next++; i < jobs->size() && !terminal.interrupted; i = next++) {
            bool ok = false;
            try {
                ok = RunInput(options, (*jobs)[i], terminal, budget);
            } catch (const std::exception& error) { // out of memory, above all: this input fails alone
                CliPort(terminal, (*jobs)[i].input).error(std::string("failed: ") + error.what());
            }
            if (!ok)
                ++failures;
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t t = 1; t < workers; ++t)
        threads.emplace_back(worker);
    worker();
    for (std::thread& t : threads)
        t.join();
    if (terminal.interrupted) {
        std::fprintf(stderr, "orvane-cli: interrupted; inputs not yet started were left alone\n");
        return 1;
    }
    return failures > 0 ? 1 : 0;
}
