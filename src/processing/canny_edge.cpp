// Canny edge detection.
//
// Working data for a W x H image, R = H + 2 rows and C = W + 2 columns:
// - image grid I (bytes): 255, except cell [y + 1][x + 1] = red of pixel
//   (x, y) for 3 <= x <= W - 4, 3 <= y <= H - 4; the hysteresis step turns
//   it into the edge map (0 edge, 255 none);
// - magnitude grid M (bytes): the scaled gradient magnitude at local maxima,
//   0 elsewhere;
// - float data: Sx smoothed along rows, Sy along columns, Dx the derivative
//   of Sx along rows, Dy of Sy along columns. Sums are single precision, the
//   taps are added in order k = 1, 2, ... and indices wrap around the grid.
//   Sy, Dx and Dy are grids; Dx needs only the same row of Sx, so Sx is
//   kept one row at a time.
//
// The loops run a whole row at a time (the compiler may vectorise them) but
// each cell's sum is formed in exactly the order of the formula, so results
// are the same as cell by cell. A check for a cancel is asked before each
// row and before each tap of the smoothing and derivative sums; as nothing
// observable happens between the taps of a row, they are asked in one go.
#include "processing/canny_edge.h"

#include "image/bitmap_image.h"
#include "image/pixel_grid.h"
#include "processing/operation_progress.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace orvane {
namespace {

constexpr int kMaxMask = 20;

float Gauss(float x, float sigma)
{
    if (sigma == 0)
        return 0.0f;
    const float exponent = -(x * x) / (2.0f * (sigma * sigma));
    return static_cast<float>(std::exp(static_cast<double>(exponent)));
}

float MeanGauss(float x, float sigma)
{
    const float sum = Gauss(x - 0.5f, sigma) + Gauss(x + 0.5f, sigma) + Gauss(x, sigma);
    return sum * 0.33333334f / (sigma * sigma * 6.2831855f);
}

float DGauss(float x, float sigma) { return -Gauss(x, sigma) * x / (sigma * sigma); }

float Norm(float a, float b) { return std::sqrt(a * a + b * b); }

/// Index wrapped into 0..n-1.
int wrap(int i, int n)
{
    const int m = i % n;
    return m < 0 ? m + n : m;
}

enum class Outcome { Done, Cancelled, NoMemory };

// Four lanes at a time. Each lane does exactly the single-precision
// operations of the scalar formula (no fused multiply-add), so the results
// are the same bits; the tail of a row is done one cell at a time.
using Floats4 = float __attribute__((vector_size(16)));
using Ints4 = int __attribute__((vector_size(16)));

template <class V, class T>
V load4(const T* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Floats4 v) { std::memcpy(p, &v, sizeof v); }

inline Ints4 widen4(const std::uint8_t* p)
{
    return Ints4{int(p[0]), int(p[1]), int(p[2]), int(p[3])};
}

class CannyRun {
public:
    CannyRun(Port& port, OperationProgress& progress, PixelGrid& image, PixelGrid& magnitude,
             const std::function<bool(int, int)>& fault)
        : m_port(port), m_progress(progress), m_i(image.data.get()), m_m(magnitude.data.get()),
          m_rows(image.info->rows), m_cols(image.info->cols), m_fault(fault)
    {
    }

    int halfWidth() const { return m_width / 2; }

