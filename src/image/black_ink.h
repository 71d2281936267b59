// Which pixels of a thinned image are line pixels: black ones, whose red,
// green and blue are all 0.
#pragma once

#include <array>
#include <cstdint>

namespace orvane {

class CBitmapImage;

/// Whether each colour-table index is black (indices beyond the held table,
/// whose colour cannot be read, are not).
std::array<std::uint8_t, 256> BlackIndices(const CBitmapImage& image);

/// Reads row y (1-based) into cells 1..width as 1 for black, 0 otherwise;
/// the cells around them are not touched.
void LoadBlackRow(const CBitmapImage& image, int y, std::uint8_t* cells, const std::array<std::uint8_t, 256>& black);

} // namespace orvane
