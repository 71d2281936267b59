// Writing pixels pure black or pure white, as SetPixelColor would, with the
// colour-table indices of the two colours looked up once per operation
// instead of once per pixel.
#pragma once

#include "image/bitmap_image.h"

#include <array>
#include <cstdint>
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

    /// Row y becomes white where `cells[x - 1]` is `white` and black
    /// elsewhere, for x from 1 to the width: as Put for each pixel.
    void PutRow(int y, const std::uint8_t* cells, std::uint8_t white)
    {
        const int width = m_image.GetWidth();
        std::uint8_t* p = m_image.GetRow(y);
        if (m_direct) {
            for (int x = 0; x < width; ++x, p += 3)
                p[0] = p[1] = p[2] = cells[x] == white ? 255 : 0;
        } else if (m_black >= 0 && m_white >= 0) {
            const auto black = std::uint8_t(m_black), whiteIndex = std::uint8_t(m_white);
            if (m_image.GetBitCount() == 8) {
                for (int x = 0; x < width; ++x)
                    p[x] = cells[x] == white ? whiteIndex : black;
                return;
            }
            std::vector<std::uint8_t> indices(static_cast<std::size_t>(width));
            for (int x = 0; x < width; ++x)
                indices[std::size_t(x)] = cells[x] == white ? whiteIndex : black;
            m_image.SetRowIndices(y, indices.data());
        } else {
            for (int x = 0; x < width; ++x)
                Put(x + 1, y, cells[x] == white);
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
