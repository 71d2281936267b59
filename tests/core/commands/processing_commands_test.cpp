// The processing commands: what the user reads in the status bar, what each
// command keeps, replaces or marks modified, and what One-Touch traces from
// really thinned drawings.
#include "commands/processing_commands.h"

#include "settings/app_settings.h"
#include "support/drawings.h"
#include "support/recording_port.h"
#include "vector/line_store.h"
#include "vector/polyline_optimiser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

namespace orvane {
namespace {

using Texts = std::vector<std::string>;

/// A white 40 x 30 picture with a black L, three pixels thick.
CBitmapImage drawing()
{
    test::Text rows(30, std::string(40, '.'));
    for (int y = 4; y < 25; ++y)
        rows[y].replace(7, y < 22 ? 3 : 28, y < 22 ? 3 : 28, '#');
    return test::FromText(rows);
}

bool sameBits(const CBitmapImage& a, const CBitmapImage& b)
{
    return a.GetBitsSize() == b.GetBitsSize() && std::memcmp(a.GetBits(), b.GetBits(), a.GetBitsSize()) == 0;
}

void addStrayLine(CLineStore& store)
{
    PointList points;
    points.append(1, 1);
    points.append(2, 2);
    store.AddLine(points);
}

PointList pointsOf(const CVectorLine& line)
{
    PointList points;
    for (const VectorNode& node : line.m_nodes)
        points.append(node.m_dX, node.m_dY);
    return points;
}

TEST(ProcessingCommands, ImageStepsReportTheirTexts)
{
    struct Case {
        const char* name;
        CommandOutcome (*run)(CBitmapImage&, Port&);
        Texts success, failure;
    };
    static const AppSettings settings;
    const Case cases[] = {
        {"grey", [](CBitmapImage& i, Port& p) { return GreyScaleCommand(i, p); },
         {"Processing ... ", "Grey Scale done. "}, {"Processing ... ", "Error: Grey Scale failed. "}},
        {"threshold", [](CBitmapImage& i, Port& p) { return ThresholdCommand(i, p, 0, 0x808080); },
         {"Processing ... ", "Thresholding done. "}, {"Processing ... ", "Error: Thresholding failed. "}},
        {"thin", [](CBitmapImage& i, Port& p) { return ThinCommand(i, p, 1); },
         {"Processing ... ", "Updating display...", "Thinning done. "}, {"Processing ... ", "Error: Thinning failed. "}},
        {"canny", [](CBitmapImage& i, Port& p) { return EdgeDetectCommand(i, p, settings); },
         {"Processing ... ", "Updating Display... ", "Edge Detection done. "},
         {"Processing ... ", "Error: Edge Detection failed. "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPort port;
        CBitmapImage image = drawing();
        CommandOutcome done = c.run(image, port);
        EXPECT_TRUE(done.succeeded && done.imageChanged && done.markModified && !done.linesReplaced);
        EXPECT_EQ(port.statusTexts(), c.success);

        RecordingPort failing;
        CBitmapImage empty;
        CommandOutcome failed = c.run(empty, failing);
        EXPECT_FALSE(failed.succeeded || failed.imageChanged || failed.markModified);
        EXPECT_EQ(failing.statusTexts(), c.failure);
    }
}

TEST(ProcessingCommands, VectoriseReplacesTheLinesAndLeavesNoneOnFailure)
{
    AppSettings settings;
    CBitmapImage image = drawing();
    RecordingPort thinPort;
    ASSERT_TRUE(ThinCommand(image, thinPort, 1).succeeded);

    CLineStore store;
    addStrayLine(store);
    RecordingPort port;
    CommandOutcome done = VectoriseCommand(image, store, port, settings);
    EXPECT_TRUE(done.succeeded && done.linesReplaced && !done.markModified && !done.imageChanged);
    EXPECT_EQ(port.statusTexts(), (Texts{"Processing ... ", "Updating display...", "Vectorisation done. "}));
    ASSERT_GE(store.GetLineCount(), 1);
    EXPECT_EQ(store.line(0).m_nId, 1) << "ids start again after the store is emptied";

    RecordingPort cancelling;
    cancelling.cancelFromCheck(1);
    CommandOutcome cancelled = VectoriseCommand(image, store, cancelling, settings);
    EXPECT_FALSE(cancelled.succeeded);
    EXPECT_TRUE(cancelled.linesReplaced);
    EXPECT_EQ(store.GetLineCount(), 0);
    EXPECT_EQ(cancelling.lastStatus(), "Error: Vectorisation failed. ");
}

TEST(ProcessingCommands, OneTouchRetainingTheOriginalPutsThePixelsBack)
{
    AppSettings settings; // Stentiford, retain original
    CBitmapImage image = drawing();
    const CBitmapImage before(image);
    CLineStore store;
    RecordingPort port;
    CommandOutcome done = OneTouchCommand(image, store, port, settings);
    EXPECT_TRUE(done.succeeded && done.linesReplaced);
    EXPECT_FALSE(done.markModified);
    EXPECT_TRUE(sameBits(image, before));
    EXPECT_GE(store.GetLineCount(), 1);
    EXPECT_EQ(port.statusTexts(), (Texts{"Processing ... ", "Thinning done. ", "Processing ... ", "Vectorisation done. "}));

    settings.m_bRetainOriginal = 0;
    settings.m_nOneTouchMethod = kOneTouchCanny;
    CBitmapImage edges = drawing();
    RecordingPort edgePort;
    CommandOutcome processed = OneTouchCommand(edges, store, edgePort, settings);
    EXPECT_TRUE(processed.succeeded && processed.markModified);
    EXPECT_FALSE(sameBits(edges, before)) << "the edge image stays";
    EXPECT_EQ(edgePort.statusTexts()[1], "Edge Detection done. ");
}

TEST(ProcessingCommands, OneTouchFailuresKeepWhatTheyShould)
{
    AppSettings settings;
    CLineStore store;
    addStrayLine(store);

    // Nothing to thin: the lines the user has are untouched.
    CBitmapImage empty;
    RecordingPort port;
    EXPECT_FALSE(OneTouchCommand(empty, store, port, settings).succeeded);
    EXPECT_EQ(store.GetLineCount(), 1);
    EXPECT_EQ(port.lastStatus(), "Error: Thinning failed. ");

    // A cancel during the trace: no lines, and the image stays thinned.
    CBitmapImage probe = drawing();
    RecordingPort counting;
    ASSERT_TRUE(ThinCommand(probe, counting, 1).succeeded);
    CBitmapImage image = drawing();
    RecordingPort cancelling;
    cancelling.cancelFromCheck(counting.checkCount() + 1);
    CommandOutcome cancelled = OneTouchCommand(image, store, cancelling, settings);
    EXPECT_FALSE(cancelled.succeeded);
    EXPECT_FALSE(cancelled.markModified) << "retaining the original, the command itself modified nothing";
    EXPECT_EQ(store.GetLineCount(), 0);
    EXPECT_TRUE(sameBits(image, probe)) << "the thinned image is what the trace saw";
    EXPECT_EQ(cancelling.lastStatus(), "Error: Vectorisation failed. ");
}

/// One-Touch without smoothing or reduction, keeping the thinned picture.
AppSettings rawTrace(int method)
{
    AppSettings settings;
    settings.m_nOneTouchMethod = std::int16_t(method);
    settings.m_bRetainOriginal = settings.m_bSmoothWhileVectorising = settings.m_bReduceWhileVectorising = 0;
    return settings;
}

// On random stroke drawings, thinned by either method, the tracer never
// finds a pixel too crowded; vertices are whole pixels, segments run
// straight over ink, lines meet only at their ends, and every ink pixel
// with an ink neighbour lies on a line.
TEST(ProcessingCommands, OneTouchTracesEveryThinnedStrokeIntoLinesMeetingOnlyAtTheirEnds)
{
    for (int method : {kOneTouchZhangSuen, kOneTouchStentiford})
        for (unsigned seed = 1; seed <= 8; ++seed) {
            SCOPED_TRACE(testing::Message() << "method " << method << " seed " << seed);
            CBitmapImage image = test::RandomStrokes(120, 90, seed, 10);
            CLineStore store;
            RecordingPort port;
            ASSERT_TRUE(OneTouchCommand(image, store, port, rawTrace(method)).succeeded);
            EXPECT_TRUE(port.messages().empty());
            const test::Text thinned = test::ToText(image);
            auto ink = [&](int x, int y) { return x >= 0 && y >= 0 && x < 120 && y < 90 && thinned[y][x] == '#'; };
            std::map<std::pair<int, int>, std::vector<bool>> cover; // pixel -> (at the line's end) per line
            for (int index = 0; index < store.GetLineCount(); ++index) {
                const std::vector<VectorNode>& nodes = store.line(index).m_nodes;
                ASSERT_GE(nodes.size(), 2u);
                std::set<std::pair<int, int>> own;
                for (std::size_t k = 0; k < nodes.size(); ++k) {
                    const double x = nodes[k].m_dX, y = nodes[k].m_dY;
                    ASSERT_TRUE(x == std::floor(x) && y == std::floor(y) && ink(int(x), int(y)));
                    if (k == 0)
                        continue;
                    const int x0 = int(nodes[k - 1].m_dX), y0 = int(nodes[k - 1].m_dY);
                    const int dx = int(x) - x0, dy = int(y) - y0, n = std::max(std::abs(dx), std::abs(dy));
                    ASSERT_TRUE(dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy)) << "segments run straight";
                    for (int i = 0; i <= n; ++i)
                        own.emplace(x0 + (n ? dx / n * i : 0), y0 + (n ? dy / n * i : 0));
                }
                const std::pair<int, int> front(nodes.front().m_dX, nodes.front().m_dY),
                    back(nodes.back().m_dX, nodes.back().m_dY);
                for (const auto& pixel : own) {
                    EXPECT_TRUE(ink(pixel.first, pixel.second)) << "lines run over ink only";
                    cover[pixel].push_back(pixel == front || pixel == back);
                }
            }
            for (const auto& [pixel, ends] : cover)
                for (bool isEnd : ends)
                    EXPECT_TRUE(ends.size() < 2 || isEnd) << "a line is met away from its ends at (" << pixel.first
                                                          << "," << pixel.second << ")";
            for (int y = 0; y < 90; ++y)
                for (int x = 0; x < 120; ++x) {
                    bool connected = false;
                    for (int k = 0; k < 9; ++k)
                        connected = connected || (k != 4 && ink(x + k % 3 - 1, y + k / 3 - 1));
                    EXPECT_TRUE(!ink(x, y) || !connected || cover.count({x, y})) << "(" << x << "," << y << ")";
                }
        }
}

// Each traced line is smoothed (when asked), then reduced, as it is stored;
// the store counts the segments kept and the vertices removed.
TEST(ProcessingCommands, OneTouchSmoothsThenReducesEachLineAsItIsStored)
{
    for (int smooth : {0, 1}) {
        CBitmapImage image = test::RandomStrokes(120, 90, 3, 10);
        CLineStore raw, optimised;
        RecordingPort port;
        ASSERT_TRUE(OneTouchCommand(image, raw, port, rawTrace(kOneTouchStentiford)).succeeded);
        AppSettings settings = rawTrace(kOneTouchStentiford);
        settings.m_bSmoothWhileVectorising = smooth;
        settings.m_bReduceWhileVectorising = 1;
        image = test::RandomStrokes(120, 90, 3, 10);
        ASSERT_TRUE(OneTouchCommand(image, optimised, port, settings).succeeded);
        ASSERT_EQ(optimised.GetLineCount(), raw.GetLineCount());
        int rawSegments = 0, segments = 0, removed = 0;
        for (int i = 0; i < raw.GetLineCount(); ++i) {
            PointList expected = pointsOf(raw.line(i));
            rawSegments += expected.count - 1;
            if (smooth)
                CPolylineOptimiser().Smooth(expected);
            removed += CPolylineOptimiser().Reduce(expected, settings.m_dReduceTolerance);
            segments += expected.count - 1;
            const PointList stored = pointsOf(optimised.line(i));
            ASSERT_EQ(stored.count, expected.count) << "line " << i << ", smooth " << smooth;
            for (int k = 0; k < stored.count; ++k)
                ASSERT_TRUE(stored.x[k] == expected.x[k] && stored.y[k] == expected.y[k]) << "line " << i;
        }
        EXPECT_EQ(std::pair(raw.m_nTotalLines, raw.m_nLinesSaved), std::pair(rawSegments, 0));
        EXPECT_GT(removed, 0);
        EXPECT_EQ(std::pair(optimised.m_nTotalLines, optimised.m_nLinesSaved), std::pair(segments, removed));
    }
}

} // namespace
} // namespace orvane
