// Canny edge detection: J. Canny, "A computational approach to edge
// detection", IEEE Transactions on Pattern Analysis and Machine
// Intelligence 8(6), 1986, with a sampled Gaussian mask.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orvane {

class CBitmapImage;
class Port;

/// A float working grid: `rows` separately allocated, zero-filled rows of
/// `cols` floats.
struct FloatGrid {
    int rows = 0;
    int cols = 0;
    std::vector<std::unique_ptr<float[]>> data;
    float* operator[](int r) { return data[std::size_t(r)].get(); }
    const float* operator[](int r) const { return data[std::size_t(r)].get(); }
};

/// Decides whether one allocation of F2D fails, for tests that simulate
/// running out of memory: called with -1 for the row array and r for row r.
using FloatGridFaultInjector = std::function<bool(int part)>;

/// Makes a zero-filled float grid. When memory runs out it tells the user
/// "Out of storage: F2D.\n" (row array) or "Out of storage: F2D %d.\n" (the
/// zero-based row), frees what it took and returns null.
std::unique_ptr<FloatGrid> F2D(Port& port, int rows, int cols, const FloatGridFaultInjector& fault = nullptr);

/// One edge-detection run over an image.
class CCannyEdge {
public:
    /// `sigma` is the Gaussian's standard deviation; `high` and `low` the
    /// hysteresis thresholds on the scaled gradient magnitude (0..255); with
    /// high below low both are estimated from the image for this run.
    CCannyEdge(Port& port, float sigma, std::int32_t high, std::int32_t low)
        : m_port(port), m_sigma(sigma), m_high(high), m_low(low)
    {
    }
    virtual ~CCannyEdge() = default;

    /// Replaces the image by its edges: black one-pixel lines on white, read
    /// from the red channel. The first three and last four rows and columns
    /// always come out white. Progress "Edge Detection - Canny" (range 8). A
    /// cancel before the write-back leaves the image as it was; during it,
    /// the rows written stay and the border band is still whitened. `method`
    /// 2 is Canny; with any other method nothing is detected and the copied
    /// red values are written back as white where they are exactly 255 and
    /// black elsewhere.
    /// Returns 1 (also after a cancel); 0 with the image untouched when a
    /// working grid cannot be allocated (the user has been told).
    int Run(CBitmapImage& image, std::uint16_t method);

    /// For tests: makes chosen allocations of the float grids fail. `grid`
    /// counts the F2D calls of a run from 0.
    void setFloatGridFault(std::function<bool(int grid, int part)> fault) { m_fault = std::move(fault); }

    /// For tests: with false, forms every value four cells at a time even
    /// where the processor offers eight (the result is the same either way).
    void setWideLanes(bool allowed) { m_wideLanes = allowed; }

    std::int32_t m_halfWidth = 0; ///< half the Gaussian mask's width, truncated

private:
    Port& m_port;
    float m_sigma;
    std::int32_t m_high;
    std::int32_t m_low;
    std::function<bool(int grid, int part)> m_fault;
    bool m_wideLanes = true;
};

/// Runs edge detection with `method` 2 (Canny). Returns 0 when the image has
/// no pixel data, otherwise the result of CCannyEdge::Run.
int EdgeDetect(CBitmapImage& image, Port& port, float sigma, std::int32_t high, std::int32_t low,
               std::uint16_t method = 2);

/// The width of the sampled Gaussian mask for a sigma: the first sample
/// index whose mean Gaussian value falls below 0.005 (20 when none does
/// within 20 samples; 0 for sigma 0).
int CannyMaskWidth(float sigma);

} // namespace orvane
