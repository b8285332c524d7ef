#include "CHotButtonsDlg.h"
#include "ChecklistDoc.h"
#include "MessageBox.h"
#include "ScopedModalHook.h"
#include "resource.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

constexpr int rowCount = CHotButtonsDlg::rowCount;
constexpr std::array<int, rowCount> captionIds{IDC_ROWCAPTION0, IDC_ROWCAPTION1, IDC_ROWCAPTION2,
                                               IDC_ROWCAPTION3};
constexpr std::array<int, rowCount> listIds{IDC_ROWLIST0, IDC_ROWLIST1, IDC_ROWLIST2, IDC_ROWLIST3};

QLineEdit* CaptionBox(CDialog& dialog, int row) {
    return dialog.GetDlgItem<QLineEdit>(captionIds[row]);
}

QComboBox* RowList(CDialog& dialog, int row) {
    return dialog.GetDlgItem<QComboBox>(listIds[row]);
}

// The user picks entry in the row's list, as a click in the dropped-down list does.
void Pick(CDialog& dialog, int row, int entry) {
    QComboBox* list = RowList(dialog, row);
    list->setCurrentIndex(entry);
    emit list->activated(entry);
}

// The user replaces the row's caption by typing.
void TypeCaption(CDialog& dialog, int row, const QString& text) {
    QLineEdit* box = CaptionBox(dialog, row);
    box->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(box, text);
    }
}

// What one row shows.
struct RowView {
    QString caption;
    QStringList entries;
    int selected;
    bool operator==(const RowView&) const = default;
};

void PrintTo(const RowView& row, std::ostream* out) {
    *out << '"' << row.caption.toStdString() << "\" [" << row.entries.join('|').toStdString()
         << "] selected " << row.selected;
}

std::array<RowView, rowCount> ReadRows(CDialog& dialog) {
    std::array<RowView, rowCount> rows;
    for (int row = 0; row < rowCount; ++row) {
        QComboBox* list = RowList(dialog, row);
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) {
            entries << list->itemText(i);
        }
        rows[row] = {CaptionBox(dialog, row)->text(), entries, list->currentIndex()};
    }
    return rows;
}

// What one slot holds.
struct SlotView {
    std::string caption;
    const Checklist* checklist;
    bool operator==(const SlotView&) const = default;
};

void PrintTo(const SlotView& slot, std::ostream* out) {
    *out << '"' << slot.caption << "\" -> " << static_cast<const void*>(slot.checklist);
}

class HotButtonsDlgTest : public ::testing::Test {
protected:
    Checklist* Add(const char* name) {
        Checklist* checklist = document.CreateChecklist();
        checklist->SetName(name);
        document.AppendChecklist(checklist);
        return checklist;
    }

    std::array<SlotView, rowCount> Slots() {
        std::array<SlotView, rowCount> views;
        for (int i = 0; i < rowCount; ++i) {
            const HotButtonSlot* slot = document.SlotAt(i);
            views[i] = {slot->caption, slot->checklist};
        }
        return views;
    }

    std::array<const char*, rowCount> CaptionPointers() {
        std::array<const char*, rowCount> pointers{};
        for (int i = 0; i < rowCount; ++i) {
            pointers[i] = document.SlotAt(i)->caption;
        }
        return pointers;
    }

    // Runs the dialog on the document; act works on the shown dialog and, unless it ends the
    // dialog, OK is pressed after it.
    int Run(const std::function<void(CDialog&)>& act) {
        CHotButtonsDlg dialog;
        dialog.document = &document;
        ScopedModalHook hook([&](CDialog& running) {
            act(running);
            if (!running.HasEnded()) {
                running.SendCommand(IDOK);
            }
        });
        return dialog.DoModal();
    }

    std::array<RowView, rowCount> RowsShown() {
        std::array<RowView, rowCount> rows;
        Run([&](CDialog& dialog) {
            rows = ReadRows(dialog);
            dialog.SendCommand(IDCANCEL);
        });
        return rows;
    }

    ChecklistDoc document;
};

// --- What the rows show -------------------------------------------------------------------------

TEST_F(HotButtonsDlgTest, NewDocumentShowsEmptyCaptionsAndNone) {
    const RowView empty{"(empty)", {"(none)"}, 0};
    EXPECT_EQ(RowsShown(), (std::array{empty, empty, empty, empty}));
}

