// The ink of a scan before thinning, one bit per pixel.
//
// Thinning keeps only the centre lines of strokes; the mask remembers where
// the strokes were, so that tracing can still ask how wide a stroke is at a
// place and where it ends. An eighth of a byte per pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace orvane {

class CBitmapImage;

/// Zeroed memory of at least `bytes` bytes, mapped from the system in whole
/// 2 MB stretches on a 2 MB boundary and asked to be backed by large pages:
/// then one page fault per 2 MB instead of one per 4 KB. `bytes` becomes
/// the size mapped. Null where the system has no such mapping or refuses;
/// give it back with UnmapLargePages.
void* MapLargePages(std::size_t& bytes);
void UnmapLargePages(void* block, std::size_t bytes);

/// Gives a mask's words back: to the system when they were mapped from it
/// (`mapped` bytes), else to the heap.
struct InkWordsRelease {
    std::size_t mapped = 0;
    void operator()(std::uint64_t* words) const;
};

class InkMask {
public:
    InkMask() = default;
    /// A mask of `width` by `height` pixels, none of them ink. Throws
    /// std::bad_alloc when memory runs out.
    InkMask(int width, int height);
    InkMask(const InkMask& other);
    InkMask& operator=(const InkMask& other);
    InkMask(InkMask&&) noexcept = default;
    InkMask& operator=(InkMask&&) noexcept = default;
    /// Which pixels count as ink: by the thinning rule (some channel below
    /// 170), or only black ones (red, green and blue all 0), the line
    /// pixels of a thinned image.
    enum class Rule { Thinning, Black };
    /// The ink of `image` by `rule`. Empty (width 0) when memory runs out.
    static InkMask FromImage(const CBitmapImage& image, Rule rule = Rule::Thinning);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width == 0; }

    /// Column x, row y, both from 0 at the top left; false outside.
    bool ink(int x, int y) const
    {
        if (unsigned(x) >= unsigned(m_width) || unsigned(y) >= unsigned(m_height))
            return false;
        return (m_bits[std::size_t(y) * m_words + (unsigned(x) >> 6)] >> (unsigned(x) & 63)) & 1u;
    }
    void set(int x, int y, bool value)
    {
        std::uint64_t& word = m_bits[std::size_t(y) * m_words + (unsigned(x) >> 6)];
        const std::uint64_t bit = std::uint64_t(1) << (unsigned(x) & 63);
        word = value ? word | bit : word & ~bit;
    }
    /// The 64 pixels of row y from column 64 * word; bit i is column
    /// 64 * word + i.
    std::uint64_t word(int y, int word) const { return m_bits[std::size_t(y) * m_words + word]; }
    /// The `count` pixels (at most 64) of row y from column x0 on, bit i
    /// column x0 + i; none off the mask.
    std::uint64_t span(int y, int x0, int count) const;
    /// Sets those 64 pixels; bits past the width must be 0.
    void setWord(int y, int word, std::uint64_t bits) { m_bits[std::size_t(y) * m_words + word] = bits; }
    int wordsPerRow() const { return m_words; }
    /// Sets row y from one byte per pixel (non-zero for ink), read for
    /// 64 * wordsPerRow() pixels: the cells past the width must be 0.
    void packRow(int y, const std::uint8_t* cells);

    /// How far the point (x, y), in pixel-centre coordinates, lies inside
    /// the ink: the distance to the nearest pixel centre that is not ink,
    /// less half a pixel. A stroke n pixels wide gives n / 2 on its centre
    /// line. Searches no farther than `limit` pixels and answers `limit`
    /// beyond; 0 off the ink.
    double radiusAt(double x, double y, int limit = 24) const;

    /// Ink pixels in all, and those with a background pixel left, right,
    /// above or below: together they estimate the typical stroke width.
    std::size_t inkCount() const;
    /// About the width of a typical stroke in pixels: twice the ink's area
    /// over its border. 0 without ink.
    double typicalStrokeWidth() const;

    std::size_t bytes() const { return m_count * sizeof(std::uint64_t); }

private:
    /// Room for a mask of `width` by `height` pixels, zeroed or left as it
    /// comes (for a mask about to be written whole). A mask of a megabyte
    /// or more is mapped from the system in whole 2 MB stretches on large
    /// pages where it has them: a 4000 x 3000 mask is then one page fault,
    /// not 370, each of which can cost more than reading the page. Fresh
    /// pages come zeroed.
    enum class Fill { Zero, None };
    InkMask(int width, int height, Fill fill);

    int m_width = 0;
    int m_height = 0;
    int m_words = 0;
    std::size_t m_count = 0; ///< words
    std::unique_ptr<std::uint64_t[], InkWordsRelease> m_bits;
};

} // namespace orvane
