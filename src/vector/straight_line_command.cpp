// Polyline to Straight Line and Spline/Smooth Polyline: the commands that
// change the geometry of the selected lines.
#include "vector/bezier.h"
#include "vector/edit_commands.h"

#include "port/port.h"
#include "settings/app_settings.h"

namespace orvane {
namespace {

enum class Decision { Convert, NotStraight, Declined, Stop };

/// Whether a selected line is converted: always in forced mode; otherwise
/// when the straightness test accepts it and the user agrees.
Decision decide(Port& port, const CVectorLine& line, const AppSettings& settings)
{
    if (settings.m_nStraightMode == kStraightForced)
        return Decision::Convert;
    if (!line.IsStraight(settings.m_fStraightTolerance))
        return Decision::NotStraight;
    const MessageAnswer answer =
        ShowMessageBox(port, MessageButtons::YesNoCancel,
                       "I think line %d could be a straight line.\nDo you want to convert it into straight line?",
                       line.m_nId);
    if (answer == MessageAnswer::Yes)
        return Decision::Convert;
    SetStatusText(&port, 0, "Cancelled. ");
    return answer == MessageAnswer::Cancel ? Decision::Stop : Decision::Declined;
}

} // namespace

Repaint OnPolyToStraight(Port& port, CLineStore& store, const LineSelection& selection, const AppSettings& settings)
{
    if (selection.m_selection.empty()) {
        SetStatusText(&port, 0, "Please select at least a polyline first.");
        return {};
    }
    SetStatusText(&port, 0, "Working... ");
    const int lineCount = store.GetLineCount();
    const std::size_t selectedCount = selection.m_selection.size();
    if (settings.m_nStraightMode == kStraightForced &&
        ShowMessageBox(port, MessageButtons::YesNo,
                       "Orvane will convert all the selected line to straigt line.\nDo you want to continue?") !=
            MessageAnswer::Yes)
        return {};

    Repaint repaint;
    for (std::size_t k = 0; k < selectedCount; ++k) {
        const auto id = static_cast<std::int32_t>(selection.m_selection[k]);
        for (int j = 0; j < lineCount && j < store.GetLineCount(); ++j) {
            CVectorLine& line = store.line(j);
            if (line.m_nId != id)
                continue;
            if (line.m_nodes.empty())
                break; // nothing to straighten: the line keeps its place and id
            const Decision decision = decide(port, line, settings);
            if (decision == Decision::Stop)
                return repaint;
            if (decision == Decision::NotStraight)
                continue; // a later line with the same id may still qualify
            if (decision == Decision::Declined)
                break;
            const ImageRect bounds = GrownBounds(line, 2.0);
            if (!line.ToStraight(store))
                break;
            store.RemoveLineAt(j);
            repaint.rects.push_back(bounds);
            SetStatusText(&port, 0, "Poly to Straight Line done. ");
            break;
        }
    }
    return repaint;
}

Repaint OnSplineSmooth(Port& port, CLineStore& store, const LineSelection& selection)
{
    if (selection.m_selection.empty())
        return {};
    SetStatusText(&port, 0, "Working... ");
    Repaint repaint;
    for (std::uint32_t id : selection.m_selection) {
        CVectorLine* line = store.FindLine(static_cast<std::int32_t>(id));
        if (!line)
            continue;
        BezierSmooth(*line);
        repaint.rects.push_back(GrownBounds(*line, 2.0));
        repaint.wholeView = true;
        SetStatusText(&port, 0, "Polyline to Bezier Curve done. ");
    }
    return repaint;
}

} // namespace orvane
