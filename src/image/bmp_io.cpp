// Reading and writing CBitmapImage as a BMP byte stream.
//
// Uncompressed bitmaps of 1, 4, 8 or 24 bits per pixel are read, with any
// information header other tools write (40, 52, 56, 108 or 124 bytes),
// bottom-up or top-down; 32-bit pixels (plain or with the usual channel
// masks) are read as 24-bit ones. Whatever the file, the image holds an
// ordinary bottom-up bitmap with a 40-byte header, and that is what is
// written. The reader checks every size against the bytes the stream really
// holds before it allocates anything, so a damaged or hostile file is
// refused instead of read past its end.
#include "image/bitmap_image.h"

#include "image/byte_order.h"
#include "image/ink_rule.h"
#include "image/large_pages.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvane {
namespace {

constexpr std::uint16_t kBmpMagic = 0x4D42; // "BM"
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kLargestInfoHeader = 124; // the fifth version
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

/// The information headers in use: the classic one, the two that add
/// channel masks (with and without alpha), and the fourth and fifth
/// versions with colour space and profile fields. Each begins with the
/// classic header's fields.
bool isKnownHeaderSize(std::uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

bool readExact(std::istream& in, void* buffer, std::uint64_t size)
{
    in.read(static_cast<char*>(buffer), std::streamsize(size));
    return in.good() || (in.eof() && std::uint64_t(in.gcount()) == size);
}

/// Bytes between the stream's current position and its end, or -1 when the
/// stream cannot tell. The position is left where it was.
std::int64_t bytesRemaining(std::istream& in)
{
    const std::istream::pos_type start = in.tellg();
    if (start == std::istream::pos_type(-1))
        return -1;
    in.seekg(0, std::ios::end);
    const std::istream::pos_type end = in.tellg();
    in.seekg(start);
    if (end == std::istream::pos_type(-1) || !in)
        return -1;
    return std::int64_t(end - start);
}

bool isSupportedDepth(unsigned bitCount) { return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24; }

} // namespace

/// What a BMP stream's headers say, every size checked against the bytes
/// the stream holds; `info` is the image's 40-byte header, already saying
/// what the image will hold, and its whole colour table.
struct BmpLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool topDown = false;
    unsigned fileBitCount = 0;
    unsigned bitCount = 0; ///< what the image holds: 32-bit pixels become 24-bit
    std::uint64_t fileStride = 0;
    std::uint64_t stride = 0;
    std::uint64_t bitsSize = 0;
    std::uint32_t entries = 0; ///< colour-table entries the image holds
    std::unique_ptr<std::uint8_t[]> info;
};

