#pragma once

#include <cstdint>
#include <span>

// Window and control styles a template may carry, with the numbers the program's resource tables
// have always used. The dialog framework honours the ones listed; the rest are kept as data.
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;  // edit, tree: a frame
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000; // drop-down list: a scroll bar
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000; // reached with Tab
inline constexpr std::uint32_t DS_MODALFRAME = 0x00000080;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x00000001; // pressed by Enter
inline constexpr std::uint32_t SS_LEFT = 0x00000000;
inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x00000080;
inline constexpr std::uint32_t CBS_DROPDOWNLIST = 0x00000003; // pick only, no typing
inline constexpr std::uint32_t CBS_SORT = 0x00000100;         // never set: lists keep their order
inline constexpr std::uint32_t TVS_HASLINES = 0x00000002;
inline constexpr std::uint32_t TVS_LINESATROOT = 0x00000004; // root items get a branch column
inline constexpr std::uint32_t TVS_CHECKBOXES = 0x00000100;  // every item has a check box
// Extended dialog style: the template asks for an OK button in the title bar.
inline constexpr std::uint32_t WS_EX_CAPTIONOKBTN = 0x80000000;

enum class ControlKind { PushButton, Static, Edit, Tree, ComboBox };

// How a control follows a dialog that the user has made larger than its template. Only dialogs
// presented full-screen can be resized; the others keep their template size.
//  Left / Top      the control keeps its place and size;
//  Right / Bottom  the control moves with the right / bottom edge;
//  Stretch / Fill  both margins are kept, the control grows across / down;
//  Share           (across only) controls side by side share the width between the template's
//                  outermost left and right control edges in the template's proportions.
enum class FollowAcross { Left, Right, Stretch, Share };
enum class FollowDown { Top, Bottom, Fill };

// One control of a dialog template. Positions and sizes are in dialog units: a quarter of the
// dialog font's average character width across, an eighth of its height down.
struct ControlTemplate {
    ControlKind kind;
    int id; // IDC_STATIC (-1) for labels without an identifier of their own
    int x;
    int y;
    int width;
    int height;       // for a drop-down list, the height with the list dropped down
    const char* text; // UTF-8
    std::uint32_t style;
    FollowAcross followAcross = FollowAcross::Left;
    FollowDown followDown = FollowDown::Top;
};

// A dialog template. Its controls are listed in template order, which is also the tab order.
struct DialogTemplate {
    int id;
    int width; // dialog units
    int height;
    const char* title; // UTF-8
    const char* fontName;
    int fontPoints;
    std::uint32_t style;
    std::uint32_t extendedStyle;
    std::span<const ControlTemplate> controls;
};

// The dialog template with the given identifier, or nullptr when the program has none.
const DialogTemplate* FindDialogTemplate(int id);
