// Temporary-file-and-rename writing.
#include "port/atomic_file.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

namespace orvane {
namespace {

std::filesystem::path temporaryBeside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string name = "." + target.filename().string() + ".tmp" + std::to_string(stamp) + "-" +
                       std::to_string(counter.fetch_add(1));
    return target.parent_path() / name;
}

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

} // namespace

bool WriteFileAtomically(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& write,
                         std::string* error)
{
    const std::filesystem::path temp = temporaryBeside(target);
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
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return fail(error, "cannot replace " + target.string() + ": " + ec.message());
    }
    return true;
}

} // namespace orvane