namespace {

/// Reads the headers and the colour table and leaves the stream at the
/// first pixel row; false for a stream this program does not read.
bool readLayout(std::istream& in, BmpLayout& layout)
{
    const std::istream::pos_type start = in.tellg();
    const std::int64_t available = bytesRemaining(in);
    if (available < 0)
        return false;

    std::uint8_t fileHeader[kFileHeaderSize];
    std::uint8_t header[kLargestInfoHeader] = {};
    if (!readExact(in, fileHeader, sizeof fileHeader) || loadLE16(fileHeader) != kBmpMagic)
        return false;
    if (!readExact(in, header, 4))
        return false;
    const std::uint32_t headerSize = loadLE32(header);
    if (!isKnownHeaderSize(headerSize) || !readExact(in, header + 4, headerSize - 4))
        return false;

    const std::uint32_t bfSize = loadLE32(fileHeader + 2);
    const std::uint32_t bfOffBits = loadLE32(fileHeader + 10);
    const std::int32_t width = std::int32_t(loadLE32(header + 4));
    const std::int32_t signedHeight = std::int32_t(loadLE32(header + 8));
    const unsigned planes = loadLE16(header + 12);
    const unsigned fileBitCount = loadLE16(header + 14);
    const std::uint32_t compression = loadLE32(header + 16);
    // A negative height stores the rows from the top down.
    const bool topDown = signedHeight < 0;
    if (signedHeight == INT32_MIN)
        return false;
    const std::int32_t height = topDown ? -signedHeight : signedHeight;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return false;
    if (planes != 1)
        return false; // a bitmap has exactly one plane

    // 32-bit pixels are kept as 24-bit ones, alpha dropped. They may be
    // plain (blue, green, red, unused) or say so through channel masks,
    // which must then be the usual ones.
    std::uint64_t masksAfterHeader = 0;
    if (fileBitCount == 32 && compression == kBitFields) {
        std::uint8_t masks[12];
        if (headerSize >= 52) {
            std::memcpy(masks, header + 40, sizeof masks);
        } else {
            if (!readExact(in, masks, sizeof masks))
                return false;
            masksAfterHeader = sizeof masks;
        }
        if (loadLE32(masks) != 0x00FF0000 || loadLE32(masks + 4) != 0x0000FF00 || loadLE32(masks + 8) != 0x000000FF)
            return false;
    } else if (compression != kUncompressed || !(isSupportedDepth(fileBitCount) || fileBitCount == 32)) {
        return false;
    }
    const unsigned bitCount = fileBitCount == 32 ? 24 : fileBitCount;

    // Every size is checked against what the stream holds before allocating.
    const std::uint64_t fileStride = RowStride(width, int(fileBitCount));
    const std::uint64_t fileBitsSize = fileStride * std::uint64_t(height); // < 2^64: stride < 2^35
    const std::uint64_t stride = RowStride(width, int(bitCount));
    const std::uint64_t bitsSize = stride * std::uint64_t(height);
    if (fileBitsSize > UINT32_MAX)
        return false;
    // Indexed images hold their whole table. A file may store only the
    // colours it uses, its pixels following at once; the rest are black.
    const std::uint32_t entries = bitCount <= 8 ? 1u << bitCount : 0;
    const std::uint32_t colorsUsed = loadLE32(header + 32);
    const std::uint64_t tableStart = kFileHeaderSize + headerSize + masksAfterHeader;
    const bool shortTable = colorsUsed > 0 && colorsUsed < entries && bfOffBits < tableStart + 4 * std::uint64_t(entries);
    const std::uint32_t stored = shortTable ? colorsUsed : entries;
    const std::uint64_t tableBytes = 4 * std::uint64_t(stored);
    const std::uint64_t size = std::uint64_t(available);
    if (tableStart + tableBytes > size)
        return false; // the colour table ends early
    if (bfOffBits < tableStart + tableBytes)
        return false; // the pixels would overlap the headers or the colour table
    if (bfOffBits > size || size - bfOffBits < fileBitsSize)
        return false; // the pixel data starts outside the file or ends early
    if (bfSize < bfOffBits || bfSize - bfOffBits < fileBitsSize)
        return false; // the file declares less pixel data than its rows need

    const std::uint64_t infoSize = kInfoHeaderSize + 4 * std::uint64_t(entries);
    layout.info.reset(new (std::nothrow) std::uint8_t[infoSize]());
    if (!layout.info)
        return false;
    std::uint8_t* info = layout.info.get();
    std::memcpy(info, header, kInfoHeaderSize);
    if (!readExact(in, info + kInfoHeaderSize, tableBytes))
        return false;
    // What the image holds is an ordinary bottom-up bitmap with a 40-byte
    // header and its whole colour table; its header says so.
    storeLE32(info, kInfoHeaderSize);
    storeLE32(info + 8, std::uint32_t(height));
    if (fileBitCount != bitCount) {
        storeLE16(info + 14, std::uint16_t(bitCount));
        storeLE32(info + 16, kUncompressed);
        storeLE32(info + 20, std::uint32_t(bitsSize));
    }
    in.seekg(start + std::streamoff(bfOffBits));
    if (!in)
        return false;
    layout.width = width;
    layout.height = height;
    layout.topDown = topDown;
    layout.fileBitCount = fileBitCount;
    layout.bitCount = bitCount;
    layout.fileStride = fileStride;
    layout.stride = stride;
    layout.bitsSize = bitsSize;
    layout.entries = entries;
    return true;
}

/// Packs the leading pixels of a row of 24-bit pixels as a 1-bit image's
/// row of ink (0) and paper (1), sixteen at a time, and returns how many it
/// packed (a multiple of 16; none without SSE2). A pixel is ink when any
/// of its bytes is below the ink limit, as IsInkColour says.
std::int32_t packColourInk(const std::uint8_t* from, std::int32_t width, std::uint8_t* to)
{
#if defined(__SSE2__)
    // For four pixels' twelve "byte is dark" bits: their paper bits, the
    // leftmost pixel highest.
    static const std::array<std::uint8_t, 4096> paperOfFour = [] {
        std::array<std::uint8_t, 4096> table{};
        for (unsigned bits = 0; bits < 4096; ++bits)
            for (unsigned pixel = 0; pixel < 4; ++pixel)
                if (((bits >> (3 * pixel)) & 7) == 0)
                    table[bits] = std::uint8_t(table[bits] | (8u >> pixel));
        return table;
    }();
    const __m128i limit = _mm_set1_epi8(char(kInkLimit - 1));
    auto dark = [&](const std::uint8_t* p) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Below the limit exactly where the byte is its minimum with limit - 1.
        return std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, limit), bytes))));
    };
    std::int32_t x = 0;
    for (; x + 16 <= width; x += 16, from += 48, to += 2) {
        const std::uint64_t bits = dark(from) | dark(from + 16) << 16 | dark(from + 32) << 32;
        to[0] = std::uint8_t(paperOfFour[bits & 0xFFF] << 4 | paperOfFour[(bits >> 12) & 0xFFF]);
        to[1] = std::uint8_t(paperOfFour[(bits >> 24) & 0xFFF] << 4 | paperOfFour[(bits >> 36) & 0xFFF]);
    }
    return x;
