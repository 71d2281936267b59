// The stroke font of generated drawings: capital letters as pen strokes on
// a grid 4 wide and 6 high (y down), as CAD lettering is drawn. The sample
// floor plan labels its rooms with it, and the benchmarks' lettering scene
// writes with it.
#pragma once

#include <utility>
#include <vector>

namespace orvane::samples {

struct FontPoint {
    double x, y;
};

/// The strokes of a letter, each a polyline; none for a letter the font
/// lacks (A B C D E G H I K L M N O R T U V W Y are drawn).
inline const std::vector<std::vector<FontPoint>>& StrokeGlyph(char c)
{
    static const std::vector<std::vector<FontPoint>> none;
    static const std::vector<std::pair<char, std::vector<std::vector<FontPoint>>>> font = {
        {'A', {{{0, 6}, {2, 0}, {4, 6}}, {{1, 3.5}, {3, 3.5}}}},
        {'B', {{{0, 0}, {0, 6}, {3, 6}, {4, 5}, {4, 4}, {3, 3}, {0, 3}}, {{0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}}}},
        {'C', {{{4, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {4, 6}}}},
        {'D', {{{0, 0}, {0, 6}, {3, 6}, {4, 5}, {4, 1}, {3, 0}, {0, 0}}}},
        {'E', {{{4, 0}, {0, 0}, {0, 6}, {4, 6}}, {{0, 3}, {3, 3}}}},
        {'G', {{{4, 1}, {3, 0}, {1, 0}, {0, 1}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 3}, {2, 3}}}},
        {'H', {{{0, 0}, {0, 6}}, {{4, 0}, {4, 6}}, {{0, 3}, {4, 3}}}},
        {'I', {{{2, 0}, {2, 6}}, {{1, 0}, {3, 0}}, {{1, 6}, {3, 6}}}},
        {'K', {{{0, 0}, {0, 6}}, {{4, 0}, {0, 3.5}}, {{1.5, 2.5}, {4, 6}}}},
        {'L', {{{0, 0}, {0, 6}, {4, 6}}}},
        {'M', {{{0, 6}, {0, 0}, {2, 3}, {4, 0}, {4, 6}}}},
        {'N', {{{0, 6}, {0, 0}, {4, 6}, {4, 0}}}},
        {'O', {{{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}}}},
        {'R', {{{0, 6}, {0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}, {0, 3}}, {{2, 3}, {4, 6}}}},
        {'T', {{{0, 0}, {4, 0}}, {{2, 0}, {2, 6}}}},
        {'U', {{{0, 0}, {0, 5}, {1, 6}, {3, 6}, {4, 5}, {4, 0}}}},
        {'V', {{{0, 0}, {2, 6}, {4, 0}}}},
        {'W', {{{0, 0}, {1, 6}, {2, 3}, {3, 6}, {4, 0}}}},
        {'Y', {{{0, 0}, {2, 3}, {4, 0}}, {{2, 3}, {2, 6}}}},
    };
    for (const auto& [letter, strokes] : font)
        if (letter == c)
            return strokes;
    return none;
}

} // namespace orvane::samples
