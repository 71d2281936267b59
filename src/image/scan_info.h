// What a scan brings besides its pixels: where it lies on a map, how fine
// it was scanned, and what the reader wants the user to know.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace orvane {

struct ScanInfo {
    /// Whether the scan says where it lies on a map. The geotransform maps
    /// a position in pixels from the image's top-left corner (column, row;
    /// the top-left pixel spans 0..1 in both) to map coordinates:
    ///     X = g[0] + g[1] * column + g[2] * row
    ///     Y = g[3] + g[4] * column + g[5] * row
    bool georeferenced = false;
    std::array<double, 6> geoTransform{0, 1, 0, 0, 0, 1};
    /// The map's coordinate system as WKT, and as a MIF CoordSys clause;
    /// empty when unknown.
    std::string crsWkt;
    std::string mifCoordSys;
    /// Where the georeferencing came from, for messages: "GeoTIFF tags",
    /// "world file scan.tfw".
    std::string georefSource;
    /// Scan resolution in pixels per inch, across and down; 0 when the file
    /// does not say.
    double dpiX = 0;
    double dpiY = 0;
    /// Things the user should be told about how the file was read ("page 1
    /// of 3 read"), one sentence each.
    std::vector<std::string> notes;
};

} // namespace orvane
