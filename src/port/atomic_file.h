// Writing files so that a failure never leaves one half written.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <utility>

namespace orvane {

/// Writes a file through `write`, first into a temporary file in the target's
/// folder, which is renamed over the target only when `write` returned true
/// and the stream reported no error. Otherwise the temporary file is removed
/// and the target, if it existed, is left as it was.
/// Returns true on success; on failure `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& write,
                         std::string* error = nullptr);

/// A name for a temporary file in the target's folder: hidden, unlikely to
/// collide with another writer's, and never much longer than 60 characters
/// whatever the target's name.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target);

/// Renames each finished temporary file (first) over its target (second), in
/// order, as one step: when any rename fails, the targets already replaced
/// get their old contents back (or are removed when they did not exist) and
/// the result is false. The temporary files are the caller's to remove.
bool ReplaceFiles(std::span<const std::pair<std::filesystem::path, std::filesystem::path>> renames,
                  std::string* error = nullptr);

} // namespace orvane
