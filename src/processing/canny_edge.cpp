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
//   None of them is kept whole: non-maximum suppression needs three rows of
//   Dx and Dy at a time, a row of Dx needs one row of Sx (one image row),
//   and a row of Dy the rows of Sy within the mask's reach, which are kept
//   in a small ring (plus the rows near the edges, which wrap around).
//
// I and M share one block of fresh pages, in large pages where the system
// offers them (see ByteGrids).
//
// The loops run a whole row at a time, four cells at once (eight where the
// processor has AVX2), but each cell's value is formed with exactly the
// operations and order of the formula, so results are the same as cell by
// cell. Nothing observable happens between the cancel checks of the
// smoothing and derivative stages, so those checks (before each row and each
// tap) are asked in their order before the values are formed; the rows of M
// are then formed in two bands on two threads where there are two cores.
// The picture itself is read and written only a row at a time after that
// row's check, as the user interface may paint it during a check.
#include "processing/canny_edge.h"

#include "image/bitmap_image.h"
#include "processing/black_white_writer.h"
#include "processing/operation_progress.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstring>
#include <exception>
#include <thread>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#define ORVANE_CANNY_MAPPED_GRIDS 1
#endif

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

using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

inline Bytes16 splat16(std::uint8_t b) { return Bytes16{} + b; }
inline void store16(std::uint8_t* p, Bytes16 v) { std::memcpy(p, &v, sizeof v); }

