// Choosing where a scan's traced lines land in the files written from it.
#pragma once

#include "formats/output_frame.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvane {

struct ScanInfo;

namespace raster {

/// What the user asked for.
struct PlacementChoice {
    /// Use the scan's georeferencing when it has one (--georef auto).
    bool useGeoreferencing = true;
    /// Millimetres or inches for a drawing (--units); Pixel when not asked.
    OutputUnit unit = OutputUnit::Pixel;
    /// Pixels per inch (--dpi); 0 for the scan's own resolution.
    double dpi = 0;
};

/// The output frame of the lines traced from a scan: map coordinates when
/// the scan is georeferenced (and that is wanted), millimetres or inches
/// when asked for (from the scan's resolution or the --dpi given), else
/// the long-standing pixel coordinates. `notes` receives what the user
/// should be told ("map coordinates from world file scan.tfw"). False with
/// `why` when units are asked for and the resolution is unknown.
bool ChooseOutputFrame(const ScanInfo& info, const PlacementChoice& choice, OutputFrame& frame, std::string& why,
                       std::vector<std::string>& notes);

/// When a file would lose the map's coordinate system: "DXF cannot hold the
/// coordinate system (WGS 84 / UTM zone 32N) of the map coordinates"; ""
/// when the format holds it, the frame has none, or the file is written in
/// pixels (ARC, SVG).
std::string CrsLoss(const std::filesystem::path& output, const OutputFrame& frame);

} // namespace raster
} // namespace orvane