    /// Smoothing, derivatives and non-maximum suppression into M.
    Outcome canny(float sigma)
    {
        for (int i = 0; i < kMaxMask; ++i) {
            if (m_progress.check())
                return Outcome::Cancelled;
            if (sigma == 0) {
                m_width = 0;
                break;
            }
            m_gau[i] = MeanGauss(float(i), sigma);
            if (m_gau[i] < 0.005) {
                m_width = i;
                break;
            }
            m_dgau[i] = DGauss(float(i), sigma);
        }
        // Dx needs only the same row of Sx, so each Sx row is differentiated
        // as soon as it is smoothed and Sx is never kept whole.
        std::unique_ptr<FloatGrid> sy = floatGrid();
        std::unique_ptr<FloatGrid> dx = sy ? floatGrid() : nullptr, dy = dx ? floatGrid() : nullptr;
        if (!dy)
            return Outcome::NoMemory;
        if (!smooth(*sy, *dx))
            return Outcome::Cancelled;
        // The checks of the Dx stage (its values were formed with Sx).
        for (int i = 1; i <= m_rows - 2; ++i)
            if (checkRowAndTaps())
                return Outcome::Cancelled;
        if (!derivativeAlongColumns(*sy, *dy))
            return Outcome::Cancelled;
        sy.reset();
        suppressNonMaxima(*dx, *dy);
        return m_progress.cancelled() ? Outcome::Cancelled : Outcome::Done;
    }

    void hysteresis(int high, int low)
    {
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (m_progress.check())
                break;
            std::memset(m_i[i] + 1, 0, std::size_t(m_cols) - 2);
        }
        if (high < low)
            estimateThresholds(high, low);
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (m_progress.check())
                break;
            for (int j = 1; j <= m_cols - 2; ++j)
                if (m_m[i][j] >= high)
                    traceEdge(i, j, low);
        }
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (m_progress.check())
                break;
            std::uint8_t* row = m_i[i];
            for (int j = 1; j <= m_cols - 2; ++j)
                row[j] = row[j] ? 0 : 255;
        }
    }