/// Whether any lane of a comparison's result is set.
inline bool anyOf(Bytes16 mask)
{
    std::uint64_t halves[2];
    std::memcpy(halves, &mask, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

using Bytes4 = std::uint8_t __attribute__((vector_size(4)));

inline Ints4 widen4(const std::uint8_t* p)
{
#if defined(__SSE2__)
    int bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    const __m128i zero = _mm_setzero_si128();
    return Ints4(_mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero));
#else
    return __builtin_convertvector(load4<Bytes4>(p), Ints4);
#endif
}

// Eight lanes where the processor has AVX2 (asked at run time): the same
// single-precision operations on twice the cells per instruction. Fused
// multiply-add stays off, so every product and sum is rounded as before.
// Each works on cells from `j` (or pixels from `x`) while a whole group fits
// up to `last`, and returns the first one not done, for the four-lane or
// one-cell loops to go on from.
#if defined(__x86_64__) || defined(__i386__)
bool WideLanes()
{
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
}

__attribute__((target("avx2"))) inline __m256i load8(const std::uint8_t* p)
{
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

__attribute__((target("avx2"))) inline __m256i load8(const int* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

/// out[j] = out[j] + g x float(a[j] + b[j]), the sum taken in integers.
template <class In>
__attribute__((target("avx2"))) int addScaledSums8(float* out, const In* a, const In* b, float g, int j, int last)
{
    const __m256 gain = _mm256_set1_ps(g);
    for (; j + 7 <= last; j += 8) {
        const __m256 pair = _mm256_cvtepi32_ps(_mm256_add_epi32(load8(a + j), load8(b + j)));
        _mm256_storeu_ps(out + j, _mm256_add_ps(_mm256_loadu_ps(out + j), _mm256_mul_ps(gain, pair)));
    }
    return j;
}

/// out[j] = out[j] + g x (a[j] - b[j]).
__attribute__((target("avx2"))) int addScaledDifferences8(float* out, const float* a, const float* b, float g, int j,
                                                         int last)
{
    const __m256 gain = _mm256_set1_ps(g);
    for (; j + 7 <= last; j += 8) {
        const __m256 difference = _mm256_sub_ps(_mm256_loadu_ps(a + j), _mm256_loadu_ps(b + j));
        _mm256_storeu_ps(out + j, _mm256_add_ps(_mm256_loadu_ps(out + j), _mm256_mul_ps(gain, difference)));
    }
    return j;
}
/// Non-maximum suppression of cells j, j + 1, ... eight at a time while they
/// fit up to `last`: the operations of suppressOne in every lane, as
/// suppress4. Returns the first j not done.
__attribute__((target("avx2"))) int suppress8(const float* xr, const float* yr, const float* above,
                                              const float* here, const float* below, std::uint8_t* out, int j,
                                              int last)
{
    using Floats8 = float __attribute__((vector_size(32)));
    using Ints8 = int __attribute__((vector_size(32)));
    using Doubles4 = double __attribute__((vector_size(32)));
    const Floats8 zero = {}, limit = Floats8{} + 0.01f, one = Floats8{} + 1.0f;
    const Doubles4 twenty = Doubles4{} + 20.0, cap = Doubles4{} + 255.0;
    for (; j + 7 <= last; j += 8) {
        const Floats8 xc = Floats8(_mm256_loadu_ps(xr + j)), yc = Floats8(_mm256_loadu_ps(yr + j));
        const Floats8 ax = xc < zero ? -xc : xc, ay = yc < zero ? -yc : yc;
        const Ints8 weak = (ax <= limit) & (ay <= limit);
        const Ints8 steep = ay > ax;
        const Ints8 same = xc * yc > zero;
        const Floats8 f = (steep ? ax : ay) / (steep ? ay : ax);
        const Floats8 aM = Floats8(_mm256_loadu_ps(above + j - 1)), a0 = Floats8(_mm256_loadu_ps(above + j)), aP = Floats8(_mm256_loadu_ps(above + j + 1));
        const Floats8 hM = Floats8(_mm256_loadu_ps(here + j - 1)), g = Floats8(_mm256_loadu_ps(here + j)), hP = Floats8(_mm256_loadu_ps(here + j + 1));
        const Floats8 bM = Floats8(_mm256_loadu_ps(below + j - 1)), b0 = Floats8(_mm256_loadu_ps(below + j)), bP = Floats8(_mm256_loadu_ps(below + j + 1));
        const Floats8 g2 = steep ? a0 : hP;
        const Floats8 g4 = steep ? b0 : hM;
        const Floats8 g1 = steep ? (same ? aM : aP) : (same ? bP : aP);
        const Floats8 g3 = steep ? (same ? bP : bM) : (same ? aM : bM);
        const Ints8 maximum = ((one - f) * g2 + f * g1 < g) & ((one - f) * g4 + f * g3 < g) & ~weak;
        // scaledMagnitude, four lanes at a time in double precision.
        Doubles4 lo = Doubles4{g[0], g[1], g[2], g[3]} * twenty;
        Doubles4 hi = Doubles4{g[4], g[5], g[6], g[7]} * twenty;
        lo = lo < cap ? lo : cap;
        hi = hi < cap ? hi : cap;
        for (int lane = 0; lane < 4; ++lane) {
            out[j + lane] = std::uint8_t(int(lo[lane]) & maximum[lane]);
            out[j + 4 + lane] = std::uint8_t(int(hi[lane]) & maximum[4 + lane]);
        }
    }
    return j;
}
/// The red byte of each 3-byte pixel of a picture row, 16 pixels at a time
/// from pixel x while they fit up to `last`: cells[x + 1] = red of pixel x.
/// Returns the first x not done.
__attribute__((target("avx2"))) int copyRed16(const std::uint8_t* row, std::uint8_t* cells, int x, int last)
{
    // Red is the third byte of each pixel: bytes 2, 5, ..., 47 of 48.
    const __m128i fromFirst = _mm_setr_epi8(2, 5, 8, 11, 14, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i fromSecond = _mm_setr_epi8(-1, -1, -1, -1, -1, 1, 4, 7, 10, 13, -1, -1, -1, -1, -1, -1);
    const __m128i fromThird = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 3, 6, 9, 12, 15);
    for (; x + 15 <= last; x += 16) {
        const std::uint8_t* p = row + 3 * std::size_t(x - 1);
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const __m128i third = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
        const __m128i red = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(first, fromFirst), _mm_shuffle_epi8(second, fromSecond)),
                                         _mm_shuffle_epi8(third, fromThird));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + x + 1), red);
    }
    return x;
}

