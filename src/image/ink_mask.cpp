// The ink mask.
#include "image/ink_mask.h"

#include "image/bit_rows.h"
#include "image/bitmap_image.h"
#include "image/black_ink.h"
#include "image/ink_rule.h"
#include "image/row_halves.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace orvane {
namespace {

/// A row of a 1-bit image, eight pixels a byte with the leftmost in the
/// highest bit, as mask words (leftmost pixel in the lowest bit).
void packOneBitRow(const std::uint8_t* bytes, int width, bool zeroIsInk, bool oneIsInk, std::uint64_t* row, int words)
{
    for (int w = 0; w < words; ++w)
        row[w] = OneBitInk(bytes, w, width, zeroIsInk, oneIsInk);
}

} // namespace

InkMask::InkMask(int width, int height) : InkMask(width, height, Fill::Zero) {}

InkMask::InkMask(int width, int height, Fill fill)
    : m_width(width), m_height(height), m_words((width + 63) / 64), m_count(std::size_t(m_words) * std::size_t(height))
{
    const std::size_t bytes = std::max<std::size_t>(m_count, 1) * sizeof(std::uint64_t);
    constexpr std::size_t kMapped = std::size_t(1) << 20;
    if (bytes >= kMapped) {
        std::size_t size = bytes;
        if (void* block = MapLargePages(size)) {
            m_bits = std::unique_ptr<std::uint64_t[], InkWordsRelease>(static_cast<std::uint64_t*>(block),
                                                                       InkWordsRelease{size});
            return;
        }
    }
    m_bits.reset(static_cast<std::uint64_t*>(fill == Fill::Zero ? std::calloc(bytes, 1) : std::malloc(bytes)));
    if (!m_bits)
        throw std::bad_alloc();
}

void InkWordsRelease::operator()(std::uint64_t* words) const
{
    if (mapped)
        UnmapLargePages(words, mapped);
    else
        std::free(words);
}

void* MapLargePages(std::size_t& bytes)
{
#if defined(MADV_HUGEPAGE)
    // Mapped with a large page's room to spare, then trimmed to whole
    // large pages on a large page boundary.
    constexpr std::size_t kLarge = std::size_t(2) << 20;
    const std::size_t size = (std::max<std::size_t>(bytes, 1) + kLarge - 1) & ~(kLarge - 1);
    void* mapped = mmap(nullptr, size + kLarge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto from = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t start = (from + kLarge - 1) & ~std::uintptr_t(kLarge - 1);
    if (start > from)
        munmap(mapped, start - from);
    munmap(reinterpret_cast<void*>(start + size), from + kLarge - start);
    madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE); // a hint: failure changes nothing
    bytes = size;
    return reinterpret_cast<void*>(start);
#else
    (void)bytes;
    return nullptr;
#endif
}

void UnmapLargePages(void* block, std::size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    munmap(block, bytes);
#else
    (void)block;
    (void)bytes;
#endif
}

InkMask::InkMask(const InkMask& other) : InkMask(other.m_width, other.m_height, Fill::None)
{
    std::copy_n(other.m_bits.get(), m_count, m_bits.get());
}

InkMask& InkMask::operator=(const InkMask& other)
{
    if (this != &other)
        *this = InkMask(other);
    return *this;
}

InkMask InkMask::FromImage(const CBitmapImage& image, Rule rule)
{
    const bool black = rule == Rule::Black;
    InkMask mask;
    const int width = image.GetWidth(), height = image.GetHeight();
    if (image.IsEmpty() || width <= 0 || height <= 0)
        return mask;
    try {
        mask = InkMask(width, height, Fill::None); // every word is written below
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
        std::uint64_t* row = mask.m_bits.get() + std::size_t(y) * mask.m_words;
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
    std::uint64_t* row = m_bits.get() + std::size_t(y) * m_words;
    for (int w = 0; w < m_words; ++w)
        row[w] = NonZeroBits(cells + std::size_t(w) * 64);
}

std::uint64_t InkMask::span(int y, int x0, int count) const
{
    if (unsigned(y) >= unsigned(m_height))
        return 0;
    const std::uint64_t* row = m_bits.get() + std::size_t(y) * m_words;
    const auto at = [&](int w) { return unsigned(w) < unsigned(m_words) ? row[w] : 0; };
    const int w = x0 >> 6, shift = x0 & 63; // x0 >> 6 rounds down, also left of the mask
    std::uint64_t bits = at(w) >> shift;
    if (shift)
        bits |= at(w + 1) << (64 - shift);
    return count >= 64 ? bits : bits & ((std::uint64_t(1) << count) - 1);
}

double InkMask::radiusAt(double x, double y, int limit) const
{
    const int cx = int(std::lround(x)), cy = int(std::lround(y));
    if (!ink(cx, cy))
        return 0;
    // Rings of growing size; a background pixel at ring r is at least r away,
    // so the search stops once the best found is below the next ring.
    // Distances are compared squared. The ring's top and bottom rows are
    // read a word at a time, and only their background pixels measured.
    double best = (limit + 0.5) * (limit + 0.5);
    const auto measure = [&](int px, int py) {
        const double dx = px - x, dy = py - y;
        best = std::min(best, dx * dx + dy * dy);
    };
    for (int r = 1; r <= limit && (r - 0.5) * (r - 0.5) < best; ++r) {
        for (const int py : {cy - r, cy + r}) {
            for (int x0 = cx - r; x0 <= cx + r; x0 += 64) {
                const int count = std::min(64, cx + r - x0 + 1);
                const std::uint64_t all = count == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << count) - 1;
                for (std::uint64_t paper = ~span(py, x0, count) & all; paper; paper &= paper - 1)
                    measure(x0 + std::countr_zero(paper), py);
            }
        }
        for (int py = cy - r + 1; py < cy + r; ++py) {
            if (!ink(cx - r, py))
                measure(cx - r, py);
            if (!ink(cx + r, py))
                measure(cx + r, py);
        }
    }
    return std::min(double(limit), std::sqrt(best) - 0.5);
}

std::size_t InkMask::inkCount() const
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < m_count; ++i)
        count += std::size_t(std::popcount(m_bits[i]));
    return count;
}

double InkMask::typicalStrokeWidth() const
{
    std::size_t area = 0, border = 0;
    for (int y = 0; y < m_height; ++y) {
        const std::uint64_t* row = m_bits.get() + std::size_t(y) * m_words;
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
