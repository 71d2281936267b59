// The vector line store.
#include "vector/line_store.h"

#include <cmath>

namespace orvane {

CVectorLine::CVectorLine(std::int32_t id, const PointList& points) : m_nId(id), m_nPoints(points.count)
{
    const int n = points.count;
    const double* x = points.x.data();
    const double* y = points.y.data();
    m_dMinX = m_dMaxX = x[0];
    m_dMinY = m_dMaxY = y[0];
    double length = 0.0;
    m_nodes.reserve(std::size_t(n > 0 ? n : 0));
    for (int i = 1; i <= n; ++i) {
        const double px = x[i - 1];
        const double py = y[i - 1];
        m_nodes.push_back(VectorNode{i, px, py});
        if (i < n)
            length += std::sqrt((x[i] - px) * (x[i] - px) + (y[i] - py) * (y[i] - py));
        if (px < m_dMinX)
            m_dMinX = px;
        if (px > m_dMaxX)
            m_dMaxX = px;
        if (py < m_dMinY)
            m_dMinY = py;
        if (py > m_dMaxY)
            m_dMaxY = py;
    }
    const int mid = n > 0 ? n / 2 : 0;
    m_dMidX = x[mid];
    m_dMidY = y[mid];
    m_dLength = length;
}

CLineStore::CLineStore(const CLineStore& other)
    : m_nLastLineId(other.m_nLastLineId), m_nTotalLines(other.m_nTotalLines), m_nLinesSaved(other.m_nLinesSaved)
{
    m_lines.reserve(other.m_lines.size());
    for (const auto& line : other.m_lines)
        m_lines.push_back(std::make_unique<CVectorLine>(*line));
}

CLineStore& CLineStore::operator=(const CLineStore& other)
{
    if (this != &other)
        *this = CLineStore(other);
    return *this;
}

std::size_t CLineStore::MemoryBytes() const
{
    std::size_t bytes = sizeof(CLineStore) + m_lines.capacity() * sizeof(m_lines[0]);
    for (const auto& line : m_lines)
        bytes += sizeof(CVectorLine) + line->m_nodes.capacity() * sizeof(VectorNode);
    return bytes;
}

int CLineStore::AddLine(const PointList& points)
{
    ++m_nLastLineId;
    m_lines.push_back(std::make_unique<CVectorLine>(m_nLastLineId, points));
    return 1;
}

int CLineStore::AddLineWithId(std::int32_t id, const PointList& points)
{
    m_lines.push_back(std::make_unique<CVectorLine>(id, points));
    return 1;
}

void CLineStore::AppendLine(std::unique_ptr<CVectorLine> line)
{
    if (line)
        m_lines.push_back(std::move(line));
}

void CLineStore::DeleteLine(std::int32_t id)
{
    const int index = FindLineIndex(id);
    if (index >= 0)
        RemoveLineAt(index);
}

void CLineStore::DeleteAllLines()
{
    m_lines.clear();
    m_nLastLineId = 0;
    m_nTotalLines = 0;
    m_nLinesSaved = 0;
}

int CLineStore::FindNearestLine(double x, double y) const
{
    int bestId = kNoLine;
    bool haveBest = false;
    double bestDistance = 0.0;
    for (const auto& line : m_lines) {
        const double d = line->DistanceTo(x, y);
        if (d == kNoResult || !std::isfinite(d)) // far-off coordinates can overflow to no number
            continue;
        if (!haveBest || d <= bestDistance || bestDistance == kNoResult) {
            haveBest = true;
            bestDistance = d;
            bestId = line->m_nId;
        }
    }
    return bestId;
}

int CLineStore::FindLineIndex(std::int32_t id) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i]->m_nId == id)
            return static_cast<int>(i);
    return -1;
}

CVectorLine* CLineStore::FindLine(std::int32_t id)
{
    const int index = FindLineIndex(id);
    return index < 0 ? nullptr : m_lines[std::size_t(index)].get();
}

const CVectorLine* CLineStore::FindLine(std::int32_t id) const
{
    const int index = FindLineIndex(id);
    return index < 0 ? nullptr : m_lines[std::size_t(index)].get();
}

std::unique_ptr<CVectorLine> CLineStore::RemoveLineAt(int index)
{
    auto it = m_lines.begin() + index;
    std::unique_ptr<CVectorLine> line = std::move(*it);
    m_lines.erase(it);
    return line;
}

} // namespace orvane
