// The selection and editing commands: what they ask, report, change and
// ask the view to repaint.
#include "vector/edit_commands.h"

#include "vector_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace orvane {
namespace {

using Texts = std::vector<std::string>;
using Ids = std::vector<std::uint32_t>;
using test::ids;
using test::toList;

/// Lines 1, 2 and 4 (line 3 deleted): a staircase that is nearly straight,
/// a line heading up the image with a kink (its bearings near 0 and 360
/// average to about 180, so it never counts as straight) and a short
/// two-vertex line.
struct EditFixture : ::testing::Test {
    EditFixture()
    {
        store.AddLine(toList({{0, 0}, {5, 0}, {6, 1}, {10, 1}}));
        store.AddLine(toList({{30, 10}, {31, 5}, {30, 0}}));
        store.AddLine(toList({{0, 40}, {1, 40}}));
        store.AddLine(toList({{2, 50}, {8, 50}}));
        store.DeleteLine(3);
    }
    const Ids& selected() const { return selection.m_selection; }
    int vertices(int index) const { return int(store.line(index).m_nodes.size()); }

    RecordingPort port;
    CLineStore store;
    LineSelection selection;
    AppSettings settings;
};

TEST_F(EditFixture, SelectAllTakesTheSurvivingIdsAndDeleteRemovesThem)
{
    EXPECT_TRUE(OnSelectAll(port, store, selection).wholeView);
    EXPECT_EQ(selected(), (Ids{1, 2, 4}));
    EXPECT_EQ(port.statusTexts(), (Texts{"Working... ", "Select all features done. "}));

    port.clear();
    EXPECT_TRUE(OnDeleteSelected(port, store, selection).wholeView);
    EXPECT_EQ(port.messages(), Texts{"Do you want to delete all the selected features?"});
    EXPECT_EQ(port.statusTexts(), (Texts{"Working...", "Delete selected features done. "}));
    EXPECT_EQ(store.GetLineCount(), 0);
    EXPECT_TRUE(selected().empty());

    port.clear();
    OnSelectAll(port, store, selection);
    EXPECT_EQ(port.statusTexts(), Texts{"Nothing to select. "});
}

TEST_F(EditFixture, DeleteExplainsAnEmptyStoreOrSelectionAndNoKeepsEverything)
{
    selection.m_selection = {2};
    port.scriptAnswers({MessageAnswer::No});
    EXPECT_TRUE(OnDeleteSelected(port, store, selection).empty());
    EXPECT_EQ(ids(store), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(selected(), Ids{2});
    EXPECT_TRUE(port.statusTexts().empty());

    port.clear();
    selection.m_selection.clear();
    OnDeleteSelected(port, store, selection);
    EXPECT_EQ(port.statusTexts(), Texts{"Nothing to selected. "});

    CLineStore empty;
    selection.m_selection = {1};
    port.clear();
    OnDeleteSelected(port, empty, selection);
    EXPECT_EQ(port.statusTexts(), Texts{"Nothing to delete. "});
    EXPECT_TRUE(port.messages().empty());
}

TEST_F(EditFixture, UnselectTakesTheLastIdAndRepaintsItsLine)
{
    EXPECT_TRUE(OnUnselect(port, store, selection).empty());
    EXPECT_TRUE(port.events().empty());

    selection.m_selection = {1, 2};
    Repaint repaint = OnUnselect(port, store, selection);
    EXPECT_EQ(selected(), Ids{1});
    EXPECT_EQ(port.statusTexts(), (Texts{"Working... ", "Unselect Feature ID = 2 done. "}));
    EXPECT_FALSE(repaint.wholeView);
    EXPECT_EQ(repaint.rects, std::vector<ImageRect>{(ImageRect{28, -2, 33, 12})});
    EXPECT_EQ(ScaleToView(repaint.rects[0], 1.5f), (DeviceRect{42, -3, 49, 18}));
    EXPECT_EQ(ScaleToView(ImageRect{-1e10, 0, 1e10, 5}, 1.0f), (DeviceRect{INT_MIN, 0, INT_MAX, 5}));

    // An id deleted in the meantime is just taken out.
    port.clear();
    selection.m_selection = {3};
    EXPECT_TRUE(OnUnselect(port, store, selection).empty());
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(port.statusTexts(), Texts{"Working... "});
}

TEST_F(EditFixture, ClearAsksOnlyWhenSomethingIsSelected)
{
    EXPECT_TRUE(OnClearSelection(port, selection).empty());
    EXPECT_TRUE(port.events().empty());

    selection.m_selection = {1, 4};
    port.scriptAnswers({MessageAnswer::No});
    EXPECT_TRUE(OnClearSelection(port, selection).empty());
    EXPECT_EQ(selected(), (Ids{1, 4}));
    EXPECT_TRUE(OnClearSelection(port, selection).wholeView);
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(port.messages(), Texts(2, "Do you want to clear all the selection?"));
    EXPECT_EQ(port.statusTexts(), (Texts{"Working...", "Clear select done."}));
}

TEST_F(EditFixture, ClickSelectsTheNearestLineOnce)
{
    OnSelectByCursor(port, selection);
    EXPECT_EQ(std::tuple(selection.m_bSelectMode, selection.m_bZoomMode, selection.m_bEditImageMode),
              std::tuple(1, 0, 0));
    EXPECT_EQ(SelectLineAt(port, store, selection, 29, 200).rects, std::vector<ImageRect>{(ImageRect{-1, 47, 11, 53})});
    EXPECT_EQ(selected(), Ids{4});
    EXPECT_TRUE(SelectLineAt(port, store, selection, 8, 51).empty());
    EXPECT_EQ(selected(), Ids{4});
    EXPECT_EQ(std::pair(selection.IsSelected(4).found, selection.IsSelected(1).index), std::pair(1, 1));
    EXPECT_EQ(port.statusTexts(),
              (Texts{"Please select a line by using mouse", "Please select a line by using mouse",
                     "Select feature id = 4", "Please select a line by using mouse",
                     "Feature id = 4 already been selected."}));
    CLineStore empty;
    EXPECT_TRUE(SelectLineAt(port, empty, selection, 1, 1).empty());
}

TEST_F(EditFixture, ProgramDecidesAsksAboutStraightLinesOnly)
{
    selection.m_selection = {2, 4, 1};
    port.scriptAnswers({MessageAnswer::Yes});
    Repaint repaint = OnPolyToStraight(port, store, selection, settings);
    // Line 2 is not straight and line 4 has two vertices: no question.
    EXPECT_EQ(port.messages(),
              Texts{"I think line 1 could be a straight line.\nDo you want to convert it into straight line?"});
    EXPECT_EQ(port.statusTexts(), (Texts{"Working... ", "Poly to Straight Line done. "}));
    EXPECT_EQ(ids(store), (std::vector<int>{2, 4, 1}));
    EXPECT_EQ(test::pointsOf(store.line(2)), (test::Points{{0, 0}, {10, 1}}));
    EXPECT_EQ(repaint.rects, std::vector<ImageRect>{(ImageRect{-2, -2, 12, 3})});
    EXPECT_EQ(selected(), (Ids{2, 4, 1}));
}

TEST_F(EditFixture, NoSkipsOneLineAndCancelEndsTheCommand)
{
    store.AddLine(toList({{0, 60}, {5, 60}, {6, 61}, {10, 61}})); // 5, also nearly straight
    selection.m_selection = {1, 5};
    port.scriptAnswers({MessageAnswer::No, MessageAnswer::Yes});
    OnPolyToStraight(port, store, selection, settings);
    EXPECT_EQ(ids(store), (std::vector<int>{1, 2, 4, 5}));
    EXPECT_EQ(std::pair(vertices(0), vertices(3)), std::pair(4, 2));
    EXPECT_EQ(port.statusTexts(), (Texts{"Working... ", "Cancelled. ", "Poly to Straight Line done. "}));

    port.clear();
    store.AddLine(toList({{0, 70}, {5, 70}, {6, 71}, {10, 71}})); // 6
    selection.m_selection = {6, 1};
    port.scriptAnswers({MessageAnswer::Cancel});
    OnPolyToStraight(port, store, selection, settings);
    EXPECT_EQ(port.messages().size(), 1u);
    EXPECT_EQ(std::pair(vertices(0), vertices(4)), std::pair(4, 4));
    EXPECT_EQ(port.statusTexts(), (Texts{"Working... ", "Cancelled. "}));
}

TEST_F(EditFixture, ForcedModeConvertsEverySelectedLineAfterOneQuestion)
{
    settings.m_nStraightMode = kStraightForced;
    selection.m_selection = {4, 2};
    port.scriptAnswers({MessageAnswer::No});
    EXPECT_TRUE(OnPolyToStraight(port, store, selection, settings).empty());
    EXPECT_EQ(ids(store), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(vertices(1), 3);

    port.clear();
    EXPECT_EQ(OnPolyToStraight(port, store, selection, settings).rects.size(), 2u);
    EXPECT_EQ(port.messages(),
              Texts{"Orvane will convert all the selected line to straigt line.\nDo you want to continue?"});
    // The two-vertex line 4 is replaced by an equal line at the end too.
    EXPECT_EQ(ids(store), (std::vector<int>{1, 4, 2}));
    EXPECT_EQ(test::pointsOf(store.line(2)), (test::Points{{30, 10}, {30, 0}}));

    // A line without vertices (as a file's closing END leaves) stays as it is.
    store.AddLineWithId(9, PointList());
    selection.m_selection = {9};
    OnPolyToStraight(port, store, selection, settings);
    EXPECT_EQ(ids(store), (std::vector<int>{1, 4, 2, 9}));

    port.clear();
    selection.m_selection.clear();
    OnPolyToStraight(port, store, selection, settings);
    EXPECT_EQ(port.statusTexts(), Texts{"Please select at least a polyline first."});
    EXPECT_TRUE(port.messages().empty());
}

TEST_F(EditFixture, SplineSmoothsSelectedLinesAndRepaintsTheWholeView)
{
    EXPECT_TRUE(OnSplineSmooth(port, store, selection).empty());
    EXPECT_TRUE(port.events().empty());

    store.AddLine(toList({{0, 0}, {1, 2}, {2, 0}, {3, 2}, {4, 0}})); // 5
    selection.m_selection = {9, 5, 1};
    Repaint repaint = OnSplineSmooth(port, store, selection);
    EXPECT_TRUE(repaint.wholeView);
    EXPECT_EQ(repaint.rects.size(), 2u);
    EXPECT_DOUBLE_EQ(store.line(3).m_nodes[1].m_dY, 0.9375);
    EXPECT_EQ(store.line(0).m_nodes[1].m_dX, 5.0) << "four vertices stay";
    EXPECT_EQ(port.statusTexts(), (Texts{"Working... ", "Polyline to Bezier Curve done. ", "Polyline to Bezier Curve done. "}));
    EXPECT_EQ(selected(), (Ids{9, 5, 1}));
}

} // namespace
} // namespace orvane