private:
    std::unique_ptr<FloatGrid> floatGrid()
    {
        const int index = m_floatGrids++;
        FloatGridFaultInjector fault;
        if (m_fault)
            fault = [this, index](int part) { return m_fault(index, part); };
        return F2D(m_port, m_rows, m_cols, fault);
    }

    /// The taps of one row of a sum, asked in one go. True once cancelled.
    bool checkRowAndTaps()
    {
        if (m_progress.check())
            return true;
        return m_progress.checkRepeatedly(long(m_cols - 2) * std::max(0, m_width - 1));
    }

    /// Copies a row into `out` with `pad` wrapped-around cells on each side,
    /// so out[pad + j] is cell j and out[pad + j +- k] its wrapped neighbours.
    template <class In, class Out>
    void extendRow(const In* in, std::vector<Out>& out, int pad) const
    {
        out.resize(std::size_t(m_cols) + 2 * std::size_t(pad));
        for (int t = 0; t < pad; ++t) {
            out[t] = in[wrap(t - pad, m_cols)];
            out[pad + m_cols + t] = in[wrap(m_cols + t, m_cols)];
        }
        for (int j = 0; j < m_cols; ++j)
            out[pad + j] = in[j];
    }

    /// Sy into its grid, and each row of Sx straight into its row of Dx.
    bool smooth(FloatGrid& sy, FloatGrid& dx)
    {
        const int taps = m_width;
        const int pad = std::max(0, taps - 1);
        std::vector<int> extended;
        std::vector<float> sxRow(std::size_t(m_cols), 0.0f), sxExtended;
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (checkRowAndTaps())
                return false;
            const std::uint8_t* in = m_i[i];
            extendRow(in, extended, pad);
            float* outX = sxRow.data();
            float* outY = sy[i];
            for (int j = 1; j <= m_cols - 2; ++j) {
                outX[j] = m_gau[0] * float(in[j]);
                outY[j] = outX[j];
            }
            const int* e = extended.data() + pad;
            for (int k = 1; k < taps; ++k) {
                const float gk = m_gau[k];
                const std::uint8_t* above = m_i[wrap(i - k, m_rows)];
                const std::uint8_t* below = m_i[wrap(i + k, m_rows)];
                int j = 1;
                for (; j + 3 <= m_cols - 2; j += 4) {
                    const Floats4 pairX = __builtin_convertvector(load4<Ints4>(e + j - k) + load4<Ints4>(e + j + k), Floats4);
                    const Floats4 pairY = __builtin_convertvector(widen4(above + j) + widen4(below + j), Floats4);
                    store4(outX + j, load4<Floats4>(outX + j) + gk * pairX);
                    store4(outY + j, load4<Floats4>(outY + j) + gk * pairY);
                }
                for (; j <= m_cols - 2; ++j) {
                    outX[j] = outX[j] + gk * float(e[j - k] + e[j + k]);
                    outY[j] = outY[j] + gk * float(int(above[j]) + int(below[j]));
                }
            }
            // Dx of this row; Sx is 0 outside the interior.
            extendRow(outX, sxExtended, pad);
            const float* sxe = sxExtended.data() + pad;
            float* out = dx[i];
            for (int j = 1; j <= m_cols - 2; ++j)
                out[j] = 0.0f;
            for (int k = 1; k < taps; ++k) {
                const float dk = m_dgau[k];
                int j = 1;
                for (; j + 3 <= m_cols - 2; j += 4)
                    store4(out + j, load4<Floats4>(out + j) +
                                        dk * (load4<Floats4>(sxe + j - k) - load4<Floats4>(sxe + j + k)));
                for (; j <= m_cols - 2; ++j)
                    out[j] = out[j] + dk * (sxe[j - k] - sxe[j + k]);
            }
        }
        return true;
    }

    bool derivativeAlongColumns(const FloatGrid& s, FloatGrid& d)
    {
        const int taps = m_width;
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (checkRowAndTaps())
                return false;
            float* out = d[i];
            for (int j = 1; j <= m_cols - 2; ++j)
                out[j] = 0.0f;
            for (int k = 1; k < taps; ++k) {
                const float dk = m_dgau[k];
                const float* above = s[wrap(i - k, m_rows)];
                const float* below = s[wrap(i + k, m_rows)];
                int j = 1;
                for (; j + 3 <= m_cols - 2; j += 4)
                    store4(out + j, load4<Floats4>(out + j) + dk * (load4<Floats4>(above + j) - load4<Floats4>(below + j)));
                for (; j <= m_cols - 2; ++j)
                    out[j] = out[j] + dk * (above[j] - below[j]);
            }
        }
        return true;
    }

    static void normRow(const FloatGrid& dx, const FloatGrid& dy, int r, float* out, int cols)
    {
        const float* x = dx[r];
        const float* y = dy[r];
        int j = 0;
        for (; j + 3 < cols; j += 4) {
            const Floats4 a = load4<Floats4>(x + j), b = load4<Floats4>(y + j);
            const Floats4 sum = a * a + b * b;
            for (int lane = 0; lane < 4; ++lane)
                out[j + lane] = std::sqrt(sum[lane]);
        }
        for (; j < cols; ++j)
            out[j] = Norm(x[j], y[j]);
    }

    void suppressNonMaxima(const FloatGrid& dx, const FloatGrid& dy)
    {
        // The gradient magnitudes of rows i - 1, i and i + 1.
        std::vector<float> norms(3 * std::size_t(m_cols));
        float* above = norms.data();
        float* here = above + m_cols;
        float* below = here + m_cols;
        normRow(dx, dy, 0, above, m_cols);
        normRow(dx, dy, 1, here, m_cols);
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (m_progress.check())
                return;
            normRow(dx, dy, i + 1, below, m_cols);
            const float* xr = dx[i];
            const float* yr = dy[i];
            std::uint8_t* out = m_m[i];
            for (int j = 1; j <= m_cols - 2; ++j) {
                const float xc = xr[j], yc = yr[j];
                out[j] = 0;
                if (std::fabs(xc) < 0.01 && std::fabs(yc) < 0.01)
                    continue;
                const float g = here[j];
                float f, g1, g2, g3, g4;
                if (std::fabs(yc) > std::fabs(xc)) {
                    f = std::fabs(xc) / std::fabs(yc);
                    g2 = above[j];
                    g4 = below[j];
                    if (xc * yc > 0) {
                        g3 = below[j + 1];
                        g1 = above[j - 1];
                    } else {
                        g3 = below[j - 1];
                        g1 = above[j + 1];
                    }
                } else {
                    f = std::fabs(yc) / std::fabs(xc);
                    g2 = here[j + 1];
                    g4 = here[j - 1];
                    if (xc * yc > 0) {
                        g3 = above[j - 1];
                        g1 = below[j + 1];
                    } else {
                        g1 = above[j + 1];
                        g3 = below[j - 1];
                    }
                }
                if ((1.0f - f) * g2 + f * g1 < g && (1.0f - f) * g4 + f * g3 < g) {
                    const double scaled = double(g) * 20.0; // exact: a float times 20 fits a double
                    out[j] = scaled <= 255 ? std::uint8_t(int(scaled)) : 255;
                }
            }
            std::swap(above, here);
            std::swap(here, below);
        }
    }

    void estimateThresholds(int& high, int& low)
    {
        const int hw = halfWidth();
        long histogram[256] = {};
        for (int i = hw; i <= m_rows - hw - 1; ++i) {
            if (m_progress.check())
                return;
            for (int j = hw; j <= m_cols - hw - 1; ++j)
                ++histogram[m_m[i][j]];
        }
        const long target = long(0.9 * std::max(m_rows, m_cols));
        int k = 255;
        long count = histogram[255];
        while (count < target) {
            --k;
            if (k < 0)
                break;
            count += histogram[k];
        }
        high = k;
        int first = 0;
        while (first < 256 && histogram[first] == 0)
            ++first;
        if (first == 256)
            first = 0;
        low = (high + first) / 2;
    }

    /// Follows one path of unmarked cells with M >= low from a start cell,
    /// taking at each step the first such neighbour in the order NW, N, NE,
    /// W, E, SW, S, SE, and marks it (255).
    void traceEdge(int i, int j, int low)
    {
        if (m_i[i][j] != 0)
            return;
        m_i[i][j] = 255;
        for (;;) {
            bool found = false;
            for (int dr = -1; dr <= 1 && !found; ++dr) {
                if (m_progress.check())
                    return;
                const int r = i + dr;
                for (int dc = -1; dc <= 1; ++dc) {
                    const int c = j + dc;
                    if ((dr == 0 && dc == 0) || r < 0 || r >= m_rows || c < 0 || c >= m_cols)
                        continue;
                    if (m_m[r][c] >= low && m_i[r][c] == 0) {
                        m_i[r][c] = 255;
                        i = r;
                        j = c;
                        found = true;
                        break;
                    }
                }
            }
            if (!found)
                return;
        }
    }

    Port& m_port;
    OperationProgress& m_progress;
    std::uint8_t** m_i;
    std::uint8_t** m_m;
    int m_rows;
    int m_cols;
    const std::function<bool(int, int)>& m_fault;
    int m_floatGrids = 0;
    int m_width = kMaxMask;
    float m_gau[kMaxMask] = {};
    float m_dgau[kMaxMask] = {};
};

