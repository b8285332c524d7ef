// Rename Checklist, Edit Item, and Undo and Redo over every change the screen makes to its
// document: what each shows, and that Undo gives back exactly the document it started from.
#include "UiTestSupport.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>

namespace {

// The two lists and the startSlots of twoListsFile, as Describe shows them.
const std::string lands = "; Land: Gear down|Flaps full|Lights on";
const std::string startSlots = " / Go>0 (empty)>- Land>1 (empty)>-";
const std::string startDoc = "Start: Fuel on|Magnetos both" + lands + startSlots;
const std::string bar = std::string(" / ") + twoListsBar;
const std::string ticked = "Start: +Fuel on|>Magnetos both" + bar; // as every row starts
const std::string refilled = "Start: Fuel on|Magnetos both" + bar;

const QString confirm = QStringLiteral("Confirm: Confirm deletion of current checklist ? [yes no]");
const QString orAdd = QStringLiteral("Error: Please select (or add) a checklist first");
const QString noList = QStringLiteral("Error: Please select a checklist first");
const QString noItem = QStringLiteral("Error: Please select an item in the checklist first");
const QString tag = QStringLiteral(
    "Error: An item that begins with [ and contains ] cannot be stored in a checklist file.");

DialogScript Rename(const QString& name) {
    return EnterText("Rename Checklist", "Enter the new name for the list:", "Start", name);
}

DialogScript EditTo(const QString& text) {
    return EnterText("Edit Item", "Enter the new text of the item:", "Magnetos both", text);
}

// The Undo and Redo entries as "undo text / redo text", a greyed entry in brackets.
std::string History(CChecklistDlg& screen) {
    const auto text = [&](int command) {
        QAction* entry = Entry(screen, command);
        return entry->isEnabled() ? entry->text() : "[" + entry->text() + "]";
    };
    return (text(ID_EDIT_UNDO) + " / " + text(ID_EDIT_REDO)).toStdString();
}

class UndoTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        StoreRememberedFile(WriteFile(TempPath("two.ckl"), twoListsFile).c_str());
    }
};

