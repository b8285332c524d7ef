// The Edit menu's commands, the hot-button configuration and the About box, as the screen runs
// them: the order of their checks and their effect on the document, the tree, the ticks and the
// unsaved-changes flag.
#include "ChecklistDoc.h"
#include "MessageBox.h"
#include "RememberedFile.h"
#include "UiTestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

const char threeItemsFile[] =
    "[$$CHECKLIST]\nStart\nFuel on\nMagnetos both\nMixture rich\n[$$END]\n\n"
    "[$$CHECKLIST]\nLand\nGear down\n[$$END]\n\n"
    "[$$HOTBUTTON]\n1\nL\n[$$END]\n";

const QString selectOrAdd = QStringLiteral("Error: Please select (or add) a checklist first");
const QString selectList = QStringLiteral("Error: Please select a checklist first");
const QString selectItem = QStringLiteral("Error: Please select an item in the checklist first");
const QString confirmDeletion = QStringLiteral("Confirm: Confirm deletion of current checklist ?");
const QString unstorableItem = QStringLiteral(
    "Error: An item that begins with [ and contains ] cannot be stored in a checklist file.");

class EditCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        StoreRememberedFile(WriteFile(TempPath("three.ckl"), threeItemsFile).c_str());
    }
};

// A command whose check fails shows its message and changes nothing: not the document, not the
// flag, not the ticks or the selection.
TEST_F(EditCommandsTest, FailedChecksShowTheirMessageInOrderAndChangeNothing) {
    enum class Start { NoChecklist, NothingSelected };
    struct Row {
        const char* name;
        int command;
        Start start;
        std::vector<int> answers;
        QStringList boxes;
    };
    const Row rows[] = {
        {"delete_checklist_asks_before_finding_none",
         ID_EDIT_DELETE_CHECKLIST,
         Start::NoChecklist,
         {IDYES, IDOK},
         {confirmDeletion, selectOrAdd}},
        {"delete_checklist_not_confirmed",
         ID_EDIT_DELETE_CHECKLIST,
         Start::NothingSelected,
         {IDNO},
         {confirmDeletion}},
        {"add_item_without_checklist", ID_EDIT_ADD_ITEM, Start::NoChecklist, {IDOK}, {selectOrAdd}},
        {"delete_item_without_checklist",
         ID_EDIT_DELETE_ITEM,
         Start::NoChecklist,
         {IDOK},
         {selectList}},
        {"move_up_without_checklist", ID_EDIT_MOVE_UP, Start::NoChecklist, {IDOK}, {selectList}},
        {"move_down_without_checklist",
         ID_EDIT_MOVE_DOWN,
         Start::NoChecklist,
         {IDOK},
         {selectList}},
        {"delete_item_without_selection",
         ID_EDIT_DELETE_ITEM,
         Start::NothingSelected,
         {IDOK},
         {selectItem}},
        {"move_up_without_selection",
         ID_EDIT_MOVE_UP,
         Start::NothingSelected,
         {IDOK},
         {selectItem}},
        {"move_down_without_selection",
         ID_EDIT_MOVE_DOWN,
         Start::NothingSelected,
         {IDOK},
         {selectItem}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IsolatedHome ownHome;
        if (row.start == Start::NothingSelected) {
            StoreRememberedFile(WriteFile(TempPath("three.ckl"), threeItemsFile).c_str());
        }
        MessageBoxHook boxes;
        for (int answer : row.answers) {
            boxes.PushAnswer(answer);
        }
        std::deque<DialogScript> dialogs; // none may run
        RunScreen(
            [&](CChecklistDlg& screen) {
                ChecklistDoc& document = *screen.Document();
                const std::string before = Describe(document);
                const bool modified = document.modified;
                if (row.start == Start::NothingSelected) {
                    Tick(screen, 0);
                    Tick(screen, 2);
                }
                Choose(screen, row.command);
                EXPECT_EQ(Describe(document), before);
                EXPECT_EQ(document.modified, modified);
                EXPECT_EQ(TickedCount(screen), row.start == Start::NothingSelected ? 2 : 0);
                EXPECT_EQ(SelectedRow(screen), -1);
            },
            InOrder(dialogs));
        EXPECT_EQ(Boxes(boxes), row.boxes);
        EXPECT_EQ(boxes.UnusedAnswers(), 0u);
    }
}

// Every item command refills the tree and marks the document changed, also when the move had
// nothing to do.
TEST_F(EditCommandsTest, ItemCommandsChangeTheListAndClearTheTicks) {
    struct Row {
        const char* name;
        int command;
        int selected;
        QStringList items;
    };
    const Row rows[] = {
        {"delete_middle_item", ID_EDIT_DELETE_ITEM, 1, {"Fuel on", "Mixture rich"}},
        {"delete_last_item", ID_EDIT_DELETE_ITEM, 2, {"Fuel on", "Magnetos both"}},
        {"move_second_up", ID_EDIT_MOVE_UP, 1, {"Magnetos both", "Fuel on", "Mixture rich"}},
        {"move_first_up", ID_EDIT_MOVE_UP, 0, {"Fuel on", "Magnetos both", "Mixture rich"}},
        {"move_first_down", ID_EDIT_MOVE_DOWN, 0, {"Magnetos both", "Fuel on", "Mixture rich"}},
        {"move_last_down", ID_EDIT_MOVE_DOWN, 2, {"Fuel on", "Magnetos both", "Mixture rich"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageBoxHook boxes;
        RunScreen([&](CChecklistDlg& screen) {
            ChecklistDoc& document = *screen.Document();
            Tick(screen, 0);
            Tick(screen, 2);
            Select(screen, row.selected);
            Choose(screen, row.command);
            EXPECT_EQ(TreeTexts(screen), row.items);
            EXPECT_EQ(Describe(document).substr(0, Describe(document).find(';')),
                      "Start: " + row.items.join('|').toStdString());
            EXPECT_EQ(Label(screen), "Start");
            EXPECT_TRUE(document.modified);
            EXPECT_EQ(TickedCount(screen), 0);
            EXPECT_EQ(SelectedRow(screen), -1);
        });
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

TEST_F(EditCommandsTest, AddItemAppendsAtTheEndAndRefillsEvenWhenNothingIsAdded) {
    struct Row {
        const char* name;
        DialogScript answer;
        QStringList added;
        QStringList boxes;
    };
    const QString title = QStringLiteral("Add Item");
    const QString prompt = QStringLiteral("Enter the text of the new item:");
    const Row rows[] = {
        {"typed_text", EnterText(title, prompt, "Flaps up"), {"Flaps up"}, {}},
        {"blanks_kept", EnterText(title, prompt, "  Trim set "), {"  Trim set "}, {}},
        {"empty_text", EnterText(title, prompt, ""), {""}, {}},
        {"bracket_without_close", EnterText(title, prompt, "[note"), {"[note"}, {}},
        {"close_not_at_start", EnterText(title, prompt, "a [b] c"), {"a [b] c"}, {}},
        {"cancelled", CancelIt(), {}, {}},
        {"text_read_back_as_a_tag",
         EnterText(title, prompt, "[Caution] hot"),
         {},
         {unstorableItem}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageBoxHook boxes;
        if (!row.boxes.isEmpty()) {
            boxes.PushAnswer(IDOK);
        }
        std::deque<DialogScript> dialogs{row.answer};
        RunScreen(
            [&](CChecklistDlg& screen) {
                Tick(screen, 1);
                Select(screen, 0); // the new item goes last, wherever the selection is
                Choose(screen, ID_EDIT_ADD_ITEM);
                EXPECT_EQ(TreeTexts(screen),
                          QStringList({"Fuel on", "Magnetos both", "Mixture rich"}) + row.added);
                EXPECT_TRUE(screen.Document()->modified);
                EXPECT_EQ(TickedCount(screen), 0);
                EXPECT_EQ(SelectedRow(screen), -1);
            },
            InOrder(dialogs));
        EXPECT_TRUE(dialogs.empty());
        EXPECT_EQ(Boxes(boxes), row.boxes);
    }
}

TEST_F(EditCommandsTest, NewChecklistBecomesCurrentAndJoinsTheListsMenu) {
    const QString title = QStringLiteral("Create Checklist");
    const QString prompt = QStringLiteral("Enter the name for the new list:");
    std::deque<DialogScript> dialogs{CancelIt(), EnterText(title, prompt, "Descent"),
                                     EnterText(title, prompt, "Land"),
                                     EnterText(title, prompt, "")};
    MessageBoxHook boxes;
    RunScreen(
        [&](CChecklistDlg& screen) {
            ChecklistDoc& document = *screen.Document();
            Choose(screen, ID_EDIT_NEW_CHECKLIST); // cancelled
            EXPECT_FALSE(document.modified);
            EXPECT_EQ(ListsEntries(screen), QStringList({"Start", "Land"}));

            Tick(screen, 0);
            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            EXPECT_TRUE(document.modified);
            EXPECT_EQ(Label(screen), "Descent");
            EXPECT_TRUE(TreeTexts(screen).isEmpty());
            EXPECT_EQ(screen.CurrentChecklist(), document.ChecklistAt(2));
            EXPECT_EQ(ListsEntries(screen), QStringList({"Start", "Land", "Descent"}));
            EXPECT_EQ(MenuBarTexts(screen), QStringList({"File", "Edit", "Help", "Lists"}));

            // A name another list has, and no name at all, are taken as they are.
            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            EXPECT_EQ(ListsEntries(screen), QStringList({"Start", "Land", "Descent", "Land", ""}));
            ChooseListsEntry(screen, 3);
            EXPECT_EQ(screen.CurrentChecklist(), document.ChecklistAt(3));
            EXPECT_TRUE(TreeTexts(screen).isEmpty());
        },
        InOrder(dialogs));
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(EditCommandsTest, DeleteChecklistShowsTheFirstRemainingAndClearsItsHotButton) {
    MessageBoxHook boxes;
    for (int i = 0; i < 3; ++i) {
        boxes.PushAnswer(IDYES);
    }
    std::deque<DialogScript> dialogs{
        EnterText("Create Checklist", "Enter the name for the new list:", "Extra")};
    RunScreen(
        [&](CChecklistDlg& screen) {
            ChecklistDoc& document = *screen.Document();
            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            // The first list comes back, not the deleted one's neighbour.
            Choose(screen, ID_EDIT_DELETE_CHECKLIST);
            EXPECT_EQ(Label(screen), "Start");
            EXPECT_EQ(ListsEntries(screen), QStringList({"Start", "Land"}));

            PressHotButton(screen, 1);
            ASSERT_EQ(Label(screen), "Land");
            Tick(screen, 0);
            Choose(screen, ID_EDIT_DELETE_CHECKLIST);
            EXPECT_EQ(Label(screen), "Start");
            EXPECT_EQ(TreeTexts(screen), QStringList({"Fuel on", "Magnetos both", "Mixture rich"}));
            EXPECT_EQ(ButtonTexts(screen),
                      QStringList({"(empty)", "(empty)", "(empty)", "(empty)"}));
            EXPECT_EQ(ListsEntries(screen), QStringList("Start"));
            EXPECT_TRUE(document.modified);

            // The last list gone, the tree empties and the label keeps the name it had.
            Choose(screen, ID_EDIT_DELETE_CHECKLIST);
            EXPECT_TRUE(TreeTexts(screen).isEmpty());
            EXPECT_EQ(Label(screen), "Start");
            EXPECT_TRUE(ListsEntries(screen).isEmpty());
            EXPECT_EQ(screen.CurrentChecklist(), nullptr);
            EXPECT_EQ(document.ChecklistCount(), 0);
        },
        InOrder(dialogs));
    EXPECT_EQ(Boxes(boxes), QStringList({confirmDeletion, confirmDeletion, confirmDeletion}));
}

// Two hot buttons on one list: deleting the list clears the first; the second keeps its caption
// but leads nowhere.
TEST_F(EditCommandsTest, SecondHotButtonOfADeletedChecklistDoesNothing) {
    MessageBoxHook boxes;
    boxes.PushAnswer(IDYES);
    std::deque<DialogScript> dialogs{[](CDialog& dialog) {
        EXPECT_EQ(dialog.GetTemplateId(), IDD_HOTBUTTONS);
        PickInRow(dialog, 0, 2);
        PickInRow(dialog, 3, 2);
        TypeCaption(dialog, 3, "Again");
        dialog.SendCommand(IDOK);
    }};
    RunScreen(
        [&](CChecklistDlg& screen) {
            Choose(screen, ID_FILE_HOT_BUTTONS);
            EXPECT_EQ(ButtonTexts(screen), QStringList({"Land", "L", "(empty)", "Again"}));
            PressHotButton(screen, 3);
            ASSERT_EQ(Label(screen), "Land");
            Choose(screen, ID_EDIT_DELETE_CHECKLIST);
            EXPECT_EQ(ButtonTexts(screen), QStringList({"(empty)", "L", "(empty)", "Again"}));
            Tick(screen, 0);
            for (int i = 0; i < 4; ++i) {
                PressHotButton(screen, i);
            }
            EXPECT_EQ(Label(screen), "Start");
            EXPECT_EQ(TickedCount(screen), 1);
        },
        InOrder(dialogs));
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(EditCommandsTest, HotButtonConfigurationShowsNewCaptionsAtOnceOnOkOnly) {
    std::deque<DialogScript> dialogs{
        [](CDialog& dialog) {
            PickInRow(dialog, 2, 1);
            TypeCaption(dialog, 0, "Never");
            dialog.SendCommand(IDCANCEL);
        },
        [](CDialog& dialog) {
            PickInRow(dialog, 2, 1);
            TypeCaption(dialog, 2, "Go");
            dialog.SendCommand(IDOK);
        },
        [](CDialog& dialog) { dialog.SendCommand(IDOK); }, // no change at all
    };
    RunScreen(
        [&](CChecklistDlg& screen) {
            ChecklistDoc& document = *screen.Document();
            PressHotButton(screen, 1);
            Tick(screen, 0);
            const std::string before = Describe(document);

            Choose(screen, ID_FILE_HOT_BUTTONS);
            EXPECT_EQ(Describe(document), before);
            EXPECT_FALSE(document.modified);
            EXPECT_EQ(ButtonTexts(screen), QStringList({"(empty)", "L", "(empty)", "(empty)"}));

            Choose(screen, ID_FILE_HOT_BUTTONS);
            EXPECT_EQ(ButtonTexts(screen), QStringList({"(empty)", "L", "Go", "(empty)"}));
            EXPECT_TRUE(document.modified);
            // The list shown and its ticks stay.
            EXPECT_EQ(Label(screen), "Land");
            EXPECT_EQ(TickedCount(screen), 1);
            PressHotButton(screen, 2);
            EXPECT_EQ(Label(screen), "Start");

            document.modified = false;
            Choose(screen, ID_FILE_HOT_BUTTONS);
            EXPECT_TRUE(document.modified);
        },
        InOrder(dialogs));
    EXPECT_TRUE(dialogs.empty());
}

TEST_F(EditCommandsTest, AboutChangesNothing) {
    std::deque<DialogScript> dialogs{[](CDialog& dialog) {
        EXPECT_EQ(dialog.GetTemplateId(), IDD_ABOUT);
        dialog.SendCommand(IDOK);
    }};
    RunScreen(
        [&](CChecklistDlg& screen) {
            Tick(screen, 1);
            Select(screen, 2);
            const std::string before = Describe(*screen.Document());
            Checklist* current = screen.CurrentChecklist();
            Choose(screen, ID_HELP_ABOUT);
            EXPECT_EQ(Describe(*screen.Document()), before);
            EXPECT_FALSE(screen.Document()->modified);
            EXPECT_EQ(screen.CurrentChecklist(), current);
            EXPECT_EQ(TickedCount(screen), 1);
            EXPECT_EQ(SelectedRow(screen), 2);
        },
        InOrder(dialogs));
    EXPECT_TRUE(dialogs.empty());
}

} // namespace
