// The thinning driver: binarise, thin by the chosen method, write back.
#pragma once

#include <cstdint>

namespace orvane {

class CBitmapImage;
class Port;

/// The thinning methods.
enum ThinningMethod : std::uint16_t { kThinZhangSuen = 0, kThinStentiford = 1 };

/// One thinning run over an image.
class CThinning {
public:
    explicit CThinning(Port& port) : m_port(port) {}
    virtual ~CThinning() = default;

    /// Copies the image into a working grid (ink: a pixel with some channel
    /// below 170), thins it by `method` (0 Zhang-Suen, anything else
    /// Stentiford) and writes it back as black (0, 0, 0) on white
    /// (255, 255, 255). Progress "Thinning - Zhang-Suen" (range 10) or
    /// "Thinning - Stentiford" (range 8). A cancel before the write-back
    /// leaves the image as it was; during it, the rows written stay.
    /// Returns 1 (also after a cancel); 0 with the image untouched when the
    /// working grid cannot be allocated (the user has been told).
    int Run(CBitmapImage& image, std::uint16_t method);

private:
    Port& m_port;
};

/// Thins the image's strokes to lines one pixel wide with method 0
/// (Zhang-Suen) or 1 (Stentiford). Returns 0 when the image has no pixel
/// data, otherwise the result of CThinning::Run.
int Thin(CBitmapImage& image, Port& port, std::uint16_t method);

} // namespace orvane
