// Despeckling.
#include "processing/despeckle.h"

#include "image/bitmap_image.h"
#include "image/ink_mask.h"
#include "image/ink_rule.h"

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
        if (!IsInkColour(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue))
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
    const int whiteIndex = image.GetBitCount() == 24 ? -1 : paperIndex(image);
    if (image.GetBitCount() != 24 && whiteIndex < 0)
        return result; // a table of ink colours only: nothing could be erased

    // Patches are found row by row from the runs of ink, each run joined to
    // the runs it touches in the row above (union-find over patch labels,
    // which keep their box). A patch is complete when no run of the next
    // row touches it; a complete patch that fits the square is erased.
    struct Run {
        std::int32_t x0, x1, label;
    };
    struct Patch {
        std::int32_t parent, minX, maxX, minY, maxY, lastRow;
    };
    std::vector<Patch> patches;
    std::vector<Run> above, here;
    auto root = [&](std::int32_t label) {
        while (patches[std::size_t(label)].parent != label) {
            Patch& p = patches[std::size_t(label)];
            p.parent = patches[std::size_t(p.parent)].parent;
            label = p.parent;
        }
        return label;
    };
    std::vector<std::pair<int, int>> stack, patch;
    auto erase = [&](const Patch& box, int seedX, int seedY) {
        stack.assign(1, {seedX, seedY});
        patch.clear();
        mask.set(seedX, seedY, false);
        while (!stack.empty()) {
            const auto [px, py] = stack.back();
            stack.pop_back();
            patch.push_back({px, py});
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = px + dx, ny = py + dy;
                    if (nx < box.minX || nx > box.maxX || ny < box.minY || ny > box.maxY || !mask.ink(nx, ny))
                        continue;
                    mask.set(nx, ny, false);
                    stack.push_back({nx, ny});
                }
        }
        ++result.specks;
        for (const auto& [px, py] : patch) {
            if (whiteIndex >= 0)
                image.SetPixelIndex(px + 1, py + 1, unsigned(whiteIndex));
            else
                image.SetPixelColor(px + 1, py + 1, 255, 255, 255);
            ++result.pixels;
        }
    };
    // Decides the patches of the runs above that no run of row y touched.
    auto finishAbove = [&](int y) {
        for (const Run& run : above) {
            const std::int32_t r = root(run.label);
            Patch& p = patches[std::size_t(r)];
            if (p.lastRow >= y || p.lastRow < 0)
                continue; // goes on, or already decided
            const Patch box = p;
            p.lastRow = -1;
            if (box.maxX - box.minX < size && box.maxY - box.minY < size)
                erase(box, run.x0, y - 1);
        }
    };

    const int height = mask.height(), words = mask.wordsPerRow();
    for (int y = 0; y <= height; ++y) {
        here.clear();
        for (int w = 0; y < height && w < words; ++w) {
            std::uint64_t bits = mask.word(y, w);
            int base = w * 64;
            while (bits) {
                const int start = std::countr_zero(bits);
                // A run may carry on into the next words.
                std::uint64_t rest = ~(bits >> start);
                int length = rest ? std::countr_zero(rest) : 64 - start;
                int x0 = base + start, x1 = x0 + length - 1;
                if (start + length >= 64) {
                    int next = w + 1;
                    for (; next < words && mask.word(y, next) == ~std::uint64_t(0); ++next)
                        x1 += 64;
                    if (next < words) {
                        const int more = std::countr_one(mask.word(y, next));
                        x1 += more;
                        // Carry on scanning after the run, in its last word.
                        w = next;
                        base = w * 64;
                        bits = more >= 64 ? 0 : mask.word(y, w) & (~std::uint64_t(0) << more);
                        here.push_back({x0, x1, -1});
                        continue;
                    }
                    w = next;
                    bits = 0;
                    here.push_back({x0, x1, -1});
                    continue;
                }
                bits &= ~std::uint64_t(0) << (start + length);
                here.push_back({x0, x1, -1});
            }
        }
        // Join each run to the runs above that touch it, sides or corners.
        std::size_t first = 0;
        for (Run& run : here) {
            while (first < above.size() && above[first].x1 < run.x0 - 1)
                ++first;
            std::int32_t label = -1;
            for (std::size_t k = first; k < above.size() && above[k].x0 <= run.x1 + 1; ++k) {
                const std::int32_t r = root(above[k].label);
                if (label < 0) {
                    label = r;
                } else if (r != label) {
                    Patch& keep = patches[std::size_t(label)];
                    const Patch& gone = patches[std::size_t(r)];
                    keep.minX = std::min(keep.minX, gone.minX);
                    keep.maxX = std::max(keep.maxX, gone.maxX);
                    keep.minY = std::min(keep.minY, gone.minY);
                    keep.maxY = std::max(keep.maxY, gone.maxY);
                    patches[std::size_t(r)].parent = label;
                }
            }
            if (label < 0) {
                label = std::int32_t(patches.size());
                patches.push_back({label, run.x0, run.x1, y, y, y});
            }
            Patch& p = patches[std::size_t(label)];
            p.minX = std::min(p.minX, run.x0);
            p.maxX = std::max(p.maxX, run.x1);
            p.maxY = y;
            p.lastRow = y;
            run.label = label;
        }
        finishAbove(y);
        std::swap(above, here);
    }
    return result;
}

} // namespace orvane
