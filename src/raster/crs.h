// Coordinate systems, read by GDAL (its module is loaded when first asked).
#pragma once

#include <string>

namespace orvane::raster {

/// A coordinate system given as WKT, a .prj file's text or any definition
/// GDAL accepts, as WKT and as a MIF CoordSys clause (either empty where it
/// cannot be expressed, both when GDAL cannot be had).
struct CrsTexts {
    std::string wkt;
    std::string mifCoordSys;
};
CrsTexts DescribeCrs(const std::string& definition);

/// The short name of a coordinate system given as WKT ("WGS 84 / UTM zone
/// 32N"), or "" when it has none.
std::string CrsName(const std::string& wkt);

} // namespace orvane::raster
