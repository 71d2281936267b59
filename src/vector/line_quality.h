// How well each traced line follows the pixels it was traced from.
#pragma once

#include "vector/line_store.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orvane {

/// One row of the line quality report.
struct LineQuality {
    std::int32_t id = 0;
    std::int32_t vertices = 0;
    double length = 0;
    bool closed = false;
    /// Ends that meet no other line: 0, 1 or 2 (0 for a closed line).
    int freeEnds = 0;
    /// Distance from the centre pixels the line was traced from to the
    /// line: the largest and the mean.
    double maxDistance = 0;
    double meanDistance = 0;
};

/// Measures a stored line against its source, the centre pixels it was
/// traced from: with `runsBetween`, the vertices of a traced polyline with
/// straight runs of pixels between them, every pixel of which counts;
/// without, exactly the points given. Free ends are left at 0 for the
/// caller.
LineQuality MeasureLine(std::int32_t id, const PointList& line, const PointList& source, bool runsBetween = true);

/// Counts the free ends of every reported line from the lines themselves:
/// an end is free when no other line comes within 1.5 pixels of it.
/// `report` and `lines` are in the same order.
void CountFreeEnds(const std::vector<const CVectorLine*>& lines, std::span<LineQuality> report);

} // namespace orvane
