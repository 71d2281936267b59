// The GDAL adapter proper lives in a module of its own (liborvane_gdal.so),
// loaded the first time a scan, a coordinate system or a GIS file needs
// GDAL. GDAL brings a hundred libraries with it, and loading them costs
// every run a tenth of a second; a BMP traced to DXF never needs them.
//
// Both sides are built from this tree with the same compiler, so the table
// passes standard library types. The module uses no code of the core: it
// hands pixels and takes lines through the callbacks below, and the front
// (scan_reader.cpp, gis_export.cpp) puts them in our images and files.
#pragma once

#include "image/bitmap_image.h"
#include "image/scan_info.h"
#include "raster/scan_reader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvane::raster {

/// Changes whenever the table below does; front and module must agree.
inline constexpr int kGdalModuleVersion = 1;

/// Where a raster's pixels go. `create` is called once with the image's
/// size, depth (1, 8 or 24) and colour table and may refuse with why; then
/// `row` once per row from the top (y from 1), with one byte per pixel for
/// 1- and 8-bit images (a colour-table index) and blue, green, red for 24.
struct RasterSink {
    std::function<bool(int width, int height, int bits, const std::vector<RGBQUAD>& table, std::string& why)> create;
    std::function<void(int y, const std::uint8_t* pixels)> row;
};

/// The georeferencing a raster carries itself (GeoTIFF tags, or a world file
/// its driver read), and its coordinate system as WKT ("" when none).
struct OwnPlacement {
    bool hasTransform = false;
    std::array<double, 6> transform{0, 1, 0, 0, 0, 1};
    std::string crsWkt;
};

/// One line for a GIS file, in output coordinates.
struct GisLine {
    int id = 0;
    std::vector<std::array<double, 2>> points;
};

/// A GIS file for GDAL to write at `path` (a scratch place; the front moves
/// it and its companions into place).
struct GisWrite {
    std::string driver;
    std::string path;
    std::string layer;
    std::string crsWkt;
    int lineCount = 0;
    /// Fills line i (0-based); false skips it.
    std::function<bool(int i, GisLine& line)> line;
    /// Told how far it has come (done of lineCount); false cancels.
    std::function<bool(int done)> progress;
};

struct GdalModule {
    int version = 0;
    /// Reads a raster of any format GDAL knows: the pixels into the sink,
    /// its resolution and notes into info, its own georeferencing into own.
    bool (*readRaster)(const std::string& path, const RasterSink& sink, ScanInfo& info, OwnPlacement& own,
                       std::string& why) = nullptr;
    /// The size and the depth the raster would be read at.
    bool (*rasterSize)(const std::string& path, int& width, int& height, int& bitsPerPixel) = nullptr;
    /// Appends the formats GDAL reads besides BMP, TIFF, PNG and JPEG.
    void (*rasterFormats)(std::vector<RasterFormat>& formats) = nullptr;
    /// A coordinate system from WKT, a .prj text or a code like "EPSG:31468",
    /// as WKT2 and as a MIF CoordSys clause; both "" when GDAL cannot read it.
    void (*describeCrs)(const std::string& definition, std::string& wkt, std::string& mifCoordSys) = nullptr;
    /// The coordinate system's own name, "" when none.
    std::string (*crsName)(const std::string& wkt) = nullptr;
    /// Writes a GIS file; false with why (or "cancelled").
    bool (*writeLines)(const GisWrite& request, std::string& why) = nullptr;
};

/// The module, loaded on first use; nullptr with why when it cannot be.
const GdalModule* LoadGdalModule(std::string& why);

} // namespace orvane::raster

/// The module's one exported symbol.
extern "C" const orvane::raster::GdalModule* orvane_gdal_module();