// The lists keep the document's order, never sorted; a slot shows its own caption.
TEST_F(HotButtonsDlgTest, SlotsShowTheirOwnCaptionAndTheirChecklistSelected) {
    Checklist* zulu = Add("Zulu");
    Checklist* alpha = Add("Alpha");
    Checklist* mike = Add("Mike");
    document.SetSlot(0, "Short", mike);
    document.SetSlot(1, "Z", zulu);
    document.SetSlot(3, "", alpha);
    const QStringList entries{"(none)", "Zulu", "Alpha", "Mike"};
    EXPECT_EQ(RowsShown(), (std::array<RowView, rowCount>{{{"Short", entries, 3},
                                                           {"Z", entries, 1},
                                                           {"(empty)", entries, 0},
                                                           {"", entries, 2}}}));
}

TEST_F(HotButtonsDlgTest, SlotOfDeletedChecklistShowsNoneAndOkClearsIt) {
    Checklist* before = Add("Before Take-off");
    Checklist* fire = Add("Engine Fire");
    document.SetSlot(0, "Fire", fire);
    document.SetSlot(2, "Fire again", fire);
    document.RemoveChecklist(fire); // clears slot 0 only; slot 2 still names the checklist

    const QStringList entries{"(none)", "Before Take-off"};
    EXPECT_EQ(RowsShown()[2], (RowView{"Fire again", entries, 0}));

    EXPECT_EQ(Run([](CDialog&) {}), IDOK);
    EXPECT_EQ(Slots()[2], (SlotView{"Fire again", nullptr}));
    EXPECT_EQ(Slots()[0], (SlotView{"(empty)", nullptr}));
    EXPECT_EQ(document.IndexOfChecklist(before), 0);
}

// --- Picking and editing ------------------------------------------------------------------------

TEST_F(HotButtonsDlgTest, PickAndEditInEitherOrder) {
    struct Case {
        const char* name;
        std::function<void(CDialog&)> act; // on row 0
        SlotView expected;
    };
    Add("Before Take-off");
    Checklist* landing = Add("Before Landing");
    const Case cases[] = {
        {"edit_then_pick_takes_picked_name",
         [](CDialog& d) {
             TypeCaption(d, 0, "Mine");
             Pick(d, 0, 2);
         },
         {"Before Landing", landing}},
        {"pick_then_edit_keeps_edit",
         [](CDialog& d) {
             Pick(d, 0, 2);
             TypeCaption(d, 0, "Land");
         },
         {"Land", landing}},
        {"picking_none_puts_none_in_caption",
         [](CDialog& d) {
             Pick(d, 0, 2);
             Pick(d, 0, 0);
         },
         {"(none)", nullptr}},
        {"repicking_same_entry_restores_name",
         [](CDialog& d) {
             Pick(d, 0, 2);
             TypeCaption(d, 0, "Land");
             Pick(d, 0, 2);
         },
         {"Before Landing", landing}},
    };
    for (const Case& row : cases) {
        document.SetSlot(0, "(empty)", nullptr);
        EXPECT_EQ(Run(row.act), IDOK) << row.name;
        EXPECT_EQ(Slots()[0], row.expected) << row.name;
    }
}

TEST_F(HotButtonsDlgTest, TwoRowsMayPickOneChecklist) {
    Add("Before Take-off");
    Checklist* landing = Add("Before Landing");
    EXPECT_EQ(Run([](CDialog& d) {
                  Pick(d, 0, 2);
                  Pick(d, 3, 2);
              }),
              IDOK);
    EXPECT_EQ(Slots()[0], (SlotView{"Before Landing", landing}));
    EXPECT_EQ(Slots()[3], (SlotView{"Before Landing", landing}));
}

TEST_F(HotButtonsDlgTest, ChecklistsOfOneNameStayApartByPosition) {
    Checklist* first = Add("Engine");
    Checklist* second = Add("Engine");
    document.SetSlot(2, "Eng 2", second);
    EXPECT_EQ(RowsShown()[2], (RowView{"Eng 2", {"(none)", "Engine", "Engine"}, 2}));
    EXPECT_EQ(Run([](CDialog& d) {
                  Pick(d, 0, 2);
                  Pick(d, 1, 1);
              }),
              IDOK);
    EXPECT_EQ(Slots()[0].checklist, second);
    EXPECT_EQ(Slots()[1].checklist, first);
    EXPECT_EQ(Slots()[2].checklist, second);
}

