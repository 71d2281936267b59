// Turning a document's image into screen pixels at a zoom, one exposed
// rectangle at a time.
//
// Enlarged (zoom 1 to 16), every image pixel becomes a square of zoom x zoom
// device pixels. Reduced (zoom 1/n), every device pixel shows the darkest
// value of each channel over the n x n image pixels it covers, so that
// one-pixel lines of a scan stay visible however far the user zooms out.
// The reduced picture of a level is made once and kept until the image
// changes; painting a rectangle then costs only its own pixels.
#pragma once

#include "vector/edit_commands.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane {

class CBitmapImage;

/// Packs an opaque screen pixel as 0xFFRRGGBB.
constexpr std::uint32_t ScreenPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return 0xFF000000u | std::uint32_t(red) << 16 | std::uint32_t(green) << 8 | blue;
}

/// The screen colours of an image's colour-table indices (2^depth entries;
/// indices beyond the held table show black). Empty for 24-bit images.
std::vector<std::uint32_t> ScreenPalette(const CBitmapImage& image);

class ImageRaster {
public:
    /// Drops every reduced picture: the image changed.
    void Invalidate();
    /// One pixel (0-based) changed: the reduced pictures are mended where
    /// they show it.
    void PixelChanged(const CBitmapImage& image, int x, int y);

    /// Writes the pixels of `area` (scrolled device pixels at `zoom`) into
    /// `out`, whose rows are `stride` pixels apart and whose first pixel is
    /// the area's top-left corner. Device pixels beyond the image are left
    /// untouched. An empty image writes nothing.
    void Render(const CBitmapImage& image, float zoom, DeviceRect area, std::uint32_t* out, std::ptrdiff_t stride);

    /// Bytes held by the reduced pictures.
    std::size_t MemoryBytes() const;

private:
    struct Reduced {
        int level = 0; ///< n of zoom 1/n
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> pixels;
        unsigned lastUse = 0;
    };

    const Reduced& reducedFor(const CBitmapImage& image, int level);
    static void enlarge(const CBitmapImage& image, int zoom, DeviceRect area, std::uint32_t* out,
                        std::ptrdiff_t stride, const std::vector<std::uint32_t>& palette);

    std::vector<Reduced> m_reduced; ///< a few levels, least recently used dropped first
    unsigned m_useCounter = 0;
};

/// The reduced picture of an image at zoom 1/level, made directly (the
/// reference for ImageRaster's cached version): each pixel the per-channel
/// minimum of its level x level block, a partial block at the right or
/// bottom edge taken as far as the image goes.
std::vector<std::uint32_t> ReducePicture(const CBitmapImage& image, int level, int& width, int& height);

} // namespace orvane
