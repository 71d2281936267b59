// Plain versions of the processing kernels.
#include "reference_kernels.h"

#include <algorithm>
#include <cmath>

namespace orvane::test {
namespace {

// Neighbour k of (r, c), k = 1 east counter-clockwise to 8 south-east.
const int kDr[11] = {0, 0, -1, -1, -1, 0, 1, 1, 1, 0, -1};
const int kDc[11] = {0, 1, 1, 0, -1, -1, -1, 0, 1, 1, 1};

int connectivityNumber(const Grid& g, int r, int c, bool (*isInk)(std::uint8_t))
{
    auto b = [&](int k) { return isInk(g[r + kDr[k]][c + kDc[k]]) ? 0 : 1; };
    int n = 0;
    for (int k = 1; k <= 7; k += 2)
        n += b(k) - b(k) * b(k + 1) * b(k + 2);
    return n;
}

bool isEdgePixel(const Grid& g, int r, int c)
{
    if (!g[r][c])
        return false;
    // The border as four (corner, side, corner) triples, clockwise from the north-west.
    const int triples[4][3][2] = {{{-1, -1}, {-1, 0}, {-1, 1}}, {{-1, 1}, {0, 1}, {1, 1}},
                                  {{1, 1}, {1, 0}, {1, -1}}, {{1, -1}, {0, -1}, {-1, -1}}};
    int t00 = 0, t01 = 0, t11 = 0, t01s = 0;
    for (const auto& t : triples) {
        const bool first = g[r + t[0][0]][c + t[0][1]], middle = g[r + t[1][0]][c + t[1][1]],
                   last = g[r + t[2][0]][c + t[2][1]];
        t00 |= !middle && (!first || !last);
        t11 |= middle && (first || last);
        if ((!first && middle) || (!middle && last)) {
            t01s = t01;
            t01 = 1;
        }
    }
    return t00 && t11 && !t01s;
}

/// Whether (r, c) is the end of a two-pixel band near 45 degrees: its only
/// ink neighbours are a horizontal pair between background in the next row
/// (or the previous one), and the band runs on from there. Always when the
/// three rows after that pair hold the same pair shifted one further each
/// time, between background. With `nearBands` also when, in each of the
/// six rows after the pair, the band is one run of one to three cells
/// between background starting at the previous run's far end or the cell
/// after it, and the far end moves exactly one column on in at least four
/// of those six steps.
bool isBandTip(const Grid& g, int r, int c, bool nearBands)
{
    const int rows = int(g.size()), cols = int(g[0].size());
    auto ink = [&](int y, int x) { return y >= 0 && y < rows && x >= 0 && x < cols && g[y][x] != 0; };
    int neighbours = 0;
    for (int k = 1; k <= 8; ++k)
        neighbours += ink(r + kDr[k], c + kDc[k]);
    if (neighbours != 2)
        return false;
    for (int dy : {1, -1})
        for (int dx : {1, -1}) {
            bool exact = true;
            for (int step = 1; step <= 4; ++step) {
                const int y = r + step * dy, x = c + (step - 1) * dx;
                exact = exact && ink(y, x) && ink(y, x + dx) && !ink(y, x - dx) && !ink(y, x + 2 * dx);
            }
            if (exact)
                return true;
            if (!nearBands || !ink(r + dy, c) || !ink(r + dy, c + dx) || ink(r + dy, c - dx) || ink(r + dy, c + 2 * dx))
                continue;
            bool band = true;
            int far = c + dx, diagonal = 0;
            for (int step = 2; step <= 7 && band; ++step) {
                const int y = r + step * dy;
                int start = far;
                if (!ink(y, start))
                    start += dx;
                int length = 0;
                while (ink(y, start + length * dx))
                    ++length;
                band = length >= 1 && length <= 3 && !ink(y, start - dx);
                const int end = start + (length - 1) * dx;
                if (end == far + dx)
                    ++diagonal;
                far = end;
            }
            if (band && diagonal >= 4)
                return true;
        }
    return false;
}

/// Replaces every cell v of the grid with f(v).
template <class F> void recode(Grid& g, F f)
{
    for (auto& row : g)
        for (auto& v : row)
            v = std::uint8_t(f(v));
}

bool nonZero(std::uint8_t v) { return v != 0; }
bool exactlyZero(std::uint8_t v) { return v == 0; }

/// Applies marks; returns whether something was removed.
bool applyRemovals(Grid& g, Grid& m, ZhangSuenRemoval removal)
{
    const bool mended = removal != ZhangSuenRemoval::kParallel;
    const bool nearBands = removal == ZhangSuenRemoval::kKeepBandEnds;
    bool removed = false;
    for (std::size_t i = 1; i + 1 < g.size(); ++i)
        for (std::size_t j = 1; j + 1 < g[i].size(); ++j) {
            if (m[i][j] != 1)
                continue;
            m[i][j] = 0;
            if (!g[i][j])
                continue;
            if (mended) {
                // Kept when its removal now would split its ink neighbours
                // or leave none, or when it ends a band the passes never thin.
                const int r = int(i), c = int(j);
                if (connectivityNumber(g, r, c, nonZero) != 1 || isBandTip(g, r, c, nearBands))
                    continue;
            }
            g[i][j] = 0;
            removed = true;
        }
    return removed;
}

void removeStaircase(Grid& g, Grid& m, bool north)
{
    for (std::size_t i = 1; i + 1 < g.size(); ++i)
        for (std::size_t j = 1; j + 1 < g[i].size(); ++j) {
            auto v = [&](int dr, int dc) { return g[i + dr][j + dc] != 0; };
            const bool n = v(-1, 0), s = v(1, 0), e = v(0, 1), w = v(0, -1);
            const bool ne = v(-1, 1), nw = v(-1, -1), se = v(1, 1), sw = v(1, -1);
            bool mark = north ? n && ((e && !ne && !sw && (!w || !s)) || (w && !nw && !se && (!e || !s)))
                              : s && ((e && !se && !nw && (!w || !n)) || (w && !sw && !ne && (!e || !n)));
            m[i][j] = g[i][j] && mark ? 1 : 0;
        }
}

} // namespace

Grid BinariseForThinning(const CBitmapImage& image)
{
    const int w = image.GetWidth(), h = image.GetHeight();
    Grid g(h + 2, std::vector<std::uint8_t>(w + 2, 255));
    for (int y = 1; y <= h; ++y)
        for (int x = 1; x <= w; ++x) {
            std::uint8_t r = 0, gr = 0, b = 0;
            if (image.GetPixelColor(x, y, r, gr, b) && (r < 170 || gr < 170 || b < 170))
                g[y][x] = 0;
        }
    return g;
}

int RefZhangSuen(Grid& g, ZhangSuenRemoval removal)
{
    const bool mended = removal != ZhangSuenRemoval::kParallel;
    const std::size_t rows = g.size(), cols = g[0].size();
    Grid m(rows, std::vector<std::uint8_t>(cols, 0));
    recode(g, [](std::uint8_t v) { return v != 255; });
    int passes = 0;
    bool changed;
    do {
        ++passes;
        changed = false;
        for (std::size_t i = 1; i + 1 < rows; ++i)
            for (std::size_t j = 1; j + 1 < cols; ++j) {
                if (!g[i][j])
                    continue;
                const int r = int(i), c = int(j);
                const bool a = isEdgePixel(g, r, c + 1) && g[i - 1][j] && g[i + 1][j];
                const bool b = isEdgePixel(g, r + 1, c) && g[i][j - 1] && g[i][j + 1];
                const bool d = isEdgePixel(g, r, c + 1) && isEdgePixel(g, r + 1, c + 1) && isEdgePixel(g, r + 1, c);
                if (isEdgePixel(g, r, c) && !a && !b && !d) {
                    m[i][j] = 1;
                    changed = true;
                } else {
                    m[i][j] = 0;
                }
            }
        const bool removed = applyRemovals(g, m, removal);
        if (mended)
            changed = removed;
    } while (changed);
    removeStaircase(g, m, true);
    applyRemovals(g, m, removal);
    removeStaircase(g, m, false);
    applyRemovals(g, m, removal);
    recode(g, [](std::uint8_t v) { return v > 0 ? 0 : 255; });
    return passes;
}

int RefStentiford(Grid& g)
{
    const int rows = int(g.size()), cols = int(g[0].size());
    recode(g, [](std::uint8_t v) { return v == 255; });
    auto inkCount = [&](int r, int c) {
        int n = 0;
        for (int k = 1; k <= 8; ++k)
            n += g[r + kDr[k]][c + kDc[k]] == 0;
        return n;
    };
    // dr, dc of the neighbour that must be background (1) and of the one
    // that must not be.
    auto visit = [&](int i, int j, int br, int bc) {
        if (g[i][j] == 0 && g[i + br][j + bc] == 1 && g[i - br][j - bc] != 1 && inkCount(i, j) != 1 &&
            connectivityNumber(g, i, j, exactlyZero) == 1)
            g[i][j] = 2;
    };
    int iterations = 0;
    bool changed;
    do {
        ++iterations;
        changed = false;
        for (int i = 1; i <= rows - 2; ++i)
            for (int j = 1; j <= cols - 2; ++j)
                visit(i, j, -1, 0);
        for (int j = 1; j <= cols - 2; ++j)
            for (int i = rows - 2; i >= 1; --i)
                visit(i, j, 0, -1);
        for (int i = rows - 2; i >= 1; --i)
            for (int j = cols - 2; j >= 1; --j)
                visit(i, j, 1, 0);
        for (int j = cols - 2; j >= 1; --j)
            for (int i = 1; i <= rows - 2; ++i)
                visit(i, j, 0, 1);
        for (int i = 1; i <= rows - 2; ++i)
            for (int j = 1; j <= cols - 2; ++j)
                if (g[i][j] == 2) {
                    g[i][j] = 1;
                    changed = true;
                }
    } while (changed);
    recode(g, [](std::uint8_t v) { return v > 0 ? 255 : 0; });
    return iterations;
}

namespace {

float gauss(float x, float sigma)
{
    if (sigma == 0)
        return 0.0f;
    return float(std::exp(double(-(x * x) / (2.0f * (sigma * sigma)))));
}
float meanGauss(float x, float s)
{
    return (gauss(x - 0.5f, s) + gauss(x + 0.5f, s) + gauss(x, s)) * 0.33333334f / (s * s * 6.2831855f);
}
float dGauss(float x, float s) { return -gauss(x, s) * x / (s * s); }
float norm(float a, float b) { return float(std::sqrt(double(a * a + b * b))); }

using FGrid = std::vector<std::vector<float>>;

} // namespace

Grid RefCanny(const CBitmapImage& image, float sigma, int high, int low)
{
    const int W = image.GetWidth(), H = image.GetHeight(), R = H + 2, C = W + 2;
    Grid I(R, std::vector<std::uint8_t>(C, 255)), M(R, std::vector<std::uint8_t>(C, 0));
    for (int y = 3; y <= H - 4; ++y)
        for (int x = 3; x <= W - 4; ++x) {
            std::uint8_t r = 0, g = 0, b = 0;
            image.GetPixelColor(x, y, r, g, b);
            I[y + 1][x + 1] = r;
        }
    float gau[20], dgau[20];
    int w = 20;
    for (int i = 0; i < 20; ++i) {
        if (sigma == 0) {
            w = 0;
            break;
        }
        gau[i] = meanGauss(float(i), sigma);
        if (gau[i] < 0.005) {
            w = i;
            break;
        }
        dgau[i] = dGauss(float(i), sigma);
    }
    auto mr = [R](int i) { return ((i % R) + R) % R; };
    auto mc = [C](int j) { return ((j % C) + C) % C; };
    FGrid sx(R, std::vector<float>(C, 0)), sy = sx, dx = sx, dy = sx;
    for (int i = 1; i <= R - 2; ++i)
        for (int j = 1; j <= C - 2; ++j) {
            float x = gau[0] * float(I[i][j]), y = x;
            for (int k = 1; k < w; ++k) {
                x = x + gau[k] * float(I[i][mc(j - k)] + I[i][mc(j + k)]);
                y = y + gau[k] * float(I[mr(i - k)][j] + I[mr(i + k)][j]);
            }
            sx[i][j] = x;
            sy[i][j] = y;
        }
    for (int i = 1; i <= R - 2; ++i)
        for (int j = 1; j <= C - 2; ++j) {
            float x = 0, y = 0;
            for (int k = 1; k < w; ++k) {
                x = x + dgau[k] * (sx[i][mc(j - k)] - sx[i][mc(j + k)]);
                y = y + dgau[k] * (sy[mr(i - k)][j] - sy[mr(i + k)][j]);
            }
            dx[i][j] = x;
            dy[i][j] = y;
        }
    auto gn = [&](int r, int c) { return norm(dx[r][c], dy[r][c]); };
    for (int i = 1; i <= R - 2; ++i)
        for (int j = 1; j <= C - 2; ++j) {
            const float xc = dx[i][j], yc = dy[i][j];
            if (std::fabs(xc) < 0.01 && std::fabs(yc) < 0.01)
                continue;
            const float g = norm(xc, yc);
            float f, g1, g2, g3, g4;
            if (std::fabs(yc) > std::fabs(xc)) {
                f = std::fabs(xc) / std::fabs(yc);
                g2 = gn(i - 1, j);
                g4 = gn(i + 1, j);
                g1 = xc * yc > 0 ? gn(i - 1, j - 1) : gn(i - 1, j + 1);
                g3 = xc * yc > 0 ? gn(i + 1, j + 1) : gn(i + 1, j - 1);
            } else {
                f = std::fabs(yc) / std::fabs(xc);
                g2 = gn(i, j + 1);
                g4 = gn(i, j - 1);
                g1 = xc * yc > 0 ? gn(i + 1, j + 1) : gn(i - 1, j + 1);
                g3 = xc * yc > 0 ? gn(i - 1, j - 1) : gn(i + 1, j - 1);
            }
            if ((1 - f) * g2 + f * g1 < g && (1 - f) * g4 + f * g3 < g)
                M[i][j] = double(g) * 20 <= 255 ? std::uint8_t(double(g) * 20) : 255;
        }
    // Hysteresis.
    for (int i = 1; i <= R - 2; ++i)
        for (int j = 1; j <= C - 2; ++j)
            I[i][j] = 0;
    if (high < low) {
        const int hw = w / 2;
        long hist[256] = {};
        for (int i = hw; i <= R - hw - 1; ++i)
            for (int j = hw; j <= C - hw - 1; ++j)
                ++hist[M[i][j]];
        const long target = long(0.9 * std::max(R, C));
        int k = 255;
        long count = hist[255];
        while (count < target && k >= 0) {
            --k;
            if (k >= 0)
                count += hist[k];
        }
        high = k;
        int first = 0;
        while (first < 256 && !hist[first])
            ++first;
        low = (high + (first == 256 ? 0 : first)) / 2;
    }
    for (int i = 1; i <= R - 2; ++i)
        for (int j = 1; j <= C - 2; ++j) {
            if (M[i][j] < high || I[i][j] != 0)
                continue;
            int r = i, c = j;
            I[r][c] = 255;
            for (bool moved = true; moved;) {
                moved = false;
                for (int dr = -1; dr <= 1 && !moved; ++dr)
                    for (int dc = -1; dc <= 1 && !moved; ++dc) {
                        const int nr = r + dr, nc = c + dc;
                        if ((dr || dc) && nr >= 0 && nr < R && nc >= 0 && nc < C && M[nr][nc] >= low &&
                            I[nr][nc] == 0) {
                            I[nr][nc] = 255;
                            r = nr;
                            c = nc;
                            moved = true;
                        }
                    }
            }
        }
    for (int i = 1; i <= R - 2; ++i)
        for (int j = 1; j <= C - 2; ++j)
            I[i][j] = I[i][j] ? 0 : 255;
    return I;
}

} // namespace orvane::test
