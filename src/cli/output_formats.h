// The vector outputs the command line writes: the core's formats and the
// GIS formats written through GDAL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvane::cli {

/// Whether an extension (".dxf", ".gpkg", any case) is a vector output.
bool IsVectorOutputExtension(std::string_view extension);

/// Every vector output extension, lower case with the dot, in the order
/// of "--format all".
std::vector<std::string> AllVectorOutputExtensions();

/// "dxf, mif, ..., fgb": the formats' names for messages.
std::string FormatNames();

/// ".txt, .arc, ... or .fgb": the extensions for messages.
std::string ExtensionList();

} // namespace orvane::cli
