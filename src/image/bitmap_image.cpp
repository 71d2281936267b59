// Construction and pixel access of CBitmapImage.
#include "image/bitmap_image.h"

#include "image/byte_order.h"
#include "image/large_pages.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

namespace orvane {

std::uint64_t RowStride(std::int64_t width, int bitCount)
{
    std::uint64_t w = width > 0 ? std::uint64_t(width) : 0;
    std::uint64_t bytes = 0;
    switch (bitCount) {
    case 1: bytes = (w + 7) / 8; break;
    case 4: bytes = (w + 1) / 2; break;
    case 8: bytes = w; break;
    case 32: bytes = 4 * w; break;
    default: bytes = 3 * w; break;
    }
    return (bytes + 3) & ~std::uint64_t(3);
}

CBitmapImage::CBitmapImage(const CBitmapImage& other)
{
    if (!other.m_pInfo)
        return;
    // The backup carries the header and room for one colour-table entry.
    constexpr std::size_t kBackupInfoSize = kInfoHeaderSize + sizeof(RGBQUAD);
    m_pInfo = std::make_unique<std::uint8_t[]>(kBackupInfoSize);
    std::memcpy(m_pInfo.get(), other.m_pInfo.get(), kInfoHeaderSize);
    if (other.m_pBits) {
        m_pBits = std::make_unique_for_overwrite<std::uint8_t[]>(other.m_nBitsSize);
        AdviseLargePages(m_pBits.get(), other.m_nBitsSize);
        std::memcpy(m_pBits.get(), other.m_pBits.get(), other.m_nBitsSize);
    }
    m_nBitsSize = other.m_nBitsSize;
    m_nWidth = other.m_nWidth;
    m_nHeight = other.m_nHeight;
    m_nBitCount = other.m_nBitCount;
    m_nStride = other.m_nStride;
    m_nTableEntries = other.m_nBitCount <= 8 ? 1 : 0;
}

CBitmapImage CBitmapImage::Clone() const
{
    CBitmapImage copy;
    if (!m_pInfo)
        return copy;
    const std::size_t infoSize = kInfoHeaderSize + sizeof(RGBQUAD) * std::size_t(m_nTableEntries);
    copy.m_pInfo.reset(new (std::nothrow) std::uint8_t[infoSize]);
    if (m_pBits) {
        copy.m_pBits.reset(new (std::nothrow) std::uint8_t[m_nBitsSize > 0 ? m_nBitsSize : 1]);
        AdviseLargePages(copy.m_pBits.get(), m_nBitsSize);
    }
    if (!copy.m_pInfo || (m_pBits && !copy.m_pBits))
        return CBitmapImage();
    std::memcpy(copy.m_pInfo.get(), m_pInfo.get(), infoSize);
    if (m_pBits && m_nBitsSize > 0)
        std::memcpy(copy.m_pBits.get(), m_pBits.get(), m_nBitsSize);
    copy.m_nBitsSize = m_nBitsSize;
    copy.m_nWidth = m_nWidth;
    copy.m_nHeight = m_nHeight;
    copy.m_nBitCount = m_nBitCount;
    copy.m_nStride = m_nStride;
    copy.m_nTableEntries = m_nTableEntries;
    return copy;
}

std::size_t CBitmapImage::MemoryBytes() const
{
    if (!m_pInfo)
        return 0;
    return kInfoHeaderSize + sizeof(RGBQUAD) * std::size_t(m_nTableEntries) + (m_pBits ? m_nBitsSize : 0);
}

void CBitmapImage::clear()
{
    m_pInfo.reset();
    m_pBits.reset();
    m_nBitsSize = 0;
    m_nWidth = m_nHeight = 0;
    m_nBitCount = 0;
    m_nStride = 0;
    m_nTableEntries = 0;
}

int CBitmapImage::Create(int width, int height, int bitCount, std::span<const RGBQUAD> colors)
{
    clear();
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24))
        return 0;
    const std::uint64_t stride = RowStride(width, bitCount);
    const std::uint64_t bitsSize = stride * std::uint64_t(height);
    if (bitsSize > UINT32_MAX)
        return 0;
    const std::uint32_t entries = bitCount <= 8 ? 1u << bitCount : 0;
    const std::size_t infoSize = kInfoHeaderSize + 4 * std::size_t(entries);

    std::unique_ptr<std::uint8_t[]> info(new (std::nothrow) std::uint8_t[infoSize]());
    std::unique_ptr<std::uint8_t[]> bits(new (std::nothrow) std::uint8_t[bitsSize]);
    if (bits) {
        AdviseLargePages(bits.get(), bitsSize);
        std::memset(bits.get(), 0, bitsSize);
    }
    if (!info || !bits)
        return 0;
    std::uint8_t* h = info.get();
    storeLE32(h + 0, kInfoHeaderSize);
    storeLE32(h + 4, std::uint32_t(width));
    storeLE32(h + 8, std::uint32_t(height));
    storeLE16(h + 12, 1);
    storeLE16(h + 14, std::uint16_t(bitCount));
    storeLE32(h + 20, std::uint32_t(bitsSize));
    const std::size_t copied = std::min<std::size_t>(colors.size(), entries);
    if (copied > 0)
        std::memcpy(h + kInfoHeaderSize, colors.data(), copied * sizeof(RGBQUAD));

    m_pInfo = std::move(info);
    m_pBits = std::move(bits);
    m_nBitsSize = std::uint32_t(bitsSize);
    m_nWidth = width;
    m_nHeight = height;
    m_nBitCount = std::uint16_t(bitCount);
    m_nStride = std::uint32_t(stride);
    m_nTableEntries = entries;
    return 1;
}