#else
    (void)from;
    (void)width;
    (void)to;
    return 0;
#endif
}

/// Ink per colour-table index, as the thinning decides it; false when the
/// image cannot be read as its ink. Indexed images go over only when their
/// table has pure black and pure white: the thinning writes its result in
/// those two, and without them its result depends on the other colours,
/// which a 1-bit image does not keep. A 1-bit image is read as it is.
bool inkOfEachIndex(const BmpLayout& layout, std::array<std::uint8_t, 256>& inkIndex)
{
    if (layout.bitCount > 8)
        return true;
    if (layout.bitCount == 1)
        return false;
    const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(layout.info.get() + kInfoHeaderSize);
    bool black = false, white = false;
    for (std::uint32_t i = 0; i < layout.entries; ++i) {
        const RGBQUAD& c = table[i];
        inkIndex[i] = IsInkColour(c.rgbRed, c.rgbGreen, c.rgbBlue);
        black = black || (c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 0);
        white = white || (c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255);
    }
    return black && white;
}

} // namespace

int CBitmapImage::Read(std::istream& in) { return read(in, false); }

int CBitmapImage::ReadInk(std::istream& in) { return read(in, true); }

int CBitmapImage::read(std::istream& in, bool inkOnly)
{
    clear();
    BmpLayout layout;
    if (!readLayout(in, layout))
        return 0;
    std::array<std::uint8_t, 256> inkIndex{};
    if (inkOnly && inkOfEachIndex(layout, inkIndex))
        return readInk(in, layout, inkIndex.data());
    const std::int32_t width = layout.width, height = layout.height;
    const std::uint64_t stride = layout.stride, bitsSize = layout.bitsSize, fileStride = layout.fileStride;
    std::unique_ptr<std::uint8_t[]> bits(new (std::nothrow) std::uint8_t[bitsSize]);
    if (!bits)
        return 0;
    AdviseLargePages(bits.get(), bitsSize);
    if (!layout.topDown && layout.fileBitCount == layout.bitCount) {
        if (!readExact(in, bits.get(), bitsSize))
            return 0;
    } else {
        std::unique_ptr<std::uint8_t[]> fileRow(new (std::nothrow) std::uint8_t[fileStride]);
        if (!fileRow)
            return 0;
        for (std::int32_t i = 0; i < height; ++i) {
            if (!readExact(in, fileRow.get(), fileStride))
                return 0;
            std::uint8_t* row = bits.get() + stride * std::uint64_t(layout.topDown ? height - 1 - i : i);
            if (layout.fileBitCount == 32) {
                for (std::int32_t x = 0; x < width; ++x)
                    std::memcpy(row + 3 * std::size_t(x), fileRow.get() + 4 * std::size_t(x), 3);
                std::memset(row + 3 * std::size_t(width), 0, std::size_t(stride) - 3 * std::size_t(width));
            } else {
                std::memcpy(row, fileRow.get(), stride);
            }
        }
    }

    m_pInfo = std::move(layout.info);
    m_pBits = std::move(bits);
    m_nBitsSize = std::uint32_t(bitsSize);
    m_nWidth = width;
    m_nHeight = height;
    m_nBitCount = std::uint16_t(layout.bitCount);
    m_nStride = std::uint32_t(stride);
    m_nTableEntries = layout.entries;
    return 1;
}

