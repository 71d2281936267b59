// The processing commands.
#include "commands/processing_commands.h"

#include "image/bitmap_image.h"
#include "image/ink_mask.h"
#include "port/port.h"
#include "settings/app_settings.h"
#include "processing/canny_edge.h"
#include "processing/despeckle.h"
#include "processing/grey_scale.h"
#include "processing/thinning.h"
#include "processing/threshold.h"
#include "vector/line_quality.h"
#include "vector/line_store.h"
#include "vector/vectoriser.h"

namespace orvane {
namespace {

/// Texts of one image step.
struct StepTexts {
    const char* failure;
    const char* success;
    const char* updating; ///< shown before the repaint, or null
};

constexpr StepTexts kGreyTexts = {"Error: Grey Scale failed. ", "Grey Scale done. ", nullptr};
constexpr StepTexts kThresholdTexts = {"Error: Thresholding failed. ", "Thresholding done. ", nullptr};
constexpr StepTexts kThinTexts = {"Error: Thinning failed. ", "Thinning done. ", "Updating display..."};
constexpr StepTexts kEdgeTexts = {"Error: Edge Detection failed. ", "Edge Detection done. ", "Updating Display... "};

void status(Port& port, const char* text) { SetStatusText(&port, 0, "%s", text); }

/// The protocol every image step shares: "Processing ... ", the operation,
/// then its failure or success text.
template <typename Operation>
CommandOutcome runImageStep(Port& port, const StepTexts& texts, Operation operation)
{
    status(port, "Processing ... ");
    if (!operation()) {
        status(port, texts.failure);
        return {};
    }
    if (texts.updating)
        status(port, texts.updating);
    status(port, texts.success);
    return {true, true, true, false};
}

int prepareForOneTouch(CBitmapImage& image, Port& port, const AppSettings& settings)
{
    if (settings.m_nOneTouchMethod == kOneTouchCanny)
        return EdgeDetect(image, port, settings.m_cannySigma, settings.m_cannyHigh, settings.m_cannyLow);
    return Thin(image, port, std::uint16_t(settings.m_nOneTouchMethod));
}

/// Empties the store and traces the image into it, with "Processing ... "
/// before; a failed or cancelled trace leaves the store empty and says so.
bool traceInto(const CBitmapImage& image, CLineStore& store, Port& port, const AppSettings& settings,
               std::vector<LineQuality>* quality, const InkMask* ink = nullptr)
{
    store.DeleteAllLines();
    if (quality)
        quality->clear();
    CVectoriser vectoriser(port, store, settings);
    vectoriser.setInkMask(ink);
    vectoriser.setQualityReport(quality);
    status(port, "Processing ... ");
    if (vectoriser.Run(image))
        return true;
    store.DeleteAllLines();
    if (quality)
        quality->clear();
    status(port, "Error: Vectorisation failed. ");
    return false;
}

} // namespace

CommandOutcome GreyScaleCommand(CBitmapImage& image, Port& port)
{
    return runImageStep(port, kGreyTexts, [&] { return ConvertToGreyScale(image, port); });
}

CommandOutcome ThresholdCommand(CBitmapImage& image, Port& port, std::uint32_t lower, std::uint32_t upper)
{
    return runImageStep(port, kThresholdTexts, [&] { return Threshold(image, port, lower, upper); });
}

CommandOutcome ThinCommand(CBitmapImage& image, Port& port, std::uint16_t method)
{
    return runImageStep(port, kThinTexts, [&] { return Thin(image, port, method); });
}

CommandOutcome EdgeDetectCommand(CBitmapImage& image, Port& port, const AppSettings& settings)
{
    return runImageStep(port, kEdgeTexts, [&] {
        return EdgeDetect(image, port, settings.m_cannySigma, settings.m_cannyHigh, settings.m_cannyLow);
    });
}

CommandOutcome VectoriseCommand(const CBitmapImage& image, CLineStore& store, Port& port,
                                const AppSettings& settings, std::vector<LineQuality>* quality)
{
    if (!traceInto(image, store, port, settings, quality))
        return {false, false, false, true};
    status(port, "Updating display...");
    status(port, "Vectorisation done. ");
    return {true, false, false, true};
}

CommandOutcome OneTouchCommand(CBitmapImage& image, CLineStore& store, Port& port, const AppSettings& settings,
                               std::vector<LineQuality>* quality)
{
    const bool retainOriginal = settings.m_bRetainOriginal != 0;
    const bool edges = settings.m_nOneTouchMethod == kOneTouchCanny;
    // The scan goes back under the lines only when retained; only then is
    // it worth its copy.
    const CBitmapImage original = retainOriginal ? CBitmapImage(image) : CBitmapImage();
    status(port, "Processing ... ");
    // Clean tracing after thinning keeps the ink's outline, without its
    // specks, to find stroke widths and line ends.
    InkMask ink;
    std::size_t despeckled = 0;
    if (settings.m_nTopology == kTopologyClean && !edges) {
        ink = InkMask::FromImage(image);
        if (!ink.empty() && settings.m_nDespeckleSize != 0) {
            const int size = settings.m_nDespeckleSize > 0 ? settings.m_nDespeckleSize
                                                            : AutomaticSpeckSize(ink.typicalStrokeWidth());
            despeckled = Despeckle(image, ink, size).pixels;
        }
    }
    if (!prepareForOneTouch(image, port, settings)) {
        status(port, edges ? "Error: Edge Detection failed. " : "Error: Thinning failed. ");
        // Specks already removed stay removed, unless the scan is kept.
        if (despeckled && retainOriginal)
            image.SetBits({original.GetBits(), original.GetBitsSize()});
        else if (despeckled)
            return {false, true, true, false};
        return {};
    }
    CommandOutcome outcome{false, true, !retainOriginal, true};
    status(port, edges ? "Edge Detection done. " : "Thinning done. ");

    if (!traceInto(image, store, port, settings, quality, ink.empty() ? nullptr : &ink))
        return outcome;
    if (retainOriginal)
        image.SetBits({original.GetBits(), original.GetBitsSize()});
    status(port, "Vectorisation done. ");
    outcome.succeeded = true;
    return outcome;
}

} // namespace orvane
