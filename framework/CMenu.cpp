#include "CMenu.h"

#include "TextConversion.h"

#include <QAction>
#include <QMenu>

CMenu::CMenu() = default;
CMenu::~CMenu() = default;
CMenu::CMenu(CMenu&&) noexcept = default;
CMenu& CMenu::operator=(CMenu&&) noexcept = default;

bool CMenu::CreatePopupMenu() {
    menu = std::make_unique<QMenu>();
    return true;
}

bool CMenu::AppendMenu(unsigned flags, int commandId, const QString& text) {
    if (menu == nullptr) {
        return false;
    }
    if (flags & MF_SEPARATOR) {
        menu->addSeparator();
        return true;
    }
    if (flags & MF_POPUP) {
        // A child of this menu, so that it goes with it.
        auto* submenu = new QMenu(ReadBackText(text), menu.get());
        submenu->menuAction()->setData(commandId);
        menu->addMenu(submenu);
        return true;
    }
    QAction* action = menu->addAction(ReadBackText(text));
    action->setData(commandId);
    action->setCheckable((flags & MF_CHECKABLE) != 0);
    return true;
}

bool CMenu::AppendMenu(unsigned flags, int commandId, const char* text) {
    return AppendMenu(flags, commandId, WidenText(text));
}

int CMenu::GetMenuItemCount() const {
    return menu == nullptr ? 0 : static_cast<int>(menu->actions().size());
}

int CMenu::GetMenuItemId(int position) const {
    if (menu == nullptr || position < 0 || position >= GetMenuItemCount()) {
        return -1;
    }
    const QAction* action = menu->actions().at(position);
    return action->isSeparator() ? -1 : action->data().toInt();
}

QMenu* CMenu::Detach() {
    return menu.release();
}
