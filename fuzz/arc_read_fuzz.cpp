// The ARC reader on any text. A file it accepts gives lines whose lengths,
// vertices and bounds are finite numbers that agree with each other; a file
// it refuses leaves the store as it was and says why.
#include "formats/arc_reader.h"
#include "port/port.h"
#include "vector/line_store.h"

#include "fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    orvane::SilentPort port;
    orvane::CLineStore store;
    // A line already there: the reader appends after it and never touches it.
    orvane::PointList first;
    first.append(1.0, 2.0);
    first.append(4.0, 6.0);
    store.AddLine(first);

    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size), std::ios::binary);
    std::string why;
    const int read = orvane::ReadArcStream(store, in, "fuzz.arc", port, &why);
    FUZZ_CHECK(store.GetLineCount() >= 1);
    FUZZ_CHECK(store.line(0).m_nId == 1 && store.line(0).m_dLength == 5.0);
    if (!read) {
        FUZZ_CHECK(store.GetLineCount() == 1);
        FUZZ_CHECK(!why.empty());
        return 0;
    }
    for (int i = 0; i < store.GetLineCount(); ++i) {
        const orvane::CVectorLine& line = store.line(i);
        FUZZ_CHECK(std::isfinite(line.m_dLength) && line.m_dLength >= 0.0);
        FUZZ_CHECK(std::size_t(line.m_nPoints) == line.m_nodes.size());
        for (const orvane::VectorNode& node : line.m_nodes) {
            FUZZ_CHECK(std::isfinite(node.m_dX) && std::isfinite(node.m_dY));
            FUZZ_CHECK(node.m_dX >= line.m_dMinX && node.m_dX <= line.m_dMaxX);
            FUZZ_CHECK(node.m_dY >= line.m_dMinY && node.m_dY <= line.m_dMaxY);
        }
    }
    return 0;
}
