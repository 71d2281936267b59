// The selection and the commands that manage it.
#include "vector/edit_commands.h"

#include "port/port.h"

#include <cmath>
#include <limits>

namespace orvane {

namespace {

/// The integer part of v, held within the range of int (coordinates read
/// from files may lie far outside any view).
int truncatedToInt(double v)
{
    constexpr double kLow = std::numeric_limits<int>::min(), kHigh = std::numeric_limits<int>::max();
    if (!(v > kLow))
        return std::numeric_limits<int>::min();
    if (!(v < kHigh))
        return std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(v));
}

} // namespace

DeviceRect ScaleToView(const ImageRect& rect, float zoom)
{
    const double z = zoom;
    return {truncatedToInt(rect.left * z), truncatedToInt(rect.top * z), truncatedToInt(rect.right * z),
            truncatedToInt(rect.bottom * z)};
}

ImageRect GrownBounds(const CVectorLine& line, double margin)
{
    return {line.m_dMinX - margin, line.m_dMinY - margin, line.m_dMaxX + margin, line.m_dMaxY + margin};
}

SelectionLookup LineSelection::IsSelected(std::uint32_t id) const
{
    for (std::size_t i = 0; i < m_selection.size(); ++i)
        if (m_selection[i] == id)
            return {1, static_cast<int>(i)};
    return {0, static_cast<int>(m_selection.size())};
}

Repaint OnSelectByCursor(Port& port, LineSelection& selection)
{
    selection.m_bSelectMode = 1;
    selection.m_bEditImageMode = 0;
    selection.m_bZoomMode = 0;
    SetStatusText(&port, 0, "Please select a line by using mouse");
    return {};
}

Repaint SelectLineAt(Port& port, const CLineStore& store, LineSelection& selection, double x, double y)
{
    SetStatusText(&port, 0, "Please select a line by using mouse");
    const int id = store.FindNearestLine(x, y);
    if (id == kNoLine)
        return {};
    if (selection.IsSelected(static_cast<std::uint32_t>(id)).found) {
        SetStatusText(&port, 0, "Feature id = %d already been selected.", id);
        return {};
    }
    selection.m_selection.push_back(static_cast<std::uint32_t>(id));
    SetStatusText(&port, 0, "Select feature id = %d", id);
    Repaint repaint;
    if (const CVectorLine* line = store.FindLine(id))
        repaint.rects.push_back(GrownBounds(*line, 3.0));
    return repaint;
}

Repaint OnSelectAll(Port& port, const CLineStore& store, LineSelection& selection)
{
    if (store.GetLineCount() == 0) {
        SetStatusText(&port, 0, "Nothing to select. ");
        return {};
    }
    SetStatusText(&port, 0, "Working... ");
    selection.m_selection.clear();
    for (const auto& line : store.lines())
        selection.m_selection.push_back(static_cast<std::uint32_t>(line->m_nId));
    SetStatusText(&port, 0, "Select all features done. ");
    return {true, {}};
}

Repaint OnUnselect(Port& port, const CLineStore& store, LineSelection& selection)
{
    if (selection.m_selection.empty())
        return {};
    SetStatusText(&port, 0, "Working... ");
    const int id = static_cast<int>(selection.m_selection.back());
    selection.m_selection.pop_back();
    const CVectorLine* line = store.FindLine(id);
    if (!line)
        return {};
    SetStatusText(&port, 0, "Unselect Feature ID = %d done. ", id);
    return {false, {GrownBounds(*line, 2.0)}};
}

Repaint OnClearSelection(Port& port, LineSelection& selection)
{
    if (selection.m_selection.empty())
        return {};
    if (ShowMessageBox(port, MessageButtons::YesNo, "Do you want to clear all the selection?") != MessageAnswer::Yes)
        return {};
    SetStatusText(&port, 0, "Working...");
    selection.m_selection.clear();
    SetStatusText(&port, 0, "Clear select done.");
    return {true, {}};
}

Repaint OnDeleteSelected(Port& port, CLineStore& store, LineSelection& selection)
{
    if (store.GetLineCount() == 0) {
        SetStatusText(&port, 0, "Nothing to delete. ");
        return {};
    }
    if (selection.m_selection.empty()) {
        SetStatusText(&port, 0, "Nothing to selected. ");
        return {};
    }
    if (ShowMessageBox(port, MessageButtons::YesNo, "Do you want to delete all the selected features?") !=
        MessageAnswer::Yes)
        return {};
    SetStatusText(&port, 0, "Working...");
    for (std::uint32_t id : selection.m_selection)
        store.DeleteLine(static_cast<std::int32_t>(id));
    selection.m_selection.clear();
    SetStatusText(&port, 0, "Delete selected features done. ");
    return {true, {}};
}

} // namespace orvane
