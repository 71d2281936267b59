// The command table, the menu sets and the toolbar.
#include "app/command_table.h"

#include <algorithm>

namespace orvane::app {
namespace {

// clang-format off
constexpr CommandInfo kCommands[] = {
    // File
    {ID_FILE_OPEN, "&Open Image...\tCtrl+O", nullptr, "Open an existing image\nOpen", "Ctrl+O", false},
    {ID_REVERT, "&Revert/Reopen\tCtrl+E", nullptr, "Reopen the image as it was last saved, dropping every change\nRevert/Reopen", "Ctrl+E", false},
    {ID_FILE_CLOSE, "&Close Image\tCtrl+F4", nullptr, "Close the active image\nClose", nullptr, false}, // the window's own Ctrl+F4 closes it
    {ID_FILE_SAVE, "&Save Image\tCtrl+S", nullptr, "Save the active image\nSave", "Ctrl+S", false},
    {ID_FILE_SAVE_AS, "Save Image &As...", nullptr, "Save the active image with a new name\nSave As", nullptr, false},
    // The menu has always said Ctrl-T while the key was Ctrl+I: both work.
    {ID_OPEN_VECTOR, "Open Vec&tor...\tCtrl-T", nullptr, "Read vector lines from an ARC file\nOpen Vector", "Ctrl+I;Ctrl+T", false},
    {ID_SAVE_VECTOR_AS, "Save V&ector As...", nullptr, "Save the vector lines as DXF, MIF, text report, ARC, DI, ASC, SVG or a GIS format\nSave Vector As", nullptr, false},
    {ID_FILE_PRINT, "&Print...\tCtrl+P", nullptr, "Print the active image with its vector lines\nPrint", "Ctrl+P", false},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view", nullptr, "Display full pages\nPrint Preview", nullptr, false},
    {ID_FILE_PRINT_SETUP, "Print Set&up...", "P&rint Setup...", "Change the printer and printing options\nPrint Setup", nullptr, false},
    {ID_FILE_MRU_FILE1, "Recent File", nullptr, "Open this image\nRecent File", nullptr, false},
    {ID_APP_EXIT, "E&xit\tAlt+F4", nullptr, "Quit the application; prompts to save images and lines\nExit", "Alt+F4", false},
    // Edit
    {ID_EDIT_UNDO, "&Undo\tCtrl-Z", nullptr, "Undo the last change to the image or its lines\nUndo", "Ctrl+Z;Alt+Backspace", false},
    {ID_EDIT_REDO, "&Redo\tCtrl-Y", nullptr, "Make the change undone last again\nRedo", "Ctrl+Y;Ctrl+Shift+Z", false},
    {ID_EDIT_CUT, "Cu&t\tCtrl+X", nullptr, "Cut the selection and put it on the Clipboard\nCut", "Ctrl+X;Shift+Del", false},
    {ID_EDIT_COPY, "&Copy\tCtrl+C", nullptr, "Copy the selection and put it on the Clipboard\nCopy", "Ctrl+C;Ctrl+Ins", false},
    {ID_EDIT_PASTE, "&Paste\tCtrl+V", nullptr, "Insert Clipboard contents\nPaste", "Ctrl+V;Shift+Ins", false},
    // View
    {ID_VIEW_TOOLBAR, "&Toolbar", nullptr, "Show or hide the toolbar\nToggle Toolbar", nullptr, true},
    {ID_VIEW_STATUS_BAR, "Status &Bar", "&Status Bar", "Show or hide the status bar\nToggle Status Bar", nullptr, true},
    {ID_HISTOGRAM_WINDOW, "&Histogram Window", nullptr, "Show or hide the histogram of the active image\nHistogram", nullptr, true},
    {ID_LINE_QUALITY_REPORT, "Line &Quality Report...", nullptr, "Show how closely each line of the last trace follows its pixels, or open a saved report\nLine Quality Report", nullptr, false},
    {ID_ZOOM_IN, "&Zoom In\tCtrl-D", nullptr, "Enlarge the view\nZoom In", "Ctrl+D", false},
    {ID_ZOOM_OUT, "Zoom &Out\tCtrl-A", nullptr, "Reduce the view\nZoom Out", "Ctrl+A", false},
    {ID_REDRAW, "Re&draw\tF2", nullptr, "Draw the view again\nRedraw", "F2", false},
    {ID_ZOOM_RESET, "&Reset (1:1)\tCtrl-R", nullptr, "Show the image at its natural size\nReset (1:1)", "Ctrl+R", false},
    {ID_SHOW_END_NODES, "&Line End Nodes", nullptr, "Mark the first and last vertex of every line\nLine End Nodes", nullptr, true},
    {ID_SHOW_LINE_IDS, "Line &IDs", nullptr, "Write every line's id beside it\nLine IDs", nullptr, true},
    {ID_SHOW_IMAGE, "&Show Image", nullptr, "Show or hide the image\nShow Image", nullptr, true},
    {ID_SHOW_VECTORS, "Show &Vector Lines", nullptr, "Show or hide the vector lines\nShow Vector Lines", nullptr, true},
    {ID_SHOW_FILTER, "Show Lines Filter ...", nullptr, "Choose the line ids that filter mode shows\nShow Lines Filter", nullptr, false},
    {ID_FILTER_MODE, "&Filter Mode On", nullptr, "Show only the lines of the filter list\nFilter Mode", nullptr, true},
    // Image
    {ID_IMAGE_INFORMATION, "&Information ...", nullptr, "Show the image's file name, size and depth\nImage Information", nullptr, false},
    {ID_GREY_SCALE, "Convert to &Grey Scale", nullptr, "Convert the image to grey scale\nGrey Scale", nullptr, false},
    {ID_THRESHOLDING, "&Thresholding ...", nullptr, "Keep only the colours within a range\nThresholding", nullptr, false},
    {ID_THINNING_ZHANG_SUEN, "Thinning - &Zhang && Suen Method", nullptr, "Thin the image to centre lines by the Zhang-Suen method\nThinning - Zhang & Suen", nullptr, false},
    {ID_THINNING_STENTIFORD, "Thinning - &Stentiford Method", nullptr, "Thin the image to centre lines by the Stentiford method\nThinning - Stentiford", nullptr, false},
    {ID_EDGE_CANNY, "&Edge Detection - Canny Method", nullptr, "Find the outlines of the image by the Canny method\nEdge Detection - Canny", nullptr, false},
    {ID_CANNY_PARAMETERS, "Set &Canny's Parameters", nullptr, "Set the width and thresholds of Canny edge detection\nCanny's Parameters", nullptr, false},
    // Vector
    {ID_VECTOR_INFORMATION, "&Information ...", nullptr, "Show the number of vector lines\nVector Information", nullptr, false},
    {ID_VECTORISE, "&Vectorise Thinned Image", nullptr, "Vectorise Thinned Image\nVectorise Image", nullptr, false},
    {ID_ONE_TOUCH, "&One-Touch Vectorision\tF10", nullptr, "Thin or find edges, then vectorise, in one step\nOne-Touch Vectorisation", "F10", false},
    {ID_ONE_TOUCH_OPTION, "&Set One-Touch Option ...", nullptr, "Choose the method, the line topology and the image shown after One-Touch\nOne-Touch Option", nullptr, false},
    {ID_REDUCTION_OPTION, "&Polyline Reduction Option ...", nullptr, "Optimise Polylines whilst vectorizing\nPolyline Reduction", nullptr, false},
    {ID_VECTOR_OUTPUT_OPTION, "Vector O&utput Option ...", nullptr, "Choose the units, the DXF version and map coordinates of saved vector files\nVector Output Option", nullptr, false},
    {ID_SELECT_BY_CURSOR, "Select by Cursor", nullptr, "Select feature by using mouse cursor\nSelect by Cursor", nullptr, false},
    {ID_SELECT_ALL, "Select All Features", nullptr, "Select all vector features\nSelect All", nullptr, false},
    {ID_UNSELECT, "UnSelect", nullptr, "Unselect last selection\nUnSelect", nullptr, false},
    {ID_CLEAR_SELECTION, "Clear Select", nullptr, "Clear current selection set\nClear Selection", nullptr, false},
    {ID_DELETE_SELECTED, "Delete Selected Features", nullptr, "Delete all selected features\nDelete Selected Features", nullptr, false},
    {ID_POLY_TO_STRAIGHT, "Polyline to Straight &Line", nullptr, "Convert the selected polyline to straight line (begin & end point only)\nPoly2Straight Line", nullptr, false},
    {ID_STRAIGHT_OPTION, "Se&t Poly To Straight Line Option ...", nullptr, nullptr, nullptr, false},
    {ID_SPLINE_SMOOTH, "Spline/S&mooth Polyline", nullptr, "Apply spline to selected features\nSpline Features", nullptr, false},
    // Window
    {ID_WINDOW_NEW, "&New Window", nullptr, "Open another window for the active image\nNew Window", nullptr, false},
    {ID_WINDOW_CASCADE, "&Cascade", nullptr, "Arrange windows so they overlap\nCascade Windows", nullptr, false},
    {ID_WINDOW_TILE_HORZ, "&Tile", nullptr, "Arrange windows as non-overlapping tiles\nTile Windows", nullptr, false},
    {ID_WINDOW_ARRANGE, "&Arrange Icons", nullptr, "Arrange icons at the bottom of the window\nArrange Icons", nullptr, false},
    {ID_DATA_WINDOW, "&Data Window ...", nullptr, "Open the image's line report in a text editor\nData Window", nullptr, false},
    // Help
    {ID_HELP_INDEX, "&Help", "Help", "Open the user guide\nHelp", nullptr, false},
    {ID_HELP_HOMEPAGE, "Go to Orvane Home&page ", "Go to Orvane Homepage ", "Open the Orvane home page in your browser\nHome Page", nullptr, false},
    {ID_HELP_NEWSGROUP, "Go to Orvane &NewsGroup", "Go to Orvane NewsGroup", "Open the Orvane users' mailing-list archive in your browser\nNewsGroup", nullptr, false},
    {ID_APP_ABOUT, "&About Orvane...", nullptr, "Display program information, version number and copyright\nAbout", nullptr, false},
    // Toolbar and keyboard only
    {ID_ZOOM_MODE, nullptr, nullptr, "Zoom In/Out\nZoom In/Out", nullptr, true},
    {ID_EDIT_IMAGE_PEN, nullptr, nullptr, "Pen to edit image pixel by pixel\nEdit with Pen", nullptr, true},
    {ID_NEXT_PANE, nullptr, nullptr, "Switch to the next window\nNext Pane", "F6", false},
    {ID_PREV_PANE, nullptr, nullptr, "Switch back to the previous window\nPrevious Pane", "Shift+F6", false},
};

constexpr int kEmptyFile[] = {ID_FILE_OPEN, 0, ID_FILE_PRINT_SETUP, 0, ID_FILE_MRU_FILE1, 0, ID_APP_EXIT};
constexpr int kEmptyView[] = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_HISTOGRAM_WINDOW, ID_LINE_QUALITY_REPORT};
constexpr int kEmptyHelp[] = {ID_HELP_INDEX, ID_HELP_HOMEPAGE, ID_HELP_NEWSGROUP, 0, ID_APP_ABOUT};

constexpr int kFile[] = {ID_FILE_OPEN, ID_REVERT, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, 0,
                         ID_OPEN_VECTOR, ID_SAVE_VECTOR_AS, 0, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW,
                         ID_FILE_PRINT_SETUP, 0, ID_FILE_MRU_FILE1, 0, ID_APP_EXIT};
constexpr int kEdit[] = {ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE};
constexpr int kView[] = {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_HISTOGRAM_WINDOW, ID_LINE_QUALITY_REPORT, 0,
                         ID_ZOOM_IN, ID_ZOOM_OUT, ID_REDRAW, ID_ZOOM_RESET, 0, ID_SHOW_END_NODES, ID_SHOW_LINE_IDS,
                         ID_SHOW_IMAGE, ID_SHOW_VECTORS, 0, ID_SHOW_FILTER, ID_FILTER_MODE};
constexpr int kImage[] = {ID_IMAGE_INFORMATION, 0, ID_GREY_SCALE, ID_THRESHOLDING, ID_THINNING_ZHANG_SUEN,
                          ID_THINNING_STENTIFORD, ID_EDGE_CANNY, 0, ID_CANNY_PARAMETERS};
constexpr int kVector[] = {ID_VECTOR_INFORMATION, 0, ID_VECTORISE, ID_ONE_TOUCH, ID_ONE_TOUCH_OPTION,
                           ID_REDUCTION_OPTION, ID_VECTOR_OUTPUT_OPTION, 0, ID_SELECT_BY_CURSOR, ID_SELECT_ALL, ID_UNSELECT,
                           ID_CLEAR_SELECTION, ID_DELETE_SELECTED, 0, ID_POLY_TO_STRAIGHT, ID_STRAIGHT_OPTION,
                           ID_SPLINE_SMOOTH};
constexpr int kWindow[] = {ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE, 0,
                           ID_DATA_WINDOW};
constexpr int kHelp[] = {ID_HELP_INDEX, ID_HELP_HOMEPAGE, ID_HELP_NEWSGROUP, 0, ID_APP_ABOUT};

constexpr MenuInfo kEmptyMenus[] = {{"&File", kEmptyFile}, {"&View", kEmptyView}, {"&Help", kEmptyHelp}};
constexpr MenuInfo kDocumentMenus[] = {{"&File", kFile},     {"&Edit", kEdit},     {"&View", kView},
                                       {"&Image", kImage},   {"Vec&tor", kVector}, {"&Window", kWindow},
                                       {"&Help", kHelp}};

constexpr int kToolbar[] = {ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0,
                            ID_FILE_PRINT, ID_APP_ABOUT, 0, ID_ZOOM_MODE, 0, ID_SHOW_IMAGE, ID_SHOW_VECTORS, 0,
                            ID_EDIT_IMAGE_PEN, 0, ID_THINNING_ZHANG_SUEN, ID_THINNING_STENTIFORD, 0, ID_EDGE_CANNY,
                            0, ID_VECTORISE, ID_ONE_TOUCH, ID_ONE_TOUCH_OPTION, ID_REDUCTION_OPTION};
// clang-format on

} // namespace

std::span<const CommandInfo> Commands() { return kCommands; }

const CommandInfo* FindCommand(int id)
{
    const auto* it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                  [id](const CommandInfo& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : it;
}

std::span<const MenuInfo> EmptyMenus() { return kEmptyMenus; }
std::span<const MenuInfo> DocumentMenus() { return kDocumentMenus; }
std::span<const int> ToolbarButtons() { return kToolbar; }

} // namespace orvane::app
