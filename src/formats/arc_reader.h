// Reading vector lines back from ARC files.
#pragma once

#include <filesystem>
#include <string>

namespace orvane {

class CLineStore;
class Port;

/// Appends the polylines of an ARC file to `store`, each with the id of the
/// id line before it, in file order. A polyline is stored at its "END" line,
/// even with no vertices; one without a closing "END" at the end of the file
/// is dropped. Files of another extension (such as the .txt line report) are
/// accepted and nothing is read.
///
/// Returns 1 when the file was read to its end (or not an ARC file); 0 for
/// an empty path, a file name without extension or a file that cannot be
/// opened (told through the port), or a malformed vertex (a comma ending the
/// line, or a coordinate that is not a finite number). On 0 the store is as
/// it was before the call; `why`, when given, then describes the problem.
int ReadVectorFile(CLineStore& store, const std::filesystem::path& path, Port& port, std::string* why = nullptr);

} // namespace orvane
