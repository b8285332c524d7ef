#pragma once

#include <span>

// One entry of a drop-down menu: a text and the command it sends. A separator has no text.
struct MenuItemTemplate {
    const char* text; // UTF-8; nullptr for a separator
    int commandId;
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
