// Polyline smoothing and reduction of traced lines, in place.
//
// Traced vertices sit on whole pixels, so slanted or curved lines come out
// as staircases. Smoothing halves the deviation of isolated zigzag vertices;
// reduction drops vertices that lie close enough to a chord.
#pragma once

#include "vector/line_store.h"

namespace orvane {

/// A stateless tool, made for each traced line.
class CPolylineOptimiser {
public:
    virtual ~CPolylineOptimiser() = default;

    /// Moves every interior vertex whose deviation from the chord of its two
    /// neighbours has the opposite sign from both neighbours' deviations to
    /// half that deviation. All decisions use the unmoved points. Lines of
    /// fewer than four points, the end points and the count stay as they are.
    void Smooth(PointList& points) const;
    /// Removes interior points lying within `tolerance` pixels of a chord
    /// whose interior points do not, on balance, lie more than tolerance / 3
    /// to one side of it. Keeps the end points and the order; sets the new
    /// count and returns the number of points removed.
    int Reduce(PointList& points, double tolerance) const;
};

} // namespace orvane
