// Temporary-file, sync and rename writing.
#include "files/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace orvane {
namespace {

bool fail(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
    return false;
}

/// The system's words for the last error, or `otherwise` when it left none.
std::string systemReason(const char* otherwise)
{
    return errno != 0 ? std::strerror(errno) : otherwise;
}

/// Asks the system to put a file's (or folder's) contents on the disk.
bool syncPath(const std::filesystem::path& path, bool folder, std::string& why)
{
    const int fd = ::open(path.c_str(), folder ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || (folder && (errno == EINVAL || errno == EROFS));
    if (!synced)
        why = std::strerror(errno);
    ::close(fd);
    return synced;
}

/// Why a file cannot be made in the target's folder: the folder is missing,
/// is not a folder, or cannot be written.
std::string whyNoFile(const std::filesystem::path& target, int savedErrno)
{
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    std::error_code ec;
    if (!std::filesystem::exists(folder, ec))
        return "the folder " + folder.string() + " does not exist";
    if (!std::filesystem::is_directory(folder, ec))
        return folder.string() + " is not a folder";
    return savedErrno != 0 ? std::strerror(savedErrno) : "the file cannot be made";
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

/// The file a path names: a symbolic link's target (so that the link stays
/// a link), else the path itself.
std::filesystem::path resolved(std::filesystem::path target)
{
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const std::filesystem::path real = std::filesystem::weakly_canonical(target, ec);
        if (!ec)
            return real;
    }
    return target;
}

AtomicFile::AtomicFile(std::filesystem::path target)
    : m_target(resolved(std::move(target))), m_temp(TemporaryPathBeside(m_target))
{
    errno = 0;
    m_out.open(m_temp, std::ios::binary | std::ios::trunc);
    if (!m_out.is_open()) {
        m_error = whyNoFile(m_target, errno);
        return;
    }
    // A file replaced keeps who may read and write it.
    std::error_code ec;
    const std::filesystem::file_status old = std::filesystem::status(m_target, ec);
    if (!ec && std::filesystem::is_regular_file(old))
        std::filesystem::permissions(m_temp, old.permissions(), ec);
}

AtomicFile::~AtomicFile()
{
    if (m_out.is_open())
        m_out.close();
    if (!m_committed) {
        std::error_code ignored;
        std::filesystem::remove(m_temp, ignored);
    }
}

void AtomicFile::NoteFailure()
{
    if (!m_out.good() && m_writeFailure.empty())
        m_writeFailure = systemReason("writing failed");
}

bool AtomicFile::Finish()
{
    if (!m_out.is_open())
        return false;
    NoteFailure();
    errno = 0;
    m_out.flush();
    bool ok = m_out.good();
    std::string why = ok ? std::string() : !m_writeFailure.empty() ? m_writeFailure : systemReason("writing failed");
    m_out.close();
    if (ok && m_out.fail()) {
        ok = false;
        why = systemReason("writing failed");
    }
    if (ok && !syncPath(m_temp, false, why))
        ok = false;
    if (!ok)
        m_error = "cannot write " + m_target.string() + ": " + why;
    return ok;
}

bool CommitFiles(std::span<AtomicFile* const> files, std::string* error)
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
    for (const AtomicFile* file : files) {
        std::error_code ec;
        if (std::filesystem::is_directory(file->Target(), ec))
            return fail(error, "cannot replace " + file->Target().string() + ": it is a folder");
    }
    for (AtomicFile* file : files) {
        const std::filesystem::path& target = file->Target();
        std::error_code ec;
        Done step{target, {}};
        if (files.size() > 1 && std::filesystem::exists(target, ec)) {
            step.backup = TemporaryPathBeside(target);
            std::filesystem::rename(target, step.backup, ec);
            if (ec)
                return rollBack("cannot replace " + target.string() + ": " + ec.message());
        }
        std::filesystem::rename(file->TemporaryPath(), target, ec);
        if (ec) {
            if (!step.backup.empty()) { // moved aside but not replaced: put it back
                std::error_code ignored;
                std::filesystem::rename(step.backup, target, ignored);
            }
            return rollBack("cannot replace " + target.string() + ": " + ec.message());
        }
        file->m_committed = true;
        done.push_back(step);
    }
    std::error_code ignored;
    std::set<std::filesystem::path> folders;
    for (const Done& step : done) {
        if (!step.backup.empty())
            std::filesystem::remove(step.backup, ignored);
        folders.insert(step.target.parent_path().empty() ? "." : step.target.parent_path());
    }
    // The files are in place; a folder the system will not sync (some
    // network file systems) does not undo that.
    std::string why;
    for (const std::filesystem::path& folder : folders)
        syncPath(folder, true, why);
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& write,
                         std::string* error)
{
    AtomicFile file(target);
    if (!file.IsOpen())
        return fail(error, "cannot write " + target.string() + ": " + file.Error());
    const bool written = write(file.Stream());
    file.NoteFailure();
    if (!file.Finish())
        return fail(error, file.Error());
    if (!written)
        return fail(error, "cannot write " + target.string());
    AtomicFile* const files[] = {&file};
    return CommitFiles(files, error);
}

} // namespace orvane
