// Which colours are ink to the thinning and everything that must agree with
// it: a colour with any of red, green and blue below 170.
#pragma once

#include <cstdint>

namespace orvane {

inline constexpr std::uint8_t kInkLimit = 170;

inline bool IsInkColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return red < kInkLimit || green < kInkLimit || blue < kInkLimit;
}

} // namespace orvane
