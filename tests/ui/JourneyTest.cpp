// A whole session as a user has it: start, build a file, close, and start again.
#include "UiTestSupport.h"

namespace {

class JourneyTest : public UiTest {};

// Everything through the menus from an empty first start: lists, items, moves, a delete and hot
// buttons, saved under a new name, and all of it there again at the next start.
TEST_F(JourneyTest, BuildAFileFromNothingSaveItAndFindItAllAtTheNextStart) {
    const QString path = TempPath("trainer.ckl");
    MessageBoxHook quiet;
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
            run(0, {ID_EDIT_MOVE_DOWN, ID_EDIT_NEW_CHECKLIST, ID_EDIT_ADD_ITEM, ID_EDIT_ADD_ITEM,
                    ID_EDIT_ADD_ITEM});
            run(2, {ID_EDIT_DELETE_ITEM});
            run(1, {ID_EDIT_MOVE_UP, ID_FILE_HOT_BUTTONS, ID_FILE_SAVE});
            EXPECT_EQ(Bar(screen), bar);
            EXPECT_FALSE(screen.Document()->modified);
            EXPECT_EQ(Describe(*screen.Document()), built);
            screen.GetFullScreenOkButton()->click();
        },
        {EnterName("Before Start"), EnterItem("Brakes SET"), EnterItem("Fuel ON"),
         EnterItem("Belts ON"), EnterName("Landing"), EnterItem("Flaps FULL"),
         EnterItem("Gear DOWN"), EnterItem("Typo"),
         Steps({Pick(0, 1), Type(0, "Start"), Pick(1, 2), Press(IDOK)})});

    RunScreen([&](CChecklistDlg& screen) {
        EXPECT_STREQ(screen.Document()->fileName, path.toUtf8().constData());
        EXPECT_EQ(Describe(*screen.Document()), built);
        PressHotButton(screen, 1);
        EXPECT_EQ(View(screen), "Landing: Gear DOWN|Flaps FULL");
        screen.GetFullScreenOkButton()->click();
    });
    EXPECT_TRUE(quiet.Shown().empty());
}

} // namespace
