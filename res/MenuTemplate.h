#pragma once

#include <span>

// Kinds of menu entries, with the numbers the program has always used.
inline constexpr unsigned MF_STRING = 0x0000;
inline constexpr unsigned MF_SEPARATOR = 0x0800;
inline constexpr unsigned MF_POPUP = 0x0010;     // the entry opens a submenu
inline constexpr unsigned MF_CHECKABLE = 0x4000; // the entry shows a tick when it is on

// One entry of a drop-down menu: a text, the command it sends and its kind (the menu's MF_ flags:
// MF_STRING, MF_POPUP for an entry that opens a submenu the program fills, MF_CHECKABLE for an
// entry that shows a tick). A separator has no text.
struct MenuItemTemplate {
    const char* text; // UTF-8; nullptr for a separator
    int commandId;
    unsigned flags = 0;
};

// One top-level menu of a menu template. Its title may hold "&" marks; the menu bar drops them.
struct MenuTemplate {
    const char* title;
    std::span<const MenuItemTemplate> items;
};

struct MenuBarTemplate {
    int id;
    std::span<const MenuTemplate> menus;
};

// The menu template with the given identifier, or nullptr when the program has none.
const MenuBarTemplate* FindMenuTemplate(int id);
