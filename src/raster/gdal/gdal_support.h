// What every use of GDAL here shares: registering its drivers once, keeping
// its messages off the terminal, and turning its last error into our words.
#pragma once

#include <string>

namespace orvane::raster {

/// Registers GDAL's drivers (once per process).
void EnsureGdal();

/// While alive, GDAL's errors are kept for LastGdalError() instead of being
/// printed, and the last one is cleared.
class QuietGdal {
public:
    QuietGdal();
    ~QuietGdal();
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

/// GDAL's last error message, or `fallback` when it has none.
std::string LastGdalError(const std::string& fallback);

/// A coordinate system given as WKT, a .prj file's text or any definition
/// GDAL accepts, as WKT and as a MIF CoordSys clause (either left empty
/// where it cannot be expressed).
void GdalDescribeCrs(const std::string& definition, std::string& wkt, std::string& mifCoordSys);

/// The short name of a coordinate system given as WKT ("WGS 84 / UTM zone
/// 32N"), or "" when it has none.
std::string GdalCrsName(const std::string& wkt);

} // namespace orvane::raster
