// Grey-scale conversion of an image in place.
#pragma once

namespace orvane {

class CBitmapImage;
class Port;

/// Replaces every pixel by its grey level, the integer part of
/// (0.587 G + 0.299 R) + 0.114 B in double precision, keeping the depth.
/// A 24-bit image gets grey = red = green = blue; an 8-bit image gets pixel
/// index = grey and a grey ramp as its colour table (also after a cancel,
/// so unconverted rows then show their old indices as grey levels).
/// Progress "Grey Scale", one check and position per row. Returns 1 when it
/// ran (also after a cancel); 0 with no pixel data, or for a 1- or 4-bit
/// image after telling the user "Image depth must be greater than 8 bits.".
int ConvertToGreyScale(CBitmapImage& image, Port& port);

} // namespace orvane