/// Sets one pixel white or black, as SetPixelColor would.
void putPixel(CBitmapImage& image, int x, int y, bool white)
{
    const std::uint8_t v = white ? 255 : 0;
    if (image.GetBitCount() == 24) {
        std::uint8_t* p = image.GetRow(y) + 3 * std::size_t(x - 1);
        p[0] = p[1] = p[2] = v;
        return;
    }
    image.SetPixelColor(x, y, v, v, v);
}

std::uint8_t redOf(const CBitmapImage& image, int x, int y)
{
    if (image.GetBitCount() == 24)
        return image.GetRow(y)[3 * std::size_t(x - 1) + 2];
    std::uint8_t r = 0, g, b;
    image.GetPixelColor(x, y, r, g, b);
    return r;
}

} // namespace

std::unique_ptr<FloatGrid> F2D(Port& port, int rows, int cols, const FloatGridFaultInjector& fault)
{
    auto fails = [&](int part) { return fault && fault(part); };
    auto grid = std::unique_ptr<FloatGrid>(new (std::nothrow) FloatGrid);
    if (grid && !fails(-1)) {
        try {
            grid->data.resize(std::size_t(std::max(rows, 0)));
        } catch (const std::bad_alloc&) {
            grid.reset();
        }
    } else {
        grid.reset();
    }
    if (!grid) {
        ShowMessageBox(port, MessageButtons::Ok, "Out of storage: F2D.\n");
        return nullptr;
    }
    grid->rows = rows;
    grid->cols = cols;
    for (int r = 0; r < rows; ++r) {
        grid->data[r].reset(fails(r) ? nullptr : new (std::nothrow) float[std::size_t(cols)]());
        if (!grid->data[r]) {
            ShowMessageBox(port, MessageButtons::Ok, "Out of storage: F2D %d.\n", r);
            return nullptr;
        }
    }
    return grid;
}

