// The checklist screen: what it opens at start-up, switching lists, ticks, the Lists menu.
#include "UiTestSupport.h"

#include <QTreeWidget>

namespace {

const std::string noButtons = "(empty)|(empty)|(empty)|(empty) / ";

class ScreenTest : public UiTest {};

// Whatever the start-up finds, it stays silent; a document it could not load counts as unsaved.
TEST_F(ScreenTest, StartUpOpensTheRememberedFileOrAnEmptyScreen) {
    struct Row {
        const char* name;
        const char* file;       // written into the documents folder, when not null
        const char* contents;   // of that file
        const char* remembered; // stored before the start, when not null
        std::string loaded;
        std::string shown; // View / Bar
    };
    const char* const two = "\\My Documents\\two.ckl"; // a device path, in any case
    const char* const firstEmpty = "[$$CHECKLIST]\nEmpty\n[$$END]\n[$$CHECKLIST]\nFull\nI\n[$$END]";
    const Row rows[] = {
        {"first_start_opens_the_default_whose_first_list_is_empty", "aviation.ckl", firstEmpty,
         nullptr, defaultRememberedFile, "Empty: / " + noButtons + "Empty|Full"},
        {"first_start_without_any_file", nullptr, nullptr, nullptr, "", "Static: / " + noButtons},
        {"remembered_file_missing", nullptr, nullptr, two, "", "Static: / " + noButtons},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IsolatedHome ownHome;
        ASSERT_TRUE(QDir().mkpath(Documents()));
        if (row.file != nullptr) {
            WriteFile(Documents() + "/" + row.file, row.contents);
        }
        if (row.remembered != nullptr) {
            StoreRememberedFile(row.remembered);
        }
        MessageBoxHook boxes;
        RunScreen([&](CChecklistDlg& screen) {
            EXPECT_EQ(View(screen) + " / " + Bar(screen), row.shown);
            ChecklistDoc& document = *screen.Document();
            EXPECT_EQ(document.fileName != nullptr ? document.fileName : "", row.loaded);
            EXPECT_EQ(document.modified, row.loaded.empty());
        });
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

// Numbered on, Lists entries from the 100th would carry the File, Edit and Help commands'
// numbers. Switching lists, by Lists entry or by hot button, clears every tick, also when the
// list shown is shown again. Space ticks the selected item; the tree is named after its list.
TEST_F(ScreenTest, EveryListsEntryAndHotButtonShowsItsChecklistWithTheTicksCleared) {
    std::string file;
    for (int k = 0; k < 130; ++k) {
        file += "[$$CHECKLIST]\nList " + std::to_string(k) + "\nItem\nMore\n[$$END]\n";
    }
    StoreRememberedFile(
        WriteFile(TempPath("many.ckl"), file + "[$$HOTBUTTON]\n2\nL\n[$$END]").c_str());
    MessageBoxHook boxes;
    FileDialogHook files;
    RunScreen([](CChecklistDlg& screen) {
        for (int rebuild = 0; rebuild < 25; ++rebuild) {
            screen.RebuildListsMenu();
        }
        EXPECT_EQ(screen.GetMenuBar().ButtonCount(), 4); // the Lists button stays one, last
        EXPECT_EQ(screen.ListsButtonPosition(), 3);
        EXPECT_EQ(screen.GetMenuBar().GetButtonCommand(3), ID_LISTS);
        for (int k = 129; k >= 0; --k) {
            ChooseListsEntry(screen, k);
            ASSERT_EQ(View(screen), "List " + std::to_string(k) + ": Item|More");
            ASSERT_FALSE(screen.HasEnded());
            Tick(screen, 0);
        }
        QTreeWidget* tree = screen.Tree().GetControl();
        EXPECT_EQ(tree->accessibleName(), "List 0");
        Select(screen, 1);
        QTest::keyClick(tree, Qt::Key_Space);
        EXPECT_EQ(View(screen), "List 0: +Item|+>More");
        PressHotButton(screen, 2);
        EXPECT_EQ(View(screen), "List 129: Item|More");
        Tick(screen, 0);
        PressHotButton(screen, 2);
        EXPECT_EQ(View(screen), "List 129: Item|More");
        EXPECT_FALSE(screen.Document()->modified);
    });
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(files.Asked().empty());
}

} // namespace
