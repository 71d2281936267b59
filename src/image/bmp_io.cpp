// Reading and writing CBitmapImage as a BMP byte stream.
//
// Only uncompressed bitmaps with a 40-byte information header and 1, 4, 8
// or 24 bits per pixel are accepted. The reader checks every size against
// the bytes the stream really holds before it allocates anything, so a
// damaged or hostile file is refused instead of read past its end.
#include "image/bitmap_image.h"

#include "image/byte_order.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>

namespace orvane {
namespace {

constexpr std::uint16_t kBmpMagic = 0x4D42; // "BM"
constexpr std::uint32_t kFileHeaderSize = 14;

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
    std::uint8_t infoHeader[kInfoHeaderSize];
    if (!readExact(in, fileHeader, sizeof fileHeader) || loadLE16(fileHeader) != kBmpMagic)
        return 0;
    if (!readExact(in, infoHeader, sizeof infoHeader))
        return 0;
    if (loadLE32(infoHeader) != kInfoHeaderSize || loadLE32(infoHeader + 16) != 0)
        return 0;

    const std::uint32_t bfSize = loadLE32(fileHeader + 2);
    const std::uint32_t bfOffBits = loadLE32(fileHeader + 10);
    const std::int32_t width = std::int32_t(loadLE32(infoHeader + 4));
    const std::int32_t height = std::int32_t(loadLE32(infoHeader + 8));
    const unsigned planes = loadLE16(infoHeader + 12);
    const unsigned bitCount = loadLE16(infoHeader + 14);
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide || !isSupportedDepth(bitCount))
        return 0;
    if (planes != 1)
        return 0; // a bitmap has exactly one plane

    // Every size is checked against what the stream holds before allocating.
    const std::uint64_t stride = RowStride(width, int(bitCount));
    const std::uint64_t bitsSize = stride * std::uint64_t(height); // < 2^64: stride < 2^33, height < 2^31
    if (bitsSize > UINT32_MAX)
        return 0;
    const std::uint32_t entries = bitCount <= 8 ? 1u << bitCount : 0;
    const std::uint64_t tableBytes = 4 * std::uint64_t(entries);
    const std::uint64_t size = std::uint64_t(available);
    if (kFileHeaderSize + kInfoHeaderSize + tableBytes > size)
        return 0; // the colour table ends early
    if (bfOffBits < kFileHeaderSize + kInfoHeaderSize + tableBytes)
        return 0; // the pixels would overlap the headers or the colour table
    if (bfOffBits > size || size - bfOffBits < bitsSize)
        return 0; // the pixel data starts outside the file or ends early
    if (bfSize < bfOffBits || bfSize - bfOffBits < bitsSize)
        return 0; // the file declares less pixel data than its rows need

    std::unique_ptr<std::uint8_t[]> info(new (std::nothrow) std::uint8_t[kInfoHeaderSize + tableBytes]);
    std::unique_ptr<std::uint8_t[]> bits(new (std::nothrow) std::uint8_t[bitsSize]);
    if (!info || !bits)
        return 0;
    std::memcpy(info.get(), infoHeader, kInfoHeaderSize);
    if (!readExact(in, info.get() + kInfoHeaderSize, tableBytes))
        return 0;
    in.seekg(start + std::streamoff(bfOffBits));
    if (!in || !readExact(in, bits.get(), bitsSize))
        return 0;

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
