// Undo and redo over a document: exact states, names, the budget and what
// saving does to the modified flags of the other states.
#include "document/undo_history.h"

#include "document/document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

/// A 4 x 4 24-bit document whose state is one pixel's red value and a count
/// of lines: easy to change and to recognise.
struct Fixture {
    Document doc;
    UndoHistory history;

    Fixture()
    {
        doc.m_image.Create(4, 4, 24);
    }
    int red() const
    {
        std::uint8_t r = 0, g = 0, b = 0;
        doc.m_image.GetPixelColor(1, 1, r, g, b);
        return r;
    }
    void paint(int value)
    {
        DocumentSnapshot before = doc.TakeSnapshot(kSnapshotImage);
        doc.m_image.SetPixelColor(1, 1, std::uint8_t(value), 0, 0);
        doc.SetModifiedFlag();
        history.Push("Paint " + std::to_string(value), std::move(before));
    }
    void addLine()
    {
        DocumentSnapshot before = doc.TakeSnapshot(kSnapshotLines);
        PointList p;
        p.append(0, 0);
        p.append(1, 1);
        doc.m_lines.AddLine(p);
        doc.SetVectorsChanged();
        history.Push("Line", std::move(before));
    }
};

TEST(UndoHistory, UndoAndRedoWalkTheStatesWithTheirNames)
{
    Fixture f;
    EXPECT_FALSE(f.history.CanUndo());
    EXPECT_FALSE(f.history.Undo(f.doc).done);
    f.paint(10);
    f.addLine();
    f.paint(20);
    EXPECT_EQ(f.history.UndoName(), "Paint 20");

    const UndoHistory::Touched paint = f.history.Undo(f.doc);
    EXPECT_TRUE(paint.done && paint.image && !paint.lines);
    EXPECT_EQ(f.red(), 10);
    EXPECT_EQ(f.doc.m_lines.GetLineCount(), 1);
    const UndoHistory::Touched line = f.history.Undo(f.doc);
    EXPECT_TRUE(line.done && !line.image && line.lines);
    EXPECT_EQ(f.doc.m_lines.GetLineCount(), 0);
    EXPECT_FALSE(f.doc.VectorsChanged());
    ASSERT_TRUE(f.history.Undo(f.doc).done);
    EXPECT_EQ(f.red(), 0);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_FALSE(f.history.CanUndo());
    EXPECT_EQ(f.history.RedoName(), "Paint 10");

    ASSERT_TRUE(f.history.Redo(f.doc).done);
    ASSERT_TRUE(f.history.Redo(f.doc).done);
    EXPECT_EQ(f.red(), 10);
    EXPECT_EQ(f.doc.m_lines.GetLineCount(), 1);
    EXPECT_TRUE(f.doc.IsModified());

    f.paint(30); // a new change drops what was undone
    EXPECT_FALSE(f.history.CanRedo());
    EXPECT_EQ(f.history.Count(), 3u);
    ASSERT_TRUE(f.history.Undo(f.doc).done);
    EXPECT_EQ(f.red(), 10);
}

TEST(UndoHistory, TheOldestStepsGoWhenTheBudgetIsExceededButNeverTheNewest)
{
    Fixture f;
    const std::size_t step = f.doc.TakeSnapshot(kSnapshotImage).MemoryBytes();
    f.history = UndoHistory(step * 2 + step / 2);
    for (int i = 1; i <= 5; ++i)
        f.paint(i);
    EXPECT_EQ(f.history.Count(), 2u);
    EXPECT_LE(f.history.MemoryBytes(), f.history.Budget());
    f.history.Undo(f.doc);
    f.history.Undo(f.doc);
    EXPECT_EQ(f.red(), 3);
    EXPECT_FALSE(f.history.CanUndo());

    f.history = UndoHistory(1);
    f.paint(7);
    EXPECT_EQ(f.history.Count(), 1u);

    DocumentSnapshot failed;
    failed.complete = false;
    f.history.Push("Too big to copy", std::move(failed));
    EXPECT_EQ(f.history.Count(), 0u) << "what came before cannot be reached any more";
}

TEST(UndoHistory, SavingMarksExactlyTheStatesThatDifferFromTheFile)
{
    Fixture f;
    f.paint(10);   // image step
    f.addLine();   // lines step
    f.doc.SetModifiedFlag(false); // the image was saved here
    f.history.MarkSaved(true, false);

    f.history.Undo(f.doc);
    EXPECT_FALSE(f.doc.IsModified()) << "undoing a lines step leaves the saved image";
    f.history.Undo(f.doc);
    EXPECT_TRUE(f.doc.IsModified()) << "the image before the save differs from the file";
    f.history.Redo(f.doc);
    EXPECT_FALSE(f.doc.IsModified()) << "back at the saved image";
    f.history.Redo(f.doc);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_TRUE(f.doc.VectorsChanged()) << "the lines were never saved";
}

} // namespace
} // namespace orvane
