// Every command of the desktop program: its id, menu texts, status-bar
// prompt and tooltip, accelerators; and the two menu sets and the toolbar.
//
// Menu, toolbar button and accelerator of a command share one id and one
// QAction; the id is the action's data and its name is "cmd<id>".
#pragma once

#include <span>

namespace orvane::app {

/// Command ids. Framework commands keep the numbers such programs always
/// had; the program's own start at 32771.
enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FILE1 = 57616,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_WINDOW_NEW = 57648,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,

    ID_THINNING_ZHANG_SUEN = 32771,
    ID_VECTORISE = 32772,
    ID_EDIT_IMAGE_PEN = 32773,
    ID_THINNING_STENTIFORD = 32776,
    ID_VECTOR_INFORMATION = 32783,
    ID_IMAGE_INFORMATION = 32784,
    ID_DATA_WINDOW = 32786,
    ID_SAVE_VECTOR_AS = 32787,
    ID_SHOW_END_NODES = 32788,
    ID_SHOW_LINE_IDS = 32789,
    ID_ZOOM_IN = 32790,
    ID_ZOOM_OUT = 32791,
    ID_ZOOM_RESET = 32792,
    ID_OPEN_VECTOR = 32793,
    ID_ZOOM_MODE = 32795,
    ID_SHOW_IMAGE = 32796,
    ID_SHOW_VECTORS = 32797,
    ID_GREY_SCALE = 32798,
    ID_FILTER_MODE = 32799,
    ID_SHOW_FILTER = 32800,
    ID_THRESHOLDING = 32801,
    ID_HISTOGRAM_WINDOW = 32803,
    ID_EDGE_CANNY = 32807,
    ID_CANNY_PARAMETERS = 32808,
    ID_ONE_TOUCH = 32809,
    ID_ONE_TOUCH_OPTION = 32810,
    ID_HELP_HOMEPAGE = 32813,
    ID_HELP_INDEX = 32814,
    ID_HELP_NEWSGROUP = 32815,
    ID_SELECT_BY_CURSOR = 32818,
    ID_CLEAR_SELECTION = 32819,
    ID_DELETE_SELECTED = 32820,
    ID_SPLINE_SMOOTH = 32821,
    ID_SELECT_ALL = 32822,
    ID_UNSELECT = 32823,
    ID_POLY_TO_STRAIGHT = 32824,
    ID_REVERT = 32826,
    ID_STRAIGHT_OPTION = 32827,
    ID_REDUCTION_OPTION = 32829,
    ID_REDRAW = 32833,
    ID_VECTOR_OUTPUT_OPTION = 32834,
    ID_LINE_QUALITY_REPORT = 32835,
};

/// One command's texts and keys.
struct CommandInfo {
    int id;
    const char* text;      ///< menu text while a document is active (null: not in that menu)
    const char* emptyText; ///< menu text without a document when it differs (null: same as `text`)
    const char* prompt;    ///< status-bar prompt, a line break, tooltip (null: none)
    const char* keys;      ///< accelerators, separated by ";" in QKeySequence's portable form (null: none)
    bool checkable;
};

/// One menu of a menu set: its title and command ids in order, 0 standing
/// for a separator.
struct MenuInfo {
    const char* title;
    std::span<const int> items;
};

std::span<const CommandInfo> Commands();
const CommandInfo* FindCommand(int id);
/// The menus while no document is open.
std::span<const MenuInfo> EmptyMenus();
/// The menus while a document is active.
std::span<const MenuInfo> DocumentMenus();
/// The toolbar's command ids in order, 0 standing for a separator.
std::span<const int> ToolbarButtons();

} // namespace orvane::app
