// Screen pixels of an image at a zoom.
#include "view/image_raster.h"

#include "image/bitmap_image.h"
#include "image/row_halves.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvane {
namespace {

/// Keeps this many reduced levels: enough for two views of one document at
/// different zooms, and a step back and forth, without making them again.
constexpr std::size_t kKeptLevels = 3;

/// Decodes columns first..last - 1 of picture row y (1 = top) into screen
/// pixels, out[0] being column `first`.
void decodeRow(const CBitmapImage& image, int y, const std::vector<std::uint32_t>& palette, int first, int last,
               std::uint32_t* out)
{
    const std::uint8_t* row = image.GetRow(y);
    switch (image.GetBitCount()) {
    case 1:
        for (int x = first; x < last; ++x)
            *out++ = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (int x = first; x < last; ++x)
            *out++ = palette[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)];
        break;
    case 8:
        for (int x = first; x < last; ++x)
            *out++ = palette[row[x]];
        break;
    default:
        for (const std::uint8_t* p = row + 3 * std::size_t(first); first < last; ++first, p += 3)
            *out++ = ScreenPixel(p[2], p[1], p[0]);
        break;
    }
}

/// The darker of two screen pixels, channel by channel.
inline std::uint32_t darkest(std::uint32_t a, std::uint32_t b)
{
    const std::uint32_t r = std::min(a & 0xFF0000u, b & 0xFF0000u);
    const std::uint32_t g = std::min(a & 0x00FF00u, b & 0x00FF00u);
    const std::uint32_t bl = std::min(a & 0x0000FFu, b & 0x0000FFu);
    return 0xFF000000u | r | g | bl;
}

/// Each byte of `into` becomes the smaller of it and the same byte of
/// `from`: for screen pixels, the darker of each channel (see darkest()).
void bytewiseMin(std::uint8_t* into, const std::uint8_t* from, std::size_t bytes)
{
    for (std::size_t i = 0; i < bytes; ++i)
        into[i] = std::min(into[i], from[i]);
}

/// Whether row bits x0 to x1 (0-based, the first pixel in a byte's highest
/// bit) include one equal to `value`.
bool anyBit(const std::uint8_t* row, int x0, int x1, bool value)
{
    for (int x = x0; x <= x1;) {
        const int byte = x >> 3, first = x & 7, last = std::min(7, first + (x1 - x));
        // Bits first..last of the byte, counted from the highest.
        const unsigned mask = (0xFFu >> first) & (0xFFu << (7 - last)) & 0xFFu;
        const unsigned bits = value ? row[byte] : ~unsigned(row[byte]);
        if (bits & mask)
            return true;
        x += last - first + 1;
    }
    return false;
}

/// Reduced row `ry` of a 1-bit image: which of the two indices each block
/// holds, from the rows' bits taken together, then the darker colour of
/// those present.
void reduceOneBitRow(const CBitmapImage& image, int level, int ry, const std::vector<std::uint32_t>& palette,
                     std::uint32_t* acc, int width)
{
    const int w = image.GetWidth(), h = image.GetHeight();
    const std::size_t bytes = std::size_t(w + 7) / 8;
    std::vector<std::uint8_t> anyOne(bytes, 0), allOne(bytes, 0xFF);
    for (int y = ry * level; y < std::min(h, (ry + 1) * level); ++y) {
        const std::uint8_t* row = image.GetRow(y + 1);
        for (std::size_t i = 0; i < bytes; ++i) {
            anyOne[i] |= row[i];
            allOne[i] &= row[i];
        }
    }
    for (int rx = 0; rx < width; ++rx) {
        const int x0 = rx * level, x1 = std::min(w, x0 + level) - 1;
        std::uint32_t value = 0xFFFFFFFFu;
        if (anyBit(anyOne.data(), x0, x1, true))
            value = darkest(value, palette[1]);
        if (anyBit(allOne.data(), x0, x1, false))
            value = darkest(value, palette[0]);
        acc[rx] = value;
    }
}

