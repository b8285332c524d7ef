// The hot-button dialog on its own: what its rows show and OK writes into the slots, what
// Cancel keeps, and the captions it refuses or bounds. OK writes back what the rows show, so
// an OK after picks tells what the lists hold, and an OK without changes what the rows showed.
#include "CHotButtonsDlg.h"
#include "UiTestSupport.h"

#include <QAccessible>

namespace {

// Lists "Zulu", "Alpha", "Eng", "Eng" (unsorted, two of one name), "[Fire] x"; slot 1 "Z" on
// Zulu, slot 2 "F2" on a list since deleted (slot 0 was its first), slot 3 "E2" on the second
// Eng. The slots as Describe shows them.
const char filledFile[] = "[$$CHECKLIST]\nZulu\n[$$END]\n[$$HOTBUTTON]\n1\nZ\n[$$END]\n"
                          "[$$CHECKLIST]\nAlpha\n[$$END]\n[$$CHECKLIST]\nEng\n[$$END]\n"
                          "[$$CHECKLIST]\nEng\n[$$END]\n[$$HOTBUTTON]\n3\nE2\n[$$END]\n"
                          "[$$CHECKLIST]\n[Fire] x\n[$$END]\n[$$CHECKLIST]\nFire\n[$$END]\n"
                          "[$$HOTBUTTON]\n0\nFire\n[$$END]\n[$$HOTBUTTON]\n2\nF2\n[$$END]\n";
const char filledSlots[] = "(empty)>- Z>0 F2>gone E2>3";

class HotButtonsDlgTest : public UiTest {
protected:
    std::string Slots() {
        const std::string text = Describe(*document);
        return text.substr(text.find(" / ") + 3);
    }

    // Runs the dialog through acts; OK is pressed after them unless they ended it.
    int Run(const std::vector<DialogScript>& acts) {
        CHotButtonsDlg dialog;
        dialog.document = document.get();
        ScopedModalHook hook([&](CDialog& running) {
            Steps(acts)(running);
            if (!running.HasEnded()) {
                running.SendCommand(IDOK);
            }
        });
        return dialog.DoModal();
    }

    std::unique_ptr<ChecklistDoc> document = std::make_unique<ChecklistDoc>();
};

// OK rewrites every slot from its row, Cancel nothing, and the dialog never marks the document.
TEST_F(HotButtonsDlgTest, RowsShowTheSlotsAndOkWritesWhatTheyShow) {
    // The file would read a caption like a tag back as one: OK refuses it with the dialog left
    // open, nothing applied and the caption selected for mending.
    const DialogScript refusedOk = [this](CDialog& d) {
        MessageBoxHook boxes;
        Push(boxes, {IDOK});
        d.SendCommand(IDOK);
        EXPECT_EQ(Boxes(boxes), QStringList("Error: A caption that begins with [ and contains ] "
                                            "cannot be stored in a checklist file."));
        EXPECT_FALSE(d.HasEnded());
        EXPECT_EQ(Slots(), filledSlots);
        EXPECT_TRUE(CaptionBox(d, 1)->selectedText().startsWith('['));
    };
    const DialogScript cancel = [](CDialog& d) { d.GetDlgItem<QPushButton>(IDCANCEL)->click(); };
    const std::pair<std::string, std::vector<DialogScript>> rows[] = {
        {"(empty)>- Z>0 F2>- E2>3", {}}, // unchanged: the deleted list's slot is cleared
        {"Alpha>1 Z>0 F2>- E2>3", {Type(0, "Mine"), Pick(0, 2)}}, // a pick takes the name
        {"A>1 Z>0 F2>- E2>3", {Pick(0, 2), Type(0, "A")}},        // an edit after it stays
        {"(empty)>- (none)>- F2>- E2>3", {Pick(1, 2), Pick(1, 0)}},
        {"Eng>3 Eng>3 Eng>2 E2>3", {Pick(0, 4), Pick(1, 4), Pick(2, 3)}}, // apart by position
        {filledSlots, {Pick(0, 2), Type(1, "Typed"), cancel}},
        {std::string(1023, 'x') + ">- Z>0 F2>- E2>3", {Type(0, QString(1100, 'x'))}}, // bounded
        {"Zulu>0 Fire drill>0 F2>- E2>3",
         {Pick(0, 1), Type(1, "[Fire] in flight"), refusedOk, Type(1, "Fire drill")}},
        {"(empty)>- Fire drill>4 F2>- E2>3", {Pick(1, 5), refusedOk, Type(1, "Fire drill")}},
    };
    const std::string path = WriteFile(TempPath("filled.ckl"), filledFile);
    for (const auto& [after, acts] : rows) {
        SCOPED_TRACE(after);
        document = std::make_unique<ChecklistDoc>();
        ASSERT_TRUE(document->LoadFile(path.c_str()));
        document->RemoveChecklist(document->ChecklistAt(5));
        document->modified = false;
        MessageBoxHook noBoxes;
        EXPECT_EQ(Run(acts), after == filledSlots ? IDCANCEL : IDOK);
        EXPECT_EQ(Slots(), after);
        EXPECT_FALSE(document->modified);
        EXPECT_TRUE(noBoxes.Shown().empty());
    }
}

// A new document's rows: every caption "(empty)", every list only "(none)". Screen readers name
// each caption box after its label and its hot button.
TEST_F(HotButtonsDlgTest, NewDocumentStoresCaptionsWithNoList) {
    const DialogScript readAloud = [](CDialog& d) {
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(CaptionBox(d, 3));
        EXPECT_EQ(box->text(QAccessible::Name) + " " + box->text(QAccessible::Description),
                  "Caption: Hot button 4");
        EXPECT_EQ(RowList(d, 2)->count(), 1);
    };
    EXPECT_EQ(Run({readAloud, Type(1, "Spare"), Type(3, "")}), IDOK);
    EXPECT_EQ(Slots(), "(empty)>- Spare>- (empty)>- >-");
}

TEST_F(HotButtonsDlgTest, WithoutDocumentEndsAtOnce) {
    CHotButtonsDlg dialog;
    ScopedModalHook hook(Press(IDCANCEL)); // would end a dialog shown with 2
    EXPECT_EQ(dialog.DoModal(), -1);
}

} // namespace
