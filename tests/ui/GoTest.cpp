// The Go menu, the completion cue and kept ticks, driven as a user drives them: by the menus'
// commands, the keys, the buttons and the boxes of the tree.
#include "KeptTicks.h"
#include "UiTestSupport.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDateTime>
#include <QFrame>
#include <QMenu>
#include <QTreeWidget>

namespace {

// Three plain lists, two emergency lists with a hot button to the first, one abnormal list.
const char flightFile[] = "[$$CHECKLIST]\nPreflight\nFuel\nOil\n[$$END]\n"
                          "[$$CHECKLIST]\nTaxi\nBrakes\n[$$END]\n"
                          "[$$CHECKLIST]\nShutdown\nMixture\n[$$END]\n"
                          "[$$CHECKLIST]\nEmergency: Engine fire\nFuel off\nLand\n[$$END]\n"
                          "[$$HOTBUTTON]\n0\nFire\n[$$END]\n"
                          "[$$CHECKLIST]\nEmergency: Smoke\nVents\n[$$END]\n"
                          "[$$CHECKLIST]\nAbnormal: Icing\nPitot heat\n[$$END]\n";

class GoTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        file = QString::fromStdString(WriteFile(TempPath("flight.ckl"), flightFile));
        StoreRememberedFile(file.toUtf8().constData());
    }
    QString file;
};

// Keys pressed where the user is, the tree of the active window.
void Press(CChecklistDlg& screen, int key, Qt::KeyboardModifiers modifiers) {
    QApplication::setActiveWindow(&screen);
    screen.Tree().GetControl()->setFocus();
    QTest::keyClick(screen.Tree().GetControl(), Qt::Key(key), modifiers);
}

// Which of Next, Previous and Back may be chosen: "NPB", a "-" for each greyed one.
std::string Open(CChecklistDlg& screen) {
    std::string open;
    for (const auto& [id, letter] :
         {std::pair{ID_GO_NEXT, 'N'}, std::pair{ID_GO_PREVIOUS, 'P'}, std::pair{ID_GO_BACK, 'B'}}) {
        open += Entry(screen, id)->isEnabled() ? letter : '-';
    }
    return open;
}

// The completion cue as the user sees it: "" when hidden, else its words and its button's text.
std::string Cue(CChecklistDlg& screen) {
    if (screen.CompletionCue() == nullptr) {
        return "";
    }
    EXPECT_TRUE(screen.CompletionCue()->isVisible());
    QPushButton* next = screen.CompletionNextButton();
    return "complete" + (next != nullptr ? " / " + next->text().toStdString() : "");
}

// The menu bar's buttons, the Go menu's entries with their keys ("-" a separator, "[ ]" a
// check entry) and where the Lists button is, the same on both ways in.
TEST_F(GoTest, GoFollowsListsWithItsEntriesAndKeysOnEveryStart) {
    for (const QString& opened : {QString(), file}) {
        RunScreen(
            [](CChecklistDlg& screen) {
                QStringList buttons;
                for (int i = 0; i < screen.GetMenuBar().ButtonCount(); ++i) {
                    buttons << screen.GetMenuBar().GetButtonText(i);
                }
                EXPECT_EQ(buttons.join('|'), "File|Edit|Help|Lists|Go|View");
                screen.RebuildListsMenu();
                EXPECT_EQ(screen.ListsButtonPosition(), 3);
                QStringList entries;
                for (QAction* entry : screen.GetMenuBar().GetButtonMenu(4)->actions()) {
                    const int id = entry->data().toInt();
                    EXPECT_EQ(CChecklistDlg::ListsEntryPosition(id), -1) << id;
                    entries << (entry->isSeparator()
                                    ? QStringLiteral("-")
                                    : entry->text() + (entry->isCheckable() ? " [ ]" : "") +
                                          (entry->menu() ? " >" : "") + " " +
                                          entry->shortcut().toString());
                }
                EXPECT_EQ(entries.join('|'),
                          "Next Checklist Ctrl+PgDown|Previous Checklist Ctrl+PgUp|Back Alt+Left|"
                          "-|Emergency > |-|Keep Ticks [ ] |Clear All Ticks ");
                EXPECT_FALSE(Entry(screen, ID_GO_KEEP_TICKS)->isChecked());
            },
            {}, opened);
    }
}