int CannyMaskWidth(float sigma)
{
    if (sigma == 0)
        return 0;
    for (int i = 0; i < kMaxMask; ++i)
        if (MeanGauss(float(i), sigma) < 0.005)
            return i;
    return kMaxMask;
}

int CCannyEdge::Run(CBitmapImage& image, std::uint16_t method)
{
    OperationProgress progress(m_port, "Edge Detection - Canny");
    progress.setRange(8);
    progress.setStatus("Initialise...");
    progress.setPos(1);

    const int width = image.GetWidth(), height = image.GetHeight();
    const int rows = height + 2, cols = width + 2;
    PixelGridPtr imageGrid = NewPixelGrid(m_port, rows, cols);
    if (!imageGrid)
        return 0;
    PixelGridPtr magnitude = NewPixelGrid(m_port, rows, cols);
    if (!magnitude)
        return 0;
    for (int r = 0; r < rows; ++r) {
        std::memset(imageGrid->data[r], 255, std::size_t(cols));
        std::memset(magnitude->data[r], 0, std::size_t(cols));
    }
    int high = m_high, low = m_low;
    progress.setStatus("Pre-process...");
    progress.setPos(2);

    for (int y = 3; y <= height - 4; ++y) {
        if (progress.check())
            break;
        std::uint8_t* cells = imageGrid->data[y + 1];
        for (int x = 3; x <= width - 4; ++x)
            cells[x + 1] = redOf(image, x, y);
    }
    progress.setStatus("Working...");
    progress.setPos(3);

    CannyRun run(m_port, progress, *imageGrid, *magnitude, m_fault);
    if (method == 2 && !progress.cancelled()) {
        const Outcome outcome = run.canny(m_sigma);
        m_halfWidth = run.halfWidth();
        if (outcome == Outcome::NoMemory)
            return 0;
        progress.setStatus("Hysteresis thresholding...");
        progress.setPos(4);
        run.hysteresis(high, low);
    }

    if (!progress.cancelled()) {
        progress.setStatus("Post-process...");
        progress.nextPos();
        std::uint8_t** cells = imageGrid->data.get();
        for (int y = 3; y <= height - 4; ++y) {
            if (progress.check())
                break;
            for (int x = 3; x <= width - 4; ++x)
                putPixel(image, x, y, cells[y + 1][x + 1] == 255);
        }
        // The border band: x <= 3, x >= W - 3, y <= 3 or y >= H - 3.
        for (int y = 1; y <= height; ++y) {
            const bool band = y <= 3 || y >= height - 3;
            for (int x = 1; x <= width; ++x) {
                if (!band && x == 4)
                    x = std::max(x, width - 3);
                putPixel(image, x, y, true);
            }
        }
    }
    progress.nextPos();
    FreePixelGrid(imageGrid);
    FreePixelGrid(magnitude);
    progress.setStatus("Done.");
    progress.nextPos();
    return 1;
}

int EdgeDetect(CBitmapImage& image, Port& port, float sigma, std::int32_t high, std::int32_t low,
               std::uint16_t method)
{
    if (image.IsEmpty())
        return 0;
    return CCannyEdge(port, sigma, high, low).Run(image, method);
}

} // namespace orvane
