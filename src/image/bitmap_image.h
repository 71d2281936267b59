// CBitmapImage: the in-memory device-independent bitmap every document holds.
//
// The image is kept exactly as it lies in a BMP file after the file header:
// a 40-byte information header, a colour table of 2^depth entries for 1-, 4-
// and 8-bit images, and the pixel rows stored bottom-up, each padded to a
// multiple of four bytes. 24-bit pixels are stored blue, green, red.
// Pixel coordinates run from x = 1 (left) and y = 1 (top).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <utility>

namespace orvane {

struct BmpLayout; // what a BMP stream's headers say (bmp_io.cpp)

/// One colour-table entry, in file byte order.
struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};

/// The 40-byte bitmap information header, decoded.
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

/// Size of the information header in bytes.
inline constexpr std::uint32_t kInfoHeaderSize = 40;

/// Largest width or height an image may have. The image algorithms work on
/// grids one or two cells larger than the picture, indexed with 32-bit
/// integers; no scan comes near this.
inline constexpr std::int32_t kMaxImageSide = 1 << 24;

/// Bytes from one stored row to the next for a width and depth (32 bits as
/// in a file, any other depth above 8 as 24 bits); always a multiple of four.
std::uint64_t RowStride(std::int64_t width, int bitCount);

class CBitmapImage {
public:
    /// An empty image: no header, no pixels.
    CBitmapImage() = default;
    /// A backup of another image's pixels: a new pixel block with the same
    /// bytes and a 44-byte info block holding the header and room for one
    /// (zeroed) colour-table entry. The colour table itself is not copied.
    CBitmapImage(const CBitmapImage& other);
    CBitmapImage& operator=(const CBitmapImage&) = delete;
    /// A complete, independent copy: header, the whole colour table and the
    /// pixels. What an undo snapshot keeps. An empty image gives an empty
    /// copy; when memory runs out the copy is empty too (check IsEmpty).
    CBitmapImage Clone() const;
    /// Bytes this image holds (header, colour table and pixels).
    std::size_t MemoryBytes() const;
    CBitmapImage(CBitmapImage&& other) noexcept = default;
    CBitmapImage& operator=(CBitmapImage&& other) noexcept = default;
    ~CBitmapImage() = default;

    /// Makes a new image of width x height pixels of 1, 4, 8 or 24 bits with
    /// all pixel bytes 0. An indexed image takes `colors` as the start of its
    /// colour table (the rest is zero). Returns 1, or 0 (and an empty image)
    /// for a bad size (0, negative or above kMaxImageSide) or depth, or when
    /// memory runs out.
    int Create(int width, int height, int bitCount, std::span<const RGBQUAD> colors = {});

    /// Replaces the image with one read from a BMP stream positioned at the
    /// start of the BMP data (offsets count from that position). Returns 1,
    /// or 0 with the image left empty when the data is not a complete,
    /// uncompressed BMP of 1, 4, 8, 24 or 32 bits (the last with the usual
    /// masks, if any) with sides of at most kMaxImageSide pixels. The image
    /// always holds a bottom-up bitmap of 1, 4, 8 or 24 bits with a 40-byte
    /// header, whatever header and row order the file used.
    int Read(std::istream& in);
    /// As Read, for an image that is only to be thinned: a colour or grey
    /// BMP is read straight into a 1-bit image of its ink (black where the
    /// thinning sees ink, white elsewhere), a band of rows at a time, so
    /// that a large scan's own pixels are never held. Thinning and tracing
    /// that image give exactly what they give on the full one. A 1-bit BMP,
    /// and an indexed one whose table lacks pure black or pure white (which
    /// the thinning writes its result in), are read in full.
    int ReadInk(std::istream& in);
    /// Writes the image as a BMP at the stream's position. Returns 1, or 0
    /// when there is no image or the stream reported an error.
    int Write(std::ostream& out) const;

