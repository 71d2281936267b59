// Choosing the output frame.
#include "raster/placement.h"

#include "image/scan_info.h"
#include "raster/crs.h"
#include "raster/gis_export.h"

#include <cctype>

namespace orvane::raster {

bool ChooseOutputFrame(const ScanInfo& info, const PlacementChoice& choice, OutputFrame& frame, std::string& why,
                       std::vector<std::string>& notes)
{
    frame = OutputFrame();
    const double dpiX = choice.dpi > 0 ? choice.dpi : info.dpiX;
    const double dpiY = choice.dpi > 0 ? choice.dpi : info.dpiY;
    if (choice.unit != OutputUnit::Pixel && dpiX > 0)
        frame.pixelMillimetres = 25.4 / dpiX;

    if (info.georeferenced && choice.useGeoreferencing) {
        // A traced point (x, y) is the centre of pixel column x, row y,
        // counted from 0: half a pixel past x, y from the image's corner.
        const auto& g = info.geoTransform;
        frame.placed = true;
        frame.unit = OutputUnit::Map;
        frame.transform = {g[0] + 0.5 * g[1] + 0.5 * g[2], g[1], g[2], g[3] + 0.5 * g[4] + 0.5 * g[5], g[4], g[5]};
        frame.crsWkt = info.crsWkt;
        frame.mifCoordSys = info.mifCoordSys;
        notes.push_back("map coordinates from " + info.georefSource +
                        (info.crsWkt.empty() ? ", coordinate system unknown" : ""));
        if (choice.unit != OutputUnit::Pixel)
            notes.push_back("--units is not used: the scan is georeferenced (--georef none scales it instead)");
        return true;
    }
    if (choice.unit == OutputUnit::Pixel)
        return true;
    if (!(dpiX > 0) || !(dpiY > 0)) {
        why = "the scan does not say its resolution; give it with --dpi N";
        return false;
    }
    // The long-standing drawing, y up from the top-left corner, scaled.
    const double perInch = choice.unit == OutputUnit::Millimetre ? 25.4 : 1.0;
    frame.placed = true;
    frame.unit = choice.unit;
    frame.transform = {0, perInch / dpiX, 0, 0, 0, -perInch / dpiY};
    return true;
}

std::string CrsLoss(const std::filesystem::path& output, const OutputFrame& frame)
{
    if (frame.crsWkt.empty())
        return "";
    std::string extension = output.extension().string(), name;
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (IsGisExtension(extension) || extension == ".arc" || extension == ".svg")
        return ""; // ARC and SVG draw the scan in pixels: no map coordinates to lose
    if (extension == ".mif" && !frame.mifCoordSys.empty())
        return "";
    for (char c : extension.substr(extension.empty() ? 0 : 1))
        name += char(std::toupper(static_cast<unsigned char>(c)));
    const std::string crs = CrsName(frame.crsWkt);
    return name + " cannot hold the coordinate system" + (crs.empty() ? "" : " (" + crs + ")") +
           " of the map coordinates";
}

} // namespace orvane::raster