// --- OK and Cancel ------------------------------------------------------------------------------

TEST_F(HotButtonsDlgTest, OkWithoutChangesRewritesAllFourSlotsAsShown) {
    Checklist* takeoff = Add("Before Take-off");
    Checklist* landing = Add("Before Landing");
    document.SetSlot(0, "T/O", takeoff);
    document.SetSlot(1, "Land", landing);
    const auto slotsBefore = Slots();
    const auto pointersBefore = CaptionPointers();

    EXPECT_EQ(Run([](CDialog&) {}), IDOK);

    EXPECT_EQ(Slots(), slotsBefore);
    const auto pointersAfter = CaptionPointers();
    for (int i = 0; i < rowCount; ++i) {
        EXPECT_NE(pointersAfter[i], pointersBefore[i]) << "slot " << i << " was not rewritten";
    }
}

TEST_F(HotButtonsDlgTest, DocumentWithoutChecklistsStoresCaptionsWithNoChecklist) {
    EXPECT_EQ(Run([](CDialog& d) {
                  TypeCaption(d, 1, "Spare");
                  TypeCaption(d, 3, "");
              }),
              IDOK);
    EXPECT_EQ(
        Slots(),
        (std::array<SlotView, rowCount>{
            {{"(empty)", nullptr}, {"Spare", nullptr}, {"(empty)", nullptr}, {"", nullptr}}}));
}

TEST_F(HotButtonsDlgTest, EveryWayOfCancellingTouchesNothing) {
    struct Case {
        const char* name;
        std::function<void(CDialog&)> cancel;
    };
    const Case cases[] = {
        {"cancel_button", [](CDialog& d) { d.GetDlgItem<QPushButton>(IDCANCEL)->click(); }},
        {"escape_key", [](CDialog& d) { QTest::keyClick(CaptionBox(d, 0), Qt::Key_Escape); }},
    };
    Checklist* takeoff = Add("Before Take-off");
    Add("Before Landing");
    document.SetSlot(0, "T/O", takeoff);
    document.modified = false;
    const auto slotsBefore = Slots();
    const auto pointersBefore = CaptionPointers();
    for (const Case& row : cases) {
        EXPECT_EQ(Run([&](CDialog& d) {
                      Pick(d, 0, 2);
                      Pick(d, 1, 1);
                      TypeCaption(d, 2, "Typed");
                      row.cancel(d);
                  }),
                  IDCANCEL)
            << row.name;
        EXPECT_EQ(Slots(), slotsBefore) << row.name;
        EXPECT_EQ(CaptionPointers(), pointersBefore) << row.name;
        EXPECT_FALSE(document.modified) << row.name;
    }
}

TEST_F(HotButtonsDlgTest, FullScreenOkActsAsOkAndTitleStaysDialog) {
    Checklist* takeoff = Add("Before Take-off");
    QString title;
    EXPECT_EQ(Run([&](CDialog& d) {
                  title = d.windowTitle();
                  Pick(d, 0, 1);
                  ASSERT_NE(d.GetFullScreenOkButton(), nullptr);
                  d.GetFullScreenOkButton()->click();
              }),
              IDOK);
    EXPECT_EQ(title, "Dialog");
    EXPECT_EQ(Slots()[0], (SlotView{"Before Take-off", takeoff}));
}