// Next and Previous walk the file's order within a group: the plain names are one group, each
// named group its own, whatever comes between.
TEST_F(GoTest, NextAndPreviousStayWithinTheGroupAndAreGreyedAtItsEnds) {
    RunScreen([](CChecklistDlg& screen) {
        EXPECT_EQ(Open(screen), "N--");
        Press(screen, Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(View(screen), "Taxi: Brakes");
        Press(screen, Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(View(screen), "Shutdown: Mixture");
        EXPECT_EQ(Open(screen), "-PB");
        Choose(screen, ID_GO_NEXT); // greyed: nothing
        Press(screen, Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(View(screen), "Shutdown: Mixture");
        Press(screen, Qt::Key_PageUp, Qt::ControlModifier);
        Press(screen, Qt::Key_PageUp, Qt::ControlModifier);
        EXPECT_EQ(View(screen), "Preflight: Fuel|Oil");
        EXPECT_EQ(Open(screen), "N-B");

        ChooseListsEntry(screen, 3);
        EXPECT_EQ(Open(screen), "N-B");
        Choose(screen, ID_GO_NEXT);
        EXPECT_EQ(View(screen), "Emergency: Smoke: Vents");
        EXPECT_EQ(Open(screen), "-PB");
        ChooseListsEntry(screen, 5);
        EXPECT_EQ(Open(screen), "--B");
    });
}

struct EmergencyRow {
    const char* name;
    const char* file;
    const char* afterKey; // what Ctrl+E shows
    const char* entries;  // the Emergency submenu
};

// Ctrl+E shows the only emergency list, or pops the submenu up over the tree to pick from; with
// none, the submenu is greyed and the key does nothing.
TEST_F(GoTest, EmergencyListsAreOneKeyAway) {
    const EmergencyRow rows[] = {
        {"None", "[$$CHECKLIST]\nStart\nA\n[$$END]\n[$$CHECKLIST]\nEmergencies: X\nB\n[$$END]\n",
         "Start: A", ""},
        {"One",
         "[$$CHECKLIST]\nStart\nA\n[$$END]\n[$$CHECKLIST]\nEMERGENCY PROCEDURES: Ditching & "
         "swim\nB\n[$$END]\n",
         "EMERGENCY PROCEDURES: Ditching & swim: B", "EMERGENCY PROCEDURES: Ditching && swim"},
        {"Several", flightFile, "(menu)", "Emergency: Engine fire|Emergency: Smoke"},
    };
    for (const EmergencyRow& row : rows) {
        SCOPED_TRACE(row.name);
        StoreRememberedFile(WriteFile(TempPath("e.ckl"), row.file).c_str());
        RunScreen([&row](CChecklistDlg& screen) {
            QMenu* menu = screen.EmergencyMenu();
            QStringList entries;
            for (QAction* entry : menu->actions()) {
                entries << entry->text();
            }
            EXPECT_EQ(entries.join('|').toStdString(), row.entries);
            EXPECT_EQ(menu->menuAction()->isEnabled(), !entries.isEmpty());
            Press(screen, Qt::Key_E, Qt::ControlModifier);
            if (std::string(row.afterKey) != "(menu)") {
                EXPECT_FALSE(menu->isVisible());
                EXPECT_EQ(View(screen), row.afterKey);
                return;
            }
            ASSERT_TRUE(menu->isVisible());
            EXPECT_EQ(View(screen), "Preflight: Fuel|Oil");
            // The first entry is ready for Enter; Down and Enter take the second.
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
            EXPECT_FALSE(menu->isVisible());
            EXPECT_EQ(View(screen), "Emergency: Smoke: Vents");
            // From the Go menu as well; Back leads to where the pilot was, one jump at a time.
            menu->actions().at(0)->trigger();
            EXPECT_EQ(View(screen), "Emergency: Engine fire: Fuel off|Land");
            Choose(screen, ID_GO_BACK);
            EXPECT_EQ(View(screen), "Emergency: Smoke: Vents");
            Choose(screen, ID_GO_BACK);
            EXPECT_EQ(View(screen), "Preflight: Fuel|Oil");
            EXPECT_EQ(Open(screen), "N--");
        });
    }
}

// Back takes back jumps made by hot button, Lists, Go and the completion cue, with the item that
// was current; edits that show a list are no jumps. It skips lists deleted since, keeps the last
// 20 jumps, and New starts without any.
TEST_F(GoTest, BackWalksTheJumpsWithTheItemThatWasCurrent) {
    MessageBoxHook boxes;
    Push(boxes, {IDYES, IDNO});
    RunScreen(
        [](CChecklistDlg& screen) {
            Select(screen, 1);
            PressHotButton(screen, 0);
            ChooseListsEntry(screen, 1);
            Tick(screen, 0); // Taxi complete: its cue leads on
            screen.CompletionNextButton()->click();
            Choose(screen, ID_GO_PREVIOUS);
            Choose(screen, ID_EDIT_NEW_CHECKLIST); // shows the new list, but is no jump
            EXPECT_EQ(View(screen), "Extra:");
            Press(screen, Qt::Key_Left, Qt::AltModifier);
            EXPECT_EQ(View(screen), "Shutdown: Mixture");
            for (const char* shown : {"Taxi: Brakes", "Emergency: Engine fire: Fuel off|Land",
                                      "Preflight: Fuel|>Oil"}) {
                Choose(screen, ID_GO_BACK);
                EXPECT_EQ(View(screen), shown);
            }
            EXPECT_EQ(Open(screen), "N--");

            // Shutdown is deleted while it waits on the list: Back passes it by.
            ChooseListsEntry(screen, 2);
            ChooseListsEntry(screen, 1);
            ChooseListsEntry(screen, 2);
            Choose(screen, ID_EDIT_DELETE_CHECKLIST); // Yes; the first list is shown
            Choose(screen, ID_GO_BACK);
            EXPECT_EQ(View(screen), "Taxi: Brakes");
            Choose(screen, ID_GO_BACK);
            EXPECT_EQ(View(screen), "Preflight: Fuel|>Oil");
            EXPECT_EQ(Open(screen), "N--");

            for (int jump = 0; jump < 25; ++jump) {
                ChooseListsEntry(screen, jump % 5);
            }
            int steps = 0;
            while (Entry(screen, ID_GO_BACK)->isEnabled() && steps < 30) {
                Choose(screen, ID_GO_BACK);
                ++steps;
            }
            EXPECT_EQ(steps, static_cast<int>(CChecklistDlg::backSteps));
            ChooseListsEntry(screen, 1);
            Choose(screen, ID_FILE_NEW); // No to saving
            EXPECT_EQ(Open(screen), "---");
        },
        {EnterName("Extra")});
    EXPECT_EQ(Boxes(boxes).size(), 2);
}

// The cue comes when the last open box is ticked, by key or mouse, and goes when a box is
// unticked or another list is shown. Screen readers read it and press its button; nothing of the
// screen moves for it.
TEST_F(GoTest, CompletionCueComesWithTheLastTickAndLeadsOn) {
    RunScreen([](CChecklistDlg& screen) {
        QTreeWidget* tree = screen.Tree().GetControl();
        const QRect treePlace = tree->geometry();
        const QRect buttonPlace = screen.GetDlgItem(IDC_HOTBUTTON0)->geometry();
        Select(screen, 0);
        Press(screen, Qt::Key_Space, Qt::NoModifier);
        EXPECT_EQ(Cue(screen), "");
        Press(screen, Qt::Key_Space, Qt::NoModifier);
        EXPECT_EQ(Cue(screen), "complete / Next: Taxi");
        // Inside the tree's frame, below its items, the last of which is still in view.
        const QRect cue = screen.CompletionCue()->geometry().translated(-tree->pos());
        EXPECT_TRUE(tree->contentsRect().contains(cue));
        EXPECT_FALSE(tree->viewport()->geometry().intersects(cue));
        EXPECT_GT(cue.height(), 0);
        EXPECT_TRUE(
            tree->viewport()->rect().contains(tree->visualItemRect(screen.Tree().GetItem(1))));
        EXPECT_EQ(tree->geometry(), treePlace);
        EXPECT_EQ(screen.GetDlgItem(IDC_HOTBUTTON0)->geometry(), buttonPlace);

        // Assistive tools find the cue among the window's controls, not hidden in the tree.
        QAccessibleInterface* next =
            QAccessible::queryAccessibleInterface(screen.CompletionNextButton());
        QAccessibleInterface* parent = QAccessible::queryAccessibleInterface(tree)->parent();
        QStringList names;
        for (int i = 0; i < parent->childCount(); ++i) {
            for (int j = 0; j < parent->child(i)->childCount(); ++j) {
                names << parent->child(i)->child(j)->text(QAccessible::Name);
            }
        }
        EXPECT_TRUE(names.contains("Checklist complete")) << names.join('|').toStdString();
        EXPECT_TRUE(names.contains("Next: Taxi")) << names.join('|').toStdString();
        EXPECT_EQ(next->text(QAccessible::Name), "Next: Taxi");
        screen.Tree().SetCheck(screen.Tree().GetItem(0), false);
        EXPECT_EQ(Cue(screen), "");
        Tick(screen, 0);
        EXPECT_EQ(Cue(screen), "complete / Next: Taxi");
        // A screen reader's press clicks the button a moment later, as a key would.
        EXPECT_TRUE(next->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        screen.CompletionNextButton()->click();
        EXPECT_EQ(View(screen), "Taxi: Brakes");
        EXPECT_EQ(Cue(screen), "");

        Tick(screen, 0);
        EXPECT_EQ(Cue(screen), "complete / Next: Shutdown");
        Press(screen, Qt::Key_PageDown, Qt::ControlModifier);
        EXPECT_EQ(View(screen), "Shutdown: Mixture");
        Tick(screen, 0);
        EXPECT_EQ(Cue(screen), "complete"); // the group's last list leads nowhere
        PressHotButton(screen, 0);
        EXPECT_EQ(Cue(screen), "");
    });
}

// Off, as it always was: every list shown afresh has empty boxes, and no state is written.
TEST_F(GoTest, WithoutKeepTicksEveryRefillClearsTheTicks) {
    RunScreen([](CChecklistDlg& screen) {
        EXPECT_FALSE(screen.KeepsTicks());
        Tick(screen, 1);
        PressHotButton(screen, 0);
        Tick(screen, 0);
        Choose(screen, ID_GO_BACK);
        EXPECT_EQ(View(screen), "Preflight: Fuel|Oil");
        Choose(screen, ID_GO_NEXT);
        EXPECT_EQ(View(screen), "Taxi: Brakes");
        ChooseListsEntry(screen, 3);
        EXPECT_EQ(View(screen), "Emergency: Engine fire: Fuel off|Land");
    });
    EXPECT_FALSE(QFile::exists(KeptTicks::StateFilePath()));
}

// On, a tick belongs to its item: it stays through jumps, moves with its item, comes back with
// an item put back by Undo, and survives an edit of the item's text.
TEST_F(GoTest, KeptTicksFollowTheirItemsThroughJumpsAndEdits) {
    MessageBoxHook boxes;
    RunScreen(
        [](CChecklistDlg& screen) {
            Tick(screen, 0);
            Choose(screen, ID_GO_KEEP_TICKS); // what is ticked now is kept
            EXPECT_TRUE(Entry(screen, ID_GO_KEEP_TICKS)->isChecked());
            PressHotButton(screen, 0);
            Tick(screen, 1);
            Choose(screen, ID_GO_BACK);
            EXPECT_EQ(View(screen), "Preflight: +Fuel|Oil");
            Choose(screen, ID_GO_NEXT);
            Choose(screen, ID_GO_PREVIOUS);
            ChooseListsEntry(screen, 3);
            EXPECT_EQ(View(screen), "Emergency: Engine fire: Fuel off|+Land");

            ChooseListsEntry(screen, 0);
            Choose(screen, ID_EDIT_ADD_ITEM);
            EXPECT_EQ(View(screen), "Preflight: +Fuel|Oil|Mags");
            Select(screen, 0);
            Choose(screen, ID_EDIT_MOVE_DOWN);
            EXPECT_EQ(View(screen), "Preflight: Oil|+Fuel|Mags");
            Select(screen, 1);
            Choose(screen, ID_EDIT_DELETE_ITEM);
            EXPECT_EQ(View(screen), "Preflight: Oil|Mags");
            Choose(screen, ID_EDIT_UNDO);
            EXPECT_EQ(View(screen), "Preflight: Oil|+Fuel|Mags");
            Select(screen, 1);
            Choose(screen, ID_EDIT_EDIT_ITEM);
            EXPECT_EQ(View(screen), "Preflight: Oil|+>Fuel on|Mags");

            Choose(screen, ID_GO_CLEAR_TICKS);
            EXPECT_EQ(View(screen), "Preflight: Oil|>Fuel on|Mags");
            ChooseListsEntry(screen, 3);
            EXPECT_EQ(View(screen), "Emergency: Engine fire: Fuel off|Land");
        },
        {EnterItem("Mags"),
         EnterText("Edit Item", "Enter the new text of the item:", "Fuel", "Fuel on")});
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(ReadRememberedSwitch(keepTicksSwitch, false));
}

// Ticks kept on a file come back with the list that was shown at the next start on the same
// file, also after the program's own Save; a file changed by someone else, even only touched,
// or a document left with unsaved edits, starts clean; and so do New and Load.
TEST_F(GoTest, KeptTicksComeBackOnlyForTheSameUnchangedFile) {
    StoreRememberedSwitch(keepTicksSwitch, true);
    const auto tickSome = [](CChecklistDlg& screen) {
        EXPECT_TRUE(Entry(screen, ID_GO_KEEP_TICKS)->isChecked());
        Tick(screen, 1);
        PressHotButton(screen, 0);
        Tick(screen, 0);
    };
    // Each leaves the list it found shown, for the next start.
    const auto comesBack = [](CChecklistDlg& screen) {
        EXPECT_EQ(View(screen), "Emergency: Engine fire: +Fuel off|Land");
        ChooseListsEntry(screen, 0);
        EXPECT_EQ(View(screen), "Preflight: Fuel|+Oil");
        Choose(screen, ID_GO_BACK);
    };
    const auto clean = [](CChecklistDlg& screen) {
        EXPECT_EQ(View(screen), "Preflight: Fuel|Oil");
        ChooseListsEntry(screen, 3);
        EXPECT_EQ(View(screen), "Emergency: Engine fire: Fuel off|Land");
        Choose(screen, ID_GO_BACK);
    };
    RunScreen(tickSome);
    RunScreen(comesBack);
    RunScreen(comesBack, {}, file); // named on the command line: the same file

    RunScreen([](CChecklistDlg& screen) { Choose(screen, ID_FILE_SAVE); });
    RunScreen(comesBack);

    // An edit left unsaved at Exit: the ticks' places in the file no longer hold.
    RunScreen([](CChecklistDlg& screen) {
        ChooseListsEntry(screen, 0);
        Select(screen, 1);
        Choose(screen, ID_EDIT_MOVE_UP);
        EXPECT_EQ(View(screen), "Preflight: +Oil|Fuel");
        Choose(screen, ID_GO_BACK);
    });
    RunScreen(clean);

    RunScreen(tickSome);
    QFile touched(file);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(touched.fileTime(QFileDevice::FileModificationTime).addSecs(2),
                                    QFileDevice::FileModificationTime));
    touched.close();
    RunScreen(clean);

    RunScreen(tickSome);
    MessageBoxHook boxes;
    FileDialogHook files;
    files.PushPath(file);
    RunScreen([](CChecklistDlg& screen) {
        Choose(screen, ID_FILE_LOAD);
        EXPECT_EQ(View(screen), "Preflight: Fuel|Oil");
    });
    RunScreen(clean);
    EXPECT_TRUE(boxes.Shown().empty());
}

// A state file that is not the program's, or not whole, is passed over without a word; the
// first list shows as on any start, and the next change writes a sound file in its place.
TEST_F(GoTest, DamagedOrForeignKeptTicksAreIgnored) {
    StoreRememberedSwitch(keepTicksSwitch, true);
    RunScreen([](CChecklistDlg& screen) { PressHotButton(screen, 0); });
    QFile state(KeptTicks::StateFilePath());
    ASSERT_TRUE(state.open(QIODevice::ReadOnly));
    const QByteArray sound = state.readAll();
    state.close();
    const std::pair<const char*, QByteArray> rows[] = {
        {"Garbage", QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)},
        {"Cut", sound.left(sound.size() / 2)},
        {"Foreign", QByteArray(sound).replace("tarvasto kept ticks", "another program")},
        {"LaterVersion", QByteArray(sound).replace("\"version\":1", "\"version\":2")},
        {"ListOutside", QByteArray(sound).replace("\"ticks\":[]", "\"ticks\":[[6,0]]")},
        {"ItemOutside", QByteArray(sound).replace("\"ticks\":[]", "\"ticks\":[[0,2]]")},
        {"NotANumber", QByteArray(sound).replace("\"ticks\":[]", "\"ticks\":[[0,\"1\"]]")},
        {"Fraction", QByteArray(sound).replace("\"ticks\":[]", "\"ticks\":[[0,0.5]]")},
        {"ShownOutside", QByteArray(sound).replace("\"shown\":3", "\"shown\":9")},
    };
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        ASSERT_NE(bytes, sound);
        WriteFile(KeptTicks::StateFilePath(), bytes.toStdString());
        MessageBoxHook boxes;
        RunScreen([](CChecklistDlg& screen) {
            EXPECT_EQ(View(screen), "Preflight: Fuel|Oil");
            PressHotButton(screen, 0);
        });
        EXPECT_TRUE(boxes.Shown().empty());
    }
    // What the last start wrote is sound again: its list comes back.
    RunScreen([](CChecklistDlg& screen) {
        EXPECT_EQ(View(screen), "Emergency: Engine fire: Fuel off|Land");
    });
}

} // namespace
