#include "CMenuBar.h"

#include "MenuTemplate.h"
#include "TextConversion.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

// Sends the command of every entry chosen in menu and its submenus. QMenu::triggered also reports
// entries triggered from code (assistive tools, tests), and reports a submenu's choice to the
// menus above it too: each menu sends only its own entries, so that each choice is sent once,
// also from a submenu popped up on its own.
void SendChoices(QMenu* menu, const std::function<void(int)>& send) {
    QObject::connect(menu, &QMenu::triggered, menu, [menu, send](QAction* chosen) {
        if (send && chosen->menu() == nullptr && menu->actions().contains(chosen)) {
            send(chosen->data().toInt());
        }
    });
    for (QAction* entry : menu->actions()) {
        if (QMenu* submenu = entry->menu()) {
            SendChoices(submenu, send);
        }
    }
}

} // namespace

CMenuBar::CMenuBar(QMenuBar* bar, std::function<void(int)> sendCommand)
    : bar(bar), sendCommand(std::move(sendCommand)) {}

bool CMenuBar::InsertMenu(int menuTemplateId) {
    const MenuBarTemplate* source = FindMenuTemplate(menuTemplateId);
    if (source == nullptr || bar == nullptr) {
        return false;
    }
    for (const MenuTemplate& menuTemplate : source->menus) {
        CMenu popup;
        popup.CreatePopupMenu();
        for (const MenuItemTemplate& item : menuTemplate.items) {
            if (item.text == nullptr) {
                popup.AppendMenu(MF_SEPARATOR);
            } else {
                popup.AppendMenu(item.flags, item.commandId, item.text);
            }
        }
        const QString title = QString::fromUtf8(menuTemplate.title).remove(QLatin1Char('&'));
        InsertButton(ButtonCount(), 0, title, std::move(popup));
    }
    return true;
}

int CMenuBar::ButtonCount() const {
    return bar == nullptr ? 0 : static_cast<int>(bar->actions().size());
}

bool CMenuBar::DeleteButton(int position) {
    if (position < 0 || position >= ButtonCount()) {
        return false;
    }
    QAction* action = bar->actions().at(position);
    bar->removeAction(action);
    // The command that deletes the button may have been chosen from its own menu, which is still
    // finishing that choice: let it go once control is back in the event loop. Until then the
    // menu stays a child of the bar, so it never outlives the dialog.
    if (QMenu* menu = action->menu()) {
        menu->hide();
        menu->deleteLater(); // takes its menu action with it
    } else {
        action->deleteLater();
    }
    UpdateVisibility();
    return true;
}

bool CMenuBar::InsertButton(int position, int commandId, const QString& text, CMenu popup,
                            unsigned state, unsigned style) {
    if (bar == nullptr || position < 0 || position > ButtonCount()) {
        return false;
    }
    QAction* before = position < ButtonCount() ? bar->actions().at(position) : nullptr;
    QAction* action = nullptr;
    const auto send = sendCommand;
    if ((style & TBSTYLE_DROPDOWN) && popup.GetMenu() != nullptr) {
        QMenu* menu = popup.Detach();
        menu->setParent(bar, menu->windowFlags());
        menu->setTitle(ReadBackText(text));
        SendChoices(menu, send);
        action = menu->menuAction();
    } else {
        action = new QAction(ReadBackText(text), bar);
        QObject::connect(action, &QAction::triggered, action, [send, commandId] {
            if (send) {
                send(commandId);
            }
        });
    }
    action->setData(commandId);
    action->setEnabled((state & TBSTATE_ENABLED) != 0);
    bar->insertAction(before, action);
    UpdateVisibility();
    return true;
}

QString CMenuBar::GetButtonText(int position) const {
    if (position < 0 || position >= ButtonCount()) {
        return {};
    }
    return bar->actions().at(position)->text();
}

int CMenuBar::GetButtonCommand(int position) const {
    if (position < 0 || position >= ButtonCount()) {
        return -1;
    }
    return bar->actions().at(position)->data().toInt();
}

QMenu* CMenuBar::GetButtonMenu(int position) const {
    if (position < 0 || position >= ButtonCount()) {
        return nullptr;
    }
    return bar->actions().at(position)->menu();
}

void CMenuBar::UpdateVisibility() {
    if (bar == nullptr) {
        return;
    }
    bar->setVisible(!bar->actions().isEmpty());
}
