// The undo history.
#include "document/undo_history.h"

#include "document/document.h"

namespace orvane {

void UndoHistory::Push(std::string name, DocumentSnapshot before)
{
    m_steps.erase(m_steps.begin() + std::ptrdiff_t(m_done), m_steps.end());
    if (!before.complete) {
        Clear();
        return;
    }
    m_steps.push_back({std::move(name), std::move(before)});
    m_done = m_steps.size();
    std::size_t bytes = MemoryBytes();
    while (m_steps.size() > 1 && bytes > m_budget) {
        bytes -= m_steps.front().other.MemoryBytes();
        m_steps.pop_front();
        --m_done;
    }
}

std::string UndoHistory::UndoName() const { return CanUndo() ? m_steps[m_done - 1].name : std::string(); }

std::string UndoHistory::RedoName() const { return CanRedo() ? m_steps[m_done].name : std::string(); }

UndoHistory::Touched UndoHistory::swap(Document& doc, DocumentSnapshot& other)
{
    doc.SwapSnapshot(other);
    return {true, other.image.has_value() || !other.pixels.empty(), other.lines.has_value()};
}

UndoHistory::Touched UndoHistory::Undo(Document& doc)
{
    if (!CanUndo())
        return {};
    return swap(doc, m_steps[--m_done].other);
}

UndoHistory::Touched UndoHistory::Redo(Document& doc)
{
    if (!CanRedo())
        return {};
    return swap(doc, m_steps[m_done++].other);
}

void UndoHistory::MarkSaved(bool image, bool vectors)
{
    // A state reached by undoing (or redoing) steps differs from the file
    // exactly when one of the steps crossed on the way changed that part.
    bool imageCrossed = false, linesCrossed = false;
    auto mark = [&](Step& step) {
        imageCrossed = imageCrossed || step.other.image || !step.other.pixels.empty();
        linesCrossed = linesCrossed || step.other.lines.has_value();
        if (image)
            step.other.imageModified = imageCrossed;
        if (vectors)
            step.other.vectorsChanged = linesCrossed;
    };
    for (std::size_t j = m_done; j-- > 0;)
        mark(m_steps[j]);
    imageCrossed = linesCrossed = false;
    for (std::size_t j = m_done; j < m_steps.size(); ++j)
        mark(m_steps[j]);
}

void UndoHistory::Clear()
{
    m_steps.clear();
    m_done = 0;
}

std::size_t UndoHistory::MemoryBytes() const
{
    std::size_t bytes = 0;
    for (const Step& step : m_steps)
        bytes += step.other.MemoryBytes();
    return bytes;
}

} // namespace orvane
