#include "ProbeDialog.h"
#include "ScopedModalHook.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

// Runs a full-screen probe of the checklist screen's template and hands its menu bar to act.
Log WithMenuBar(const std::function<void(CDialog&, CMenuBar&)>& act) {
    CProbeDlg dialog(IDD_CHECKLIST);
    ScopedModalHook hook([&](CDialog& running) {
        act(running, running.GetMenuBar());
        if (!running.HasEnded()) {
            running.SendCommand(IDCANCEL);
        }
    });
    dialog.DoModal();
    return dialog.log;
}

CMenu ListsMenu(const std::vector<QString>& names) {
    CMenu menu;
    menu.CreatePopupMenu();
    for (std::size_t k = 0; k < names.size(); ++k) {
        menu.AppendMenu(MF_STRING, ID_LISTS_FIRST + static_cast<int>(k), names[k]);
    }
    return menu;
}

TEST(MenuBar, StartsEmptyAndTakesTheMenuTemplate) {
    WithMenuBar([](CDialog&, CMenuBar& bar) {
        EXPECT_EQ(bar.ButtonCount(), 0);
        EXPECT_FALSE(bar.InsertMenu(4242));
        EXPECT_EQ(bar.ButtonCount(), 0);
        ASSERT_TRUE(bar.InsertMenu(IDR_MAINMENU));
        ASSERT_EQ(bar.ButtonCount(), 3);
        EXPECT_EQ(bar.GetButtonText(0), QStringLiteral("File"));
        EXPECT_EQ(bar.GetButtonText(1), QStringLiteral("Edit"));
        EXPECT_EQ(bar.GetButtonText(2), QStringLiteral("Help"));
        QMenu* file = bar.GetButtonMenu(0);
        ASSERT_NE(file, nullptr);
        QStringList texts;
        for (QAction* action : file->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        EXPECT_EQ(texts.join(QLatin1Char('|')),
                  QStringLiteral("New File|-|Load|Save|Save As|-|Configure Hot Buttons|-|Exit"));
    });
}

TEST(MenuBar, RebuiltListsButtonStaysOneAndInPlace) {
    std::vector<QPointer<QMenu>> replaced;
    WithMenuBar([&](CDialog&, CMenuBar& bar) {
        bar.InsertMenu(IDR_MAINMENU);
        int listsPosition = -1;
        for (int rebuild = 0; rebuild < 5; ++rebuild) {
            std::vector<QString> names;
            for (int k = 0; k <= rebuild; ++k) {
                names.push_back(QStringLiteral("List %1").arg(k));
            }
            if (listsPosition == -1) {
                listsPosition = bar.ButtonCount();
            } else {
                replaced.emplace_back(bar.GetButtonMenu(listsPosition));
                ASSERT_TRUE(bar.DeleteButton(listsPosition));
            }
            ASSERT_TRUE(bar.InsertButton(listsPosition, ID_LISTS, QStringLiteral("Lists"),
                                         ListsMenu(names)));
            ASSERT_EQ(bar.ButtonCount(), 4);
            EXPECT_EQ(bar.GetButtonText(3), QStringLiteral("Lists"));
            EXPECT_EQ(bar.GetButtonCommand(3), ID_LISTS);
            EXPECT_EQ(bar.GetButtonMenu(3)->actions().size(), rebuild + 1);
        }
        EXPECT_EQ(bar.GetButtonText(2), QStringLiteral("Help"));
        // Replaced menus go once the event loop gets control back.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const auto& menu : replaced) {
            EXPECT_TRUE(menu.isNull());
        }
    });
    EXPECT_EQ(replaced.size(), 4u);
}

TEST(MenuBar, OutOfRangePositionsAreRefused) {
    WithMenuBar([](CDialog&, CMenuBar& bar) {
        EXPECT_FALSE(bar.InsertButton(1, ID_LISTS, QStringLiteral("Lists"), ListsMenu({})));
        EXPECT_FALSE(bar.InsertButton(-1, ID_LISTS, QStringLiteral("Lists"), ListsMenu({})));
        EXPECT_FALSE(bar.DeleteButton(0));
        EXPECT_EQ(bar.ButtonCount(), 0);
    });
}

TEST(MenuBar, ChoicesReachTheMessageMap) {
    const Log log = WithMenuBar([](CDialog&, CMenuBar& bar) {
        bar.InsertMenu(IDR_MAINMENU);
        bar.InsertButton(3, ID_LISTS, QStringLiteral("Lists"),
                         ListsMenu({QStringLiteral("Preflight"), QStringLiteral("Landing")}));
        QMenu* edit = bar.GetButtonMenu(1);
        for (QAction* action : edit->actions()) {
            if (action->text() == QStringLiteral("Add Item")) {
                action->trigger();
            }
        }
        bar.GetButtonMenu(3)->actions().at(1)->trigger();
        // A button without the drop-down style sends its own command.
        bar.InsertButton(4, ID_EDIT_ADD_ITEM, QStringLiteral("Add"), CMenu(), TBSTATE_ENABLED, 0);
        bar.GetMenuBar()->actions().at(4)->trigger();
    });
    EXPECT_EQ(log, (Log{"init", "add-item", "lists-entry 32781", "add-item", "cancel"}));
}

TEST(MenuBar, ButtonWithoutEnabledStateIsGreyed) {
    WithMenuBar([](CDialog&, CMenuBar& bar) {
        bar.InsertButton(0, ID_LISTS, QStringLiteral("Lists"), ListsMenu({}), 0);
        EXPECT_FALSE(bar.GetMenuBar()->actions().at(0)->isEnabled());
    });
}

TEST(MenuBar, F10OpensTheFirstMenuFromTheKeyboard) {
    WithMenuBar([](CDialog& dialog, CMenuBar& bar) {
        bar.InsertMenu(IDR_MAINMENU);
        QApplication::setActiveWindow(&dialog);
        QTest::keyClick(&dialog, Qt::Key_F10);
        EXPECT_EQ(bar.GetMenuBar()->activeAction(), bar.GetMenuBar()->actions().at(0));
        if (QMenu* open = bar.GetButtonMenu(0)) {
            open->hide();
        }
    });
}

TEST(MenuBar, ShownOnlyWithSomethingOnIt) {
    CProbeDlg dialog(IDD_ABOUT, false);
    ScopedModalHook hook([](CDialog& running) {
        CMenuBar& bar = running.GetMenuBar();
        EXPECT_FALSE(bar.GetMenuBar()->isVisible());
        const int emptyHeight = running.height();
        bar.InsertMenu(IDR_MAINMENU);
        EXPECT_TRUE(bar.GetMenuBar()->isVisible());
        for (int i = bar.ButtonCount() - 1; i >= 0; --i) {
            bar.DeleteButton(i);
        }
        EXPECT_FALSE(bar.GetMenuBar()->isVisible());
        QApplication::sendPostedEvents();
        EXPECT_EQ(running.height(), emptyHeight);
        running.SendCommand(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

} // namespace
