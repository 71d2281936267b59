// The undo history of one document: the changes made to it, newest last,
// each with the state it replaced, within a memory budget.
#pragma once

#include "document/document_snapshot.h"

#include <cstddef>
#include <deque>
#include <string>

namespace orvane {

class Document;

class UndoHistory {
public:
    /// Half a gigabyte: a few steps on the largest scans, hundreds on the
    /// common ones.
    static constexpr std::size_t kDefaultBudget = std::size_t(512) << 20;

    explicit UndoHistory(std::size_t budget = kDefaultBudget) : m_budget(budget) {}

    /// Records a change just made to the document; `before` holds the parts
    /// it touched as they were. Steps that were undone are dropped, and then
    /// the oldest steps until the history fits its budget (the newest step
    /// is always kept). An incomplete snapshot clears the history instead:
    /// the change cannot be undone, nor anything before it.
    void Push(std::string name, DocumentSnapshot before);

    bool CanUndo() const { return m_done > 0; }
    bool CanRedo() const { return m_done < m_steps.size(); }
    /// Name of the change Undo would take back ("" when none).
    std::string UndoName() const;
    std::string RedoName() const;

    /// What an undo or redo step touched.
    struct Touched {
        bool done = false; ///< false when there was nothing to undo (redo)
        bool image = false;
        bool lines = false;
    };
    /// Takes back the newest change: the document returns to the state
    /// before it, and the step keeps the state it had, for Redo.
    Touched Undo(Document& doc);
    /// Makes the newest undone change again.
    Touched Redo(Document& doc);

    /// The document's image (lines) now equal its file: every state of the
    /// history is marked modified exactly when its image (lines) differ
    /// from the current ones.
    void MarkSaved(bool image, bool vectors);
    void Clear();

    std::size_t Count() const { return m_steps.size(); }
    std::size_t MemoryBytes() const;
    std::size_t Budget() const { return m_budget; }

private:
    static Touched swap(Document& doc, DocumentSnapshot& other);

    struct Step {
        std::string name;
        DocumentSnapshot other; ///< the state on the far side of this step
    };

    std::size_t m_budget;
    std::deque<Step> m_steps;
    std::size_t m_done = 0; ///< steps in effect; those after are undone
};

} // namespace orvane
