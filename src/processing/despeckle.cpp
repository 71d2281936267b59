// Despeckling.
#include "processing/despeckle.h"

#include "image/bitmap_image.h"
#include "image/ink_mask.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace orvane {

namespace {

/// The colour-table index that erased ink becomes: white, else the first
/// colour that is not ink; -1 when every colour is ink.
int paperIndex(const CBitmapImage& image)
{
    const int white = image.FindColorIndex(255, 255, 255);
    if (white >= 0)
        return white;
    const RGBQUAD* table = image.GetColorTable();
    const std::uint32_t entries = std::min<std::uint32_t>(image.GetColorTableSize(), 1u << image.GetBitCount());
    for (std::uint32_t i = 0; table && i < entries; ++i)
        if (table[i].rgbRed >= 170 && table[i].rgbGreen >= 170 && table[i].rgbBlue >= 170)
            return int(i);
    return -1;
}

} // namespace

int AutomaticSpeckSize(double strokeWidth) { return std::max(2, int(std::floor(strokeWidth / 2.0))); }

DespeckleResult Despeckle(CBitmapImage& image, InkMask& mask, int size)
{
    DespeckleResult result;
    if (size <= 0 || mask.empty())
        return result;
    const int height = mask.height();
    // Patches are walked one at a time; every pixel walked is cleared from
    // a copy so that each is seen once. A patch stops being a candidate as
    // soon as it outgrows the square, but is still walked to its end.
    InkMask unseen = mask;
    std::vector<std::int32_t> stack, patch;
    const int whiteIndex = image.GetBitCount() == 24 ? -1 : paperIndex(image);
    if (image.GetBitCount() != 24 && whiteIndex < 0)
        return result; // a table of ink colours only: nothing could be erased

    for (int y = 0; y < height; ++y) {
        for (int w = 0; w < mask.wordsPerRow(); ++w) {
            std::uint64_t bits;
            while ((bits = unseen.word(y, w)) != 0) {
                const int x0 = w * 64 + std::countr_zero(bits);
                int minX = x0, maxX = x0, minY = y, maxY = y;
                bool small = true;
                stack.clear();
                patch.clear();
                unseen.set(x0, y, false);
                stack.push_back(x0);
                stack.push_back(y);
                while (!stack.empty()) {
                    const int py = stack.back();
                    stack.pop_back();
                    const int px = stack.back();
                    stack.pop_back();
                    if (small) {
                        patch.push_back(px);
                        patch.push_back(py);
                    }
                    for (int dy = -1; dy <= 1; ++dy) {
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = px + dx, ny = py + dy;
                            if (!unseen.ink(nx, ny))
                                continue;
                            unseen.set(nx, ny, false);
                            stack.push_back(nx);
                            stack.push_back(ny);
                            minX = std::min(minX, nx), maxX = std::max(maxX, nx);
                            minY = std::min(minY, ny), maxY = std::max(maxY, ny);
                            small = small && maxX - minX < size && maxY - minY < size;
                        }
                    }
                }
                if (!small)
                    continue;
                ++result.specks;
                for (std::size_t i = 0; i < patch.size(); i += 2) {
                    const int px = patch[i], py = patch[i + 1];
                    mask.set(px, py, false);
                    if (whiteIndex >= 0)
                        image.SetPixelIndex(px + 1, py + 1, unsigned(whiteIndex));
                    else
                        image.SetPixelColor(px + 1, py + 1, 255, 255, 255);
                    ++result.pixels;
                }
            }
        }
    }
    return result;
}

} // namespace orvane
