// The ink mask.
#include "image/ink_mask.h"

#include "image/bitmap_image.h"
#include "image/black_ink.h"
#include "image/ink_rule.h"
#include "image/row_halves.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <new>

namespace orvane {
namespace {

/// A row of a 1-bit image, eight pixels a byte with the leftmost in the
/// highest bit, as mask words (leftmost pixel in the lowest bit).
void packOneBitRow(const std::uint8_t* bytes, int width, bool zeroIsInk, bool oneIsInk, std::uint64_t* row, int words)
{
    static const auto reversed = [] {
        std::array<std::uint8_t, 256> table{};
        for (int b = 0; b < 256; ++b)
            for (int i = 0; i < 8; ++i)
                table[std::size_t(b)] = std::uint8_t(table[std::size_t(b)] | (((b >> i) & 1) << (7 - i)));
        return table;
    }();
    const int count = (width + 7) / 8;
    for (int w = 0; w < words; ++w) {
        std::uint64_t word = 0;
        for (int k = 0; k < 8 && w * 8 + k < count; ++k)
            word |= std::uint64_t(reversed[bytes[w * 8 + k]]) << (8 * k);
        // Index 1 where the bit is set, index 0 where it is not.
        word = (oneIsInk ? word : 0) | (zeroIsInk ? ~word : 0);
        const int last = std::min(64, width - w * 64); // pixels of this word in the image
        if (last < 64)
            word &= (std::uint64_t(1) << last) - 1;
        row[w] = word;
    }
}

} // namespace

InkMask::InkMask(int width, int height)
    : m_width(width), m_height(height), m_words((width + 63) / 64),
      m_bits(std::size_t(m_words) * std::size_t(height), 0)
{
}

InkMask InkMask::FromImage(const CBitmapImage& image, Rule rule)
{
    const bool black = rule == Rule::Black;
    InkMask mask;
    const int width = image.GetWidth(), height = image.GetHeight();
    if (image.IsEmpty() || width <= 0 || height <= 0)
        return mask;
    try {
        mask = InkMask(width, height);
    } catch (const std::bad_alloc&) {
        return InkMask();
    }

    std::array<std::uint8_t, 256> inkIndex{};
    if (black) {
        inkIndex = BlackIndices(image);
    } else {
        const RGBQUAD* table = image.GetColorTable();
        for (std::uint32_t i = 0; table && i < image.GetColorTableSize() && i < 256; ++i)
            inkIndex[i] = IsInkColour(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
    }
    // Each word is built in a register, 64 pixels at a time, without a
    // branch per pixel; the two halves of the rows on two cores.
    const bool colour = image.GetBitCount() == 24;
    std::atomic<bool> outOfMemory{false};
    ForEachRowInTwoHalves(0, height - 1, [&](int y) {
        std::uint64_t* row = mask.m_bits.data() + std::size_t(y) * mask.m_words;
        if (image.GetBitCount() == 1) {
            packOneBitRow(image.GetRow(y + 1), width, inkIndex[0], inkIndex[1], row, mask.m_words);
            return;
        }
        std::vector<std::uint8_t> indices;
        if (!colour) {
            try {
                indices.resize(std::size_t(width));
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
                return;
            }
            image.GetRowIndices(y + 1, indices.data());
        }
        const std::uint8_t* bgr = colour ? image.GetRow(y + 1) : nullptr;
        for (int w = 0; w < mask.m_words; ++w) {
            const int first = w * 64, count = std::min(64, width - first);
            std::uint64_t word = 0;
            if (colour) {
                const std::uint8_t* p = bgr + 3 * std::size_t(first);
                if (black)
                    for (int i = 0; i < count; ++i, p += 3)
                        word |= std::uint64_t((p[0] | p[1] | p[2]) == 0) << i;
                else
                    for (int i = 0; i < count; ++i, p += 3)
                        word |= std::uint64_t(std::min(std::min(p[0], p[1]), p[2]) < kInkLimit) << i;
            } else {
                for (int i = 0; i < count; ++i)
                    word |= std::uint64_t(inkIndex[indices[std::size_t(first + i)]]) << i;
            }
            row[w] = word;
        }
    });
    if (outOfMemory)
        return InkMask();
    return mask;
}

void InkMask::packRow(int y, const std::uint8_t* cells)
{
    std::uint64_t* row = m_bits.data() + std::size_t(y) * m_words;
    for (int w = 0; w < m_words; ++w) {
        const std::uint8_t* c = cells + std::size_t(w) * 64;
        std::uint64_t word = 0;
        for (int i = 0; i < 64; ++i)
            word |= std::uint64_t(c[i] != 0) << i;
        row[w] = word;
    }
}

double InkMask::radiusAt(double x, double y, int limit) const
{
    const int cx = int(std::lround(x)), cy = int(std::lround(y));
    if (!ink(cx, cy))
        return 0;
    // Rings of growing size; a background pixel at ring r is at least r away,
    // so the search stops once the best found is below the next ring.
    // Distances are compared squared.
    double best = (limit + 0.5) * (limit + 0.5);
    for (int r = 1; r <= limit && (r - 0.5) * (r - 0.5) < best; ++r) {
        for (int i = -r; i <= r; ++i) {
            const int px[4] = {cx + i, cx + i, cx - r, cx + r};
            const int py[4] = {cy - r, cy + r, cy + i, cy + i};
            for (int k = 0; k < 4; ++k) {
                if (!ink(px[k], py[k])) {
                    const double dx = px[k] - x, dy = py[k] - y;
                    best = std::min(best, dx * dx + dy * dy);
                }
            }
        }
    }
    return std::min(double(limit), std::sqrt(best) - 0.5);
}

std::size_t InkMask::inkCount() const
{
    std::size_t count = 0;
    for (std::uint64_t w : m_bits)
        count += std::size_t(std::popcount(w));
    return count;
}

double InkMask::typicalStrokeWidth() const
{
    std::size_t area = 0, border = 0;
    for (int y = 0; y < m_height; ++y) {
        const std::uint64_t* row = m_bits.data() + std::size_t(y) * m_words;
        const std::uint64_t* up = y > 0 ? row - m_words : nullptr;
        const std::uint64_t* down = y + 1 < m_height ? row + m_words : nullptr;
        for (int w = 0; w < m_words; ++w) {
            const std::uint64_t ink = row[w];
            if (!ink)
                continue;
            // Neighbours left and right, across word boundaries.
            const std::uint64_t left = (ink << 1) | (w > 0 ? row[w - 1] >> 63 : 0);
            const std::uint64_t right = (ink >> 1) | (w + 1 < m_words ? row[w + 1] << 63 : 0);
            const std::uint64_t inside = left & right & (up ? up[w] : 0) & (down ? down[w] : 0);
            area += std::size_t(std::popcount(ink));
            border += std::size_t(std::popcount(ink & ~inside));
        }
    }
    return border ? 2.0 * double(area) / double(border) : 0.0;
}

} // namespace orvane
