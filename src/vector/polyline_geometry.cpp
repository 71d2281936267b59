// Plane geometry of polylines and the geometric operations of stored lines.
#include "vector/polyline_geometry.h"

#include "vector/line_store.h"

#include <cmath>

namespace orvane {
namespace {

/// Degrees per radian as the bearings have always used it: 180 / 3.142.
constexpr double kDegreesPerRadian = 57.28835136855506;

PlanePoint pointOf(const VectorNode& node) { return {node.m_dX, node.m_dY}; }

bool isRightOrObtuse(int difference) { return difference >= 90 && difference <= 270; }

} // namespace

int BearingOfStep(double dx, double dy)
{
    const double degrees = std::atan2(-dy, dx) * kDegreesPerRadian;
    if (!std::isfinite(degrees))
        return 90; // no direction, as for a step of no length
    const int rounded = degrees >= 0.0 ? static_cast<int>(std::trunc(degrees + 0.5))
                                       : static_cast<int>(std::trunc(degrees - 0.5));
    return (450 - rounded) % 360;
}

int Bearing(PlanePoint a, PlanePoint b) { return BearingOfStep(b.x - a.x, b.y - a.y); }

int DirectionSector(double bearing)
{
    if (bearing > 337.5 || bearing <= 22.5)
        return 1;
    if (bearing <= 67.5)
        return 2;
    if (bearing <= 112.5)
        return 3;
    if (bearing <= 157.5)
        return 4;
    if (bearing <= 202.5)
        return 5;
    if (bearing <= 247.5)
        return 6;
    if (bearing <= 292.5)
        return 7;
    return 8;
}

double Distance(PlanePoint a, PlanePoint b)
{
    return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
}

double PerpendicularDistance(PlanePoint a, PlanePoint b, PlanePoint p)
{
    const double ap2 = (p.x - a.x) * (p.x - a.x) + (p.y - a.y) * (p.y - a.y);
    const double bp2 = (p.x - b.x) * (p.x - b.x) + (p.y - b.y) * (p.y - b.y);
    const double ab2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
    if (ab2 <= 0.0)
        return kNoResult;
    const double t = (ap2 - bp2 + ab2) / (2.0 * std::sqrt(ab2));
    return std::sqrt(std::fabs(ap2 - t * t));
}

int FootWithinSegment(PlanePoint a, PlanePoint b, PlanePoint p)
{
    const int atA = std::abs(Bearing(a, p) - Bearing(a, b));
    const int atB = std::abs(Bearing(b, p) - Bearing(b, a));
    return !isRightOrObtuse(atA) && !isRightOrObtuse(atB) ? 1 : 0;
}

double CVectorLine::DistanceTo(double x, double y) const
{
    const PlanePoint p{x, y};
    double best = kNoResult;
    for (std::size_t i = 1; i < m_nodes.size(); ++i) {
        const PlanePoint a = pointOf(m_nodes[i - 1]);
        const PlanePoint b = pointOf(m_nodes[i]);
        double d;
        if (FootWithinSegment(a, b, p)) {
            d = PerpendicularDistance(a, b, p);
            if (d == kNoResult)
                continue;
        } else {
            d = std::fmin(Distance(a, p), Distance(b, p));
        }
        if (best == kNoResult || d < best)
            best = d;
    }
    return best;
}

void CVectorLine::GetStartDirection(double& bearing, int& sector) const
{
    PlanePoint from{}, to{};
    if (!m_nodes.empty()) {
        from = pointOf(m_nodes.front());
        to = pointOf(m_nodes.size() > 1 ? m_nodes[1] : m_nodes.front());
    }
    bearing = Bearing(from, to);
    sector = DirectionSector(bearing);
}

void CVectorLine::GetEndDirection(double& bearing, int& sector) const
{
    PlanePoint from{}, to{};
    if (!m_nodes.empty()) {
        to = pointOf(m_nodes.back());
        from = pointOf(m_nodes.size() > 1 ? m_nodes[m_nodes.size() - 2] : m_nodes.back());
    }
    bearing = Bearing(from, to);
    sector = DirectionSector(bearing);
}

double CVectorLine::GetMeanDirection() const
{
    if (m_nodes.size() < 3)
        return kNoResult;
    double sum = 0.0;
    for (std::size_t i = 2; i < m_nodes.size(); ++i) {
        const PlanePoint a = pointOf(m_nodes[i - 2]);
        const PlanePoint b = pointOf(m_nodes[i - 1]);
        const PlanePoint c = pointOf(m_nodes[i]);
        const double d1 = Distance(a, b);
        const double d2 = Distance(b, c);
        if (d1 + d2 == 0.0)
            return kNoResult;
        sum += (d1 * Bearing(a, b) + d2 * Bearing(b, c)) / (d1 + d2);
    }
    return sum / static_cast<double>(m_nodes.size() - 2);
}

int CVectorLine::IsStraight(float tolerance) const
{
    if (m_nodes.size() < 3)
        return 0;
    const double mean = GetMeanDirection();
    if (mean == kNoResult)
        return 0;
    const int chord = Bearing(pointOf(m_nodes.front()), pointOf(m_nodes.back()));
    return std::fabs(chord - mean) <= static_cast<double>(tolerance) ? 1 : 0;
}

int CVectorLine::ToStraight(CLineStore& store)
{
    if (m_nodes.empty())
        return 0;
    PointList ends(2);
    ends.append(m_nodes.front().m_dX, m_nodes.front().m_dY);
    ends.append(m_nodes.back().m_dX, m_nodes.back().m_dY);
    m_nodes.clear();
    store.AddLineWithId(m_nId, ends);
    return 1;
}

} // namespace orvane
