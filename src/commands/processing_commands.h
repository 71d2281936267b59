// The processing commands: one step of the raster-to-vector chain on a
// document's image and lines, with the status texts the user sees.
//
// Each command reports in the message pane: "Processing ... " while it
// runs, then its success or failure text. The caller (the desktop view or
// the command line) repaints, marks the document modified and updates the
// histogram as the outcome says.
#pragma once

#include <cstdint>
#include <vector>

namespace orvane {

class CBitmapImage;
class CLineStore;
class Port;
struct AppSettings;
struct LineQuality;

/// What a command did, for its caller to act on.
struct CommandOutcome {
    bool succeeded = false;
    bool imageChanged = false;  ///< repaint the image and update the histogram
    bool markModified = false;  ///< the document now differs from its file
    bool linesReplaced = false; ///< the store was emptied (and maybe refilled): clear the selection
};

/// Converts to grey scale: "Grey Scale done. " or "Error: Grey Scale failed. ".
CommandOutcome GreyScaleCommand(CBitmapImage& image, Port& port);
/// Whitens every colour outside lower..upper (packed colours):
/// "Thresholding done. " or "Error: Thresholding failed. ".
CommandOutcome ThresholdCommand(CBitmapImage& image, Port& port, std::uint32_t lower, std::uint32_t upper);
/// Thins with method 0 (Zhang-Suen) or 1 (Stentiford): "Updating display..."
/// then "Thinning done. ", or "Error: Thinning failed. ".
CommandOutcome ThinCommand(CBitmapImage& image, Port& port, std::uint16_t method);
/// Canny edges with the settings' sigma and thresholds: "Updating Display... "
/// then "Edge Detection done. ", or "Error: Edge Detection failed. ".
CommandOutcome EdgeDetectCommand(CBitmapImage& image, Port& port, const AppSettings& settings);
/// Empties the store and traces the image into it: "Vectorisation done. ",
/// or "Error: Vectorisation failed. " with the store left empty. With a
/// `quality` list, a row for every stored line is put in it.
CommandOutcome VectoriseCommand(const CBitmapImage& image, CLineStore& store, Port& port,
                                const AppSettings& settings, std::vector<LineQuality>* quality = nullptr);
/// Thins (or finds edges, by the settings' One-Touch method) and traces the
/// result. With "Retain Original Image" the image's pixels are put back
/// after a successful trace, so the lines lie over the unprocessed scan;
/// otherwise the processed image stays and the document is modified. A
/// failed preparation leaves the store untouched; a failed trace empties it.
/// Clean tracing by thinning first drops the specks of ink (as the settings
/// size them) and keeps the ink's outline for the tracer.
CommandOutcome OneTouchCommand(CBitmapImage& image, CLineStore& store, Port& port, const AppSettings& settings,
                               std::vector<LineQuality>* quality = nullptr);

} // namespace orvane
