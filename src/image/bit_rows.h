// Rows of pixels as 64-bit words of bits, the first pixel in the lowest
// bit: reading them from 1-bit image rows and from rows of bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvane {

/// The word with the bits of each byte in the opposite order: 1-bit images
/// hold their first pixel in a byte's highest bit, bit rows in the lowest.
inline std::uint64_t ReverseBitsInBytes(std::uint64_t x)
{
    x = ((x >> 1) & 0x5555555555555555u) | ((x & 0x5555555555555555u) << 1);
    x = ((x >> 2) & 0x3333333333333333u) | ((x & 0x3333333333333333u) << 2);
    return ((x >> 4) & 0x0F0F0F0F0F0F0F0Fu) | ((x & 0x0F0F0F0F0F0F0F0Fu) << 4);
}

/// The ink among the 64 pixels of a 1-bit image row from pixel 64 * w on
/// (0-based), the first in the lowest bit: pixels of index 1 where
/// `oneIsInk`, of index 0 where `zeroIsInk`, none past `width`. Reads only
/// the row's first (width + 7) / 8 bytes.
inline std::uint64_t OneBitInk(const std::uint8_t* row, int w, int width, bool zeroIsInk, bool oneIsInk)
{
    const int first = w * 8, have = std::min(8, (width + 7) / 8 - first);
    std::uint64_t bytes = 0; // byte k in bits 8k to 8k + 7
    if (have == 8)
        std::memcpy(&bytes, row + first, 8);
    else if (have > 0)
        std::memcpy(&bytes, row + first, std::size_t(have));
    const std::uint64_t indices = ReverseBitsInBytes(bytes);
    std::uint64_t ink = (oneIsInk ? indices : 0) | (zeroIsInk ? ~indices : 0);
    const int pixels = width - w * 64;
    if (pixels < 64)
        ink &= pixels > 0 ? (std::uint64_t(1) << pixels) - 1 : 0;
    return ink;
}

/// A word of 64 bytes: bit i set where bytes[i] is not zero.
inline std::uint64_t NonZeroBits(const std::uint8_t* bytes)
{
    std::uint64_t bits = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (int k = 0; k < 64; k += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + k));
        bits |= std::uint64_t(~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(sixteen, zero))) & 0xFFFFu) << k;
    }
#else
    for (int k = 0; k < 64; ++k)
        bits |= std::uint64_t(bytes[k] != 0) << k;
#endif
    return bits;
}

/// Bits c to c + 63 of a bit row as one word, bit c lowest; the row must
/// hold the word after the one bit c lies in.
inline std::uint64_t WordFrom(const std::uint64_t* row, std::size_t c)
{
    const std::size_t w = c >> 6, shift = c & 63;
    return shift == 0 ? row[w] : row[w] >> shift | row[w + 1] << (64 - shift);
}

/// Sets bits c to c + 63 of a bit row where `bits` has them set; the row
/// must hold the word after the one bit c lies in.
inline void OrBitsAt(std::uint64_t* row, std::size_t c, std::uint64_t bits)
{
    const std::size_t w = c >> 6, shift = c & 63;
    row[w] |= bits << shift;
    if (shift)
        row[w + 1] |= bits >> (64 - shift);
}

} // namespace orvane
