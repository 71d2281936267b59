// The platform port's formatting front ends and the progress session.
#include "port/port.h"

#include "support/recording_port.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(SetStatusText, ShowsUpTo255CharactersAndKeepsTrailingSpaces)
{
    RecordingPort port;
    const std::string exact(255, 'a');
    SetStatusText(&port, 0, "%s", exact.c_str());
    SetStatusText(&port, 0, "%s", std::string(300, 'b').c_str());
    SetStatusText(&port, 0, "Grey Scale done. ");
    auto texts = port.statusTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], exact);
    EXPECT_EQ(texts[1], std::string(255, 'b'));
    EXPECT_EQ(texts[2], "Grey Scale done. ");
}

TEST(ProgressSession, OpensWithTitleClosesOnScopeExitAndTruncatesRangeTo16Bits)
{
    RecordingPort port;
    {
        ProgressSession progress(port, "Grey Scale");
        progress.setStatus("Working...");
        progress.setRange(65536);
        progress.setRange(70000);
        progress.setRange(480);
        progress.setPos(0);
        progress.setPos(480);
        EXPECT_FALSE(progress.CheckCancel());
    }
    using K = PortEvent::Kind;
    std::vector<PortEvent> expected = {
        {K::ProgressOpen, "Grey Scale"}, {K::ProgressStatus, "Working..."}, {K::ProgressRange, {}, 0},
        {K::ProgressRange, {}, 4464},    {K::ProgressRange, {}, 480},       {K::ProgressPos, {}, 0},
        {K::ProgressPos, {}, 480},       {K::Check, {}, 0},                 {K::ProgressClose},
    };
    EXPECT_EQ(port.events(), expected);
}

} // namespace
} // namespace orvane
