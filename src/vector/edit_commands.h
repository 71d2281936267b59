// The vector editing commands: the selection of line ids and the commands
// that select, unselect, clear, delete, straighten and smooth lines.
//
// Each command does everything the command decides, asks and reports
// through the port, and returns what its view must repaint; the view only
// calls it, invalidates what it is told and repaints.
#pragma once

#include "vector/line_store.h"

#include <cstdint>
#include <vector>

namespace orvane {

class Port;
struct AppSettings;

/// A rectangle of image space, in image pixels.
struct ImageRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    bool operator==(const ImageRect&) const = default;
};

/// A rectangle in the view's scrolled device pixels.
struct DeviceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const DeviceRect&) const = default;
};

/// The view rectangle of an image rectangle at a zoom (device pixels per
/// image pixel): every corner scaled and truncated toward zero.
DeviceRect ScaleToView(const ImageRect& rect, float zoom);

/// What a command asks its view to repaint, with erase.
struct Repaint {
    bool wholeView = false;
    std::vector<ImageRect> rects; ///< in the order the command produced them
    bool empty() const { return !wholeView && rects.empty(); }
};

/// Where an id was found in the selection.
struct SelectionLookup {
    int found = 0; ///< 1 when the id is selected
    int index = 0; ///< position of its first entry, or the selection's size
};

/// The per-view state the editing commands work on: the selected ids in the
/// order they were added, and the mouse modes that select mode competes with.
struct LineSelection {
    std::vector<std::uint32_t> m_selection;
    std::int32_t m_bSelectMode = 0;
    std::int32_t m_bEditImageMode = 0;
    std::int32_t m_bZoomMode = 1;

    SelectionLookup IsSelected(std::uint32_t id) const;
};

/// A line's bounding rectangle grown by `margin` image pixels on every side.
ImageRect GrownBounds(const CVectorLine& line, double margin);

/// Select by Cursor: turns select mode on and the pen and zoom modes off.
Repaint OnSelectByCursor(Port& port, LineSelection& selection);
/// A left click in select mode at image point (x, y): adds the nearest line,
/// however far away, unless it is selected already. Repaints the new line's
/// rectangle grown by 3 pixels.
Repaint SelectLineAt(Port& port, const CLineStore& store, LineSelection& selection, double x, double y);
/// Select All Features: the selection becomes every id of the store, in
/// store order.
Repaint OnSelectAll(Port& port, const CLineStore& store, LineSelection& selection);
/// UnSelect: takes the last id out of the selection and repaints its line.
Repaint OnUnselect(Port& port, const CLineStore& store, LineSelection& selection);
/// Clear Select: empties the selection when the user agrees.
Repaint OnClearSelection(Port& port, LineSelection& selection);
/// Delete Selected Features: deletes the first line of every selected id
/// when the user agrees, then empties the selection.
Repaint OnDeleteSelected(Port& port, CLineStore& store, LineSelection& selection);
/// Polyline to Straight Line: replaces selected lines by their chords, all
/// of them after one question (forced mode) or, line by line, those the
/// straightness test accepts and the user agrees to. Straightened lines keep
/// their ids and move to the end of the store; the selection is unchanged.
Repaint OnPolyToStraight(Port& port, CLineStore& store, const LineSelection& selection, const AppSettings& settings);
/// Spline/Smooth Polyline: Bezier-smooths the first line of every selected id.
Repaint OnSplineSmooth(Port& port, CLineStore& store, const LineSelection& selection);

} // namespace orvane