std::uint32_t CBitmapImage::GetColorCount() const
{
    if (!m_pInfo)
        return 0;
    const std::uint32_t used = loadLE32(m_pInfo.get() + 32);
    if (m_nBitCount > 8)
        return used != 0 ? used : (1u << 24);
    const std::uint32_t count = used != 0 ? used : (1u << m_nBitCount);
    return std::min(count, m_nTableEntries);
}

RGBQUAD* CBitmapImage::GetColorTable()
{
    return m_pInfo ? reinterpret_cast<RGBQUAD*>(m_pInfo.get() + kInfoHeaderSize) : nullptr;
}

const RGBQUAD* CBitmapImage::GetColorTable() const
{
    return m_pInfo ? reinterpret_cast<const RGBQUAD*>(m_pInfo.get() + kInfoHeaderSize) : nullptr;
}

BitmapInfoHeader CBitmapImage::GetInfoHeader() const
{
    BitmapInfoHeader h{};
    if (!m_pInfo)
        return BitmapInfoHeader{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::uint8_t* p = m_pInfo.get();
    h.biSize = loadLE32(p);
    h.biWidth = std::int32_t(loadLE32(p + 4));
    h.biHeight = std::int32_t(loadLE32(p + 8));
    h.biPlanes = loadLE16(p + 12);
    h.biBitCount = loadLE16(p + 14);
    h.biCompression = loadLE32(p + 16);
    h.biSizeImage = loadLE32(p + 20);
    h.biXPelsPerMeter = std::int32_t(loadLE32(p + 24));
    h.biYPelsPerMeter = std::int32_t(loadLE32(p + 28));
    h.biClrUsed = loadLE32(p + 32);
    h.biClrImportant = loadLE32(p + 36);
    return h;
}

int CBitmapImage::FindColorIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const
{
    if (!m_pInfo || m_nBitCount > 8)
        return -1;
    const RGBQUAD* table = GetColorTable();
    const std::size_t searched = std::min<std::size_t>(m_nTableEntries, std::size_t(1) << m_nBitCount);
    for (std::size_t i = 0; i < searched; ++i)
        if (table[i].rgbRed == red && table[i].rgbGreen == green && table[i].rgbBlue == blue)
            return int(i);
    return -1;
}

int CBitmapImage::SetPixelColor(int x, int y, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    std::span<const RGBQUAD> table(GetColorTable(), GetColorTable() ? m_nTableEntries : 0);
    return storeIndex(x, y, table, red, green, blue);
}

int CBitmapImage::SetPixelColorFromTable(int x, int y, std::span<const RGBQUAD> table, std::uint8_t red,
                                         std::uint8_t green, std::uint8_t blue)
{
    return storeIndex(x, y, table, red, green, blue);
}

int CBitmapImage::storeIndex(int x, int y, std::span<const RGBQUAD> table, std::uint8_t red, std::uint8_t green,
                             std::uint8_t blue)
{
    const unsigned col = static_cast<unsigned>(x) - 1u;
    const unsigned row = static_cast<unsigned>(y) - 1u;
    if (!m_pBits || col >= static_cast<unsigned>(m_nWidth) || row >= static_cast<unsigned>(m_nHeight))
        return 0;
    std::uint8_t* bits = GetRow(y);
    if (m_nBitCount == 24) {
        std::uint8_t* p = bits + 3 * std::size_t(col);
        p[0] = blue;
        p[1] = green;
        p[2] = red;
        return 1;
    }
    // First entry of exactly this colour, among the 2^depth entries searched.
    const std::size_t searched = std::min<std::size_t>(table.size(), std::size_t(1) << m_nBitCount);
    std::size_t index = 0;
    while (index < searched &&
           !(table[index].rgbRed == red && table[index].rgbGreen == green && table[index].rgbBlue == blue))
        ++index;
    if (index == searched)
        return 0;
    if (m_nBitCount != 1 && m_nBitCount != 4 && m_nBitCount != 8)
        return 0;
    SetPixelIndex(x, y, unsigned(index));
    return 1;
}

void CBitmapImage::SetPixelsPerMetre(std::int32_t across, std::int32_t down)
{
    if (!m_pInfo)
        return;
    storeLE32(m_pInfo.get() + 24, std::uint32_t(across));
    storeLE32(m_pInfo.get() + 28, std::uint32_t(down));
}

void CBitmapImage::GetRowIndices(int y, std::uint8_t* indices) const
{
    const std::uint8_t* bits = GetRow(y);
    const int width = m_nWidth;
    switch (m_nBitCount) {
    case 8:
        std::memcpy(indices, bits, std::size_t(width));
        return;
    case 4:
        for (int x = 0; x < width; ++x)
            indices[x] = (x & 1) ? (bits[x >> 1] & 0x0F) : (bits[x >> 1] >> 4);
        return;
    default: {
        // Eight pixels at a time: the bytes of each packed byte's pixels.
        static const std::array<std::uint64_t, 256> unpacked = [] {
            std::array<std::uint64_t, 256> table{};
            for (unsigned byte = 0; byte < 256; ++byte) {
                std::uint8_t pixels[8];
                for (int k = 0; k < 8; ++k)
                    pixels[k] = (byte >> (7 - k)) & 1;
                std::memcpy(&table[byte], pixels, 8);
            }
            return table;
        }();
        int x = 0;
        for (; x + 8 <= width; x += 8)
            std::memcpy(indices + x, &unpacked[bits[x >> 3]], 8);
        for (; x < width; ++x)
            indices[x] = (bits[x >> 3] >> (7 - (x & 7))) & 1;
    }
    }
}

void CBitmapImage::SetRowIndices(int y, const std::uint8_t* indices)
{
    std::uint8_t* bits = GetRow(y);
    const int width = m_nWidth;
    switch (m_nBitCount) {
    case 8:
        std::memcpy(bits, indices, std::size_t(width));
        return;
    case 4:
        for (int x = 0; x + 1 < width; x += 2)
            bits[x >> 1] = std::uint8_t((indices[x] << 4) | (indices[x + 1] & 0x0F));
        if (width & 1) // the last pixel shares its byte with padding
            SetPixelIndex(width, y, indices[width - 1]);
        return;
    default: {
        int x = 0;
        for (; x + 8 <= width; x += 8) {
            // Eight bytes of 0 or 1, the first pixel lowest: one multiply
            // gathers them into the top byte, the first pixel highest.
            std::uint64_t pixels;
            std::memcpy(&pixels, indices + x, 8);
            if constexpr (std::endian::native == std::endian::little) {
                bits[x >> 3] = std::uint8_t((pixels * 0x8040201008040201ull) >> 56);
            } else {
                unsigned byte = 0;
                for (int k = 0; k < 8; ++k)
                    byte = (byte << 1) | indices[x + k];
                bits[x >> 3] = std::uint8_t(byte);
            }
        }
        for (; x < width; ++x)
            SetPixelIndex(x + 1, y, indices[x]);
    }
    }
}

int CBitmapImage::SetBits(std::span<const std::uint8_t> buffer)
{
    if (buffer.empty())
        return 1;
    if (buffer.size() < m_nBitsSize)
        return 0;
    if (m_nBitsSize > 0)
        std::memcpy(m_pBits.get(), buffer.data(), m_nBitsSize);
    return 1;
}

int CBitmapImage::ComputeHistogram(std::span<std::uint32_t> red, std::span<std::uint32_t> green,
                                   std::span<std::uint32_t> blue) const
{
    std::fill(red.begin(), red.end(), 0u);
    std::fill(green.begin(), green.end(), 0u);
    std::fill(blue.begin(), blue.end(), 0u);
    if (!m_pBits)
        return 0;
    auto add = [&](unsigned r, unsigned g, unsigned b, std::uint64_t count) {
        if (r < red.size())
            red[r] += std::uint32_t(count);
        if (g < green.size())
            green[g] += std::uint32_t(count);
        if (b < blue.size())
            blue[b] += std::uint32_t(count);
    };
    if (m_nBitCount == 24) {
        // Each channel counted row by row, straight from the pixel bytes.
        std::array<std::uint64_t, 256> r{}, g{}, b{};
        for (int y = 1; y <= m_nHeight; ++y) {
            const std::uint8_t* p = GetRow(y);
            for (int x = 0; x < m_nWidth; ++x, p += 3) {
                ++b[p[0]];
                ++g[p[1]];
                ++r[p[2]];
            }
        }
        for (unsigned v = 0; v < 256; ++v) {
            add(v, 256, 256, r[v]);
            add(256, v, 256, g[v]);
            add(256, 256, v, b[v]);
        }
        return 1;
    }
    if (m_nBitCount != 1 && m_nBitCount != 4 && m_nBitCount != 8)
        return 1;
    // Indexed: the pixels of each index are counted, then each index adds
    // its count at its colour. Indices past the held table have no colour
    // and are not counted.
    // Whole bytes are counted by value and then split into their pixels;
    // the pixels sharing a byte with the row's padding one by one.
    std::array<std::uint64_t, 256> ofIndex{}, ofByte{};
    const int perByte = 8 / m_nBitCount;
    const int wholeBytes = m_nWidth / perByte;
    for (int y = 1; y <= m_nHeight; ++y) {
        const std::uint8_t* p = GetRow(y);
        for (int i = 0; i < wholeBytes; ++i)
            ++ofByte[p[i]];
        for (int x = wholeBytes * perByte + 1; x <= m_nWidth; ++x)
            ++ofIndex[GetPixelIndex(x, y)];
    }
    for (unsigned byte = 0; byte < 256; ++byte) {
        const std::uint64_t n = ofByte[byte];
        if (n == 0)
            continue;
        if (m_nBitCount == 8) {
            ofIndex[byte] += n;
        } else if (m_nBitCount == 4) {
            ofIndex[byte >> 4] += n;
            ofIndex[byte & 0x0F] += n;
        } else {
            const int ones = std::popcount(byte);
            ofIndex[1] += n * std::uint64_t(ones);
            ofIndex[0] += n * std::uint64_t(8 - ones);
        }
    }
    const RGBQUAD* table = GetColorTable();
    for (std::uint32_t i = 0; i < 256 && i < m_nTableEntries; ++i)
        if (ofIndex[i] > 0)
            add(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, ofIndex[i]);
    return 1;
}

} // namespace orvane
