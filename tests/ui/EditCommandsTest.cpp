// The Edit menu's commands, the hot-button configuration and the About box, as the screen runs
// them: the order of their checks and their effect on the document, the tree, the ticks and the
// unsaved-changes flag.
#include "UiTestSupport.h"

namespace {

const char threeItemsFile[] = "[$$CHECKLIST]\nStart\nFuel\nMags\nMix\n[$$END]\n\n"
                              "[$$CHECKLIST]\nLand\nGear\n[$$END]\n\n"
                              "[$$HOTBUTTON]\n1\nL\n[$$END]\n";
const std::string start = "Start: Fuel|Mags|Mix";

const QString orAdd = QStringLiteral("Error: Please select (or add) a checklist first");
const QString noList = QStringLiteral("Error: Please select a checklist first");
const QString noItem = QStringLiteral("Error: Please select an item in the checklist first");
const QString confirm = QStringLiteral("Confirm: Confirm deletion of current checklist ? [yes no]");
const QString tag = QStringLiteral(
    "Error: An item that begins with [ and contains ] cannot be stored in a checklist file.");

class EditCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        StoreRememberedFile(WriteFile(TempPath("three.ckl"), threeItemsFile).c_str());
    }
};

// Start's items 0 and 2 are ticked. A failed check shows its message and changes nothing; an
// item command refills the tree, clearing ticks and selection, and marks the document changed,
// even when it had nothing to do.
TEST_F(EditCommandsTest, EachCommandChecksInOrderThenChangesTheListAndRefillsIt) {
    struct Row {
        const char* name;
        int command;
        int selected;      // -1 none; -2 no checklist at all (a new file)
        int answer;        // to the first box
        std::string after; // "" changed nothing
        QStringList boxes;
        DialogScript entry = {}; // for Add Item
    };
    const Row rows[] = {
        {"delete_list_asks_first", ID_EDIT_DELETE_CHECKLIST, -2, IDYES, "", {confirm, orAdd}},
        {"delete_list_not_confirmed", ID_EDIT_DELETE_CHECKLIST, -1, IDNO, "", {confirm}},
        {"add_item_without_list", ID_EDIT_ADD_ITEM, -2, IDOK, "", {orAdd}},
        {"delete_item_without_list", ID_EDIT_DELETE_ITEM, -2, IDOK, "", {noList}},
        {"move_down_without_list", ID_EDIT_MOVE_DOWN, -2, IDOK, "", {noList}},
        {"delete_item_unselected", ID_EDIT_DELETE_ITEM, -1, IDOK, "", {noItem}},
        {"move_up_unselected", ID_EDIT_MOVE_UP, -1, IDOK, "", {noItem}},
        {"delete_middle_item", ID_EDIT_DELETE_ITEM, 1, IDOK, "Start: Fuel|Mix", {}},
        {"delete_last_item", ID_EDIT_DELETE_ITEM, 2, IDOK, "Start: Fuel|Mags", {}},
        {"move_second_up", ID_EDIT_MOVE_UP, 1, IDOK, "Start: Mags|Fuel|Mix", {}},
        {"move_first_up", ID_EDIT_MOVE_UP, 0, IDOK, start, {}},
        {"move_first_down", ID_EDIT_MOVE_DOWN, 0, IDOK, "Start: Mags|Fuel|Mix", {}},
        {"move_last_down", ID_EDIT_MOVE_DOWN, 2, IDOK, start, {}},
        {"add_item_goes_last", ID_EDIT_ADD_ITEM, 0, IDOK, start + "| T ", {}, EnterItem(" T ")},
        {"add_item_cancelled", ID_EDIT_ADD_ITEM, 0, IDOK, start, {}, Press(IDCANCEL)},
        {"add_item_read_as_a_tag", ID_EDIT_ADD_ITEM, 0, IDOK, start, {tag}, EnterItem("[]")},
        {"add_item_bracket_alone", ID_EDIT_ADD_ITEM, 0, IDOK, start + "|[", {}, EnterItem("[")},
        {"add_item_blank_first", ID_EDIT_ADD_ITEM, 0, IDOK, start + "| [b]", {}, EnterItem(" [b]")},
        {"add_item_close_first", ID_EDIT_ADD_ITEM, 0, IDOK, start + "|]b[", {}, EnterItem("]b[")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageBoxHook boxes;
        Push(boxes, {row.answer, IDOK});
        RunScreen(
            [&](CChecklistDlg& screen) {
                if (row.selected == -2) {
                    Choose(screen, ID_FILE_NEW);
                }
                ChecklistDoc& document = *screen.Document();
                Tick(screen, 0);
                Tick(screen, 2);
                if (row.selected >= 0) {
                    Select(screen, row.selected);
                }
                const std::string view = View(screen), doc = Describe(document);
                const bool modified = document.modified;
                Choose(screen, row.command);
                EXPECT_EQ(View(screen), row.after.empty() ? view : row.after);
                EXPECT_EQ(Describe(document),
                          row.after.empty() ? doc : row.after + doc.substr(doc.find(';')));
                EXPECT_EQ(document.modified, row.after.empty() ? modified : true);
            },
            row.entry ? std::deque{row.entry} : std::deque<DialogScript>());
        EXPECT_EQ(Boxes(boxes), row.boxes);
    }
}

// Cancel and About change nothing. A new list becomes current, whatever its name, even one like a
// tag. The hot-button dialog's OK marks the document changed even without a change, and shows new
// captions at once, the list and its ticks staying. A deleted list gives way to the first list; its
// first hot button is cleared while a second keeps its caption and leads nowhere. Without lists the
// tree is empty and the label keeps its name. About is a box of fixed size.
TEST_F(EditCommandsTest, ChecklistsAndHotButtonsComeAndGo) {
    const DialogScript about = [](CDialog& box) {
        EXPECT_EQ(box.GetTemplateId(), IDD_ABOUT);
        EXPECT_EQ(box.minimumSize(), box.maximumSize());
        box.SendCommand(IDOK);
    };
    MessageBoxHook boxes;
    Push(boxes, {IDYES, IDYES, IDYES, IDYES, IDYES});
    RunScreen(
        [&](CChecklistDlg& screen) {
            ChecklistDoc& document = *screen.Document();
            Tick(screen, 0);
            const std::string before = Describe(document) + View(screen) + Bar(screen);
            // Create Checklist cancelled, the hot buttons cancelled after edits, About.
            for (int command : {ID_EDIT_NEW_CHECKLIST, ID_FILE_HOT_BUTTONS, ID_HELP_ABOUT}) {
                Choose(screen, command);
            }
            EXPECT_EQ(Describe(document) + View(screen) + Bar(screen), before);
            EXPECT_FALSE(document.modified);
            Choose(screen, ID_FILE_HOT_BUTTONS); // OK without a change
            EXPECT_TRUE(document.modified);

            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            EXPECT_EQ(View(screen) + " / " + Bar(screen),
                      "Descent: / (empty)|L|(empty)|(empty) / Start|Land|Descent");
            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            ChooseListsEntry(screen, 3);
            Choose(screen, ID_EDIT_DELETE_CHECKLIST);
            Tick(screen, 1);
            Choose(screen, ID_FILE_HOT_BUTTONS); // hot button 3 on Land too
            EXPECT_EQ(View(screen) + " / " + Bar(screen),
                      "Start: Fuel|+Mags|Mix / (empty)|L|(empty)|Again / Start|Land|Descent|[x]");

            PressHotButton(screen, 3);
            Choose(screen, ID_EDIT_DELETE_CHECKLIST);
            Tick(screen, 0);
            for (int i = 0; i < 4; ++i) {
                PressHotButton(screen, i);
            }
            EXPECT_EQ(View(screen) + " / " + Bar(screen),
                      "Start: +Fuel|Mags|Mix / (empty)|(empty)|(empty)|Again / Start|Descent|[x]");
            ChooseListsEntry(screen, 2); // a name like a tag is free
            for (int i = 0; i < 3; ++i) {
                Choose(screen, ID_EDIT_DELETE_CHECKLIST);
            }
            EXPECT_EQ(View(screen) + " / " + Bar(screen),
                      "Descent: / (empty)|(empty)|(empty)|Again / ");
            EXPECT_EQ(screen.CurrentChecklist(), nullptr);
        },
        {Press(IDCANCEL), Steps({Pick(2, 1), Type(0, "Never"), Press(IDCANCEL)}), about,
         Press(IDOK), EnterName("Descent"), EnterName("Land"), EnterName("[x]"),
         Steps({Pick(3, 2), Type(3, "Again"), Press(IDOK)})});
    EXPECT_EQ(Boxes(boxes), QStringList(5, confirm));
}

} // namespace
