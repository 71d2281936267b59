// Deterministic test drawings for the benchmarks, and where their strokes
// truly run.
#pragma once

#include "image/bitmap_image.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvane::bench {

/// How heavy a generated drawing is.
enum class DrawingProfile {
    /// Strokes 1 to 7 pixels wide, light paper noise, a few specks.
    Light,
    /// As a real scan of a CAD drawing or map: strokes 2 to 8 pixels wide,
    /// rows of lettering (short strokes in glyph-sized clusters), and
    /// scanner noise strong enough to leave stray ink pixels and rough
    /// stroke edges.
    Realistic,
};

/// A point in continuous image coordinates: the pixel in column x, row y
/// (both from 0, y down) spans [x, x + 1] x [y, y + 1], so its centre is
/// (x + 0.5, y + 0.5).
struct TruthPoint {
    double x = 0;
    double y = 0;
};

/// One stroke as it was drawn: the centre line the pen followed and the
/// width of the pen.
struct TruthStroke {
    /// "line", "arc", "circle", "polyline" (several segments in one pen
    /// movement: corners, rectangles) or "lettering".
    std::string kind;
    double width = 0;
    /// The last point joins back to the first, which is not repeated.
    bool closed = false;
    std::vector<TruthPoint> points;
};

/// Every stroke of a drawing, clipped to the image: a stroke leaving the
/// image and coming back is two strokes.
struct DrawingTruth {
    int width = 0;
    int height = 0;
    std::vector<TruthStroke> strokes;
};

/// Makes a 24-bit picture that looks like a scanned line drawing: slightly
/// tinted paper with noise, dark anti-aliased strokes at many angles
/// (horizontal, vertical, 45 degrees and arbitrary), circular arcs, many
/// crossings and specks of dust. About 7 % of the pixels are ink (some
/// channel below 170). The same size, seed and profile always give the same
/// bytes, on every platform, whether or not `truth` is asked for; when it
/// is, it receives every drawn stroke (a straight line, an arc or circle,
/// each stroke of the lettering).
CBitmapImage MakeScannedDrawing(int width, int height, unsigned seed, DrawingProfile profile = DrawingProfile::Light,
                                DrawingTruth* truth = nullptr);

/// The names of the feature scenes, in a fixed order.
std::vector<std::string> FeatureSceneNames();

/// A small deterministic 24-bit scene that tests one kind of feature, inked
/// and scanned as the realistic drawing is (paper, anti-aliased ink, scanner
/// noise, but no specks of dust):
///   crossings  pairs of lines crossing at 90, 60, 45, 30, 20 and 15 degrees
///   junctions  T junctions, L corners and Y junctions
///   shapes     rectangles, circles, an open arc and two circles touching
///   hatching   rectangles filled with dense parallel lines ending on the border
///   diagonals  45 degree lines 1 to 8 pixels wide, on and between pixel centres
///   widths     horizontal, vertical and steep lines 1 to 8 pixels wide
///   lettering  words in a stroke font 12 to 26 pixels high, pens 2 to 3 wide
/// An unknown name gives an empty image (and no strokes).
CBitmapImage MakeFeatureScene(std::string_view name, DrawingTruth* truth = nullptr);

/// The truth as JSON: {"width":W,"height":H,"strokes":[{"kind":K,"width":w,
/// "closed":b,"points":[[x,y],...]},...]}, coordinates to 1/1000 pixel.
std::string TruthJson(const DrawingTruth& truth);

/// The drawing at another depth: 8-bit grey (a 256-entry grey table, the
/// luminance of each pixel) or 1-bit (black where any channel is below 170,
/// the ink rule of thinning, else white). 24 returns a copy.
CBitmapImage WithDepth(const CBitmapImage& drawing, int bits);

} // namespace orvane::bench
