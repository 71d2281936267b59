// The coordinates a writer puts in its file: traced points as each format
// has always written them, or placed by the export's OutputFrame; and which
// lines are written closed.
#pragma once

#include "formats/vector_writer.h"
#include "vector/line_store.h"

#include <algorithm>
#include <array>

namespace orvane {

/// Which way up a format writes unplaced points: DXF and MIF negate y so the
/// drawing stands upright with the image's top-left corner at the origin;
/// the other formats keep the image's y, growing downward.
enum class UnplacedY { Kept, Negated };

/// The output point of traced point (x, y).
inline std::array<double, 2> OutputPoint(const ExportContext& context, double x, double y, UnplacedY unplaced)
{
    if (context.options.frame.placed)
        return context.options.frame.Place(x, y);
    return {x, unplaced == UnplacedY::Negated ? -y : y};
}

/// A rectangle in output coordinates, min <= max on both axes, no -0.
struct OutputBounds {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

/// The rectangle around the output points of `corners` traced points.
inline OutputBounds BoundsOf(const ExportContext& context, const std::array<std::array<double, 2>, 4>& corners,
                             UnplacedY unplaced)
{
    const auto first = OutputPoint(context, corners[0][0], corners[0][1], unplaced);
    OutputBounds bounds{first[0], first[1], first[0], first[1]};
    for (const auto& corner : corners) {
        const auto p = OutputPoint(context, corner[0], corner[1], unplaced);
        bounds.minX = std::min(bounds.minX, p[0]);
        bounds.maxX = std::max(bounds.maxX, p[0]);
        bounds.minY = std::min(bounds.minY, p[1]);
        bounds.maxY = std::max(bounds.maxY, p[1]);
    }
    // A negated 0 is -0, which would print with its sign.
    bounds.minX += 0.0;
    bounds.minY += 0.0;
    bounds.maxX += 0.0;
    bounds.maxY += 0.0;
    return bounds;
}

/// The drawing's rectangle: the image's corners (0, 0), (W, 0), (0, H) and
/// (W, H) in output coordinates.
inline OutputBounds DrawingBounds(const ExportContext& context, UnplacedY unplaced)
{
    const double w = context.width, h = context.height;
    return BoundsOf(context, {{{0, 0}, {w, 0}, {0, h}, {w, h}}}, unplaced);
}

/// The decimals a coordinate keeps: a format's own number for pixels, and
/// at least enough for a micrometre on a scaled drawing and a millimetre on
/// a map, whose unit may be a degree.
inline int CoordinateDecimals(const ExportContext& context, int pixelDecimals)
{
    const OutputFrame& frame = context.options.frame;
    if (!frame.placed)
        return pixelDecimals;
    switch (frame.unit) {
    case OutputUnit::Pixel:
        return pixelDecimals;
    case OutputUnit::Millimetre:
        return std::max(pixelDecimals, 3);
    case OutputUnit::Inch:
        return std::max(pixelDecimals, 5);
    case OutputUnit::Map:
        return std::max(pixelDecimals, 8);
    }
    return pixelDecimals;
}

/// True for a line of three or more vertices whose last vertex repeats its
/// first. The formats that know closed lines write it closed, without the
/// repeated vertex.
inline bool IsClosedLine(const CVectorLine& line)
{
    const std::vector<VectorNode>& nodes = line.m_nodes;
    return nodes.size() >= 3 && nodes.front().m_dX == nodes.back().m_dX && nodes.front().m_dY == nodes.back().m_dY;
}

} // namespace orvane
