#pragma once

#include "CMenu.h"

#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <functional>

// Button settings of the menu bar, with the numbers the program has always used.
inline constexpr int I_IMAGENONE = -2;
inline constexpr unsigned TBSTATE_ENABLED = 0x04;
inline constexpr unsigned TBSTYLE_DROPDOWN = 0x08; // the button opens its pop-up menu
inline constexpr unsigned TBSTYLE_AUTOSIZE = 0x10; // as wide as its text
inline constexpr unsigned TBSTYLE_NO_DROPDOWN_ARROW = 0x80;
inline constexpr unsigned listsButtonStyle =
    TBSTYLE_DROPDOWN | TBSTYLE_AUTOSIZE | TBSTYLE_NO_DROPDOWN_ARROW; // 0x98

// A dialog's menu bar: a row of buttons, each opening a pop-up menu (or, without the drop-down
// style, sending its own command). Choosing an entry sends its command identifier to the dialog's
// message map. The bar is shown only while it has a button or the full-screen OK button, and is
// reached from the keyboard with F10 and the arrow keys.
class CMenuBar {
public:
    // A bar over bar whose choices go to sendCommand (the owning dialog's command routing).
    CMenuBar(QMenuBar* bar, std::function<void(int commandId)> sendCommand);
    CMenuBar() = default;

    // Appends the top-level menus of menu template menuTemplateId after the buttons already
    // there, each a drop-down button titled with every "&" of its title removed. False (and
    // nothing added) when there is no such template or no bar.
    bool InsertMenu(int menuTemplateId);

    int ButtonCount() const;

    // Deletes the button at position; its pop-up menu is destroyed once the choice being handled
    // (which may come from that very menu) has finished. False when there is no such button.
    bool DeleteButton(int position);

    // Inserts a button at position (0 .. ButtonCount()) with text and commandId. With
    // TBSTYLE_DROPDOWN the button opens popup, which the bar then owns and destroys with the
    // button, and whose entries and submenus' entries (the submenus already there) send their
    // commands; without it the button sends commandId itself. Without TBSTATE_ENABLED the button
    // is greyed out. False (and popup destroyed) when position is outside the bar.
    bool InsertButton(int position, int commandId, const QString& text, CMenu popup,
                      unsigned state = TBSTATE_ENABLED, unsigned style = listsButtonStyle);

    // For inspection: the text, command and pop-up menu (nullptr when none) of the button at
    // position.
    QString GetButtonText(int position) const;
    int GetButtonCommand(int position) const;
    QMenu* GetButtonMenu(int position) const;

    QMenuBar* GetMenuBar() const { return bar; }

    // Shows the bar when it has something to show, hides it otherwise.
    void UpdateVisibility();

private:
    QPointer<QMenuBar> bar;
    std::function<void(int)> sendCommand;
};