/// Pixels of a 3-byte picture row become white where edge[x + 1] is 255 and
/// black elsewhere, 16 at a time from pixel x while they fit up to `last`.
/// Returns the first x not done.
__attribute__((target("avx2"))) int writeEdges16(std::uint8_t* row, const std::uint8_t* edge, int x, int last)
{
    const __m128i white = _mm_set1_epi8(char(255));
    const __m128i toFirst = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i toSecond = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i toThird = _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    for (; x + 15 <= last; x += 16) {
        const __m128i shade = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(edge + x + 1)), white);
        std::uint8_t* p = row + 3 * std::size_t(x - 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_shuffle_epi8(shade, toFirst));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), _mm_shuffle_epi8(shade, toSecond));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), _mm_shuffle_epi8(shade, toThird));
    }
    return x;
}
#else
bool WideLanes() { return false; }
int copyRed16(const std::uint8_t*, std::uint8_t*, int x, int) { return x; }
int writeEdges16(std::uint8_t*, const std::uint8_t*, int x, int) { return x; }
int suppress8(const float*, const float*, const float*, const float*, const float*, std::uint8_t*, int j, int)
{
    return j;
}
template <class In>
int addScaledSums8(float*, const In*, const In*, float, int j, int) { return j; }
int addScaledDifferences8(float*, const float*, const float*, float, int j, int) { return j; }
#endif

class CannyRun {
public:
    CannyRun(Port& port, OperationProgress& progress, std::uint8_t** image, std::uint8_t** magnitude, int rows,
             int cols, const std::function<bool(int, int)>& fault, bool wideLanes)
        : m_port(port), m_progress(progress), m_i(image), m_m(magnitude), m_rows(rows), m_cols(cols), m_fault(fault),
          m_wide(wideLanes && WideLanes())
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
        // Nothing observable happens between the checks of the smoothing and
        // derivative stages, so they are asked first, in their order (before
        // each row and each tap of Sx/Sy, Dx and Dy), and the values are then
        // formed row by row as non-maximum suppression reaches them. Sy rows
        // are kept only while Dy may need them, so no whole float grid is
        // ever made.
        for (int stage = 0; stage < 3; ++stage)
            for (int i = 1; i <= m_rows - 2; ++i)
                if (checkRowAndTaps())
                    return Outcome::Cancelled;
        if (!prepareSyRows())
            return Outcome::NoMemory;
        suppressNonMaxima();
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
            const std::uint8_t* strength = m_m[i];
            int j = 1;
            // Tracing reads M but never writes it, so runs of 16 cells all
            // below `high` can be passed over at once.
            if (high > 0) {
                const Bytes16 below = splat16(std::uint8_t(std::min(high, 256) - 1));
                for (; j + 15 <= m_cols - 2; j += 16)
                    if (anyOf(load4<Bytes16>(strength + j) > below))
                        for (int k = j; k < j + 16; ++k)
                            if (strength[k] >= high)
                                traceEdge(i, k, low);
            }
            for (; j <= m_cols - 2; ++j)
                if (strength[j] >= high)
                    traceEdge(i, j, low);
        }
        for (int i = 1; i <= m_rows - 2; ++i) {
            if (m_progress.check())
                break;
            std::uint8_t* row = m_i[i];
            int j = 1;
            for (; j + 15 <= m_cols - 2; j += 16) // 0 becomes 255 and the rest 0, 16 cells at a time
                store16(row + j, Bytes16(load4<Bytes16>(row + j) == splat16(0)));
            for (; j <= m_cols - 2; ++j)
                row[j] = row[j] ? 0 : 255;
        }
    }

