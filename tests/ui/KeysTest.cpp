// The screen's keys, pressed as a user presses them: each must run its own command and no other.
#include "UiTestSupport.h"

#include <QAccessible>
#include <QMenu>
#include <QTreeWidget>

namespace {

class KeysTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        StoreRememberedFile(WriteFile(TempPath("two.ckl"), twoListsFile).c_str());
    }
};

// Space works down a list; F2 edits the selected item, Enter pressing the focused button of the
// dialog (Cancel cancels) or OK from the box; Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo; Enter
// on a hot button goes to its list; Ctrl+Shift+S, Ctrl+O and Ctrl+N run Save As, Load and New
// File, each asking what it asks; Load and New File leave nothing to undo.
TEST_F(KeysTest, EachKeyRunsItsOwnCommand) {
    const DialogScript enterOnCancel = [](CDialog& dialog) {
        QLineEdit* box = dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT);
        box->setText("Never");
        QWidget* cancel = dialog.GetDlgItem(IDCANCEL);
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
    };
    const DialogScript typeThenEnter = [](CDialog& dialog) {
        QLineEdit* box = dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT);
        EXPECT_EQ(box->text(), "Magnetos both");
        QTest::keyClicks(box, "Magnetos off"); // replaces the text, all selected
        QTest::keyClick(box, Qt::Key_Return);
    };
    MessageBoxHook boxes;
    Push(boxes, {IDNO, IDNO});
    FileDialogHook files;
    files.PushCancel();
    files.PushPath(TempPath("two.ckl"));
    RunScreen(
        [](CChecklistDlg& screen) {
            QApplication::setActiveWindow(&screen);
            QTreeWidget* tree = screen.Tree().GetControl();
            tree->setFocus();
            const auto press = [&](int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
                return View(screen);
            };
            Select(screen, 0);
            EXPECT_EQ(press(Qt::Key_Space), "Start: +Fuel on|>Magnetos both");
            EXPECT_EQ(press(Qt::Key_Up), "Start: +>Fuel on|Magnetos both");
            EXPECT_EQ(press(Qt::Key_Space), "Start: >Fuel on|Magnetos both"); // cleared, stays
            EXPECT_EQ(press(Qt::Key_Space), "Start: +Fuel on|>Magnetos both");
            EXPECT_EQ(press(Qt::Key_Space), "Start: +Fuel on|+>Magnetos both"); // the last stays
            EXPECT_EQ(press(Qt::Key_Space), "Start: +Fuel on|>Magnetos both");  // cleared, stays
            EXPECT_EQ(press(Qt::Key_F2), "Start: +Fuel on|>Magnetos both");     // cancelled
            EXPECT_EQ(press(Qt::Key_F2), "Start: +Fuel on|>Magnetos off");
            EXPECT_EQ(press(Qt::Key_Z, Qt::ControlModifier), "Start: +Fuel on|>Magnetos both");
            EXPECT_EQ(press(Qt::Key_Y, Qt::ControlModifier), "Start: +Fuel on|>Magnetos off");
            press(Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier),
                      "Start: +Fuel on|>Magnetos off");

            QWidget* land = screen.GetDlgItem(IDC_HOTBUTTON2);
            land->setFocus();
            EXPECT_EQ(press(Qt::Key_Return), "Land: Gear down|Flaps full|Lights on");

            // Each file command starts afresh: what was done before cannot be undone any more.
            ChecklistDoc* document = screen.Document();
            press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier); // Save As, cancelled
            EXPECT_EQ(screen.Document(), document);
            EXPECT_TRUE(Entry(screen, ID_EDIT_UNDO)->isEnabled());
            EXPECT_EQ(press(Qt::Key_O, Qt::ControlModifier), // No; Load
                      "Start: Fuel on|Magnetos both");
            EXPECT_NE(screen.Document(), document);
            EXPECT_FALSE(Entry(screen, ID_EDIT_UNDO)->isEnabled());
            Select(screen, 0);
            Choose(screen, ID_EDIT_DELETE_ITEM);
            EXPECT_TRUE(Entry(screen, ID_EDIT_UNDO)->isEnabled());
            press(Qt::Key_N, Qt::ControlModifier); // No; a new file
            EXPECT_EQ(screen.Document()->ChecklistCount(), 0);
            EXPECT_FALSE(Entry(screen, ID_EDIT_UNDO)->isEnabled());
        },
        {enterOnCancel, typeThenEnter});
    EXPECT_EQ(Boxes(boxes), QStringList(2, "Confirm: Save changes to current checklist ? "
                                           "[yes no cancel]"));
    ASSERT_EQ(files.Asked().size(), 2u);
    EXPECT_EQ(files.Asked()[0].kind, FileDialogKind::Save);
    EXPECT_EQ(files.Asked()[1].kind, FileDialogKind::Open);
}

// Assistive tools list the Edit menu's entries by their texts, in order, and press them like a
// user: Rename Checklist opens its dialog from there.
TEST_F(KeysTest, AssistiveToolsListAndPressTheEditEntries) {
    RunScreen(
        [](CChecklistDlg& screen) {
            QMenu* edit = screen.GetMenuBar().GetButtonMenu(1);
            QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(edit);
            QStringList names;
            QAccessibleInterface* rename = nullptr;
            for (int i = 0; i < menu->childCount(); ++i) {
                QAccessibleInterface* entry = menu->child(i);
                const QString name = entry->text(QAccessible::Name);
                if (!name.isEmpty()) {
                    names << name + (entry->state().disabled ? " (greyed)" : "");
                }
                if (name == "Rename Checklist") {
                    rename = entry;
                }
            }
            EXPECT_EQ(names.join('|'),
                      "Undo (greyed)|Redo (greyed)|New Checklist|Delete Checklist|Rename "
                      "Checklist|Add Item|Edit Item|Delete Item|Move item Up|Move item down");
            ASSERT_NE(rename, nullptr);
            rename->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            EXPECT_EQ(View(screen), "Before: Fuel on|Magnetos both");
            EXPECT_EQ(screen.Tree().GetControl()->accessibleName(), "Before");
        },
        {EnterText("Rename Checklist", "Enter the new name for the list:", "Start", "Before")});
}

} // namespace
