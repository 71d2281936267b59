// Reading vector lines back from ARC files.
#pragma once

#include <filesystem>
#include <iosfwd>
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
///
/// Lines that are not a clean id (a whole number) or a clean vertex (two
/// numbers and a comma) are still read as far as they make sense, and the
/// user is told how many there were and where the first is. Coordinates so
/// large that a line's length overflows are refused.
int ReadVectorFile(CLineStore& store, const std::filesystem::path& path, Port& port, std::string* why = nullptr);

/// Reads ARC text from a stream, as ReadVectorFile does once the file is
/// open; `name` names the file in messages.
int ReadArcStream(CLineStore& store, std::istream& in, const std::string& name, Port& port,
                  std::string* why = nullptr);

} // namespace orvane