    bool IsEmpty() const { return !m_pBits; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    std::uint16_t GetBitCount() const { return m_nBitCount; }
    std::pair<int, int> GetSize() const { return {m_nWidth, m_nHeight}; }
    /// Entries of the colour table in use: biClrUsed when not 0, else
    /// 2^depth, but never more than the table holds for an indexed image.
    /// 0 when there is no image.
    std::uint32_t GetColorCount() const;
    /// The colour table (just after the header), or null when no image.
    RGBQUAD* GetColorTable();
    const RGBQUAD* GetColorTable() const;
    /// Number of colour-table entries actually held.
    std::uint32_t GetColorTableSize() const { return m_nTableEntries; }
    /// The decoded information header; all zero when no image.
    BitmapInfoHeader GetInfoHeader() const;
    /// Records the scan's resolution in the header (pixels per metre across
    /// and down), as a BMP file states it.
    void SetPixelsPerMetre(std::int32_t across, std::int32_t down);

    std::uint8_t* GetBits() { return m_pBits.get(); }
    const std::uint8_t* GetBits() const { return m_pBits.get(); }
    std::uint32_t GetBitsSize() const { return m_nBitsSize; }
    std::uint32_t GetStride() const { return m_nStride; }
    /// The stored bytes of picture row y (1 = top); y must be in range.
    std::uint8_t* GetRow(int y) { return m_pBits.get() + std::size_t(m_nHeight - y) * m_nStride; }
    const std::uint8_t* GetRow(int y) const { return m_pBits.get() + std::size_t(m_nHeight - y) * m_nStride; }

    /// Reads pixel (x, y). Returns 1 and its colour, or 0 when there is no
    /// image or (x, y) lies outside it.
    int GetPixelColor(int x, int y, std::uint8_t& red, std::uint8_t& green, std::uint8_t& blue) const;
    /// Writes pixel (x, y). An indexed image stores the first colour-table
    /// entry of exactly that colour. Returns 1, or 0 with the pixel unchanged
    /// when there is no image, (x, y) is outside, or the colour is not in the
    /// table.
    int SetPixelColor(int x, int y, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    /// As SetPixelColor, but the index is looked up in the caller's table
    /// (its first 2^depth entries at most).
    int SetPixelColorFromTable(int x, int y, std::span<const RGBQUAD> table, std::uint8_t red, std::uint8_t green,
                               std::uint8_t blue);
    /// The colour-table index SetPixelColor stores for a colour: the first
    /// of the 2^depth entries searched with exactly that colour. -1 when no
    /// entry has it, and for images without a colour table.
    int FindColorIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;
    /// The colour-table index of pixel (x, y) of a 1-, 4- or 8-bit image,
    /// which must lie inside it. For operations that look a colour up once
    /// per index rather than once per pixel.
    unsigned GetPixelIndex(int x, int y) const;
    /// Stores a colour-table index at pixel (x, y) of a 1-, 4- or 8-bit
    /// image, exactly as SetPixelColor does once it has found the index;
    /// (x, y) must lie inside. With FindColorIndex, writing many pixels of a
    /// few colours searches the table once per colour, not once per pixel.
    void SetPixelIndex(int x, int y, unsigned index);
    /// The colour-table indices of every pixel of row y (which must lie
    /// inside) of a 1-, 4- or 8-bit image, one byte each, left to right:
    /// GetPixelIndex for the whole row.
    void GetRowIndices(int y, std::uint8_t* indices) const;
    /// Stores one index per pixel (each below 2^depth) into row y of a 1-,
    /// 4- or 8-bit image, as SetPixelIndex for each; the row's padding bits
    /// stay as they are.
    void SetRowIndices(int y, const std::uint8_t* indices);
    /// Restores the pixel bytes from a backup of the same image. An empty
    /// buffer copies nothing and returns 1; a buffer shorter than the pixel
    /// block copies nothing and returns 0.
    int SetBits(std::span<const std::uint8_t> buffer);
    /// Counts every pixel's red, green and blue values into the three arrays
    /// (each zeroed first; values beyond an array's length are not counted).
    /// Returns 1, or 0 when there is no image.
    int ComputeHistogram(std::span<std::uint32_t> red, std::span<std::uint32_t> green,
                         std::span<std::uint32_t> blue) const;

private:
    void clear();
    /// Read and ReadInk: the headers are read once, then the pixels in full
    /// or as ink.
    int read(std::istream& in, bool inkOnly);
    int readInk(std::istream& in, const BmpLayout& layout, const std::uint8_t* inkIndex);
    int storeIndex(int x, int y, std::span<const RGBQUAD> table, std::uint8_t red, std::uint8_t green,
                   std::uint8_t blue);

    std::unique_ptr<std::uint8_t[]> m_pInfo; ///< header followed by the colour table
    std::unique_ptr<std::uint8_t[]> m_pBits; ///< pixel rows, bottom-up
    std::uint32_t m_nBitsSize = 0;
    // Decoded from the header once, for the per-pixel accessors.
    std::int32_t m_nWidth = 0;
    std::int32_t m_nHeight = 0;
    std::uint16_t m_nBitCount = 0;
    std::uint32_t m_nStride = 0;
    std::uint32_t m_nTableEntries = 0;
};

inline int CBitmapImage::GetPixelColor(int x, int y, std::uint8_t& red, std::uint8_t& green,
                                       std::uint8_t& blue) const
{
    const unsigned col = static_cast<unsigned>(x) - 1u;
    const unsigned row = static_cast<unsigned>(y) - 1u;
    if (!m_pBits || col >= static_cast<unsigned>(m_nWidth) || row >= static_cast<unsigned>(m_nHeight))
        return 0;
    const std::uint8_t* bits = m_pBits.get() + std::size_t(m_nHeight - 1 - row) * m_nStride;
    unsigned index;
    switch (m_nBitCount) {
    case 24: {
        const std::uint8_t* p = bits + 3 * std::size_t(col);
        blue = p[0];
        green = p[1];
        red = p[2];
        return 1;
    }
    case 8: index = bits[col]; break;
    case 4: index = (col & 1) ? (bits[col >> 1] & 0x0F) : (bits[col >> 1] >> 4); break;
    case 1: index = (bits[col >> 3] >> (7 - (col & 7))) & 1; break;
    default: return 0;
    }
    // A backup copy holds no real colour table; never read past what is held.
    if (index >= m_nTableEntries)
        return 0;
    const std::uint8_t* entry = m_pInfo.get() + kInfoHeaderSize + 4 * std::size_t(index);
    blue = entry[0];
    green = entry[1];
    red = entry[2];
    return 1;
}

inline unsigned CBitmapImage::GetPixelIndex(int x, int y) const
{
    const unsigned col = static_cast<unsigned>(x) - 1u;
    const std::uint8_t* bits = GetRow(y);
    switch (m_nBitCount) {
    case 8: return bits[col];
    case 4: return (col & 1) ? (bits[col >> 1] & 0x0F) : (bits[col >> 1] >> 4);
    default: return (bits[col >> 3] >> (7 - (col & 7))) & 1;
    }
}

inline void CBitmapImage::SetPixelIndex(int x, int y, unsigned index)
{
    const unsigned col = static_cast<unsigned>(x) - 1u;
    std::uint8_t* bits = GetRow(y);
    switch (m_nBitCount) {
    case 8: bits[col] = std::uint8_t(index); return;
    case 4: {
        std::uint8_t& b = bits[col >> 1];
        b = (col & 1) ? std::uint8_t((b & 0xF0) | index) : std::uint8_t((b & 0x0F) | (index << 4));
        return;
    }
    default: {
        const std::uint8_t mask = std::uint8_t(0x80 >> (col & 7));
        bits[col >> 3] = index ? std::uint8_t(bits[col >> 3] | mask) : std::uint8_t(bits[col >> 3] & ~mask);
        return;
    }
    }
}

} // namespace orvane
