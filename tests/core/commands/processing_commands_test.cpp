// The processing commands: what the user reads in the status bar, and what
// each command keeps, replaces or marks modified.
#include "commands/processing_commands.h"

#include "image/bitmap_image.h"
#include "support/recording_port.h"
#include "settings/app_settings.h"
#include "vector/line_store.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvane {
namespace {

using Texts = std::vector<std::string>;

/// A white 24-bit image with a black L, three pixels thick.
CBitmapImage drawing()
{
    CBitmapImage image;
    EXPECT_EQ(image.Create(40, 30, 24), 1);
    for (int y = 1; y <= 30; ++y)
        for (int x = 1; x <= 40; ++x)
            image.SetPixelColor(x, y, 255, 255, 255);
    for (int y = 5; y <= 25; ++y)
        for (int x = 8; x <= 10; ++x)
            image.SetPixelColor(x, y, 0, 0, 0);
    for (int x = 8; x <= 35; ++x)
        for (int y = 23; y <= 25; ++y)
            image.SetPixelColor(x, y, 0, 0, 0);
    return image;
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

TEST(ProcessingCommands, ImageStepsReportTheirTexts)
{
    struct Case {
        const char* name;
        CommandOutcome (*run)(CBitmapImage&, Port&);
        Texts success;
        Texts failure;
    };
    static const AppSettings settings;
    const Case cases[] = {
        {"grey", [](CBitmapImage& i, Port& p) { return GreyScaleCommand(i, p); },
         {"Processing ... ", "Grey Scale done. "}, {"Processing ... ", "Error: Grey Scale failed. "}},
        {"threshold", [](CBitmapImage& i, Port& p) { return ThresholdCommand(i, p, 0, 0x808080); },
         {"Processing ... ", "Thresholding done. "}, {"Processing ... ", "Error: Thresholding failed. "}},
        {"thin", [](CBitmapImage& i, Port& p) { return ThinCommand(i, p, 1); },
         {"Processing ... ", "Updating display...", "Thinning done. "},
         {"Processing ... ", "Error: Thinning failed. "}},
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
    EXPECT_EQ(port.statusTexts(),
              (Texts{"Processing ... ", "Thinning done. ", "Processing ... ", "Vectorisation done. "}));

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
    const int thinningChecks = counting.checkCount();

    CBitmapImage image = drawing();
    RecordingPort cancelling;
    cancelling.cancelFromCheck(thinningChecks + 1);
    CommandOutcome cancelled = OneTouchCommand(image, store, cancelling, settings);
    EXPECT_FALSE(cancelled.succeeded);
    EXPECT_FALSE(cancelled.markModified) << "retaining the original, the command itself modified nothing";
    EXPECT_EQ(store.GetLineCount(), 0);
    EXPECT_TRUE(sameBits(image, probe)) << "the thinned image is what the trace saw";
    EXPECT_EQ(cancelling.lastStatus(), "Error: Vectorisation failed. ");
}

} // namespace
} // namespace orvane
