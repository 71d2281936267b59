// Bezier smoothing of stored lines: the line's own vertices serve as the
// control points, and the interior vertices move onto the curve.
#pragma once

namespace orvane {

class CVectorLine;

/// Smooths a line of five or more vertices in place, in pieces of at most 50
/// vertices that share their end vertices: vertex j of a piece of n + 1
/// control points moves to B(j / n). A last piece of four vertices or fewer
/// stays as it is. The count, the order, the end vertex of every piece and
/// the line's stored length, middle vertex and bounding rectangle are kept.
void BezierSmooth(CVectorLine& line);

} // namespace orvane
