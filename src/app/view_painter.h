// Drawing a document as a view shows it: the image at the view's zoom, the
// hatch around it, and the vector lines with their end nodes and ids.
#pragma once

#include <QRect>

class QPainter;

namespace orvane {
class Document;
class ImageRaster;
struct ViewState;
} // namespace orvane

namespace orvane::app {

/// Paints `area` (scrolled device pixels: (0, 0) is the image's top-left
/// corner at the view's zoom) into a painter whose coordinates are scrolled
/// device pixels. Only what meets the area is drawn, and the pixels of the
/// area come out the same whichever rectangle around them is painted.
/// `hatchOrigin` pins the hatch pattern to the window.
/// `cullLines` false draws every line whatever its place (only for
/// measuring what culling saves).
void PaintDocument(QPainter& painter, const Document& doc, const ViewState& view, ImageRaster& raster,
                   const QRect& area, const QPoint& hatchOrigin = {}, bool cullLines = true);

/// The image's size in device pixels at the view's zoom.
QRect ImageDeviceRect(const Document& doc, float zoom);

} // namespace orvane::app
