// Whole sessions as a user has them: start, work, close, and start again.
#include "ChecklistDoc.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "UiTestSupport.h"
#include "resource.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class JourneyTest : public UiTest {};

// Everything through the menus, from an empty first start: lists, items, moves, deletes and hot
// buttons, saved under a new name, and all of it there again at the next start.
TEST_F(JourneyTest, BuildAFileFromNothingSaveItAndFindItAllAtTheNextStart) {
    const QString path = Documents() + "/trainer.ckl";
    const QString listTitle = QStringLiteral("Create Checklist");
    const QString listPrompt = QStringLiteral("Enter the name for the new list:");
    const QString itemTitle = QStringLiteral("Add Item");
    const QString itemPrompt = QStringLiteral("Enter the text of the new item:");
    std::deque<DialogScript> dialogs{
        EnterText(listTitle, listPrompt, "Before Start"),
        EnterText(itemTitle, itemPrompt, "Brakes ..... SET"),
        EnterText(itemTitle, itemPrompt, "Fuel ..... ON"),
        EnterText(itemTitle, itemPrompt, "Belts ..... FASTENED"),
        EnterText(listTitle, listPrompt, "Scratch"),
        EnterText(itemTitle, itemPrompt, "to be thrown away"),
        EnterText(listTitle, listPrompt, "Landing"),
        EnterText(itemTitle, itemPrompt, "Flaps ..... FULL"),
        EnterText(itemTitle, itemPrompt, "Gear ..... DOWN"),
        EnterText(itemTitle, itemPrompt, "Typo"),
        [](CDialog& dialog) {
            EXPECT_EQ(dialog.GetTemplateId(), IDD_HOTBUTTONS);
            PickInRow(dialog, 0, 1);
            TypeCaption(dialog, 0, "Start");
            PickInRow(dialog, 1, 2);
            dialog.SendCommand(IDOK);
        },
    };
    MessageBoxHook boxes;
    boxes.PushAnswer(IDYES); // delete the list "Scratch"
    FileDialogHook files;
    files.PushPath(path);
    std::string built;
    RunScreen(
        [&](CChecklistDlg& screen) {
            EXPECT_EQ(Label(screen), "Static");
            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            for (int i = 0; i < 3; ++i) {
                Choose(screen, ID_EDIT_ADD_ITEM);
            }
            // Belts before fuel: two steps up, selecting the item again before each.
            Select(screen, 2);
            Choose(screen, ID_EDIT_MOVE_UP);
            Select(screen, 0);
            Choose(screen, ID_EDIT_MOVE_DOWN);
            EXPECT_EQ(TreeTexts(screen),
                      QStringList({"Belts ..... FASTENED", "Brakes ..... SET", "Fuel ..... ON"}));

            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            Choose(screen, ID_EDIT_ADD_ITEM);
            Choose(screen, ID_EDIT_DELETE_CHECKLIST);
            EXPECT_EQ(Label(screen), "Before Start");

            Choose(screen, ID_EDIT_NEW_CHECKLIST);
            for (int i = 0; i < 3; ++i) {
                Choose(screen, ID_EDIT_ADD_ITEM);
            }
            Select(screen, 2);
            Choose(screen, ID_EDIT_DELETE_ITEM);
            Select(screen, 1);
            Choose(screen, ID_EDIT_MOVE_UP);

            Choose(screen, ID_FILE_HOT_BUTTONS);
            EXPECT_EQ(ButtonTexts(screen), QStringList({"Start", "Landing", "(empty)", "(empty)"}));
            Choose(screen, ID_FILE_SAVE);
            EXPECT_FALSE(screen.Document()->modified);
            built = Describe(*screen.Document());
            screen.GetFullScreenOkButton()->click();
            EXPECT_TRUE(screen.HasEnded());
        },
        InOrder(dialogs));
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(Boxes(boxes), QStringList("Confirm: Confirm deletion of current checklist ?"));
    ASSERT_EQ(files.Asked().size(), 1u);
    EXPECT_EQ(built, "Before Start: Belts ..... FASTENED|Brakes ..... SET|Fuel ..... ON; "
                     "Landing: Gear ..... DOWN|Flaps ..... FULL / Start->Before Start "
                     "Landing->Landing (empty)->- (empty)->-");

    std::deque<DialogScript> none;
    MessageBoxHook quiet;
    RunScreen(
        [&](CChecklistDlg& screen) {
            EXPECT_STREQ(screen.Document()->fileName, path.toUtf8().constData());
            EXPECT_EQ(Describe(*screen.Document()), built);
            EXPECT_EQ(Label(screen), "Before Start");
            EXPECT_EQ(ListsEntries(screen), QStringList({"Before Start", "Landing"}));
            EXPECT_EQ(ButtonTexts(screen), QStringList({"Start", "Landing", "(empty)", "(empty)"}));
            PressHotButton(screen, 1);
            EXPECT_EQ(TreeTexts(screen), QStringList({"Gear ..... DOWN", "Flaps ..... FULL"}));
            screen.GetFullScreenOkButton()->click();
        },
        InOrder(none));
    EXPECT_TRUE(quiet.Shown().empty());
}

} // namespace