private:
    std::unique_ptr<FloatGrid> floatGrid(int rows)
    {
        const int index = m_floatGrids++;
        FloatGridFaultInjector fault;
        if (m_fault)
            fault = [this, index](int part) { return m_fault(index, part); };
        return F2D(m_port, rows, m_cols, fault);
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

    // Sy, the image grid smoothed along the columns, is read by Dy at rows
    // r - k .. r + k, wrapping around the picture. Rows within `m_band` of
    // the top or bottom edge are made once and kept, as the rows at the
    // other edge wrap round to them; the others live in a ring of rows that
    // follows the suppression down the picture.

    /// Makes the row store (through F2D) and the rows near both edges.
    bool prepareSyRows()
    {
        m_band = std::max(0, m_width - 1);
        m_ringSize = 2 * m_band + 2;
        m_slotOfRow.assign(std::size_t(m_rows), -1);
        int kept = 0;
        for (int r = 1; r <= m_rows - 2; ++r)
            if (r <= m_band || r >= m_rows - 1 - m_band)
                m_slotOfRow[std::size_t(r)] = kept++;
        m_ringStart = kept;
        m_syStore = floatGrid(kept + m_ringSize);
        if (!m_syStore)
            return false;
        m_zeroRow.assign(std::size_t(m_cols), 0.0f);
        for (int r = 1; r <= m_rows - 2; ++r)
            if (m_slotOfRow[std::size_t(r)] >= 0)
                smoothColumn(r, (*m_syStore)[m_slotOfRow[std::size_t(r)]]);
        return true;
    }

    /// What one thread forming rows keeps: its ring of Sy rows and the
    /// buffers of dxRow.
    struct Rows {
        float* const* ring = nullptr; ///< m_ringSize rows of m_cols floats
        std::vector<int> ringRow;     ///< the Sy row each ring slot holds, or -1
        std::vector<int> extended;
        std::vector<float> sxRow;
        std::vector<float> sxExtended;
    };

    Rows rowsOn(float* const* ring) const
    {
        Rows rows;
        rows.ring = ring;
        rows.ringRow.assign(std::size_t(m_ringSize), -1);
        rows.sxRow.assign(std::size_t(m_cols), 0.0f);
        return rows;
    }

    /// Row r of Sy (0 outside the interior rows).
    const float* syRow(int r, Rows& rows) const
    {
        if (r < 1 || r > m_rows - 2)
            return m_zeroRow.data();
        if (m_slotOfRow[std::size_t(r)] >= 0)
            return (*m_syStore)[m_slotOfRow[std::size_t(r)]];
        const int slot = r % m_ringSize;
        float* row = rows.ring[slot];
        if (rows.ringRow[std::size_t(slot)] != r) {
            smoothColumn(r, row);
            rows.ringRow[std::size_t(slot)] = r;
        }
        return row;
    }

    /// out[j] = gau[0] x in[j] for the interior cells j = 1 .. C - 2.
    void gauZeroTimes(const std::uint8_t* in, float* out) const
    {
        const float g0 = m_gau[0];
        int j = 1;
        for (; j + 3 <= m_cols - 2; j += 4)
            store4(out + j, g0 * __builtin_convertvector(widen4(in + j), Floats4));
        for (; j <= m_cols - 2; ++j)
            out[j] = g0 * float(in[j]);
    }

    /// Sy[r] = gau[0] x I[r] + sum over k of gau[k] x (I[r - k] + I[r + k]).
    void smoothColumn(int r, float* out) const
    {
        out[0] = out[m_cols - 1] = 0.0f;
        const std::uint8_t* in = m_i[r];
        gauZeroTimes(in, out);
        for (int k = 1; k < m_width; ++k) {
            const float gk = m_gau[k];
            const std::uint8_t* above = m_i[wrap(r - k, m_rows)];
            const std::uint8_t* below = m_i[wrap(r + k, m_rows)];
            int j = m_wide ? addScaledSums8(out, above, below, gk, 1, m_cols - 2) : 1;
            for (; j + 3 <= m_cols - 2; j += 4) {
                const Floats4 pair = __builtin_convertvector(widen4(above + j) + widen4(below + j), Floats4);
                store4(out + j, load4<Floats4>(out + j) + gk * pair);
            }
            for (; j <= m_cols - 2; ++j)
                out[j] = out[j] + gk * float(int(above[j]) + int(below[j]));
        }
    }

    /// Row r of Dx: the image row smoothed along the row (Sx, 0 outside the
    /// interior), then differentiated along it. Rows 0 and R - 1 are 0.
    void dxRow(int r, float* out, Rows& rows) const
    {
        std::fill(out, out + m_cols, 0.0f);
        if (r < 1 || r > m_rows - 2)
            return;
        const int taps = m_width;
        const int pad = std::max(0, taps - 1);
        const std::uint8_t* in = m_i[r];
        extendRow(in, rows.extended, pad);
        float* sx = rows.sxRow.data();
        gauZeroTimes(in, sx);
        const int* e = rows.extended.data() + pad;
        for (int k = 1; k < taps; ++k) {
            const float gk = m_gau[k];
            int j = m_wide ? addScaledSums8(sx, e - k, e + k, gk, 1, m_cols - 2) : 1;
            for (; j + 3 <= m_cols - 2; j += 4) {
                const Floats4 pair = __builtin_convertvector(load4<Ints4>(e + j - k) + load4<Ints4>(e + j + k), Floats4);
                store4(sx + j, load4<Floats4>(sx + j) + gk * pair);
            }
            for (; j <= m_cols - 2; ++j)
                sx[j] = sx[j] + gk * float(e[j - k] + e[j + k]);
        }
        extendRow(sx, rows.sxExtended, pad);
        const float* sxe = rows.sxExtended.data() + pad;
        for (int k = 1; k < taps; ++k) {
            const float dk = m_dgau[k];
            int j = m_wide ? addScaledDifferences8(out, sxe - k, sxe + k, dk, 1, m_cols - 2) : 1;
            for (; j + 3 <= m_cols - 2; j += 4)
                store4(out + j, load4<Floats4>(out + j) + dk * (load4<Floats4>(sxe + j - k) - load4<Floats4>(sxe + j + k)));
            for (; j <= m_cols - 2; ++j)
                out[j] = out[j] + dk * (sxe[j - k] - sxe[j + k]);
        }
    }

    /// Row r of Dy: Sy differentiated along the columns. Rows 0 and R - 1 are 0.
    void dyRow(int r, float* out, Rows& rows) const
    {
        std::fill(out, out + m_cols, 0.0f);
        if (r < 1 || r > m_rows - 2)
            return;
        for (int k = 1; k < m_width; ++k) {
            const float dk = m_dgau[k];
            const float* above = syRow(wrap(r - k, m_rows), rows);
            const float* below = syRow(wrap(r + k, m_rows), rows);
            int j = m_wide ? addScaledDifferences8(out, above, below, dk, 1, m_cols - 2) : 1;
            for (; j + 3 <= m_cols - 2; j += 4)
                store4(out + j, load4<Floats4>(out + j) + dk * (load4<Floats4>(above + j) - load4<Floats4>(below + j)));
            for (; j <= m_cols - 2; ++j)
                out[j] = out[j] + dk * (above[j] - below[j]);
        }
    }

    static void normRow(const float* x, const float* y, float* out, int cols)
    {
        int j = 0;
        for (; j + 3 < cols; j += 4) {
            const Floats4 a = load4<Floats4>(x + j), b = load4<Floats4>(y + j);
            const Floats4 sum = a * a + b * b;
#if defined(__SSE2__)
            // The square root is correctly rounded in every lane, as std::sqrt.
            store4(out + j, Floats4(_mm_sqrt_ps(__m128(sum))));
#else
            for (int lane = 0; lane < 4; ++lane)
                out[j + lane] = std::sqrt(sum[lane]);
#endif
        }
        for (; j < cols; ++j)
            out[j] = Norm(x[j], y[j]);
    }

    /// The scaled magnitude stored at a local maximum: the integer part of
    /// g x 20, at most 255 (g x 20 is exact in double precision).
    static std::uint8_t scaledMagnitude(float g)
    {
        return std::uint8_t(int(std::min(double(g) * 20.0, 255.0)));
    }

    /// Non-maximum suppression of one cell. The neighbours compared are the
    /// two along the gradient (interpolated between an axis neighbour and a
    /// diagonal one by f); the choices are made by selection rather than by
    /// branching, as the gradient directions of a scan are close to random.
    /// "|x| < 0.01" (a double) holds for a float exactly when |x| <= 0.01f.
    static std::uint8_t suppressOne(float xc, float yc, const float* above, const float* here, const float* below,
                                    int j)
    {
        const float ax = std::fabs(xc), ay = std::fabs(yc);
        if (ax <= 0.01f && ay <= 0.01f)
            return 0;
        const bool steep = ay > ax;
        const bool same = xc * yc > 0;
        const float f = steep ? ax / ay : ay / ax;
        const float g = here[j];
        const float g2 = steep ? above[j] : here[j + 1];
        const float g4 = steep ? below[j] : here[j - 1];
        const float g1 = steep ? (same ? above[j - 1] : above[j + 1]) : (same ? below[j + 1] : above[j + 1]);
        const float g3 = steep ? (same ? below[j + 1] : below[j - 1]) : (same ? above[j - 1] : below[j - 1]);
        const bool maximum = ((1.0f - f) * g2 + f * g1 < g) & ((1.0f - f) * g4 + f * g3 < g);
        return maximum ? scaledMagnitude(g) : 0;
    }

    /// suppressOne for cells j .. j + 3, lane by lane the same operations.
    static void suppress4(const float* xr, const float* yr, const float* above, const float* here, const float* below,
                          std::uint8_t* out, int j)
    {
        const Floats4 xc = load4<Floats4>(xr + j), yc = load4<Floats4>(yr + j);
        const Floats4 zero = {0, 0, 0, 0};
        const Floats4 ax = xc < zero ? -xc : xc, ay = yc < zero ? -yc : yc;
        const Floats4 limit = {0.01f, 0.01f, 0.01f, 0.01f};
        const Ints4 weak = (ax <= limit) & (ay <= limit);
        const Ints4 steep = ay > ax;
        const Ints4 same = xc * yc > zero;
        const Floats4 f = (steep ? ax : ay) / (steep ? ay : ax);
        const Floats4 aM = load4<Floats4>(above + j - 1), a0 = load4<Floats4>(above + j), aP = load4<Floats4>(above + j + 1);
        const Floats4 hM = load4<Floats4>(here + j - 1), g = load4<Floats4>(here + j), hP = load4<Floats4>(here + j + 1);
        const Floats4 bM = load4<Floats4>(below + j - 1), b0 = load4<Floats4>(below + j), bP = load4<Floats4>(below + j + 1);
        const Floats4 g2 = steep ? a0 : hP;
        const Floats4 g4 = steep ? b0 : hM;
        const Floats4 g1 = steep ? (same ? aM : aP) : (same ? bP : aP);
        const Floats4 g3 = steep ? (same ? bP : bM) : (same ? aM : bM);
        const Floats4 one = {1, 1, 1, 1};
        const Ints4 maximum = ((one - f) * g2 + f * g1 < g) & ((one - f) * g4 + f * g3 < g) & ~weak;
        // scaledMagnitude, two lanes at a time in double precision.
        using Doubles2 = double __attribute__((vector_size(16)));
        using Longs2 = long long __attribute__((vector_size(16)));
        const Doubles2 twenty = {20.0, 20.0}, cap = {255.0, 255.0};
        Doubles2 lo = Doubles2{double(g[0]), double(g[1])} * twenty;
        Doubles2 hi = Doubles2{double(g[2]), double(g[3])} * twenty;
        lo = lo < cap ? lo : cap;
        hi = hi < cap ? hi : cap;
        const Longs2 loInt = __builtin_convertvector(lo, Longs2), hiInt = __builtin_convertvector(hi, Longs2);
        out[j] = std::uint8_t(loInt[0] & maximum[0]);
        out[j + 1] = std::uint8_t(loInt[1] & maximum[1]);
        out[j + 2] = std::uint8_t(hiInt[0] & maximum[2]);
        out[j + 3] = std::uint8_t(hiInt[1] & maximum[3]);
    }

    /// Non-maximum suppression of rows first .. last into M, forming Dx,
    /// Dy and the gradient magnitude of rows i - 1, i and i + 1 as row i is
    /// reached; `before(i)` is asked before each row and ends the work when
    /// false. Each row depends on the image grid alone, so bands of rows can
    /// be formed by different threads with the same result.
    template <class Before>
    void suppressRows(int first, int last, Rows& rows, Before before) const
    {
        const std::size_t cols = std::size_t(m_cols);
        std::vector<float> buffers(9 * cols);
        // Three rolling rows each of Dx, Dy and magnitude: [0] above, [1] here, [2] below.
        float* dx[3] = {&buffers[0], &buffers[cols], &buffers[2 * cols]};
        float* dy[3] = {&buffers[3 * cols], &buffers[4 * cols], &buffers[5 * cols]};
        float* norm[3] = {&buffers[6 * cols], &buffers[7 * cols], &buffers[8 * cols]};
        for (int r = first - 1; r <= first; ++r) {
            dxRow(r, dx[r - first + 1], rows);
            dyRow(r, dy[r - first + 1], rows);
            normRow(dx[r - first + 1], dy[r - first + 1], norm[r - first + 1], m_cols);
        }
        for (int i = first; i <= last; ++i) {
            if (!before(i))
                return;
            dxRow(i + 1, dx[2], rows);
            dyRow(i + 1, dy[2], rows);
            normRow(dx[2], dy[2], norm[2], m_cols);
            const float* xr = dx[1];
            const float* yr = dy[1];
            std::uint8_t* out = m_m[i];
            int j = m_wide ? suppress8(xr, yr, norm[0], norm[1], norm[2], out, 1, m_cols - 2) : 1;
            for (; j + 3 <= m_cols - 2; j += 4)
                suppress4(xr, yr, norm[0], norm[1], norm[2], out, j);
            for (; j <= m_cols - 2; ++j)
                out[j] = suppressOne(xr[j], yr[j], norm[0], norm[1], norm[2], j);
            for (float** rolling : {dx, dy, norm}) {
                std::swap(rolling[0], rolling[1]);
                std::swap(rolling[1], rolling[2]);
            }
        }
    }

    /// Non-maximum suppression of every interior row into M, asking for a
    /// cancel before each row. Where the machine has a second core, a second
    /// thread forms the lower half of the rows meanwhile; a cancel leaves M
    /// unused, so how far that thread got does not matter.
    void suppressNonMaxima()
    {
        const int first = 1, last = m_rows - 2;
        std::atomic<bool> stop{false};
        int split = last + 1; // the second thread's first row
        std::vector<float> otherRing;
        std::vector<float*> otherRows;
        std::thread worker;
        if (std::thread::hardware_concurrency() > 1 && last - first >= 64) {
            try {
                otherRing.resize(std::size_t(m_ringSize) * std::size_t(m_cols));
                for (int k = 0; k < m_ringSize; ++k)
                    otherRows.push_back(otherRing.data() + std::size_t(k) * std::size_t(m_cols));
                const int lower = first + (last - first + 1) / 2;
                worker = std::thread([this, &stop, &otherRows, lower, last] {
                    Rows other = rowsOn(otherRows.data());
                    suppressRows(lower, last, other, [&stop](int) { return !stop.load(std::memory_order_relaxed); });
                });
                split = lower;
            } catch (const std::exception&) { // no memory or no thread: this one does it all
                split = last + 1;
            }
        }
        std::vector<float*> mainRows;
        for (int k = 0; k < m_ringSize; ++k)
            mainRows.push_back((*m_syStore)[m_ringStart + k]);
        Rows main = rowsOn(mainRows.data());
        bool cancelled = false;
        suppressRows(first, split - 1, main, [&](int) { return !(cancelled = m_progress.check()); });
        for (int i = split; i <= last && !cancelled; ++i)
            cancelled = m_progress.check();
        stop = cancelled;
        if (worker.joinable())
            worker.join();
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
    // The rows of Sy (see prepareSyRows) and the working rows of dxRow.
    std::unique_ptr<FloatGrid> m_syStore;
    std::vector<int> m_slotOfRow;
    std::vector<float> m_zeroRow;
    int m_band = 0;
    int m_ringSize = 0;
    int m_ringStart = 0;
    bool m_wide;
    int m_width = kMaxMask;
    float m_gau[kMaxMask] = {};
    float m_dgau[kMaxMask] = {};
};

/// The image grid I and the magnitude grid M of a run: `rows` rows of
/// `cols` bytes each, I filled with 255 and M with 0. Both live in one block
/// of fresh pages, taken from the system in large pages where it offers
/// them: the grids are as big as the picture, and faulting them in a small
/// page at a time costs more than all the filtering.
class ByteGrids {
public:
    ByteGrids() = default;
    ByteGrids(const ByteGrids&) = delete;
    ByteGrids& operator=(const ByteGrids&) = delete;
    ~ByteGrids() { release(); }

    /// False when there is no memory for them.
    bool make(int rows, int cols)
    {
        const std::size_t gridBytes = std::size_t(rows) * std::size_t(cols);
        try {
            m_image.resize(std::size_t(rows));
            m_magnitude.resize(std::size_t(rows));
        } catch (const std::bad_alloc&) {
            return false;
        }
        std::uint8_t* block = allocate(2 * gridBytes);
        if (!block)
            return false;
        std::memset(block, 255, gridBytes);
        std::uint8_t* magnitude = block + gridBytes;
        if (!m_zeroed)
            std::memset(magnitude, 0, gridBytes);
        for (int r = 0; r < rows; ++r) {
            m_image[std::size_t(r)] = block + std::size_t(r) * std::size_t(cols);
            m_magnitude[std::size_t(r)] = magnitude + std::size_t(r) * std::size_t(cols);
        }
        return true;
    }

    std::uint8_t** image() { return m_image.data(); }
    std::uint8_t** magnitude() { return m_magnitude.data(); }

    void release()
    {
        if (!m_block)
            return;
#ifdef ORVANE_CANNY_MAPPED_GRIDS
        munmap(m_block, m_mapped);
#else
        ::operator delete[](m_block, std::nothrow);
#endif
        m_block = nullptr;
        m_image.clear();
        m_magnitude.clear();
    }

private:
    std::uint8_t* allocate(std::size_t bytes)
    {
        if (bytes == 0)
            bytes = 1;
#ifdef ORVANE_CANNY_MAPPED_GRIDS
        // Mapped with room to start on a large-page boundary; the pages
        // before and after the aligned part go back at once.
        constexpr std::size_t kLargePage = std::size_t(2) << 20;
        const std::size_t size = (bytes + kLargePage - 1) / kLargePage * kLargePage;
        void* mapped = mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return nullptr;
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
        if (aligned > start)
            munmap(mapped, aligned - start);
        if (const std::size_t after = kLargePage - (aligned - start))
            munmap(reinterpret_cast<void*>(aligned + size), after);
        m_block = reinterpret_cast<std::uint8_t*>(aligned);
        m_mapped = size;
#ifdef MADV_HUGEPAGE
        madvise(m_block, size, MADV_HUGEPAGE);
#endif
        m_zeroed = true; // fresh anonymous pages read as zero
#else
        m_block = static_cast<std::uint8_t*>(::operator new[](bytes, std::nothrow));
#endif
        return m_block;
    }

    std::uint8_t* m_block = nullptr;
    std::size_t m_mapped = 0;
    bool m_zeroed = false;
    std::vector<std::uint8_t*> m_image;
    std::vector<std::uint8_t*> m_magnitude;
};

/// The red value of each colour-table index (0 for indices beyond the held
/// table, whose colour cannot be read).
std::array<std::uint8_t, 256> redOfIndex(const CBitmapImage& image)
{
    return IndexValues(image, 0, [](std::uint8_t r, std::uint8_t, std::uint8_t) { return r; });
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
    ByteGrids grids;
    if (!grids.make(rows, cols)) {
        ShowMessageBox(m_port, MessageButtons::Ok, "Out of storage in new image.\n");
        return 0;
    }
    int high = m_high, low = m_low;
    progress.setStatus("Pre-process...");
    progress.setPos(2);

    const bool wide = m_wideLanes && WideLanes();
    const std::array<std::uint8_t, 256> red = redOfIndex(image);
    for (int y = 3; y <= height - 4; ++y) {
        if (progress.check())
            break;
        std::uint8_t* cells = grids.image()[y + 1];
        if (image.GetBitCount() == 24) {
            const int first = wide ? copyRed16(image.GetRow(y), cells, 3, width - 4) : 3;
            const std::uint8_t* p = image.GetRow(y) + 3 * std::size_t(first - 1);
            for (int x = first; x <= width - 4; ++x, p += 3)
                cells[x + 1] = p[2];
            continue;
        }
        for (int x = 3; x <= width - 4; ++x)
            cells[x + 1] = red[image.GetPixelIndex(x, y)];
    }
    progress.setStatus("Working...");
    progress.setPos(3);

    CannyRun run(m_port, progress, grids.image(), grids.magnitude(), rows, cols, m_fault, m_wideLanes);
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
        std::uint8_t** cells = grids.image();
        BlackWhiteWriter writer(image);
        const bool direct = image.GetBitCount() == 24;
        for (int y = 3; y <= height - 4; ++y) {
            if (progress.check())
                break;
            const std::uint8_t* edge = cells[y + 1];
            if (direct) { // as writer.Put, without asking the depth per pixel
                const int first = wide ? writeEdges16(image.GetRow(y), edge, 3, width - 4) : 3;
                std::uint8_t* p = image.GetRow(y) + 3 * std::size_t(first - 1);
                for (int x = first; x <= width - 4; ++x, p += 3)
                    p[0] = p[1] = p[2] = edge[x + 1] == 255 ? 255 : 0;
                continue;
            }
            for (int x = 3; x <= width - 4; ++x)
                writer.Put(x, y, edge[x + 1] == 255);
        }
        // The border band: x <= 3, x >= W - 3, y <= 3 or y >= H - 3.
        for (int y = 1; y <= height; ++y) {
            const bool band = y <= 3 || y >= height - 3;
            for (int x = 1; x <= width; ++x) {
                if (!band && x == 4)
                    x = std::max(x, width - 3);
                writer.Put(x, y, true);
            }
        }
    }
    progress.nextPos();
    grids.release();
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
