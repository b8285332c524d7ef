#include "MenuTemplate.h"

#include "resource.h"

#include <array>

namespace {

constexpr MenuItemTemplate separator{nullptr, 0};

constexpr std::array fileItems{
    MenuItemTemplate{"New File", ID_FILE_NEW},
    separator,
    MenuItemTemplate{"Load", ID_FILE_LOAD},
    MenuItemTemplate{"Save", ID_FILE_SAVE},
    MenuItemTemplate{"Save As", ID_FILE_SAVE_AS},
    MenuItemTemplate{"Import...", ID_FILE_IMPORT},
    MenuItemTemplate{"Export...", ID_FILE_EXPORT},
    separator,
    MenuItemTemplate{"Configure Hot Buttons", ID_FILE_HOT_BUTTONS},
    separator,
    MenuItemTemplate{"Exit", ID_FILE_EXIT},
};

constexpr std::array editItems{
    MenuItemTemplate{"Undo", ID_EDIT_UNDO},
    MenuItemTemplate{"Redo", ID_EDIT_REDO},
    separator,
    MenuItemTemplate{"New Checklist", ID_EDIT_NEW_CHECKLIST},
    MenuItemTemplate{"Delete Checklist", ID_EDIT_DELETE_CHECKLIST},
    MenuItemTemplate{"Rename Checklist", ID_EDIT_RENAME_CHECKLIST},
    separator,
    MenuItemTemplate{"Add Item", ID_EDIT_ADD_ITEM},
    MenuItemTemplate{"Edit Item", ID_EDIT_EDIT_ITEM},
    MenuItemTemplate{"Delete Item", ID_EDIT_DELETE_ITEM},
    separator,
    MenuItemTemplate{"Move item Up", ID_EDIT_MOVE_UP},
    MenuItemTemplate{"Move item down", ID_EDIT_MOVE_DOWN},
};

constexpr std::array helpItems{
    MenuItemTemplate{"About", ID_HELP_ABOUT},
};

constexpr std::array mainMenus{
    MenuTemplate{"File", fileItems},
    MenuTemplate{"Edit", editItems},
    MenuTemplate{"Help", helpItems},
};

// Next and Previous stay within a group of checklists; Back walks the jumps back.
constexpr std::array goItems{
    MenuItemTemplate{"Next Checklist", ID_GO_NEXT},
    MenuItemTemplate{"Previous Checklist", ID_GO_PREVIOUS},
    MenuItemTemplate{"Back", ID_GO_BACK},
    separator,
    MenuItemTemplate{"Emergency", ID_GO_EMERGENCY, MF_POPUP},
    separator,
    MenuItemTemplate{"Keep Ticks", ID_GO_KEEP_TICKS, MF_CHECKABLE},
    MenuItemTemplate{"Clear All Ticks", ID_GO_CLEAR_TICKS},
};

constexpr std::array goMenus{
    MenuTemplate{"Go", goItems},
};

// How the screen looks and sounds; each choice is remembered.
constexpr std::array viewItems{
    MenuItemTemplate{"Night Colours", ID_VIEW_NIGHT_COLOURS, MF_CHECKABLE},
    separator,
    MenuItemTemplate{"Larger Text", ID_VIEW_LARGER_TEXT},
    MenuItemTemplate{"Smaller Text", ID_VIEW_SMALLER_TEXT},
    MenuItemTemplate{"Normal Text Size", ID_VIEW_NORMAL_TEXT},
    separator,
    MenuItemTemplate{"Read Aloud", ID_VIEW_READ_ALOUD, MF_CHECKABLE},
};

constexpr std::array viewMenus{
    MenuTemplate{"View", viewItems},
};

constexpr std::array menuBars{
    MenuBarTemplate{IDR_MAINMENU, mainMenus},
    MenuBarTemplate{IDR_GOMENU, goMenus},
    MenuBarTemplate{IDR_VIEWMENU, viewMenus},
};

} // namespace

const MenuBarTemplate* FindMenuTemplate(int id) {
    for (const auto& menuBar : menuBars) {
        if (menuBar.id == id) {
            return &menuBar;
        }
    }
    return nullptr;
}
