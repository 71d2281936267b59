// Shared helpers of the vector tests: drawings from text and traced lines
// as plain point lists.
#pragma once

#include "image/bitmap_image.h"
#include "port/recording_port.h"
#include "port/settings.h"
#include "vector/line_store.h"
#include "vector/vectoriser.h"

#include <string>
#include <utility>
#include <vector>

namespace orvane::test {

using Points = std::vector<std::pair<double, double>>;

/// A white 24-bit image with a black pixel for every '#' of the rows.
inline CBitmapImage drawing(const std::vector<std::string>& rows)
{
    CBitmapImage image;
    const int width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    image.Create(width, static_cast<int>(rows.size()), 24);
    for (int y = 1; y <= image.GetHeight(); ++y)
        for (int x = 1; x <= width; ++x) {
            const std::uint8_t v = rows[std::size_t(y - 1)][std::size_t(x - 1)] == '#' ? 0 : 255;
            image.SetPixelColor(x, y, v, v, v);
        }
    return image;
}

inline Points pointsOf(const CVectorLine& line)
{
    Points result;
    for (const VectorNode& node : line.m_nodes)
        result.emplace_back(node.m_dX, node.m_dY);
    return result;
}

inline std::vector<Points> linesOf(const CLineStore& store)
{
    std::vector<Points> result;
    for (const auto& line : store.lines())
        result.push_back(pointsOf(*line));
    return result;
}

/// Settings with smoothing and reduction switched off.
inline AppSettings rawTracing()
{
    AppSettings settings;
    settings.m_bSmoothWhileVectorising = 0;
    settings.m_bReduceWhileVectorising = 0;
    return settings;
}

/// One run over an image; the result, the store and what the user saw.
struct TraceRun {
    RecordingPort port;
    CLineStore store;
    AppSettings settings = rawTracing();
    int result = -1;
    std::size_t unwritten = 0;

    TraceRun& run(const CBitmapImage& image)
    {
        CVectoriser vectoriser(port, store, settings);
        result = vectoriser.Run(image);
        unwritten = vectoriser.unwrittenNodes();
        return *this;
    }
    std::vector<Points> lines() const { return linesOf(store); }
};

} // namespace orvane::test
