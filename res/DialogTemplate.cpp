#include "DialogTemplate.h"

#include "resource.h"

#include <array>

namespace {

constexpr std::uint32_t pushButton = WS_TABSTOP;
constexpr std::uint32_t defaultButton = BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr std::uint32_t label = SS_LEFT;
constexpr std::uint32_t groupLabel = SS_LEFT | WS_GROUP;
constexpr std::uint32_t editBox = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr std::uint32_t dropDownList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr std::uint32_t dialogFrame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

using enum ControlKind;
using enum FollowAcross;
using enum FollowDown;

// The checklist screen: the name above, the tree in the middle growing with the window, the four
// hot buttons along the bottom sharing its width.
constexpr std::array checklistControls{
    ControlTemplate{Static, IDC_LISTNAME, 7, 7, 125, 8, "Static", label, Stretch, Top},
    ControlTemplate{Tree, IDC_TREE, 7, 15, 125, 109, "Tree1",
                    TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES | WS_BORDER | WS_TABSTOP,
                    Stretch, Fill},
    ControlTemplate{PushButton, IDC_HOTBUTTON0, 7, 127, 31, 14, "PreStart", pushButton, Share,
                    Bottom},
    ControlTemplate{PushButton, IDC_HOTBUTTON1, 39, 127, 31, 14, "Button5", pushButton, Share,
                    Bottom},
    ControlTemplate{PushButton, IDC_HOTBUTTON2, 71, 127, 30, 14, "Button6", pushButton, Share,
                    Bottom},
    ControlTemplate{PushButton, IDC_HOTBUTTON3, 102, 127, 30, 14, "Button7", pushButton, Share,
                    Bottom},
};

// One row of the hot-button dialog, in template order: list, caption box, "Caption:",
// "CheckList:", number. Rows stay at the top; caption boxes and lists share the width.
constexpr std::array<ControlTemplate, 5> HotButtonRow(int listId, int captionId, int numberY,
                                                      int labelY, int boxY, const char* number) {
    return {{
        {ComboBox, listId, 63, boxY, 78, 30, "", dropDownList, Share, Top},
        {Edit, captionId, 17, boxY, 40, 14, "", editBox, Share, Top},
        {Static, IDC_STATIC, 17, labelY, 27, 8, "Caption:", label, Share, Top},
        {Static, IDC_STATIC, 63, labelY, 34, 8, "CheckList:", label, Share, Top},
        {Static, IDC_STATIC, 7, numberY, 10, 8, number, label, Left, Top},
    }};
}

constexpr std::array<ControlTemplate, 22> HotButtonControls() {
    const std::array rows{
        HotButtonRow(IDC_ROWLIST0, IDC_ROWCAPTION0, 32, 20, 29, "1"),
        HotButtonRow(IDC_ROWLIST1, IDC_ROWCAPTION1, 60, 48, 57, "2"),
        HotButtonRow(IDC_ROWLIST2, IDC_ROWCAPTION2, 86, 74, 82, "3"),
        HotButtonRow(IDC_ROWLIST3, IDC_ROWCAPTION3, 109, 97, 106, "4"),
    };
    std::array<ControlTemplate, 22> controls{{
        {PushButton, IDOK, 7, 141, 50, 14, "OK", defaultButton, Share, Top},
        {PushButton, IDCANCEL, 69, 142, 50, 14, "Cancel", pushButton, Share, Top},
    }};
    std::size_t next = 2;
    for (const auto& row : rows) {
        for (const auto& control : row) {
            controls[next++] = control;
        }
    }
    return controls;
}

constexpr auto hotButtonControls = HotButtonControls();

constexpr std::array textEntryControls{
    ControlTemplate{PushButton, IDOK, 7, 44, 50, 14, "OK", defaultButton},
    ControlTemplate{PushButton, IDCANCEL, 64, 44, 50, 14, "Cancel", pushButton},
    ControlTemplate{Static, IDC_ENTRY_PROMPT, 7, 14, 117, 8, "Static", groupLabel},
    ControlTemplate{Edit, IDC_ENTRY_EDIT, 7, 22, 117, 14, "", editBox},
};

constexpr std::array aboutControls{
    ControlTemplate{PushButton, IDOK, 46, 49, 50, 14, "OK", defaultButton},
    ControlTemplate{Static, IDC_STATIC, 7, 7, 107, 8, "Orvantis tarvasto ver 1.0", groupLabel},
    ControlTemplate{Static, IDC_STATIC, 7, 20, 103, 8, "Velmora", groupLabel},
    ControlTemplate{Static, IDC_STATIC, 7, 35, 85, 8, "MIT licence", groupLabel},
};

constexpr std::array dialogs{
    DialogTemplate{IDD_CHECKLIST, 139, 148, "Orvantis CheckList", "System", 8,
                   WS_POPUP | WS_VISIBLE | WS_CAPTION, WS_EX_CAPTIONOKBTN, checklistControls},
    DialogTemplate{IDD_HOTBUTTONS, 148, 167, "Dialog", "MS Sans Serif", 8, dialogFrame, 0,
                   hotButtonControls},
    DialogTemplate{IDD_TEXTENTRY, 131, 73, "Dialog", "MS Sans Serif", 8, dialogFrame, 0,
                   textEntryControls},
    DialogTemplate{IDD_ABOUT, 130, 70, "About", "System", 8, dialogFrame, 0, aboutControls},
};

} // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const auto& dialog : dialogs) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}
