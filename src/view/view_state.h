// What a view of a document keeps about looking and pointing: zoom, display
// switches, mouse modes, threshold bounds, the line filter and the
// selection; and the arithmetic that maps image pixels to the view.
//
// Device coordinates here are "scrolled" view pixels: (0, 0) is the top-left
// corner of the image at the current zoom, whatever the scroll position.
#pragma once

#include "vector/edit_commands.h"

#include <cstdint>
#include <vector>

namespace orvane {

class CVectorLine;

/// Packs a colour as 0x00BBGGRR.
constexpr std::uint32_t PackRgb(int red, int green, int blue)
{
    return std::uint32_t(red & 0xFF) | std::uint32_t(green & 0xFF) << 8 | std::uint32_t(blue & 0xFF) << 16;
}

inline constexpr std::uint32_t kLineGreen = PackRgb(0, 255, 0);
inline constexpr std::uint32_t kSelectedRed = PackRgb(255, 0, 0);

/// Zoom factor (device pixels per image pixel) one level in: 1/16 .. 1/2,
/// 1 .. 16, stopping at 16.
float StepZoomIn(float zoom);
/// One level out, stopping at 1/16.
float StepZoomOut(float zoom);

/// The per-view state. The selection and mouse modes come from the editing
/// commands' LineSelection, so those commands work on a view directly.
struct ViewState : LineSelection {
    std::uint32_t m_lowerColor = 0;        ///< last lower bound given to thresholding
    std::uint32_t m_upperColor = 0xFFFFFF; ///< last upper bound given to thresholding
    std::uint32_t m_lineColor = kLineGreen;
    std::int32_t m_bShowEndNodes = 0;
    std::int32_t m_bShowLineIds = 0;
    std::int32_t m_bFilterMode = 0;
    std::vector<std::uint32_t> m_filter; ///< ids shown in filter mode
    std::int32_t m_bShowImage = 1;
    std::int32_t m_bShowVectors = 1;
    float m_fZoom = 1.0f;

    /// 1 when filter mode is off, else whether the filter lists the id (an
    /// empty list shows nothing).
    int IsLineShown(std::uint32_t id) const;
    /// Nonzero when the selection holds the id.
    int IsSelected(std::uint32_t id) const { return LineSelection::IsSelected(id).found; }
    void SetFilterList(const std::vector<std::uint32_t>& ids) { m_filter = ids; }
    std::vector<std::uint32_t> GetFilterList() const { return m_filter; }
};

/// The vector scale k of a zoom: lines are placed on a grid of 1/k image
/// pixel. 10 from zoom 10 up, the whole zoom below that, never below 1.
int VectorScale(float zoom);

/// A point in scrolled device pixels, as a painter takes it.
struct DevicePoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const DevicePoint&) const = default;
};

/// Where a vertex (image coordinates) is drawn: on the 1/k grid at
/// trunc(k x) + k div 2, scaled to device pixels. From zoom 2 up that is the
/// centre of the pixel (just before it when k is odd); at 1 and below, its
/// top-left corner.
DevicePoint VertexToDevice(double x, double y, float zoom);
/// Device pixels per 1/k grid unit, Z / k.
double GridUnit(float zoom);
/// Width of a line's pen in device pixels: k div 2 grid units; 0 means the
/// thinnest pen (one device pixel).
double LinePenWidth(float zoom);

/// The image pixel under a scrolled device point: trunc(d / zoom), 0-based.
int DeviceToImage(int device, float zoom);
/// How many device pixels an image side of `pixels` takes at a zoom: a
/// partly covered device pixel counts, so a small image never vanishes.
int DeviceExtent(int pixels, float zoom);

/// The scroll position that keeps the image point under `clientPoint`
/// (a window pixel) still when the zoom changes from `oldZoom` to
/// `newZoom`, held within 0 .. extent - clientSize.
int ScrollToKeepPoint(int oldScroll, int clientPoint, float oldZoom, float newZoom, int extent, int clientSize);

/// The smallest rectangle holding every vertex of a line, in image pixels;
/// unlike the bounds kept in the line it always follows the vertices.
ImageRect VertexBounds(const CVectorLine& line);

} // namespace orvane
