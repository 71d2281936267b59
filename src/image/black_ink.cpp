// Line pixels of a thinned image.
#include "image/black_ink.h"

#include "image/bitmap_image.h"

namespace orvane {

std::array<std::uint8_t, 256> BlackIndices(const CBitmapImage& image)
{
    std::array<std::uint8_t, 256> black{};
    const RGBQUAD* table = image.GetColorTable();
    for (std::uint32_t i = 0; table && i < image.GetColorTableSize() && i < 256; ++i)
        black[i] = (table[i].rgbRed | table[i].rgbGreen | table[i].rgbBlue) == 0;
    return black;
}

void LoadBlackRow(const CBitmapImage& image, int y, std::uint8_t* cells, const std::array<std::uint8_t, 256>& black)
{
    const int width = image.GetWidth();
    if (image.GetBitCount() == 24) {
        const std::uint8_t* bgr = image.GetRow(y);
        for (int x = 1; x <= width; ++x, bgr += 3)
            cells[x] = (bgr[0] | bgr[1] | bgr[2]) == 0;
        return;
    }
    image.GetRowIndices(y, cells + 1);
    for (int x = 1; x <= width; ++x)
        cells[x] = black[cells[x]];
}

} // namespace orvane
