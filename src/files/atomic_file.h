// Writing files so that a failure, a cancel or a power cut never leaves one
// half written: every file goes to a temporary name in its target's folder,
// is synced to disk, and is renamed over the target only when complete.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>

namespace orvane {

/// One file on its way to its target. Nothing shows at the target until
/// CommitFiles; a file destroyed before that takes its temporary name with it.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// True when the temporary file could be made; otherwise Error() says why.
    bool IsOpen() const { return m_out.is_open(); }
    /// The stream to write to; call NoteFailure() after writing through it.
    std::ostream& Stream() { return m_out; }
    void Write(const std::string& text)
    {
        m_out.write(text.data(), std::streamsize(text.size()));
        NoteFailure();
    }
    /// Keeps the system's reason of the first write that failed (a full
    /// disk, say), before later calls overwrite it.
    void NoteFailure();
    /// Flushes, syncs the data to disk and closes. True when every byte got
    /// there; otherwise Error() gives the system's reason.
    bool Finish();

    const std::filesystem::path& Target() const { return m_target; }
    const std::filesystem::path& TemporaryPath() const { return m_temp; }
    const std::string& Error() const { return m_error; }

private:
    friend bool CommitFiles(std::span<AtomicFile* const> files, std::string* error);

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    std::ofstream m_out;
    std::string m_error;
    std::string m_writeFailure; ///< the reason of the first failed write
    bool m_committed = false;
};

/// Renames each finished file over its target, in order, as one step: when
/// any rename fails, the targets already replaced get their old contents
/// back (or go, when they did not exist) and the result is false with the
/// reason in `error`. Then the folders are synced, so that the renames
/// outlive a power cut. A target that is a folder is never replaced.
bool CommitFiles(std::span<AtomicFile* const> files, std::string* error = nullptr);

/// One file through `write`: true when it was written, synced and put in
/// place; otherwise the target (if any) is as it was and `error` (when
/// given) says why, in the system's words.
bool WriteFileAtomically(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& write,
                         std::string* error = nullptr);

/// A name for a temporary file in the target's folder: hidden, unlikely to
/// collide with another writer's, and never much longer than 60 characters
/// whatever the target's name.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target);

} // namespace orvane
