// Colour-range filtering ("thresholding") of an image in place.
#pragma once

#include <cstdint>

namespace orvane {

class CBitmapImage;
class Port;

/// Packs a colour as the platform's COLORREF does: red in bits 0-7, green
/// in 8-15, blue in 16-23.
constexpr std::uint32_t PackColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return std::uint32_t(blue) * 65536u + std::uint32_t(green) * 256u + red;
}

/// Turns white what lies outside the range lower..upper (packed colours).
/// A 24-bit image compares each pixel's packed value (so blue decides
/// first): below lower or above upper becomes (255, 255, 255); one check and
/// position per row. An indexed image whitens each colour-table entry whose
/// three channels are all below lower's or all above upper's; one check and
/// position per entry of the 2^depth table; pixel indices stay. Progress
/// "Threshold". Returns 1 when it ran (also after a cancel), 0 with no
/// pixel data.
int Threshold(CBitmapImage& image, Port& port, std::uint32_t lower, std::uint32_t upper);

} // namespace orvane
