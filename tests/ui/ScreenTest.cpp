// The checklist screen: what it opens at start-up, switching lists, ticks, the Lists menu.
#include "UiTestSupport.h"

#include <QAccessible>
#include <QMenu>
#include <QScrollBar>
#include <QScroller>
#include <QTreeWidget>
#include <functional>
#include <memory>

namespace {

const std::string noButtons = "(empty)|(empty)|(empty)|(empty) / ";

class ScreenTest : public UiTest {};

// The first start opens the default file; a remembered file that cannot be opened leaves an
// empty screen. Either way the start stays silent, and a document it could not load counts as
// unsaved. (A remembered file that opens: the journey's second start.)
TEST_F(ScreenTest, StartUpOpensTheDefaultOrRememberedFileOrAnEmptyScreen) {
    struct Row {
        const char* name;
        const char* remembered; // stored before the start, when not null
        std::string loaded;
        std::string shown; // View / Bar
    };
    const Row rows[] = {
        {"first_start_opens_the_default_whose_first_list_is_empty", nullptr, defaultRememberedFile,
         "Empty: / " + noButtons + "Empty|Full"},
        {"remembered_file_missing", "\\My Documents\\two.ckl", "", "Static: / " + noButtons},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IsolatedHome ownHome;
        if (!row.loaded.empty()) {
            WriteFile(Documents() + "/aviation.ckl",
                      "[$$CHECKLIST]\nEmpty\n[$$END]\n[$$CHECKLIST]\nFull\nI\n[$$END]");
        }
        if (row.remembered != nullptr) {
            StoreRememberedFile(row.remembered);
        }
        MessageBoxHook boxes;
        RunScreen([&](CChecklistDlg& screen) {
            EXPECT_EQ(View(screen) + " / " + Bar(screen), row.shown);
            ChecklistDoc& document = *screen.Document();
            EXPECT_EQ(document.fileName != nullptr ? document.fileName : "", row.loaded);
            EXPECT_EQ(document.modified, row.loaded.empty());
        });
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

// Numbered on, Lists entries from the 100th would carry the File, Edit and Help commands'
// numbers. Switching lists, by Lists entry or by hot button, clears every tick, also when the
// list shown is shown again. Space ticks the selected item; the tree is named after its list.
TEST_F(ScreenTest, EveryListsEntryAndHotButtonShowsItsChecklistWithTheTicksCleared) {
    std::string file;
    for (int k = 0; k < 130; ++k) {
        file += "[$$CHECKLIST]\nList " + std::to_string(k) + "\nItem\nMore\n[$$END]\n";
    }
    StoreRememberedFile(
        WriteFile(TempPath("many.ckl"), file + "[$$HOTBUTTON]\n2\nL\n[$$END]").c_str());
    MessageBoxHook boxes;
    FileDialogHook files;
    RunScreen([](CChecklistDlg& screen) {
        for (int rebuild = 0; rebuild < 25; ++rebuild) {
            screen.RebuildListsMenu();
        }
        // The Lists button stays one, after Help and before Go and View.
        EXPECT_EQ(screen.GetMenuBar().ButtonCount(), 6);
        EXPECT_EQ(screen.ListsButtonPosition(), 3);
        EXPECT_EQ(screen.GetMenuBar().GetButtonText(4), "Go");
        for (int k = 129; k >= 0; --k) {
            ChooseListsEntry(screen, k);
            ASSERT_EQ(View(screen), "List " + std::to_string(k) + ": Item|More");
            Tick(screen, 0);
        }
        QTreeWidget* tree = screen.Tree().GetControl();
        EXPECT_EQ(tree->accessibleName(), "List 0");
        Select(screen, 1);
        QTest::keyClick(tree, Qt::Key_Space);
        EXPECT_EQ(View(screen), "List 0: +Item|+>More");
        PressHotButton(screen, 2);
        EXPECT_EQ(View(screen), "List 129: Item|More");
        Tick(screen, 0);
        PressHotButton(screen, 2);
        EXPECT_EQ(View(screen), "List 129: Item|More");
        EXPECT_FALSE(screen.Document()->modified);
    });
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(files.Asked().empty());
}

} // namespace

namespace {

// Buttons and menu entries take "&" as a shortcut mark; names and captions show as written.
TEST_F(ScreenTest, AmpersandsInNamesAndCaptionsShowAsWritten) {
    StoreRememberedFile(WriteFile(TempPath("amp.ckl"), "[$$CHECKLIST]\nTaxi & Run-up\nI\n[$$END]\n"
                                                       "[$$HOTBUTTON]\n0\nTaxi & Run\n[$$END]")
                            .c_str());
    RunScreen([](CChecklistDlg& screen) {
        QWidget* button = screen.GetDlgItem(IDC_HOTBUTTON0);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name),
                  "Taxi & Run");
        QMenu* lists = screen.GetMenuBar().GetButtonMenu(screen.ListsButtonPosition());
        EXPECT_EQ(lists->actions().at(0)->iconText(), "Taxi & Run-up");
        EXPECT_EQ(View(screen), "Taxi & Run-up: I");
    });
}

} // namespace

