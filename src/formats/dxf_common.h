// What the DXF writers share: group-code records, the units a drawing
// states, the drawing's placed extents and closed lines.
#pragma once

#include "formats/output_coordinates.h"
#include "formats/text_out.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace orvane {

/// Appends DXF group-code records (a code line, then a value line) as text
/// with CR LF line ends.
class DxfOut {
public:
    explicit DxfOut(std::string& out) : m_t(out) {}

    DxfOut& text(int code, std::string_view value);
    DxfOut& integer(int code, std::int64_t value);
    DxfOut& real(int code, double value, int decimals);
    /// A handle: upper-case hexadecimal without leading zeros.
    DxfOut& handle(int code, std::uint64_t value);
    /// A 2D point: `code` for x and `code` + 10 for y.
    DxfOut& point(int code, double x, double y, int decimals)
    {
        return real(code, x, decimals).real(code + 10, y, decimals);
    }
    /// A 3D point: x, y and z under `code`, `code` + 10 and `code` + 20.
    DxfOut& point3(int code, double x, double y, double z, int decimals)
    {
        return point(code, x, y, decimals).real(code + 20, z, decimals);
    }
    /// A "$NAME" header variable's name record.
    DxfOut& variable(std::string_view name) { return text(9, name); }

private:
    TextOut m_t;
};

/// The drawing units stated in a DXF header: $INSUNITS and $MEASUREMENT.
struct DxfUnits {
    int insUnits = 0;    ///< 1 inch, 4 millimetre, 6 metre
    int measurement = 0; ///< 0 imperial, 1 metric
};

/// The units of a placed drawing in millimetres or inches, or of a map whose
/// coordinate system is projected in metres; none otherwise.
std::optional<DxfUnits> DrawingUnits(const OutputFrame& frame);

/// True when `wkt` describes a projected coordinate system in metres.
bool IsProjectedInMetres(std::string_view wkt);

/// Writes the $INSUNITS and $MEASUREMENT variables of `units`.
void WriteUnitVariables(DxfOut& dxf, const DxfUnits& units);

/// The decimals of a DXF coordinate: thousandths of a pixel, more on a
/// placed drawing (see CoordinateDecimals).
inline int DxfDecimals(const ExportContext& context) { return CoordinateDecimals(context, 3); }

/// The output point of a traced point in a DXF drawing: y negated unplaced.
inline std::array<double, 2> DxfPoint(const ExportContext& context, double x, double y)
{
    return OutputPoint(context, x, y, UnplacedY::Negated);
}

/// The view of the active viewport: the drawing's centre and height, its
/// width-to-height ratio.
struct DxfView {
    double centreX = 0, centreY = 0, height = 1, aspect = 1;
};
DxfView ViewOf(const OutputBounds& bounds);

} // namespace orvane
