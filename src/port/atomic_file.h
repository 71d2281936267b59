// Writing a file so that a failure never leaves it half written.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

namespace orvane {

/// Writes a file through `write`, first into a temporary file in the target's
/// folder, which is renamed over the target only when `write` returned true
/// and the stream reported no error. Otherwise the temporary file is removed
/// and the target, if it existed, is left as it was.
/// Returns true on success; on failure `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& write,
                         std::string* error = nullptr);

} // namespace orvane
