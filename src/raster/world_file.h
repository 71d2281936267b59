// World files: the six-number text file beside a scan that places it on a
// map (.tfw, .pgw, .jgw, .bpw, .wld and their kin).
#pragma once

#include <array>
#include <filesystem>
#include <string>

namespace orvane::raster {

/// The world file beside `image`, or an empty path when there is none. For
/// "scan.tif" it looks for scan.tfw, scan.tifw and scan.wld (each in lower
/// and upper case); for "scan.png" scan.pgw, scan.pngw and scan.wld; and so
/// on: the extension's first and last letters and "w", the extension and
/// "w", then ".wld".
std::filesystem::path FindWorldFile(const std::filesystem::path& image);

/// Reads a world file's six numbers (x pixel size, row rotation, column
/// rotation, y pixel size, then the map position of the centre of the
/// top-left pixel) into a geotransform of pixel corners (see ScanInfo).
/// False with `why` for a file that cannot be read, holds other than six
/// numbers, or gives a pixel of no size.
bool ReadWorldFile(const std::filesystem::path& path, std::array<double, 6>& geoTransform, std::string& why);

} // namespace orvane::raster
