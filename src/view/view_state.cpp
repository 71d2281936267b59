// Zoom levels and the mapping between image pixels and view pixels.
#include "view/view_state.h"

#include "vector/line_store.h"

#include <algorithm>
#include <cmath>

namespace orvane {
namespace {

constexpr int kMaxLevel = 16;

/// n of a reduced zoom 1/n, exact whatever the float rounding of 1/n.
int reductionOf(float zoom) { return int(std::lround(1.0 / double(zoom))); }

} // namespace

float StepZoomIn(float zoom)
{
    if (zoom >= 1.0f)
        return std::min(zoom + 1.0f, float(kMaxLevel));
    const int n = std::min(reductionOf(zoom) - 1, kMaxLevel);
    return 1.0f / float(n);
}

float StepZoomOut(float zoom)
{
    if (zoom > 1.0f)
        return zoom - 1.0f;
    const int n = std::min((zoom == 1.0f ? 1 : reductionOf(zoom)) + 1, kMaxLevel);
    return 1.0f / float(n);
}

int ViewState::IsLineShown(std::uint32_t id) const
{
    if (!m_bFilterMode)
        return 1;
    return std::find(m_filter.begin(), m_filter.end(), id) != m_filter.end() ? 1 : 0;
}

int VectorScale(float zoom)
{
    if (zoom >= 10.0f)
        return 10;
    return std::max(1, int(zoom));
}

double GridUnit(float zoom) { return double(zoom) / VectorScale(zoom); }

DevicePoint VertexToDevice(double x, double y, float zoom)
{
    const int k = VectorScale(zoom);
    const double unit = GridUnit(zoom);
    return {(std::trunc(k * x) + k / 2) * unit, (std::trunc(k * y) + k / 2) * unit};
}

double LinePenWidth(float zoom) { return (VectorScale(zoom) / 2) * GridUnit(zoom); }

// Reduced zooms are 1/n exactly: n is taken whole, never through the float
// 1/n, which is a little more or less than the true value.
int DeviceToImage(int device, float zoom)
{
    if (zoom < 1.0f)
        return device * reductionOf(zoom);
    return int(std::trunc(double(device) / double(zoom)));
}

int DeviceExtent(int pixels, float zoom)
{
    if (pixels <= 0)
        return 0;
    if (zoom < 1.0f) {
        const int n = reductionOf(zoom);
        return (pixels + n - 1) / n;
    }
    return int(std::lround(double(pixels) * double(zoom)));
}

int ScrollToKeepPoint(int oldScroll, int clientPoint, float oldZoom, float newZoom, int extent, int clientSize)
{
    const double imagePoint = double(oldScroll + clientPoint) / double(oldZoom);
    const double wanted = imagePoint * double(newZoom) - clientPoint;
    const int limit = std::max(0, extent - clientSize);
    return std::clamp(int(std::lround(wanted)), 0, limit);
}

ImageRect VertexBounds(const CVectorLine& line)
{
    if (line.m_nodes.empty())
        return {};
    ImageRect box{line.m_nodes[0].m_dX, line.m_nodes[0].m_dY, line.m_nodes[0].m_dX, line.m_nodes[0].m_dY};
    for (const VectorNode& node : line.m_nodes) {
        box.left = std::min(box.left, node.m_dX);
        box.right = std::max(box.right, node.m_dX);
        box.top = std::min(box.top, node.m_dY);
        box.bottom = std::max(box.bottom, node.m_dY);
    }
    return box;
}

} // namespace orvane
