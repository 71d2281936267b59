// Writing pixels pure black or pure white, as SetPixelColor would, with the
// colour-table indices of the two colours looked up once per operation
// instead of once per pixel.
#pragma once

#include "image/bitmap_image.h"
#include "processing/thinning_grid.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orvane {

class BlackWhiteWriter {
public:
    explicit BlackWhiteWriter(CBitmapImage& image)
        : m_image(image), m_direct(image.GetBitCount() > 8), m_black(image.FindColorIndex(0, 0, 0)),
          m_white(image.FindColorIndex(255, 255, 255))
    {
    }

    /// Pixel (x, y), which must lie inside, becomes white or black. On an
    /// indexed image whose table lacks the colour the pixel stays as it was.
    void Put(int x, int y, bool white)
    {
        if (m_direct) {
            std::uint8_t* p = m_image.GetRow(y) + 3 * std::size_t(x - 1);
            p[0] = p[1] = p[2] = white ? 255 : 0;
            return;
        }
        const int index = white ? m_white : m_black;
        if (index >= 0)
            m_image.SetPixelIndex(x, y, unsigned(index));
    }

    /// Row y becomes black where bit x of `ink` is set and white elsewhere,
    /// for x from 1 to the width (bit x & 63 of word x >> 6): as Put for
    /// each pixel.
    void PutInkRow(int y, const std::uint64_t* ink)
    {
        const int width = m_image.GetWidth();
        std::uint8_t* p = m_image.GetRow(y);
        auto inkAt = [ink](int x) { return (ink[x >> 6] >> (x & 63)) & 1; };
        if (m_direct) {
            for (int x = 1; x <= width; ++x, p += 3)
                p[0] = p[1] = p[2] = inkAt(x) ? 0 : 255;
        } else if (m_black >= 0 && m_white >= 0) {
            const auto black = std::uint8_t(m_black), whiteIndex = std::uint8_t(m_white);
            const int depth = m_image.GetBitCount();
            if (depth == 8) {
                for (int x = 1; x <= width; ++x)
                    p[x - 1] = inkAt(x) ? black : whiteIndex;
            } else if (depth == 1 && black <= 1 && whiteIndex <= 1) {
                // Sixty-four pixels at a time, the first in the first byte's
                // highest bit; the pixels sharing the last byte with padding
                // one by one, so that the padding stays as it was.
                const std::uint64_t flip = black ? 0 : ~std::uint64_t(0);
                int x = 1;
                for (; x + 63 <= width; x += 64) {
                    const std::uint64_t bits = ReverseBitsInBytes(WordFrom(ink, std::size_t(x))) ^ flip;
                    std::memcpy(p + ((x - 1) >> 3), &bits, 8);
                }
                for (; x <= width; ++x)
                    m_image.SetPixelIndex(x, y, inkAt(x) ? black : whiteIndex);
            } else {
                std::vector<std::uint8_t> indices(static_cast<std::size_t>(width));
                for (int x = 1; x <= width; ++x)
                    indices[std::size_t(x - 1)] = inkAt(x) ? black : whiteIndex;
                m_image.SetRowIndices(y, indices.data());
            }
        } else {
            for (int x = 1; x <= width; ++x)
                Put(x, y, !inkAt(x));
        }
    }

private:
    CBitmapImage& m_image;
    bool m_direct;
    int m_black;
    int m_white;
};

/// The value of each colour-table index under `of` (a function of red,
/// green and blue); indices beyond the held table, whose colour cannot be
/// read, get `unreadable`.
template <typename Of>
std::array<std::uint8_t, 256> IndexValues(const CBitmapImage& image, std::uint8_t unreadable, Of of)
{
    std::array<std::uint8_t, 256> values;
    values.fill(unreadable);
    const RGBQUAD* table = image.GetColorTable();
    for (std::uint32_t i = 0; table && i < image.GetColorTableSize() && i < 256; ++i)
        values[i] = of(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
    return values;
}

} // namespace orvane