TEST(HotButtonsDlg, WithoutDocumentEndsAtOnce) {
    CHotButtonsDlg dialog;
    bool hookRan = false;
    ScopedModalHook hook([&](CDialog& running) {
        hookRan = true;
        running.SendCommand(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(hookRan);
}

// --- Captions the file can keep -----------------------------------------------------------------

TEST_F(HotButtonsDlgTest, OkRefusesTagLikeCaptionAndStaysOpenUntilMended) {
    struct Case {
        const char* name;
        std::function<void(CDialog&)> spoil; // on row 1
    };
    const Case cases[] = {
        {"typed_caption", [](CDialog& d) { TypeCaption(d, 1, "[Fire] drill"); }},
        {"picked_checklist_name", [](CDialog& d) { Pick(d, 1, 2); }},
    };
    Checklist* takeoff = Add("Before Take-off");
    Add("[Emergency] Fire");
    document.SetSlot(0, "T/O", takeoff);
    document.modified = false;
    for (const Case& row : cases) {
        const auto slotsBefore = Slots();
        const auto pointersBefore = CaptionPointers();
        MessageBoxHook boxes;
        boxes.PushAnswer(IDOK);
        bool stayedOpen = false;
        std::array<SlotView, rowCount> slotsWhileOpen;
        QString selected;
        const int result = Run([&](CDialog& d) {
            Pick(d, 0, 0);
            row.spoil(d);
            d.SendCommand(IDOK);
            stayedOpen = !d.HasEnded();
            slotsWhileOpen = Slots();
            EXPECT_EQ(CaptionPointers(), pointersBefore) << row.name;
            selected = CaptionBox(d, 1)->selectedText();
            TypeCaption(d, 1, "Fire drill");
        });
        EXPECT_TRUE(stayedOpen) << row.name;
        EXPECT_EQ(slotsWhileOpen, slotsBefore) << row.name;
        EXPECT_TRUE(selected.startsWith('[')) << row.name << ": the refused caption is selected";
        ASSERT_EQ(boxes.Shown().size(), 1u) << row.name;
        EXPECT_EQ(boxes.Shown()[0].text,
                  "A caption that begins with [ and contains ] cannot be stored in a checklist "
                  "file.");
        EXPECT_EQ(boxes.Shown()[0].caption, "Error");
        EXPECT_EQ(boxes.Shown()[0].type, MB_OK);
        // Mended, the second OK applies everything.
        EXPECT_EQ(result, IDOK) << row.name;
        EXPECT_EQ(Slots()[1].caption, "Fire drill") << row.name;
        EXPECT_EQ(Slots()[0], (SlotView{"(none)", nullptr})) << row.name;
        EXPECT_FALSE(document.modified) << row.name;
        document.SetSlot(0, "T/O", takeoff);
        document.SetSlot(1, "(empty)", nullptr);
    }
}

TEST_F(HotButtonsDlgTest, CaptionBoxesTakeOneLineOfAtMost1023Bytes) {
    EXPECT_EQ(Run([](CDialog& d) {
                  QGuiApplication::clipboard()->setText("Fuel\r\npump\tON");
                  CaptionBox(d, 0)->selectAll();
                  CaptionBox(d, 0)->paste();
                  QGuiApplication::clipboard()->setText(QString::fromUtf8("ö").repeated(700));
                  CaptionBox(d, 3)->selectAll();
                  CaptionBox(d, 3)->paste();
              }),
              IDOK);
    EXPECT_EQ(Slots()[0].caption, "Fuel pump ON");
    std::string umlauts;
    for (int i = 0; i < 511; ++i) {
        umlauts += "ö";
    }
    EXPECT_EQ(Slots()[3].caption, umlauts);
}

// --- Screen readers -----------------------------------------------------------------------------

TEST_F(HotButtonsDlgTest, ScreenReaderNamesEveryRowsControlsAfterTheirLabels) {
    Add("Before Take-off");
    Run([](CDialog& d) {
        for (int row = 0; row < rowCount; ++row) {
            QAccessibleInterface* caption =
                QAccessible::queryAccessibleInterface(CaptionBox(d, row));
            EXPECT_EQ(caption->text(QAccessible::Name), "Caption:") << row;
            EXPECT_EQ(caption->text(QAccessible::Description),
                      QString("Hot button %1").arg(row + 1));

            QAccessibleInterface* list = QAccessible::queryAccessibleInterface(RowList(d, row));
            const auto labels = list->relations(QAccessible::Label);
            ASSERT_EQ(labels.size(), 1) << row;
            EXPECT_EQ(labels.first().first->text(QAccessible::Name), "CheckList:") << row;
            EXPECT_EQ(list->text(QAccessible::Description), QString("Hot button %1").arg(row + 1));
        }
        d.SendCommand(IDCANCEL);
    });
}

} // namespace
