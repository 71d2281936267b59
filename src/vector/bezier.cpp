// Bezier smoothing of stored lines.
#include "vector/bezier.h"

#include "vector/line_store.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvane {
namespace {

/// Most vertices of one piece.
constexpr int kPieceSize = 50;

/// C(n, i), built by multiplying by n, n - 1, ... 1 while dividing by i,
/// i - 1, ... 2 and n - i, n - i - 1, ... 2 in the same loop, which keeps the
/// intermediate values small.
double binomial(int n, int i)
{
    double c = 1.0;
    int a = i;
    int b = n - i;
    for (int k = n; k >= 1; --k) {
        c *= k;
        if (a > 1)
            c /= a--;
        if (b > 1)
            c /= b--;
    }
    return c;
}

/// Moves the interior vertices of one piece (vertices s..s + n) onto the
/// curve whose control points are the piece's unmoved vertices.
void smoothPiece(std::vector<VectorNode>& nodes, int s, int n)
{
    std::array<double, kPieceSize> px{}, py{};
    for (int i = 0; i <= n; ++i) {
        px[std::size_t(i)] = nodes[std::size_t(s + i)].m_dX;
        py[std::size_t(i)] = nodes[std::size_t(s + i)].m_dY;
    }
    for (int j = 1; j < n; ++j) {
        const double t = static_cast<double>(j) / n;
        double power = std::pow(1.0 - t, n);
        double x = 0.0, y = 0.0;
        for (int i = 0; i <= n; ++i) {
            const double weight = binomial(n, i) * power;
            x += weight * px[std::size_t(i)];
            y += weight * py[std::size_t(i)];
            power = power * t / (1.0 - t);
        }
        nodes[std::size_t(s + j)].m_dX = x;
        nodes[std::size_t(s + j)].m_dY = y;
    }
}

} // namespace

void BezierSmooth(CVectorLine& line)
{
    const int count = static_cast<int>(line.m_nodes.size());
    if (count < 5)
        return;
    int s = 0;
    int e = std::min(count, kPieceSize) - 1;
    while (e - s > 3) {
        smoothPiece(line.m_nodes, s, e - s);
        s = e;
        e = std::min(s + kPieceSize, count) - 1;
    }
}

} // namespace orvane
