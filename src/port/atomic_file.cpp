// Temporary-file-and-rename writing.
#include "port/atomic_file.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>

namespace orvane {
namespace {

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

} // namespace

std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target)
{
    constexpr std::size_t kKeptNameLength = 32;
    std::random_device random;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x%08x.tmp", unsigned(random()), unsigned(random()));
    const std::string name = target.filename().string().substr(0, kKeptNameLength);
    return target.parent_path() / ("." + name + suffix);
}

bool ReplaceFiles(std::span<const std::pair<std::filesystem::path, std::filesystem::path>> renames,
                  std::string* error)
{
    struct Done {
        std::filesystem::path target;
        std::filesystem::path backup; ///< empty when the target did not exist
    };
    std::vector<Done> done;
    auto rollBack = [&](const std::string& why) {
        std::error_code ignored;
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if (it->backup.empty())
                std::filesystem::remove(it->target, ignored);
            else
                std::filesystem::rename(it->backup, it->target, ignored);
        }
        return fail(error, why);
    };
    for (const auto& rename : renames) {
        std::error_code ec;
        if (std::filesystem::is_directory(rename.second, ec))
            return fail(error, "cannot replace " + rename.second.string() + ": it is a folder");
    }
    for (const auto& [temp, target] : renames) {
        std::error_code ec;
        Done step{target, {}};
        if (renames.size() > 1 && std::filesystem::exists(target, ec)) {
            step.backup = TemporaryPathBeside(target);
            std::filesystem::rename(target, step.backup, ec);
            if (ec)
                return rollBack("cannot replace " + target.string() + ": " + ec.message());
        }
        std::filesystem::rename(temp, target, ec);
        if (ec) {
            if (!step.backup.empty()) { // moved aside but not replaced: put it back
                std::error_code ignored;
                std::filesystem::rename(step.backup, target, ignored);
            }
            return rollBack("cannot replace " + target.string() + ": " + ec.message());
        }
        done.push_back(step);
    }
    std::error_code ignored;
    for (const Done& step : done)
        if (!step.backup.empty())
            std::filesystem::remove(step.backup, ignored);
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& write,
                         std::string* error)
{
    const std::filesystem::path temp = TemporaryPathBeside(target);
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out)
        return fail(error, "cannot create a file in the folder of " + target.string());

    bool written = write(out);
    out.flush();
    written = written && out.good();
    out.close();
    written = written && !out.fail();

    std::error_code ec;
    if (!written) {
        std::filesystem::remove(temp, ec);
        return fail(error, "cannot write " + target.string());
    }
    const std::pair<std::filesystem::path, std::filesystem::path> rename{temp, target};
    if (!ReplaceFiles({&rename, 1}, error)) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace orvane
