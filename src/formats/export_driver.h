// Saving the vector lines of a document in one of the vector formats.
#pragma once

#include "formats/output_frame.h"

#include <filesystem>
#include <string>

namespace orvane {

class CLineStore;
class Port;

/// Writes every line of `store` that has vertices, in store order, to
/// `path` in the format its file name's extension selects (any case):
/// .txt line report, .arc, .dxf, .mif (with its .mid beside it), .di, .asc,
/// .svg. The image size bounds the DXF and MIF drawings and sizes the SVG.
///
/// Shows "Save Vector..." progress and checks for Cancel every 100 lines.
/// The file is written under a temporary name and renamed into place only
/// when complete, so on failure or cancel an existing file is untouched.
/// Returns 1 when the file was written to the end and synced; 0 for an
/// empty path, an empty store, a missing or unknown extension, a file that
/// cannot be written, or a cancel. The problems a user can mend are shown
/// through the port; the caller reports the failure itself, with `why`
/// (when given), which then holds the reason in the system's words.
int ExportVectorFile(const CLineStore& store, int imageWidth, int imageHeight, const std::filesystem::path& path,
                     Port& port, std::string* why = nullptr);

/// As above, with `options.frame` deciding where the traced points land in
/// every format but ARC (see OutputFrame) and `options.dxf` which DXF a
/// .dxf file is. Default options write exactly the files of the overload
/// above.
int ExportVectorFile(const CLineStore& store, int imageWidth, int imageHeight, const std::filesystem::path& path,
                     Port& port, const ExportOptions& options, std::string* why = nullptr);

/// The extension of a path's file name, from its last "." (".dxf"), or ""
/// when the file name has none. A "." in a folder name does not count.
std::string FileExtension(const std::filesystem::path& path);

} // namespace orvane