int CBitmapImage::readInk(std::istream& in, const BmpLayout& layout, const std::uint8_t* inkIndex)
{
    const std::int32_t width = layout.width, height = layout.height;
    const RGBQUAD blackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    if (!Create(width, height, 1, blackWhite))
        return 0;
    // The resolution goes with the pixels.
    SetPixelsPerMetre(std::int32_t(loadLE32(layout.info.get() + 24)), std::int32_t(loadLE32(layout.info.get() + 28)));

    // The file's rows a band at a time, each row turned into bits as it
    // comes: the scan's own pixels are never held whole.
    const std::uint64_t fileStride = layout.fileStride;
    // A band of about 256 KB stays in the cache between the read that fills
    // it and the packing that empties it, and is written (and so faulted
    // in) only once.
    const std::int32_t band =
        std::int32_t(std::clamp<std::uint64_t>((std::uint64_t(256) << 10) / fileStride, 1, std::uint64_t(height)));
    std::unique_ptr<std::uint8_t[]> rows(new (std::nothrow) std::uint8_t[fileStride * std::uint64_t(band)]);
    if (!rows) {
        clear();
        return 0;
    }
    const unsigned bytesPerPixel = layout.fileBitCount / 8;
    // Whether each pixel of a row is paper, padded to whole bytes with paper.
    std::vector<std::uint8_t> paper(std::size_t(width) + 8, 1);
    for (std::int32_t first = 0; first < height; first += band) {
        const std::int32_t count = std::min(band, height - first);
        if (!readExact(in, rows.get(), fileStride * std::uint64_t(count))) {
            clear();
            return 0;
        }
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint8_t* from = rows.get() + fileStride * std::uint64_t(i);
            const std::int32_t fileRow = first + i; // from the bottom unless top-down
            std::uint8_t* to = GetRow(layout.topDown ? fileRow + 1 : height - fileRow);
            std::int32_t done = 0; // pixels already in `to`, a multiple of 8
            switch (layout.bitCount) {
            case 24:
                if (bytesPerPixel == 3)
                    done = packColourInk(from, width, to);
                from += bytesPerPixel * std::size_t(done);
                for (std::int32_t x = done; x < width; ++x, from += bytesPerPixel)
                    paper[std::size_t(x)] = std::min(std::min(from[0], from[1]), from[2]) >= kInkLimit;
                break;
            case 8:
                for (std::int32_t x = 0; x < width; ++x)
                    paper[std::size_t(x)] = !inkIndex[from[x]];
                break;
            default: // 4 bits, the left pixel in the high half
                for (std::int32_t x = 0; x < width; ++x)
                    paper[std::size_t(x)] = !inkIndex[(from[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F];
            }
            // Bit 7 of byte 0 is the leftmost pixel; a set bit is index 1, white.
            for (std::int32_t x = done; x < width; x += 8) {
                const std::uint8_t* p = paper.data() + x;
                to[x / 8] = std::uint8_t(p[0] << 7 | p[1] << 6 | p[2] << 5 | p[3] << 4 | p[4] << 3 | p[5] << 2 |
                                         p[6] << 1 | p[7]);
            }
        }
    }
    return 1;
}

int CBitmapImage::Write(std::ostream& out) const
{
    if (!m_pInfo || !m_pBits)
        return 0;
    const std::uint32_t entries = m_nBitCount <= 8 ? 1u << m_nBitCount : 0;
    const std::uint32_t headerBlock = kInfoHeaderSize + 4 * entries;
    const std::uint64_t pixelBytes = std::uint64_t(m_nStride) * std::uint64_t(m_nHeight);

    std::uint8_t fileHeader[kFileHeaderSize] = {};
    storeLE16(fileHeader, kBmpMagic);
    storeLE32(fileHeader + 2, std::uint32_t(kFileHeaderSize + headerBlock + pixelBytes));
    storeLE32(fileHeader + 10, kFileHeaderSize + headerBlock);
    out.write(reinterpret_cast<const char*>(fileHeader), kFileHeaderSize);

    // A backup copy holds fewer table entries than its depth needs; the
    // missing ones are written as zeros so the file stays well formed.
    const std::uint32_t heldBlock = kInfoHeaderSize + 4 * std::min(entries, m_nTableEntries);
    out.write(reinterpret_cast<const char*>(m_pInfo.get()), heldBlock);
    for (std::uint32_t i = heldBlock; i < headerBlock; ++i)
        out.put('\0');
    out.write(reinterpret_cast<const char*>(m_pBits.get()), std::streamsize(pixelBytes));
    out.flush();
    return out.good() ? 1 : 0;
}

} // namespace orvane
