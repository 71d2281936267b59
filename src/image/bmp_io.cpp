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
#include "image/large_pages.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>

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

int CBitmapImage::Read(std::istream& in)
{
    clear();
    const std::istream::pos_type start = in.tellg();
    const std::int64_t available = bytesRemaining(in);
    if (available < 0)
        return 0;

    std::uint8_t fileHeader[kFileHeaderSize];
    std::uint8_t header[kLargestInfoHeader] = {};
    if (!readExact(in, fileHeader, sizeof fileHeader) || loadLE16(fileHeader) != kBmpMagic)
        return 0;
    if (!readExact(in, header, 4))
        return 0;
    const std::uint32_t headerSize = loadLE32(header);
    if (!isKnownHeaderSize(headerSize) || !readExact(in, header + 4, headerSize - 4))
        return 0;

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
        return 0;
    const std::int32_t height = topDown ? -signedHeight : signedHeight;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return 0;
    if (planes != 1)
        return 0; // a bitmap has exactly one plane

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
                return 0;
            masksAfterHeader = sizeof masks;
        }
        if (loadLE32(masks) != 0x00FF0000 || loadLE32(masks + 4) != 0x0000FF00 || loadLE32(masks + 8) != 0x000000FF)
            return 0;
    } else if (compression != kUncompressed || !(isSupportedDepth(fileBitCount) || fileBitCount == 32)) {
        return 0;
    }
    const unsigned bitCount = fileBitCount == 32 ? 24 : fileBitCount;

    // Every size is checked against what the stream holds before allocating.
    const std::uint64_t fileStride = RowStride(width, int(fileBitCount));
    const std::uint64_t fileBitsSize = fileStride * std::uint64_t(height); // < 2^64: stride < 2^35
    const std::uint64_t stride = RowStride(width, int(bitCount));
    const std::uint64_t bitsSize = stride * std::uint64_t(height);
    if (fileBitsSize > UINT32_MAX)
        return 0;
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
        return 0; // the colour table ends early
    if (bfOffBits < tableStart + tableBytes)
        return 0; // the pixels would overlap the headers or the colour table
    if (bfOffBits > size || size - bfOffBits < fileBitsSize)
        return 0; // the pixel data starts outside the file or ends early
    if (bfSize < bfOffBits || bfSize - bfOffBits < fileBitsSize)
        return 0; // the file declares less pixel data than its rows need

    const std::uint64_t infoSize = kInfoHeaderSize + 4 * std::uint64_t(entries);
    std::unique_ptr<std::uint8_t[]> info(new (std::nothrow) std::uint8_t[infoSize]());
    std::unique_ptr<std::uint8_t[]> bits(new (std::nothrow) std::uint8_t[bitsSize]);
    if (bits)
        AdviseLargePages(bits.get(), bitsSize);
    if (!info || !bits)
        return 0;
    std::memcpy(info.get(), header, kInfoHeaderSize);
    if (!readExact(in, info.get() + kInfoHeaderSize, tableBytes))
        return 0;
    // What the image holds is an ordinary bottom-up bitmap with a 40-byte
    // header and its whole colour table; its header says so.
    storeLE32(info.get(), kInfoHeaderSize);
    storeLE32(info.get() + 8, std::uint32_t(height));
    if (fileBitCount != bitCount) {
        storeLE16(info.get() + 14, std::uint16_t(bitCount));
        storeLE32(info.get() + 16, kUncompressed);
        storeLE32(info.get() + 20, std::uint32_t(bitsSize));
    }
    in.seekg(start + std::streamoff(bfOffBits));
    if (!in)
        return 0;
    if (!topDown && fileBitCount == bitCount) {
        if (!readExact(in, bits.get(), bitsSize))
            return 0;
    } else {
        std::unique_ptr<std::uint8_t[]> fileRow(new (std::nothrow) std::uint8_t[fileStride]);
        if (!fileRow)
            return 0;
        for (std::int32_t i = 0; i < height; ++i) {
            if (!readExact(in, fileRow.get(), fileStride))
                return 0;
            std::uint8_t* row = bits.get() + stride * std::uint64_t(topDown ? height - 1 - i : i);
            if (fileBitCount == 32) {
                for (std::int32_t x = 0; x < width; ++x)
                    std::memcpy(row + 3 * std::size_t(x), fileRow.get() + 4 * std::size_t(x), 3);
                std::memset(row + 3 * std::size_t(width), 0, std::size_t(stride) - 3 * std::size_t(width));
            } else {
                std::memcpy(row, fileRow.get(), stride);
            }
        }
    }

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
