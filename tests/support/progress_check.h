// The one check of the progress display protocol that every operation
// showing progress shares: opened first with its title, one 16-bit range,
// stage texts and positions in order, checks only while open, closed last.
#pragma once

#include "support/recording_port.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace orvane::test {

/// What one operation's progress display should have shown.
struct ProgressShown {
    std::string title;
    int range = 0;                   ///< the one range set, as the port got it
    std::vector<std::string> stages; ///< stage texts after the title, in order
    std::vector<int> positions;      ///< every position, in order
};

/// 0, 1, ..., n - 1 shifted by `first`: the positions of most operations.
inline std::vector<int> Steps(int first, int count)
{
    std::vector<int> out;
    for (int k = 0; k < count; ++k)
        out.push_back(first + k);
    return out;
}

/// Use as EXPECT_TRUE(ShowedProgress(port, {...})): the port saw exactly one
/// progress display, and it showed what was expected.
inline ::testing::AssertionResult ShowedProgress(const RecordingPort& port, const ProgressShown& expected)
{
    using K = PortEvent::Kind;
    const std::vector<PortEvent> events =
        port.eventsOf({K::ProgressOpen, K::ProgressStatus, K::ProgressRange, K::ProgressPos, K::Check, K::ProgressClose});
    auto fail = [] { return ::testing::AssertionFailure(); };
    if (events.empty() || events.front().kind != K::ProgressOpen)
        return fail() << "the display is not opened before anything else is shown";
    if (events.front().text != expected.title)
        return fail() << "title \"" << events.front().text << "\", expected \"" << expected.title << "\"";
    if (events.back().kind != K::ProgressClose)
        return fail() << "the display is not closed last";
    std::vector<std::string> stages;
    std::vector<int> ranges, positions;
    for (std::size_t i = 1; i + 1 < events.size(); ++i) {
        const PortEvent& e = events[i];
        if (e.kind == K::ProgressOpen || e.kind == K::ProgressClose)
            return fail() << "the display is opened or closed twice (event " << i << ")";
        if (e.kind == K::ProgressStatus)
            stages.push_back(e.text);
        if (e.kind == K::ProgressRange)
            ranges.push_back(e.value);
        if (e.kind == K::ProgressPos)
            positions.push_back(e.value);
    }
    auto list = [](const auto& items) {
        std::ostringstream out;
        for (const auto& item : items)
            out << " [" << item << "]";
        return out.str();
    };
    if (ranges != std::vector<int>{expected.range})
        return fail() << "ranges" << list(ranges) << ", expected one of " << expected.range;
    if (stages != expected.stages)
        return fail() << "stage texts" << list(stages) << ", expected" << list(expected.stages);
    if (positions != expected.positions)
        return fail() << "positions" << list(positions) << ", expected" << list(expected.positions);
    return ::testing::AssertionSuccess();
}

} // namespace orvane::test
