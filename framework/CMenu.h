#pragma once

#include "MenuTemplate.h"

#include <QString>
#include <memory>

class QMenu;

// A pop-up menu whose entries send command identifiers. It owns its menu until it is handed to a
// menu bar (CMenuBar::InsertButton), which then owns and destroys it.
class CMenu {
public:
    CMenu();
    ~CMenu();
    CMenu(CMenu&&) noexcept;
    CMenu& operator=(CMenu&&) noexcept;

    // Creates an empty pop-up menu, replacing any this object held. Always succeeds.
    bool CreatePopupMenu();

    // Appends an entry: with MF_STRING the text (an "&" marks the letter that chooses it, "&&"
    // shows one "&") and the command it sends; with MF_SEPARATOR a dividing line (text and
    // commandId ignored); with MF_POPUP an empty submenu titled text, which the entry's
    // commandId names and whose own entries send their commands as this menu's do; with
    // MF_CHECKABLE an entry that can be ticked, unticked at first. False when no menu has been
    // created.
    bool AppendMenu(unsigned flags, int commandId = 0, const QString& text = QString());
    bool AppendMenu(unsigned flags, int commandId, const char* text);

    int GetMenuItemCount() const;
    // The command of the entry at position, or -1 for a separator or outside the menu.
    int GetMenuItemId(int position) const;

    QMenu* GetMenu() const { return menu.get(); }
    // Gives up ownership of the menu to the caller.
    QMenu* Detach();

private:
    std::unique_ptr<QMenu> menu;
};
