// Eight-neighbour codes and the measures the thinning methods take of them.
//
// A code holds one bit per neighbour, set when that neighbour is ink:
// bit 0 east, 1 north-east, 2 north, 3 north-west, 4 west, 5 south-west,
// 6 south, 7 south-east (counter-clockwise from east). Every measure of a
// 3 x 3 neighbourhood is then one table look-up.
#pragma once

#include "processing/operation_progress.h"

#include <array>
#include <bit>
#include <cstdint>

namespace orvane::neighbourhood {

enum : unsigned { kE = 1, kNE = 2, kN = 4, kNW = 8, kW = 16, kSW = 32, kS = 64, kSE = 128 };

/// The code of a cell from its 3 x 3 neighbourhood as nine bits (see
/// NineBits(): the row above in bits 0 to 2, west to east, the cell's own
/// row in 3 to 5, the row below in 6 to 8); the cell's own bit is ignored.
inline unsigned CodeOfNine(unsigned nine)
{
    static const std::array<std::uint8_t, 512> table = [] {
        std::array<std::uint8_t, 512> t{};
        // The neighbour each of the nine bits stands for (0: the cell).
        const unsigned neighbour[9] = {kNW, kN, kNE, kW, 0, kE, kSW, kS, kSE};
        for (unsigned n = 0; n < 512; ++n)
            for (unsigned b = 0; b < 9; ++b)
                if (n >> b & 1)
                    t[n] |= std::uint8_t(neighbour[b]);
        return t;
    }();
    return table[nine & 511];
}

inline int InkCount(unsigned code) { return std::popcount(code); }

/// The connectivity number: with b_k = 1 for a background neighbour k
/// (numbered 1 = east counter-clockwise to 8 = south-east, 9 = 1, 10 = 2),
/// the sum over k = 1, 3, 5, 7 of b_k - b_k b_(k+1) b_(k+2). It is 1 exactly
/// when removing the cell keeps its ink neighbours connected and leaves at
/// least one; 0 for an isolated cell or one surrounded by ink.
inline int ConnectivityOfCode(unsigned code)
{
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        for (unsigned c = 0; c < 256; ++c) {
            auto b = [c](int k) { return int(((c >> ((k - 1) % 8)) & 1) == 0); };
            int n = 0;
            for (int k = 1; k <= 7; k += 2)
                n += b(k) - b(k) * b(k + 1) * b(k + 2);
            t[c] = std::uint8_t(n);
        }
        return t;
    }();
    return table[code];
}

/// The edge-pixel test of the Zhang-Suen variant for an ink cell: the four
/// triples (NW, N, NE), (NE, E, SE), (SE, S, SW), (SW, W, NW) are examined in
/// turn; the cell is an edge pixel when some triple has a background middle
/// with a background end, some triple has an ink middle with an ink end, and
/// at most one background-to-ink step was seen (counting, in each triple,
/// first-background-middle-ink or middle-background-last-ink once).
inline bool IsEdgeCode(unsigned code)
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        const unsigned triples[4][3] = {{kNW, kN, kNE}, {kNE, kE, kSE}, {kSE, kS, kSW}, {kSW, kW, kNW}};
        for (unsigned c = 0; c < 256; ++c) {
            bool t00 = false, t11 = false, t01 = false, t01s = false;
            for (const auto& tr : triples) {
                const bool first = c & tr[0], middle = c & tr[1], last = c & tr[2];
                if (!middle && (!first || !last))
                    t00 = true;
                if (middle && (first || last))
                    t11 = true;
                if ((!first && middle) || (!middle && last)) {
                    t01s = t01;
                    t01 = true;
                }
            }
            t[c] = t00 && t11 && !t01s;
        }
        return t;
    }();
    return table[code];
}

/// A check for a cancel before each of `rowCount` rows, stopping at the
/// first that reports one. The methods once recoded the grid between the
/// image's values and their own in two such passes; the caller now fills
/// the grid in the method's values and reads them back, and the passes keep
/// only their checks, so that a cancel lands where it always did.
inline void CheckEachRow(int rowCount, OperationProgress& progress)
{
    for (int r = 0; r < rowCount; ++r)
        if (progress.check())
            return;
}

} // namespace orvane::neighbourhood
