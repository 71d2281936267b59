// The processing commands: what the user reads in the status bar, what each
// command keeps, replaces or marks modified, and what One-Touch traces from
// really thinned drawings.
#include "commands/processing_commands.h"

#include "core/vector/vector_fixture.h"
#include "vector/polyline_optimiser.h"

#include <cstring>

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
    store.AddLine(test::toList({{1, 1}, {2, 2}})); // a line the user had
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
    store.AddLine(test::toList({{1, 1}, {2, 2}})); // a line the user had

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

// On random stroke drawings, thinned by either method or reduced to their
// edges, the tracer never finds a pixel too crowded, and its lines follow
// the prepared strokes and cover them.
TEST(ProcessingCommands, OneTouchTracesEveryPreparedStrokeIntoLinesMeetingOnlyAtTheirEnds)
{
    for (int method : {kOneTouchZhangSuen, kOneTouchStentiford, kOneTouchCanny})
        for (unsigned seed = 1; seed <= 6; ++seed) {
            SCOPED_TRACE(testing::Message() << "method " << method << " seed " << seed);
            CBitmapImage image = test::RandomStrokes(120, 90, seed, 10);
            CLineStore store;
            RecordingPort port;
            ASSERT_TRUE(OneTouchCommand(image, store, port, rawTrace(method)).succeeded);
            EXPECT_TRUE(port.messages().empty());
            test::ExpectLinesFollowStrokes(store, test::ToText(image), true);
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
            PointList expected = test::toList(test::pointsOf(raw.line(i)));
            rawSegments += expected.count - 1;
            if (smooth)
                CPolylineOptimiser().Smooth(expected);
            removed += CPolylineOptimiser().Reduce(expected, settings.m_dReduceTolerance);
            segments += expected.count - 1;
            ASSERT_EQ(test::pointsOf(optimised.line(i)), test::toPoints(expected)) << "line " << i << ", smooth " << smooth;
        }
        EXPECT_EQ(std::pair(raw.m_nTotalLines, raw.m_nLinesSaved), std::pair(rawSegments, 0));
        EXPECT_GT(removed, 0);
        EXPECT_EQ(std::pair(optimised.m_nTotalLines, optimised.m_nLinesSaved), std::pair(segments, removed));
    }
}

} // namespace
} // namespace orvane
