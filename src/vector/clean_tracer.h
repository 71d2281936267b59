// Clean tracing: one polyline per drawn stroke.
//
// The thinned image is read as a skeleton graph (skeleton_graph.h). Short
// spurs that thinning leaves at corners and line ends are removed, the two
// halves of a thick crossing become one junction, and at every junction the
// branches that continue each other are joined, so that a stroke passing
// through a crossing or a T stays one line. Lines that meet at a junction
// end exactly at its point; a line through it keeps that point as a
// vertex. Free ends are carried out to the centre of the stroke's end cap
// when the ink before thinning is known. Smoothing and reduction never
// move a line farther than a tolerance from the pixels it was traced from.
#pragma once

#include "vector/line_store.h"
#include "vector/skeleton_graph.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace orvane {

class CBitmapImage;
class InkMask;

struct CleanTraceOptions {
    /// The ink before thinning, for stroke widths and line ends; null when
    /// only the thinned image is known (a stroke is then taken as 2 pixels
    /// wide and ends stay where thinning left them).
    const InkMask* ink = nullptr;
    bool smooth = true;
    bool reduce = true;
    /// How far smoothing and reduction may move a line, in pixels.
    double tolerance = 0.5;
    /// Branches that turn by less than this many degrees continue each
    /// other through a junction.
    double joinAngle = 45.0;
    /// Whether each line keeps the pixels it was traced from (for the
    /// quality report); without, a line holds only its vertices.
    bool keepSource = true;
};

/// One traced line as it is handed on: its vertices, the pixels (and
/// junction points) it was traced from, and how many of its ends are free.
struct CleanLine {
    PointList points;
    PointList source; ///< empty unless the options keep it
    int freeEnds = 0;
    bool closed = false;
    /// Its first pixel in reading order, top to bottom, left to right.
    double topY = 0, topX = 0;
};

/// Places where ink could not be thinned to lines: each a group of crowded
/// pixels, by its middle.
struct CrowdedRegion {
    double x = 0, y = 0;
    std::size_t pixels = 0;
};

class CCleanTracer {
public:
    explicit CCleanTracer(const CleanTraceOptions& options) : m_options(options) {}

    /// Traces the black pixels of `image`, handing each line to `emit` in
    /// order of its first pixel. `cancelled` is asked now and then with a
    /// progress figure from 0 to 100. Returns false when cancelled. Throws
    /// std::bad_alloc when memory runs out.
    bool Run(const CBitmapImage& image, const std::function<bool(int percent)>& cancelled,
             const std::function<void(CleanLine&)>& emit);

    const std::vector<CrowdedRegion>& crowdedRegions() const { return m_crowded; }

private:
    const CleanTraceOptions m_options;
    std::vector<CrowdedRegion> m_crowded;
};

/// Moves the vertices of a traced line as little as the options allow:
/// smoothing averages each free vertex with its neighbours by at most half
/// the tolerance, reduction then drops vertices within the rest of it of a
/// chord. Vertices flagged in `keep` (and both ends) stay where they are.
void SimplifyWithinTolerance(PointList& points, std::vector<bool> keep, const CleanTraceOptions& options);

} // namespace orvane
