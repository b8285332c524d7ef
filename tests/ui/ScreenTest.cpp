// The checklist screen: what it opens at start-up, switching lists, ticks, the Lists menu.
#include "ChecklistDoc.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "RememberedFile.h"
#include "UiTestSupport.h"
#include "resource.h"

#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

const QStringList emptyButtons{"(empty)", "(empty)", "(empty)", "(empty)"};

class ScreenTest : public UiTest {};

TEST_F(ScreenTest, StartUpOpensTheRememberedFileOrAnEmptyScreen) {
    struct Row {
        const char* name;
        // Prepares the home and returns what the start-up must have loaded ("" for nothing).
        std::function<std::string(ScreenTest&)> prepare;
        QString label;
        QStringList tree;
        QStringList buttons;
        QStringList lists;
    };
    const Row rows[] = {
        {"remembered_file_opens",
         [](ScreenTest& test) {
             const std::string path = test.WriteFile(test.TempPath("two.ckl"), twoListsFile);
             StoreRememberedFile(path.c_str());
             return path;
         },
         "Start",
         {"Fuel on", "Magnetos both"},
         {"Go", "(empty)", "Land", "(empty)"},
         {"Start", "Land"}},
        {"first_start_opens_the_default_in_the_documents_folder",
         [](ScreenTest& test) {
             test.WriteFile(test.Documents() + "/aviation.ckl", twoListsFile);
             return std::string(defaultRememberedFile);
         },
         "Start",
         {"Fuel on", "Magnetos both"},
         {"Go", "(empty)", "Land", "(empty)"},
         {"Start", "Land"}},
        {"handheld_path_kept_as_given",
         [](ScreenTest& test) {
             test.WriteFile(test.Documents() + "/Flights.ckl", twoListsFile);
             StoreRememberedFile("\\My Documents\\Flights.ckl");
             return std::string("\\My Documents\\Flights.ckl");
         },
         "Start",
         {"Fuel on", "Magnetos both"},
         {"Go", "(empty)", "Land", "(empty)"},
         {"Start", "Land"}},
        {"first_start_without_any_file",
         [](ScreenTest&) { return std::string(); },
         "Static",
         {},
         emptyButtons,
         {}},
        {"remembered_file_missing",
         [](ScreenTest& test) {
             StoreRememberedFile(test.TempPath("gone.ckl").toUtf8().constData());
             return std::string();
         },
         "Static",
         {},
         emptyButtons,
         {}},
        {"first_checklist_without_items",
         [](ScreenTest& test) {
             const std::string path = test.WriteFile(
                 test.TempPath("bare.ckl"),
                 "[$$CHECKLIST]\nEmpty one\n[$$END]\n[$$CHECKLIST]\nFull\nItem\n[$$END]\n");
             StoreRememberedFile(path.c_str());
             return path;
         },
         "Empty one",
         {},
         emptyButtons,
         {"Empty one", "Full"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IsolatedHome ownHome;
        ASSERT_TRUE(QDir().mkpath(Documents()));
        const std::string loaded = row.prepare(*this);
        MessageBoxHook boxes;
        RunScreen([&](CChecklistDlg& screen) {
            EXPECT_EQ(Label(screen), row.label);
            EXPECT_EQ(TreeTexts(screen), row.tree);
            EXPECT_EQ(TickedCount(screen), 0);
            EXPECT_EQ(SelectedRow(screen), -1);
            EXPECT_EQ(ButtonTexts(screen), row.buttons);
            EXPECT_EQ(MenuBarTexts(screen), QStringList({"File", "Edit", "Help", "Lists"}));
            EXPECT_EQ(ListsEntries(screen), row.lists);
            ChecklistDoc* document = screen.Document();
            ASSERT_NE(document, nullptr);
            EXPECT_EQ(document->fileName != nullptr ? document->fileName : "", loaded);
            // A document that was not loaded is a new one: it counts as unsaved.
            EXPECT_EQ(document->modified, loaded.empty());
            EXPECT_EQ(screen.CurrentChecklist() != nullptr, !row.lists.isEmpty());
        });
        // The start-up stays silent, whatever it found.
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

TEST_F(ScreenTest, SwitchingListsShowsTheirItemsWithEveryTickCleared) {
    StoreRememberedFile(WriteFile(TempPath("two.ckl"), twoListsFile).c_str());
    RunScreen([](CChecklistDlg& screen) {
        Tick(screen, 0);
        Tick(screen, 1);
        Select(screen, 1);
        ASSERT_EQ(TickedCount(screen), 2);

        PressHotButton(screen, 2);
        EXPECT_EQ(Label(screen), "Land");
        EXPECT_EQ(TreeTexts(screen), QStringList({"Gear down", "Flaps full", "Lights on"}));
        EXPECT_EQ(TickedCount(screen), 0);
        EXPECT_EQ(SelectedRow(screen), -1);
        Tick(screen, 2);

        ChooseListsEntry(screen, 0);
        EXPECT_EQ(Label(screen), "Start");
        EXPECT_EQ(TickedCount(screen), 0);
        Tick(screen, 0);

        // Showing the list already shown refills it as well.
        PressHotButton(screen, 0);
        EXPECT_EQ(Label(screen), "Start");
        EXPECT_EQ(TickedCount(screen), 0);

        ChooseListsEntry(screen, 1);
        EXPECT_EQ(Label(screen), "Land");
        EXPECT_EQ(TickedCount(screen), 0);
        EXPECT_FALSE(screen.Document()->modified);
    });
}

TEST_F(ScreenTest, ListsButtonStaysOneAndInPlaceThroughManyRebuilds) {
    StoreRememberedFile(WriteFile(TempPath("two.ckl"), twoListsFile).c_str());
    RunScreen([](CChecklistDlg& screen) {
        QPointer<QMenu> first = screen.GetMenuBar().GetButtonMenu(3);
        for (int rebuild = 0; rebuild < 25; ++rebuild) {
            screen.RebuildListsMenu();
        }
        EXPECT_EQ(screen.ListsButtonPosition(), 3);
        EXPECT_EQ(MenuBarTexts(screen), QStringList({"File", "Edit", "Help", "Lists"}));
        EXPECT_EQ(screen.GetMenuBar().GetButtonCommand(3), ID_LISTS);
        EXPECT_EQ(ListsEntries(screen), QStringList({"Start", "Land"}));
        EXPECT_NE(screen.GetMenuBar().GetButtonMenu(3), first.data());
        ChooseListsEntry(screen, 1);
        EXPECT_EQ(Label(screen), "Land");
    });
}

// With more than 99 checklists, entries from the 100th on would carry the numbers of the File,
// Edit and Help commands (Save As, Configure Hot Buttons, Exit ...) if numbered on.
TEST_F(ScreenTest, EveryListsEntryOfAHundredAndThirtyShowsItsChecklistAndNothingElse) {
    std::string file;
    for (int k = 0; k < 130; ++k) {
        file += "[$$CHECKLIST]\nList " + std::to_string(k) + "\nItem of " + std::to_string(k) +
                "\n[$$END]\n\n";
    }
    StoreRememberedFile(WriteFile(TempPath("many.ckl"), file).c_str());
    MessageBoxHook boxes;
    FileDialogHook files;
    RunScreen(
        [](CChecklistDlg& screen) {
            ASSERT_EQ(ListsEntries(screen).size(), 130);
            for (int k = 129; k >= 0; --k) {
                ChooseListsEntry(screen, k);
                ASSERT_FALSE(screen.HasEnded()) << "entry " << k;
                EXPECT_EQ(Label(screen), QStringLiteral("List %1").arg(k));
                EXPECT_EQ(TreeTexts(screen), QStringList(QStringLiteral("Item of %1").arg(k)));
            }
            EXPECT_EQ(screen.Document()->ChecklistCount(), 130);
            EXPECT_FALSE(screen.Document()->modified);
        },
        [](CDialog& dialog) {
            ADD_FAILURE() << "a Lists entry ran dialog " << dialog.GetTemplateId();
            dialog.SendCommand(IDCANCEL);
        });
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(files.Asked().empty());
}

TEST_F(ScreenTest, SpaceTicksTheSelectedItemAndTheTreeIsNamedAfterTheList) {
    StoreRememberedFile(WriteFile(TempPath("two.ckl"), twoListsFile).c_str());
    RunScreen([](CChecklistDlg& screen) {
        QTreeWidget* view = screen.Tree().GetControl();
        EXPECT_EQ(view->accessibleName(), "Start");
        Select(screen, 1);
        QTest::keyClick(view, Qt::Key_Space);
        EXPECT_TRUE(screen.Tree().GetCheck(screen.Tree().GetItem(1)));
        EXPECT_EQ(TickedCount(screen), 1);
        QTest::keyClick(view, Qt::Key_Space);
        EXPECT_EQ(TickedCount(screen), 0);
    });
}

} // namespace