namespace {

// Assistive tools find the controls by walking down from the window: every button, the menu
// bar's OK (Close) included, must be on that walk.
TEST_F(ScreenTest, AssistiveToolsReachEveryButton) {
    RunScreen([](CChecklistDlg& screen) {
        QStringList buttons;
        std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            if (node->role() == QAccessible::Button) {
                buttons << node->text(QAccessible::Name);
            }
            for (int i = 0; i < node->childCount(); ++i) {
                walk(node->child(i));
            }
        };
        walk(QAccessible::queryAccessibleInterface(&screen));
        EXPECT_EQ(buttons.join('|'), "(empty)|(empty)|(empty)|(empty)|OK");
    });
}

} // namespace

namespace {

// On a desktop the window opens where Close left it, at its size; Exit stores nothing. A damaged
// stored value leaves the window as it opens at the first start.
TEST_F(ScreenTest, TheWindowOpensWhereCloseLeftIt) {
    MessageBoxHook boxes;
    Push(boxes, {IDNO}); // the empty document is unsaved
    QRect first;
    RunScreen([&](CChecklistDlg& screen) { first = screen.geometry(); });
    const QRect moved(first.topLeft() + QPoint(17, 23), first.size() - QSize(31, 42));
    const auto endWith = [&](int command) {
        return [=](CChecklistDlg& screen) {
            screen.setGeometry(moved.translated(command == IDOK ? 0 : 5, 0));
            screen.SendCommand(command);
        };
    };
    RunScreen(endWith(IDOK));
    RunScreen(endWith(ID_FILE_EXIT));
    RunScreen([&](CChecklistDlg& screen) { EXPECT_EQ(screen.geometry(), moved); });
    for (const char* damaged : {"not a placement", "AdnQywADAAA=", "", "40 40 9 9 0",
                                "-9000 0 500 500 0", "40 40 500 500 2", "40 40 500 500 0 0"}) {
        SCOPED_TRACE(damaged);
        StoreRememberedWindow(damaged);
        RunScreen([&](CChecklistDlg& screen) { EXPECT_EQ(screen.geometry(), first); });
    }
}

// On a screen as narrow as a phone held upright, a long item wraps onto further lines inside the
// tree rather than running off its edge behind a sideways scroll bar; a finger on its touch screen
// drags the tree.
TEST_F(ScreenTest, LongItemsWrapOnANarrowScreen) {
    const std::unique_ptr<QPointingDevice> touchScreen(QTest::createTouchDevice());
    StoreRememberedFile(
        WriteFile(TempPath("long.ckl"),
                  "[$$CHECKLIST]\nPreflight\nFUEL ..... CHECK\nPROPELLER AND SPINNER ..... NO "
                  "NICKS, SECURE, NO OIL LEAKS AT THE HUB\n[$$END]\n")
            .c_str());
    RunScreen([](CChecklistDlg& screen) {
        // Laid out wide first, as on a phone turned upright from its side: one line each.
        QTreeWidget* tree = screen.Tree().GetControl();
        const int lines = tree->fontMetrics().lineSpacing();
        screen.resize(700, 360);
        QCoreApplication::processEvents();
        EXPECT_LT(tree->visualItemRect(screen.Tree().GetItem(1)).height(), 2 * lines);
        screen.resize(360, 640);
        QCoreApplication::processEvents(); // the tree lays its rows out anew
        const int width = tree->viewport()->width();
        const QRect shortRow = tree->visualItemRect(screen.Tree().GetItem(0));
        const QRect longRow = tree->visualItemRect(screen.Tree().GetItem(1));
        EXPECT_LT(width, 360);
        EXPECT_LE(longRow.right(), width);
        EXPECT_GE(longRow.height(), 2 * lines);
        EXPECT_LT(shortRow.height(), 2 * lines);
        EXPECT_EQ(tree->horizontalScrollBar()->maximum(), 0);
        EXPECT_TRUE(QScroller::hasScroller(tree->viewport()));
        EXPECT_TRUE(tree->viewport()->testAttribute(Qt::WA_AcceptTouchEvents));
    });
}

} // namespace
