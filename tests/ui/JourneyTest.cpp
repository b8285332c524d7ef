// Whole sessions as a user has them: start, work, close, and start again.
#include "ChecklistDoc.h"
#include "FileDialog.h"
#include "MessageBox.h"
#include "UiTestSupport.h"
#include "resource.h"

#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class JourneyTest : public UiTest {};

TEST_F(JourneyTest, FirstStartOnTheSampleThenSaveAsAndCloseThenTheNextStartOpensTheCopy) {
    ASSERT_TRUE(QFile::copy(TARVASTO_SAMPLES "/aviation.ckl", Documents() + "/aviation.ckl"));
    const QString copy = Documents() + "/my flight.ckl";
    std::string firstSession;
    {
        MessageBoxHook boxes;
        FileDialogHook files;
        files.PushPath(copy);
        const int result = RunScreen([&](CChecklistDlg& screen) {
            EXPECT_EQ(Label(screen), "Preflight Inspection");
            EXPECT_FALSE(screen.Document()->modified);
            Tick(screen, 0);
            Tick(screen, 1);

            EXPECT_EQ(ButtonTexts(screen), QStringList({"Takeoff", "Landing", "Eng Fail", "Fire"}));
            PressHotButton(screen, 3);
            EXPECT_EQ(Label(screen), "Engine Fire in Flight");
            EXPECT_EQ(TickedCount(screen), 0);

            const QStringList lists = ListsEntries(screen);
            ASSERT_GE(lists.size(), 3);
            ChooseListsEntry(screen, 2);
            EXPECT_EQ(Label(screen), lists[2]);

            Choose(screen, ID_FILE_SAVE_AS);
            EXPECT_FALSE(screen.Document()->modified);
            firstSession = Describe(*screen.Document());
            screen.GetFullScreenOkButton()->click();
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(boxes.Shown().empty());
        ASSERT_EQ(files.Asked().size(), 1u);
        EXPECT_EQ(files.Asked()[0].initialName, "\\my documents\\aviation.ckl");
    }
    EXPECT_EQ(RememberedFile(), copy.toStdString());

    MessageBoxHook boxes;
    RunScreen([&](CChecklistDlg& screen) {
        EXPECT_STREQ(screen.Document()->fileName, copy.toUtf8().constData());
        EXPECT_EQ(Describe(*screen.Document()), firstSession);
        EXPECT_EQ(Label(screen), "Preflight Inspection");
        EXPECT_EQ(TickedCount(screen), 0);
        screen.GetFullScreenOkButton()->click();
    });
    EXPECT_TRUE(boxes.Shown().empty());
}

} // namespace
