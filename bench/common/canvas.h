// What the drawing generator and the feature scenes share: the random
// numbers, the coverage canvas strokes are rendered into, and the scan of
// paper and ink made from it.
//
// Strokes are rendered as capsules (a segment widened by half the stroke
// width, with round ends) into an 8-bit coverage buffer; the coverage of a
// pixel is the clamped distance from its centre to the capsule's edge, which
// gives anti-aliased edges one pixel wide. Overlapping strokes keep the
// larger coverage. Only the raw output of std::mt19937 is used (its sequence
// is fixed by the standard), never the library's distributions, whose
// results differ between implementations.
#pragma once

#include "common/drawing.h"

#include <cstdint>
#include <random>
#include <vector>

namespace orvane::bench {

class Random {
public:
    explicit Random(unsigned seed) : m_engine(seed) {}
    /// Uniform in [0, 1).
    double unit() { return double(m_engine()) / 4294967296.0; }
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    /// Uniform integer in [lo, hi].
    int integer(int lo, int hi) { return lo + int(m_engine() % std::uint32_t(hi - lo + 1)); }

private:
    std::mt19937 m_engine;
};

class Canvas {
public:
    /// With `truth`, every stroke recorded is kept there, clipped to the
    /// canvas.
    Canvas(int width, int height, DrawingTruth* truth = nullptr);

    /// Draws a capsule from (x0, y0) to (x1, y1), split into short pieces so
    /// that each piece's bounding box stays small. Records nothing: a
    /// logical stroke may be many capsules.
    void stroke(double x0, double y0, double x1, double y1, double width);

    /// Draws the capsules of a polyline (closed: back to the first point)
    /// and records it as one stroke.
    void polyline(const char* kind, const std::vector<TruthPoint>& points, double width, bool closed = false);

    /// Records a stroke drawn with stroke(): its centre line, clipped to
    /// the canvas.
    void record(const char* kind, const std::vector<TruthPoint>& points, double width, bool closed = false);
    bool recording() const { return m_truth != nullptr; }

    double area() const { return m_area; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    std::uint8_t cover(int x, int y) const { return m_cover[std::size_t(y) * m_width + x]; }

private:
    void capsule(double ax, double ay, double bx, double by, double width);

    int m_width;
    int m_height;
    std::vector<std::uint8_t> m_cover;
    double m_area = 0;
    DrawingTruth* m_truth;
};

/// The parts of a polyline inside [0, width] x [0, height]. A closed
/// polyline wholly inside stays closed; one the border cuts becomes open
/// runs, the run through its first point in one piece.
std::vector<TruthStroke> ClipToImage(const TruthStroke& stroke, int width, int height);

/// Paints the scan: slightly yellow paper, each pixel blended towards a
/// dark ink by its coverage, plus uniform noise of +-`noise` on all three
/// channels and, unless `speckOdds` is 0, a speck of dust at one pixel in
/// `speckOdds` + 1. Takes two numbers from `random` per pixel, row by row
/// (one without specks).
void PaintScan(const Canvas& canvas, CBitmapImage& image, Random& random, double noise, int speckOdds);

} // namespace orvane::bench
