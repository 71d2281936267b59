// Shared helpers of the vector tests: point lists, stored lines as plain
// point lists and one-call vectorisation runs.
#pragma once

#include "settings/app_settings.h"
#include "support/drawings.h"
#include "support/recording_port.h"
#include "vector/line_store.h"
#include "vector/vectoriser.h"

#include <utility>

namespace orvane::test {

using Points = std::vector<std::pair<double, double>>;

inline PointList toList(const Points& points)
{
    PointList p;
    for (auto [x, y] : points)
        p.append(x, y);
    return p;
}

inline Points toPoints(const PointList& p)
{
    Points result;
    for (int i = 0; i < p.count; ++i)
        result.emplace_back(p.x[std::size_t(i)], p.y[std::size_t(i)]);
    return result;
}

inline Points pointsOf(const CVectorLine& line)
{
    Points result;
    for (const VectorNode& node : line.m_nodes)
        result.emplace_back(node.m_dX, node.m_dY);
    return result;
}

inline std::vector<int> ids(const CLineStore& store)
{
    std::vector<int> result;
    for (const auto& line : store.lines())
        result.push_back(line->m_nId);
    return result;
}

/// One run over an image, smoothing and reduction off unless asked for:
/// the result, the store and what the user saw.
struct TraceRun {
    RecordingPort port;
    CLineStore store;
    AppSettings settings = [] {
        AppSettings s;
        s.m_bSmoothWhileVectorising = s.m_bReduceWhileVectorising = 0;
        return s;
    }();
    int result = -1;
    std::size_t unwritten = 0;

    TraceRun& run(const CBitmapImage& image)
    {
        CVectoriser vectoriser(port, store, settings);
        result = vectoriser.Run(image);
        unwritten = vectoriser.unwrittenNodes();
        return *this;
    }
    std::vector<Points> lines() const
    {
        std::vector<Points> result;
        for (const auto& line : store.lines())
            result.push_back(pointsOf(*line));
        return result;
    }
};

} // namespace orvane::test
