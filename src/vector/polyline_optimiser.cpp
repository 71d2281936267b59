// Polyline smoothing and reduction.
#include "vector/polyline_optimiser.h"

#include <cmath>
#include <vector>

namespace orvane {
namespace {

/// Chords shorter than this have no direction.
constexpr double kShortestChord = 1e-5;
/// x of a point marked for removal; real coordinates never come near it.
constexpr double kRemovedX = -10000.0;

struct Pt {
    double x, y;
};

double chordLength(Pt a, Pt b) { return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y)); }

/// Signed perpendicular distance of p from the line through a and b
/// (length `length`, above kShortestChord).
double signedDeviation(Pt a, Pt b, Pt p, double length)
{
    const double ux = (b.x - a.x) / length;
    const double uy = (b.y - a.y) / length;
    return (p.y - a.y) * ux - (p.x - a.x) * uy;
}

/// Deviation as smoothing measures it: the plain distance from a when the
/// chord has no length.
double smoothingDeviation(Pt a, Pt b, Pt p)
{
    const double length = chordLength(a, b);
    if (length <= kShortestChord)
        return chordLength(a, p);
    return signedDeviation(a, b, p, length);
}

/// p moved, keeping its position along chord a-b, to deviation h.
Pt moveToDeviation(Pt a, Pt b, Pt p, double h)
{
    const double length = chordLength(a, b);
    if (length > kShortestChord) {
        const double ux = (b.x - a.x) / length;
        const double uy = (b.y - a.y) / length;
        const double t = ux * p.x + uy * p.y;
        const double c = ux * a.y - uy * a.x;
        return {t * ux - (c + h) * uy, t * uy + (c + h) * ux};
    }
    if (std::fabs(h) < 1e-6)
        return a;
    const double distance = chordLength(a, p);
    return {a.x + (p.x - a.x) * std::fabs(h) / distance, a.y + (p.y - a.y) * std::fabs(h) / distance};
}

bool isSpike(double before, double here, double after)
{
    return (here > 0.0 && before <= 0.0 && after <= 0.0) || (here < 0.0 && before >= 0.0 && after >= 0.0);
}

/// The chord test of reduction over points a..b of one line.
class ChordReducer {
public:
    ChordReducer(PointList& points, double tolerance) : m_x(points.x.data()), m_y(points.y.data()), m_t(tolerance) {}

    /// Keeps the end points of the longest centred chord that passes and
    /// reduces what lies left and right of it the same way; an explicit
    /// stack of intervals stands in for recursion.
    void split(int first, int last)
    {
        std::vector<std::pair<int, int>> pending{{first, last}};
        while (!pending.empty()) {
            auto [lo, hi] = pending.back();
            pending.pop_back();
            int a = lo;
            int b = hi;
            while (!chordTest(a, b)) {
                if ((b - a) % 2 != 0)
                    ++a;
                else
                    --b;
            }
            if (b < hi)
                pending.emplace_back(b, hi);
            if (lo < a)
                pending.emplace_back(lo, a);
        }
    }

private:
    Pt at(int i) const { return {m_x[i], m_y[i]}; }

    /// Passes, marking the points strictly between a and b, when none of
    /// them is farther than the tolerance from the chord and their mean
    /// signed deviation per segment is within a third of it.
    bool chordTest(int a, int b)
    {
        if (a >= b || b == a + 1)
            return true;
        const double length = chordLength(at(a), at(b));
        if (length <= kShortestChord)
            return false;
        double sum = 0.0;
        bool tooFar = false;
        for (int i = a + 1; i < b; ++i) {
            const double d = signedDeviation(at(a), at(b), at(i), length);
            sum += d;
            if (std::fabs(d) > m_t) {
                tooFar = true;
                break;
            }
        }
        if (std::fabs(sum) / (b - a) > m_t / 3.0 || tooFar)
            return false;
        for (int i = a + 1; i < b; ++i)
            m_x[i] = kRemovedX;
        return true;
    }

    double* m_x;
    double* m_y;
    double m_t;
};

} // namespace

void CPolylineOptimiser::Smooth(PointList& points) const
{
    const int n = points.count;
    if (n < 4)
        return;
    double* x = points.x.data();
    double* y = points.y.data();
    // Walk with the unmoved copies of the previous and current points, so
    // moving a point never changes the decisions about its neighbours.
    Pt previous{x[0], y[0]};
    Pt current{x[1], y[1]};
    double dBefore = 0.0;
    double dHere = smoothingDeviation(previous, {x[2], y[2]}, current);
    for (int i = 1; i <= n - 2; ++i) {
        const Pt next{x[i + 1], y[i + 1]};
        const double dAfter = i + 1 <= n - 2 ? smoothingDeviation(current, {x[i + 2], y[i + 2]}, next) : 0.0;
        if (isSpike(dBefore, dHere, dAfter)) {
            const Pt moved = moveToDeviation(previous, next, current, dHere / 2.0);
            x[i] = moved.x;
            y[i] = moved.y;
        }
        previous = current;
        current = next;
        dBefore = dHere;
        dHere = dAfter;
    }
}

int CPolylineOptimiser::Reduce(PointList& points, double tolerance) const
{
    const int n = points.count;
    if (n < 3)
        return 0;
    ChordReducer(points, tolerance).split(0, n - 1);
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        if (points.x[std::size_t(i)] < -9999.0)
            continue;
        points.x[std::size_t(kept)] = points.x[std::size_t(i)];
        points.y[std::size_t(kept)] = points.y[std::size_t(i)];
        ++kept;
    }
    points.count = kept;
    return n - kept;
}

} // namespace orvane