// Every row starts on Start with its first item ticked and its second (or first) selected. A change
// shows at once and leaves one step, named in the Undo entry; Undo gives back exactly the document
// it started from (positions and hot-button startSlots too) and Redo the changed one, each marking
// the document modified. Checks that fail, Cancel and refusals change nothing and leave no step.
TEST_F(UndoTest, EveryChangeIsOneStepThatUndoesToExactlyTheDocumentItStartedFrom) {
    struct Row {
        const char* name;
        int command;
        DialogScript dialog;
        std::string shown;    // View / Bar after the command; "" unchanged
        std::string document; // Describe after; "" unchanged
        std::string undone;   // View / Bar after Undo
        QStringList boxes = {};
        bool noList = false;   // the command runs on a new, empty file
        bool modified = false; // when nothing changed
        int selected = 1;      // the item selected before the command
    };
    const std::string land = "Land: Gear down|Flaps full|Lights on";
    const Row rows[] = {
        {"new_checklist", ID_EDIT_NEW_CHECKLIST, EnterName("Taxi"),
         "Taxi: / Go|(empty)|Land|(empty) / Start|Land|Taxi",
         "Start: Fuel on|Magnetos both" + lands + "; Taxi:" + startSlots, refilled},
        {"delete_checklist_and_its_hot_button",
         ID_EDIT_DELETE_CHECKLIST,
         {},
         land + " / (empty)|(empty)|Land|(empty) / Land",
         land + " / (empty)>- (empty)>- Land>0 (empty)>-",
         refilled,
         {confirm}},
        {"rename_checklist_keeps_the_ticks", ID_EDIT_RENAME_CHECKLIST, Rename("Pre-start"),
         "Pre-start: +Fuel on|>Magnetos both / Go|(empty)|Land|(empty) / Pre-start|Land",
         "Pre-start: Fuel on|Magnetos both" + lands + startSlots, ticked},
        {"add_item", ID_EDIT_ADD_ITEM, EnterItem("Beacon on"),
         "Start: Fuel on|Magnetos both|Beacon on" + bar,
         "Start: Fuel on|Magnetos both|Beacon on" + lands + startSlots, refilled},
        {"edit_item_in_place", ID_EDIT_EDIT_ITEM, EditTo("Magnetos left"),
         "Start: +Fuel on|>Magnetos left" + bar,
         "Start: Fuel on|Magnetos left" + lands + startSlots, ticked},
        {"delete_item",
         ID_EDIT_DELETE_ITEM,
         {},
         "Start: Fuel on" + bar,
         "Start: Fuel on" + lands + startSlots,
         refilled},
        {"move_item_up",
         ID_EDIT_MOVE_UP,
         {},
         "Start: Magnetos both|Fuel on" + bar,
         "Start: Magnetos both|Fuel on" + lands + startSlots,
         refilled},
        {"hot_buttons", ID_FILE_HOT_BUTTONS, Steps({Pick(1, 2), Type(0, "Start"), Press(IDOK)}),
         "Start: +Fuel on|>Magnetos both / Start|Land|Land|(empty) / Start|Land",
         "Start: Fuel on|Magnetos both" + lands + " / Start>0 Land>1 Land>1 (empty)>-", ticked},
        {"rename_cancelled", ID_EDIT_RENAME_CHECKLIST, Press(IDCANCEL), "", "", ""},
        {"rename_without_list", ID_EDIT_RENAME_CHECKLIST, {}, "", "", "", {orAdd}, true, true},
        {"edit_item_without_list", ID_EDIT_EDIT_ITEM, {}, "", "", "", {noList}, true, true},
        {"edit_item_cancelled", ID_EDIT_EDIT_ITEM, Press(IDCANCEL), "", "", ""},
        {"edit_item_read_as_a_tag", ID_EDIT_EDIT_ITEM, EditTo("[x] mags"), "", "", "", {tag}},
        {"edit_item_bracket_alone", ID_EDIT_EDIT_ITEM, EditTo("[x"), "Start: +Fuel on|>[x" + bar,
         "Start: Fuel on|[x" + lands + startSlots, ticked},
        {"move_item_down",
         ID_EDIT_MOVE_DOWN,
         {},
         "Start: Magnetos both|Fuel on" + bar,
         "Start: Magnetos both|Fuel on" + lands + startSlots,
         refilled,
         {},
         false,
         false,
         0},
        {"move_that_moves_nothing", ID_EDIT_MOVE_DOWN, {}, refilled, "", "", {}, false, true},
        {"move_up_that_moves_nothing", ID_EDIT_MOVE_UP, {}, refilled, "", "", {}, false, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageBoxHook boxes;
        Push(boxes, {IDYES});
        RunScreen(
            [&](CChecklistDlg& screen) {
                if (row.noList) {
                    Choose(screen, ID_FILE_NEW);
                }
                ChecklistDoc& document = *screen.Document();
                Tick(screen, 0);
                Select(screen, row.selected);
                const std::string shown = View(screen) + " / " + Bar(screen);
                const std::string before = Describe(document);
                EXPECT_EQ(History(screen), "[Undo] / [Redo]");
                Choose(screen, row.command);
                EXPECT_EQ(View(screen) + " / " + Bar(screen),
                          row.shown.empty() ? shown : row.shown);
                if (row.document.empty()) {
                    EXPECT_EQ(Describe(document), before);
                    EXPECT_EQ(document.modified, row.modified);
                    EXPECT_EQ(History(screen), "[Undo] / [Redo]");
                    return;
                }
                const QString step = Entry(screen, row.command)->text();
                EXPECT_EQ(Describe(document), row.document);
                EXPECT_EQ(History(screen), "Undo " + step.toStdString() + " / [Redo]");

                document.modified = false; // as if saved
                Choose(screen, ID_EDIT_UNDO);
                EXPECT_EQ(Describe(document), before);
                EXPECT_EQ(View(screen) + " / " + Bar(screen), row.undone);
                EXPECT_TRUE(document.modified);
                EXPECT_EQ(History(screen), "[Undo] / Redo " + step.toStdString());

                document.modified = false;
                Choose(screen, ID_EDIT_REDO);
                EXPECT_EQ(Describe(document), row.document);
                EXPECT_TRUE(document.modified);
                EXPECT_EQ(History(screen), "Undo " + step.toStdString() + " / [Redo]");
            },
            row.dialog ? std::deque{row.dialog} : std::deque<DialogScript>());
        EXPECT_EQ(Boxes(boxes), row.boxes);
    }
}

} // namespace
