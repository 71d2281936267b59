// Saving traced lines in GIS formats through GDAL: GeoPackage, Shapefile,
// GeoJSON and FlatGeobuf.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvane {

class CLineStore;
class Port;
struct OutputFrame;

namespace raster {

/// Whether an extension (".gpkg", any case) names a GIS format.
bool IsGisExtension(std::string_view extension);

/// ".gpkg, .shp, .geojson or .fgb", for messages.
std::string GisExtensions();

/// Whether the GIS format of an extension can hold a coordinate system
/// (they all can).
bool GisFormatHoldsCrs(std::string_view extension);

/// Writes every line of `store` that has vertices as a LineString feature
/// with the attributes id, length (in output units) and vertices, placed by
/// `frame` (without placement: x across, y negated, as in DXF), with the
/// frame's coordinate system. A Shapefile comes with its .shx, .dbf and
/// .prj. Everything is written beside the target under temporary names and
/// put in place in one step only when complete, so a failure or a cancel
/// leaves the old files as they were.
///
/// Shows "Save Vector..." progress and checks for Cancel every 100 lines.
/// Returns 1, or 0 with `why` (when given) saying why.
int ExportGisFile(const CLineStore& store, const OutputFrame& frame, const std::filesystem::path& path, Port& port,
                  std::string* why = nullptr);

} // namespace raster
} // namespace orvane
