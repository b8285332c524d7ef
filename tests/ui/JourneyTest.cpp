// A whole session as a user has it: start, build a file, close, and start again.
#include "UiTestSupport.h"

namespace {

class JourneyTest : public UiTest {};

// Everything through the menus from an empty first start: lists, items, moves, deletes and hot
// buttons, saved under a new name, and all of it there again at the next start.
TEST_F(JourneyTest, BuildAFileFromNothingSaveItAndFindItAllAtTheNextStart) {
    const QString path = Documents() + "/trainer.ckl";
    MessageBoxHook boxes;
    Push(boxes, {IDYES}); // delete the list "Scratch"
    FileDialogHook files;
    files.PushPath(path);
    const std::string built =
        "Before Start: Belts ON|Brakes SET|Fuel ON; "
        "Landing: Gear DOWN|Flaps FULL / Start>0 Landing>1 (empty)>- (empty)>-";
    const char bar[] = "Start|Landing|(empty)|(empty) / Before Start|Landing";
    RunScreen(
        [&](CChecklistDlg& screen) {
            auto run = [&](int selected, std::initializer_list<int> commands) {
                if (selected >= 0) {
                    Select(screen, selected);
                }
                for (int command : commands) {
                    Choose(screen, command);
                }
            };
            run(-1, {ID_EDIT_NEW_CHECKLIST, ID_EDIT_ADD_ITEM, ID_EDIT_ADD_ITEM, ID_EDIT_ADD_ITEM});
            run(2, {ID_EDIT_MOVE_UP}); // belts before fuel, then before brakes
            run(0, {ID_EDIT_MOVE_DOWN, ID_EDIT_NEW_CHECKLIST, ID_EDIT_ADD_ITEM,
                    ID_EDIT_DELETE_CHECKLIST, ID_EDIT_NEW_CHECKLIST, ID_EDIT_ADD_ITEM,
                    ID_EDIT_ADD_ITEM, ID_EDIT_ADD_ITEM});
            run(2, {ID_EDIT_DELETE_ITEM});
            run(1, {ID_EDIT_MOVE_UP, ID_FILE_HOT_BUTTONS, ID_FILE_SAVE});
            EXPECT_EQ(Bar(screen), bar);
            EXPECT_FALSE(screen.Document()->modified);
            EXPECT_EQ(Describe(*screen.Document()), built);
            screen.GetFullScreenOkButton()->click();
            EXPECT_TRUE(screen.HasEnded());
        },
        {EnterName("Before Start"), EnterItem("Brakes SET"), EnterItem("Fuel ON"),
         EnterItem("Belts ON"), EnterName("Scratch"), EnterItem("thrown away"),
         EnterName("Landing"), EnterItem("Flaps FULL"), EnterItem("Gear DOWN"), EnterItem("Typo"),
         Steps({Pick(0, 1), Type(0, "Start"), Pick(1, 2), Press(IDOK)})});
    EXPECT_EQ(Boxes(boxes), QStringList("Confirm: Confirm deletion of current checklist ?"));
    EXPECT_EQ(files.Asked().size(), 1u);

    MessageBoxHook quiet;
    RunScreen([&](CChecklistDlg& screen) {
        EXPECT_STREQ(screen.Document()->fileName, path.toUtf8().constData());
        EXPECT_EQ(Describe(*screen.Document()), built);
        EXPECT_EQ(Bar(screen), bar);
        PressHotButton(screen, 1);
        EXPECT_EQ(View(screen), "Landing: Gear DOWN|Flaps FULL");
        screen.GetFullScreenOkButton()->click();
    });
    EXPECT_TRUE(quiet.Shown().empty());
}

} // namespace
