// Builds BMP byte streams by hand, field by field, so tests can damage any
// one of them.
#pragma once

#include "image/bitmap_image.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test {

struct BmpBuilder {
    std::int32_t width = 3;
    std::int32_t height = 2;
    std::uint16_t bitCount = 24;
    std::uint32_t infoSize = 40;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t gap = 0;          ///< bytes between the table and the pixels
    std::int64_t bfSizeDelta = 0;   ///< added to the correct bfSize
    std::int64_t offBitsDelta = 0;  ///< added to the correct bfOffBits
    std::int64_t pixelDelta = 0;    ///< pixel bytes added (or removed when negative)
    std::uint8_t magic0 = 'B', magic1 = 'M';

    std::uint64_t stride() const { return RowStride(width, bitCount); }
    std::uint32_t tableEntries() const { return bitCount <= 8 ? 1u << bitCount : 0; }

    /// The file, with colour-table entry i = (i, 2i, 3i) and pixel byte k = k * 7 + 1.
    std::string bytes() const
    {
        std::string s;
        auto put16 = [&](std::uint32_t v) { s += char(v & 0xFF); s += char((v >> 8) & 0xFF); };
        auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF); put16(v >> 16); };
        const std::uint64_t pixels = stride() * std::uint64_t(height > 0 ? height : 0);
        const std::uint64_t offBits = 14 + infoSize + 4 * std::uint64_t(tableEntries()) + gap;
        s += char(magic0);
        s += char(magic1);
        put32(std::uint32_t(offBits + pixels + bfSizeDelta));
        put32(0);
        put32(std::uint32_t(offBits + offBitsDelta));
        put32(infoSize);
        put32(std::uint32_t(width));
        put32(std::uint32_t(height));
        put16(1);
        put16(bitCount);
        put32(compression);
        put32(0);
        put32(2835);
        put32(2835);
        put32(clrUsed);
        put32(0);
        s.append(infoSize > 40 ? infoSize - 40 : 0, '\0');
        for (std::uint32_t i = 0; i < tableEntries(); ++i) {
            s += char(std::uint8_t(3 * i));
            s += char(std::uint8_t(2 * i));
            s += char(std::uint8_t(i));
            s += '\0';
        }
        s.append(gap, '\x55');
        // Huge claimed sizes get at most 1 MiB of rows: such files are meant to be short.
        const std::int64_t n = std::min<std::int64_t>(std::int64_t(pixels) + pixelDelta, 1 << 20);
        for (std::int64_t k = 0; k < n; ++k)
            s += char(std::uint8_t(k * 7 + 1));
        return s;
    }
};

} // namespace orvane::test
