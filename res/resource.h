#pragma once

// The standard buttons every dialog understands, IDOK (1) and IDCANCEL (2), are the system's
// dialog results and come with its value types.
#include "WinTypes.h"

// Resource identifiers of the program: dialogs, menus, icon, bitmap, controls and commands keep
// the numbers the program has always used, so that the menu bar routes commands by them.

// Dialog templates.
inline constexpr int IDD_CHECKLIST = 102;
inline constexpr int IDD_HOTBUTTONS = 106;
inline constexpr int IDD_TEXTENTRY = 107;
inline constexpr int IDD_ABOUT = 134;

// Menu templates of the checklist screen: its first menus, and the Go and View menus that follow
// Lists.
inline constexpr int IDR_MAINMENU = 131;
inline constexpr int IDR_GOMENU = 132;
inline constexpr int IDR_VIEWMENU = 133;

// Images.
inline constexpr int IDI_PROGRAM = 128;
inline constexpr int IDB_CHECKSTATES = 130;

// A control without an identifier of its own (labels).
inline constexpr int IDC_STATIC = -1;

// Checklist screen (dialog 102).
inline constexpr int IDC_TREE = 1000;
inline constexpr int IDC_HOTBUTTON0 = 1006;
inline constexpr int IDC_HOTBUTTON1 = 1007;
inline constexpr int IDC_HOTBUTTON2 = 1008;
inline constexpr int IDC_HOTBUTTON3 = 1009;
inline constexpr int IDC_LISTNAME = 1015;

// Text entry dialog (dialog 107).
inline constexpr int IDC_ENTRY_EDIT = 1013;
inline constexpr int IDC_ENTRY_PROMPT = 1014;

// Hot-button dialog (dialog 106): the checklist list and the caption box of rows 0 to 3.
inline constexpr int IDC_ROWLIST0 = 1010;
inline constexpr int IDC_ROWCAPTION0 = 1011;
inline constexpr int IDC_ROWLIST1 = 1018;
inline constexpr int IDC_ROWCAPTION1 = 1019;
inline constexpr int IDC_ROWLIST2 = 1020;
inline constexpr int IDC_ROWCAPTION2 = 1021;
inline constexpr int IDC_ROWLIST3 = 1024;
inline constexpr int IDC_ROWCAPTION3 = 1025;

// The Lists drop-down button of the menu bar, and its first entry (entry k is ID_LISTS_FIRST + k).
inline constexpr int ID_LISTS = 32779;
inline constexpr int ID_LISTS_FIRST = 32780;

// Menu commands (menu 131).
inline constexpr int ID_FILE_NEW = 32901;
inline constexpr int ID_FILE_LOAD = 32774;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 32879;
inline constexpr int ID_FILE_HOT_BUTTONS = 32881;
inline constexpr int ID_FILE_EXIT = 32903;
inline constexpr int ID_EDIT_NEW_CHECKLIST = 32888;
inline constexpr int ID_EDIT_DELETE_CHECKLIST = 32889;
inline constexpr int ID_EDIT_ADD_ITEM = 32891;
inline constexpr int ID_EDIT_DELETE_ITEM = 32892;
inline constexpr int ID_EDIT_MOVE_UP = 32898;
inline constexpr int ID_EDIT_MOVE_DOWN = 32899;
inline constexpr int ID_HELP_ABOUT = 32896;

// Edit commands beside the menu's first ones, on numbers that no other command or Lists entry
// uses: Undo and Redo with the desktop's usual numbers, Rename Checklist and Edit Item next to
// the commands they follow.
inline constexpr int ID_EDIT_UNDO = 57643;
inline constexpr int ID_EDIT_REDO = 57644;
inline constexpr int ID_EDIT_RENAME_CHECKLIST = 32890;
inline constexpr int ID_EDIT_EDIT_ITEM = 32893;

// Import and Export in the File menu, on numbers above the other commands and outside the range
// of the Lists entries.
inline constexpr int ID_FILE_IMPORT = 32910;
inline constexpr int ID_FILE_EXPORT = 32911;

// The Go menu, after Lists, on numbers above the other commands and outside the range of the
// Lists entries. The Emergency entry opens a submenu of the emergency checklists; Ctrl+E sends
// ID_GO_EMERGENCY_KEY, which is no entry of a menu, since a submenu takes no key of its own.
inline constexpr int ID_GO_NEXT = 32920;
inline constexpr int ID_GO_PREVIOUS = 32921;
inline constexpr int ID_GO_BACK = 32922;
inline constexpr int ID_GO_EMERGENCY = 32923;
inline constexpr int ID_GO_EMERGENCY_KEY = 32924;
inline constexpr int ID_GO_KEEP_TICKS = 32925;
inline constexpr int ID_GO_CLEAR_TICKS = 32926;

// The completion cue over the foot of the tree: its words and its "Next: NAME" button, which
// sends ID_GO_NEXT.
inline constexpr int IDC_COMPLETE = 1030;
inline constexpr int IDC_COMPLETE_NEXT = 1031;

// The View menu, after Go: colours, text size and speech.
inline constexpr int ID_VIEW_NIGHT_COLOURS = 32930;
inline constexpr int ID_VIEW_LARGER_TEXT = 32931;
inline constexpr int ID_VIEW_SMALLER_TEXT = 32932;
inline constexpr int ID_VIEW_NORMAL_TEXT = 32933;
inline constexpr int ID_VIEW_READ_ALOUD = 32934;