/// The part of `area` inside [0, width) x [0, height), or an empty rectangle.
DeviceRect clipped(DeviceRect area, int width, int height)
{
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    area.right = std::min(area.right, width);
    area.bottom = std::min(area.bottom, height);
    return area;
}

} // namespace

std::vector<std::uint32_t> ScreenPalette(const CBitmapImage& image)
{
    const int bits = image.GetBitCount();
    if (image.IsEmpty() || bits > 8)
        return {};
    std::vector<std::uint32_t> palette(std::size_t(1) << bits, ScreenPixel(0, 0, 0));
    const RGBQUAD* table = image.GetColorTable();
    const std::size_t held = std::min<std::size_t>(palette.size(), image.GetColorTableSize());
    for (std::size_t i = 0; i < held; ++i)
        palette[i] = ScreenPixel(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
    return palette;
}

std::vector<std::uint32_t> ReducePicture(const CBitmapImage& image, int level, int& width, int& height)
{
    width = height = 0;
    if (image.IsEmpty() || level < 1)
        return {};
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    width = (w + level - 1) / level;
    height = (h + level - 1) / level;
    std::vector<std::uint32_t> reduced(std::size_t(width) * std::size_t(height), 0xFFFFFFFFu);
    const std::vector<std::uint32_t> palette = ScreenPalette(image);
    // Each reduced row comes from its own image rows: the rows are made on
    // both cores. The darkest of a block is the darkest of its columns'
    // darkest, so the rows of a block are first taken together column by
    // column.
    ForEachRowInTwoHalves(0, height - 1, [&](int ry) {
        std::uint32_t* acc = reduced.data() + std::size_t(ry) * std::size_t(width);
        if (image.GetBitCount() == 1) {
            reduceOneBitRow(image, level, ry, palette, acc, width);
            return;
        }
        const int y0 = ry * level, y1 = std::min(h, y0 + level);
        // Working rows kept by each thread from one reduced row to the next.
        thread_local std::vector<std::uint8_t> column;
        if (image.GetBitCount() == 24) {
            // The pixels' own bytes: blue, green, red.
            column.assign(std::size_t(w) * 3, 0xFF);
            for (int y = y0; y < y1; ++y)
                bytewiseMin(column.data(), image.GetRow(y + 1), column.size());
            for (int rx = 0; rx < width; ++rx) {
                std::uint8_t b = 0xFF, g = 0xFF, r = 0xFF;
                for (int x = rx * level; x < std::min(w, (rx + 1) * level); ++x) {
                    const std::uint8_t* p = column.data() + 3 * std::size_t(x);
                    b = std::min(b, p[0]);
                    g = std::min(g, p[1]);
                    r = std::min(r, p[2]);
                }
                acc[rx] = ScreenPixel(r, g, b);
            }
            return;
        }
        thread_local std::vector<std::uint32_t> row;
        row.resize(static_cast<std::size_t>(w));
        column.assign(std::size_t(w) * sizeof(std::uint32_t), 0xFF);
        for (int y = y0; y < y1; ++y) {
            decodeRow(image, y + 1, palette, 0, w, row.data());
            bytewiseMin(column.data(), reinterpret_cast<const std::uint8_t*>(row.data()), column.size());
        }
        for (int x = 0, rx = 0; x < w; rx++)
            for (int end = std::min(w, x + level); x < end; ++x) {
                std::uint32_t pixel;
                std::memcpy(&pixel, column.data() + sizeof pixel * std::size_t(x), sizeof pixel);
                acc[rx] = darkest(acc[rx], pixel);
            }
    });
    return reduced;
}

void ImageRaster::Invalidate()
{
    m_reduced.clear();
    m_reduced.shrink_to_fit();
}

void ImageRaster::PixelChanged(const CBitmapImage& image, int x, int y)
{
    if (image.IsEmpty() || x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight())
        return;
    const std::vector<std::uint32_t> palette = ScreenPalette(image);
    for (Reduced& r : m_reduced) {
        // The darkest value of the block, taken again from the image.
        const int x0 = x / r.level * r.level, y0 = y / r.level * r.level;
        const int x1 = std::min(image.GetWidth(), x0 + r.level), y1 = std::min(image.GetHeight(), y0 + r.level);
        std::vector<std::uint32_t> row(std::size_t(x1 - x0));
        std::uint32_t value = 0xFFFFFFFFu;
        for (int yy = y0; yy < y1; ++yy) {
            decodeRow(image, yy + 1, palette, x0, x1, row.data());
            for (std::uint32_t p : row)
                value = darkest(value, p);
        }
        r.pixels[std::size_t(y / r.level) * std::size_t(r.width) + std::size_t(x / r.level)] = value;
    }
}

std::size_t ImageRaster::MemoryBytes() const
{
    std::size_t bytes = 0;
    for (const Reduced& r : m_reduced)
        bytes += r.pixels.capacity() * sizeof(std::uint32_t);
    return bytes;
}

const ImageRaster::Reduced& ImageRaster::reducedFor(const CBitmapImage& image, int level)
{
    ++m_useCounter;
    for (Reduced& r : m_reduced)
        if (r.level == level) {
            r.lastUse = m_useCounter;
            return r;
        }
    if (m_reduced.size() >= kKeptLevels) {
        auto oldest = std::min_element(m_reduced.begin(), m_reduced.end(),
                                       [](const Reduced& a, const Reduced& b) { return a.lastUse < b.lastUse; });
        m_reduced.erase(oldest);
    }
    Reduced r;
    r.level = level;
    r.lastUse = m_useCounter;
    r.pixels = ReducePicture(image, level, r.width, r.height);
    m_reduced.push_back(std::move(r));
    return m_reduced.back();
}

void ImageRaster::enlarge(const CBitmapImage& image, int zoom, DeviceRect area, std::uint32_t* out,
                          std::ptrdiff_t stride, const std::vector<std::uint32_t>& palette)
{
    const DeviceRect inside = clipped(area, image.GetWidth() * zoom, image.GetHeight() * zoom);
    if (inside.left >= inside.right || inside.top >= inside.bottom)
        return;
    const int firstColumn = inside.left / zoom;
    const int lastColumn = (inside.right - 1) / zoom;
    std::vector<std::uint32_t> decoded(std::size_t(lastColumn - firstColumn + 1));
    std::vector<std::uint32_t> line(std::size_t(inside.right - inside.left));
    int decodedRow = -1;
    for (int dy = inside.top; dy < inside.bottom; ++dy) {
        const int imageRow = dy / zoom;
        if (imageRow != decodedRow) {
            decodeRow(image, imageRow + 1, palette, firstColumn, lastColumn + 1, decoded.data());
            // One device row of this image row, built once and copied for the
            // other zoom - 1 device rows of the same image row.
            std::size_t i = 0;
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const int from = std::max(column * zoom, inside.left);
                const int to = std::min((column + 1) * zoom, inside.right);
                std::fill_n(line.data() + i, to - from, decoded[std::size_t(column - firstColumn)]);
                i += std::size_t(to - from);
            }
            decodedRow = imageRow;
        }
        std::copy(line.begin(), line.end(),
                  out + (dy - area.top) * stride + (inside.left - area.left));
    }
}

void ImageRaster::Render(const CBitmapImage& image, float zoom, DeviceRect area, std::uint32_t* out,
                         std::ptrdiff_t stride)
{
    if (image.IsEmpty() || area.left >= area.right || area.top >= area.bottom)
        return;
    if (zoom >= 1.0f) {
        enlarge(image, int(zoom), area, out, stride, ScreenPalette(image));
        return;
    }
    const int level = int(std::lround(1.0 / double(zoom)));
    const Reduced& reduced = reducedFor(image, level);
    const DeviceRect inside = clipped(area, reduced.width, reduced.height);
    for (int dy = inside.top; dy < inside.bottom; ++dy) {
        const std::uint32_t* from = reduced.pixels.data() + std::size_t(dy) * std::size_t(reduced.width);
        std::copy(from + inside.left, from + inside.right, out + (dy - area.top) * stride + (inside.left - area.left));
    }
}

} // namespace orvane
