// Shared helpers of the vector file tests: stores built from coordinate
// lists and readable CR LF expectations, beside the scratch folder.
#pragma once

#include "support/recording_port.h"
#include "support/scratch_dir.h"
#include "vector/line_store.h"

#include <initializer_list>
#include <utility>

namespace orvane::test {

using Vertices = std::initializer_list<std::pair<double, double>>;

inline void addLine(CLineStore& store, int id, Vertices vertices)
{
    PointList points;
    for (auto [x, y] : vertices)
        points.append(x, y);
    store.AddLineWithId(id, points);
}

inline std::vector<int> ids(const CLineStore& store)
{
    std::vector<int> out;
    for (const auto& line : store.lines())
        out.push_back(line->m_nId);
    return out;
}

/// "a\nb" with every line end turned into CR LF.
inline std::string crlf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace orvane::test
