// Where traced coordinates land in a vector file: pixels as traced, a
// drawing scaled to millimetres or inches, or a map.
#pragma once

#include <array>
#include <string>

namespace orvane {

/// The unit of the coordinates a file is written in.
enum class OutputUnit { Pixel, Millimetre, Inch, Map };

/// How the traced points of one export become output coordinates. The
/// default leaves every format exactly as it always was.
///
/// Traced points lie on pixel centres: the pixel in column x, row y, both
/// counted from 0 with y down, is the point (x, y). When `placed`, a point becomes
///     X = transform[0] + transform[1] * x + transform[2] * y
///     Y = transform[3] + transform[4] * x + transform[5] * y
/// with Y up, in `unit`: millimetres or inches for a scaled drawing, the
/// coordinate system's own unit on a map.
struct OutputFrame {
    bool placed = false;
    std::array<double, 6> transform{0, 1, 0, 0, 0, 1};
    OutputUnit unit = OutputUnit::Pixel;
    /// The size of one pixel in millimetres, 0 when the scan's resolution is
    /// unknown (SVG states its size with it).
    double pixelMillimetres = 0;
    /// The coordinate system as WKT, and as a MIF "CoordSys ..." clause;
    /// empty when the map's system is unknown or there is no map.
    std::string crsWkt;
    std::string mifCoordSys;

    /// The output coordinates of traced point (x, y).
    std::array<double, 2> Place(double x, double y) const
    {
        return {transform[0] + transform[1] * x + transform[2] * y, transform[3] + transform[4] * x + transform[5] * y};
    }
};

/// The DXF file written for .dxf: `Classic` is the long-standing file;
/// `R12` a minimal valid R12 (AC1009) file of POLYLINE entities for old
/// machine software; `R2000` a complete R2000 (AC1015) file with
/// LWPOLYLINE entities, handles and its units in $INSUNITS.
enum class DxfProfile { Classic, R12, R2000 };

/// Everything an export may be told besides the lines and the file name.
struct ExportOptions {
    OutputFrame frame;
    DxfProfile dxf = DxfProfile::Classic;
};

} // namespace orvane
