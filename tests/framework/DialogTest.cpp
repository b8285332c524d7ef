#include "CApplication.h"
#include "CComboBox.h"
#include "CImageList.h"
#include "DialogTemplate.h"
#include "ProbeDialog.h"
#include "ScopedModalHook.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Log = std::vector<std::string>;

// Runs dialog under a hook that calls act and then, unless act ended it, cancels it.
int RunWith(CDialog& dialog, const std::function<void(CDialog&)>& act) {
    ScopedModalHook hook([&](CDialog& running) {
        act(running);
        if (!running.HasEnded()) {
            running.SendCommand(IDCANCEL);
        }
    });
    return dialog.DoModal();
}

// --- Dialog units -----------------------------------------------------------------------------

TEST(DialogUnits, ConvertEdgesWithAKnownFontsBaseUnits) {
    // A 6-by-13 font, the classic desktop dialog font's measures.
    const DialogUnits units(6, 13);
    EXPECT_EQ(units.ToPixels(7, 127, 31, 14), QRect(11, 206, 46, 23));
    EXPECT_EQ(units.ToPixels(139, 148), QSize(209, 241));
    // Touching controls still touch: 7+31 = 38 is where the next button starts (39 leaves 1).
    const QRect first = units.ToPixels(7, 127, 31, 14);
    const QRect second = units.ToPixels(38, 127, 31, 14);
    EXPECT_EQ(first.left() + first.width(), second.left());
}

struct FollowCase {
    const char* name;
    QRect rect;
    FollowAcross across;
    FollowDown down;
    QSize actual;
    QRect expected;
};

class FollowRectTest : public ::testing::TestWithParam<FollowCase> {};

TEST_P(FollowRectTest, PlacesControlByItsRule) {
    const FollowCase& row = GetParam();
    // Template client 200 x 300; Share band from 10 to 190.
    EXPECT_EQ(FollowRect(row.rect, QSize(200, 300), row.actual, row.across, row.down, 10, 190),
              row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, FollowRectTest,
                         ::testing::Values(FollowCase{"left_top_stays",
                                                      {10, 20, 50, 10},
                                                      FollowAcross::Left,
                                                      FollowDown::Top,
                                                      {400, 500},
                                                      {10, 20, 50, 10}},
                                           FollowCase{"stretch_keeps_both_margins",
                                                      {10, 20, 180, 10},
                                                      FollowAcross::Stretch,
                                                      FollowDown::Top,
                                                      {400, 500},
                                                      {10, 20, 380, 10}},
                                           FollowCase{"right_moves_with_edge",
                                                      {150, 20, 40, 10},
                                                      FollowAcross::Right,
                                                      FollowDown::Top,
                                                      {400, 500},
                                                      {350, 20, 40, 10}},
                                           FollowCase{"bottom_moves_with_edge",
                                                      {10, 270, 40, 20},
                                                      FollowAcross::Left,
                                                      FollowDown::Bottom,
                                                      {400, 500},
                                                      {10, 470, 40, 20}},
                                           FollowCase{"fill_grows_down",
                                                      {10, 20, 40, 240},
                                                      FollowAcross::Left,
                                                      FollowDown::Fill,
                                                      {400, 500},
                                                      {10, 20, 40, 440}},
                                           FollowCase{"share_first_of_two_keeps_left_edge",
                                                      {10, 270, 90, 20},
                                                      FollowAcross::Share,
                                                      FollowDown::Bottom,
                                                      {380, 500},
                                                      {10, 470, 180, 20}},
                                           FollowCase{"share_second_of_two_keeps_right_edge",
                                                      {100, 270, 90, 20},
                                                      FollowAcross::Share,
                                                      FollowDown::Bottom,
                                                      {380, 500},
                                                      {190, 470, 180, 20}},
                                           FollowCase{"smaller_than_template_stays",
                                                      {10, 20, 180, 240},
                                                      FollowAcross::Stretch,
                                                      FollowDown::Fill,
                                                      {100, 100},
                                                      {10, 20, 180, 240}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DialogUnits, ComfortableSizeOnlyGrowsDownWhenSomethingFollows) {
    const QSize available(1280, 800);
    EXPECT_EQ(ComfortableClientSize(QSize(240, 300), available, true), QSize(432, 540));
    EXPECT_EQ(ComfortableClientSize(QSize(240, 300), available, false), QSize(432, 300));
    // Never beyond nine tenths of the room, never below the template.
    EXPECT_EQ(ComfortableClientSize(QSize(600, 500), QSize(800, 600), true), QSize(720, 540));
    EXPECT_EQ(ComfortableClientSize(QSize(900, 700), QSize(800, 600), true), QSize(900, 700));
    EXPECT_TRUE(IsSmallScreen(QSize(480, 640)));
    EXPECT_FALSE(IsSmallScreen(QSize(1280, 800)));
}

// --- Dialogs built from templates ---------------------------------------------------------

class TemplateTest : public ::testing::TestWithParam<int> {};

TEST_P(TemplateTest, ControlsSitWhereTheTemplateSaysInTabOrder) {
    const int templateId = GetParam();
    const DialogTemplate* source = FindDialogTemplate(templateId);
    ASSERT_NE(source, nullptr);
    CProbeDlg dialog(templateId, false);
    RunWith(dialog, [&](CDialog& running) {
        const DialogUnits& units = running.GetDialogUnits();
        const auto children = running.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QWidget* clientArea = nullptr;
        for (QWidget* child : children) {
            if (!qobject_cast<QMenuBar*>(child)) {
                clientArea = child;
            }
        }
        ASSERT_NE(clientArea, nullptr);
        EXPECT_EQ(clientArea->size(), units.ToPixels(source->width, source->height));
        const auto widgets = clientArea->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        ASSERT_EQ(widgets.size(), static_cast<qsizetype>(source->controls.size()));
        QWidget* previousStop = nullptr;
        for (std::size_t i = 0; i < source->controls.size(); ++i) {
            const ControlTemplate& control = source->controls[i];
            QWidget* widget = widgets[static_cast<qsizetype>(i)];
            SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(control.id));
            QRect expected = units.ToPixels(control.x, control.y, control.width, control.height);
            if (control.kind == ControlKind::ComboBox) {
                expected.setHeight(widget->height()); // closed, a drop-down list is one line
                EXPECT_LT(widget->height(), units.ToPixelsY(control.height));
            }
            EXPECT_EQ(widget->geometry(), expected);
            if (control.id != IDC_STATIC) {
                EXPECT_EQ(running.GetDlgItem(control.id), widget);
            }
            // Tab goes from one tab stop to the next in template order.
            if (control.style & WS_TABSTOP) {
                if (previousStop != nullptr) {
                    QWidget* next = previousStop->nextInFocusChain();
                    while (next != widget && !(next->focusPolicy() & Qt::TabFocus)) {
                        next = next->nextInFocusChain();
                    }
                    EXPECT_EQ(next, widget);
                }
                previousStop = widget;
            }
        }
    });
}

INSTANTIATE_TEST_SUITE_P(AllTemplates, TemplateTest,
                         ::testing::Values(IDD_CHECKLIST, IDD_HOTBUTTONS, IDD_TEXTENTRY, IDD_ABOUT),
                         [](const auto& info) { return "dialog_" + std::to_string(info.param); });

TEST(Presentation, FullScreenDialogGrowsTheTreeAndSharesTheBottomRow) {
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [](CDialog& running) {
        ASSERT_NE(running.GetFullScreenOkButton(), nullptr);
        EXPECT_TRUE(running.GetFullScreenOkButton()->isVisible());
        auto* tree = running.GetDlgItem(IDC_TREE);
        const QSize before = tree->size();
        running.resize(running.width() + 120, running.height() + 90);
        QApplication::sendPostedEvents();
        EXPECT_EQ(tree->width(), before.width() + 120);
        EXPECT_EQ(tree->height(), before.height() + 90);
        // The four buttons cover the tree's width between them, side by side, below it.
        auto* first = running.GetDlgItem(IDC_HOTBUTTON0);
        auto* last = running.GetDlgItem(IDC_HOTBUTTON3);
        EXPECT_EQ(first->x(), tree->x());
        EXPECT_EQ(last->geometry().right(), tree->geometry().right());
        EXPECT_GT(first->y(), tree->geometry().bottom());
        for (int id = IDC_HOTBUTTON0; id < IDC_HOTBUTTON3; ++id) {
            EXPECT_LE(running.GetDlgItem(id)->geometry().right(), running.GetDlgItem(id + 1)->x());
        }
    });
}

TEST(Presentation, DialogWithoutItKeepsItsTemplateSizeAndNoMenuBar) {
    CProbeDlg dialog(IDD_TEXTENTRY, false);
    RunWith(dialog, [](CDialog& running) {
        EXPECT_EQ(running.GetFullScreenOkButton(), nullptr);
        EXPECT_FALSE(running.GetMenuBar().GetMenuBar()->isVisible());
        const QSize templateSize = running.GetDialogUnits().ToPixels(131, 73);
        EXPECT_EQ(running.size(), templateSize);
        EXPECT_EQ(running.minimumSize(), running.maximumSize());
    });
}

// --- Message maps ---------------------------------------------------------------------------

struct DispatchCase {
    const char* name;
    MessageKind kind;
    int code;
    int id;
    Log expected;
    bool endsDialog = false;
};

class DispatchTest : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchTest, MessageReachesItsHandler) {
    const DispatchCase& row = GetParam();
    CProbeDlg dialog(IDD_HOTBUTTONS);
    RunWith(dialog, [&](CDialog& running) {
        if (row.kind == MessageKind::Command) {
            running.SendCommand(row.id, row.code);
        } else {
            running.SendNotification(row.id, row.code);
        }
    });
    Log expected{"init"};
    expected.insert(expected.end(), row.expected.begin(), row.expected.end());
    if (!row.endsDialog) {
        expected.push_back("cancel"); // the hook's closing Cancel
    }
    EXPECT_EQ(dialog.log, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DispatchTest,
    ::testing::Values(
        DispatchCase{"menu_command", MessageKind::Command, 0, ID_EDIT_ADD_ITEM, {"add-item"}},
        DispatchCase{"button_range_passes_identifier",
                     MessageKind::Command,
                     BN_CLICKED,
                     IDC_HOTBUTTON2,
                     {"hot-button 1008"}},
        DispatchCase{"lists_entry_range",
                     MessageKind::Command,
                     0,
                     ID_LISTS_FIRST + 98,
                     {"lists-entry 32878"}},
        DispatchCase{
            "past_lists_range_does_nothing", MessageKind::Command, 0, ID_LISTS_FIRST + 99, {}},
        DispatchCase{"shared_handler_second_control",
                     MessageKind::Command,
                     CBN_SELCHANGE,
                     IDC_ROWLIST2,
                     {"row-list 1020"}},
        DispatchCase{"notification_code_must_match", MessageKind::Command, 0, IDC_ROWLIST0, {}},
        DispatchCase{
            "unmapped_control_does_nothing", MessageKind::Command, CBN_SELCHANGE, IDC_ROWLIST1, {}},
        DispatchCase{"unknown_command_does_nothing", MessageKind::Command, 0, 12345, {}},
        DispatchCase{
            "notification_kind", MessageKind::Notification, 7, IDC_TREE, {"tree-notification"}},
        DispatchCase{"command_is_not_notification", MessageKind::Command, 7, IDC_TREE, {}},
        DispatchCase{"ok_by_default", MessageKind::Command, 0, IDOK, {"ok"}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Dispatch, OnlyAUsersPickInAComboBoxNotifies) {
    CProbeDlg dialog(IDD_HOTBUTTONS);
    RunWith(dialog, [](CDialog& running) {
        CComboBox list;
        ASSERT_TRUE(list.Attach(running.GetDlgItem(IDC_ROWLIST0)));
        list.AddString("(none)");
        list.AddString("Before Landing");
        list.AddString("Alpha");
        list.SetCurSel(0); // from code: no notification
        EXPECT_EQ(list.GetCurSel(), 0);
        list.GetControl()->setFocus();
        QTest::keyClick(list.GetControl(), Qt::Key_Down); // the user picks the next entry
        EXPECT_EQ(list.GetCurSel(), 1);
        EXPECT_EQ(list.GetWindowText(), QStringLiteral("Before Landing"));
        EXPECT_EQ(list.GetLBText(2), QStringLiteral("Alpha")); // never sorted
        EXPECT_EQ(list.SetCurSel(3), -1);
        EXPECT_EQ(list.GetCurSel(), -1);
    });
    EXPECT_EQ(dialog.log, (Log{"init", "row-list 1010", "cancel"}));
}

TEST(Dispatch, ButtonPressSendsItsCommand) {
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [](CDialog& running) {
        QTest::mouseClick(running.GetDlgItem(IDC_HOTBUTTON3), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.log, (Log{"init", "hot-button 1009", "cancel"}));
}

// --- Modal runs ------------------------------------------------------------------------------

struct ResultCase {
    const char* name;
    std::function<void(CDialog&)> act;
    int expected;
};

class ModalResultTest : public ::testing::TestWithParam<ResultCase> {};

TEST_P(ModalResultTest, RunReturnsHowTheDialogEnded) {
    const ResultCase& row = GetParam();
    CProbeDlg dialog(IDD_TEXTENTRY, false);
    ScopedModalHook hook(row.act);
    EXPECT_EQ(dialog.DoModal(), row.expected);
    EXPECT_FALSE(dialog.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ModalResultTest,
    ::testing::Values(
        ResultCase{"ok_button", [](CDialog& d) { d.GetDlgItem<QPushButton>(IDOK)->click(); }, IDOK},
        ResultCase{"cancel_button",
                   [](CDialog& d) { d.GetDlgItem<QPushButton>(IDCANCEL)->click(); }, IDCANCEL},
        ResultCase{"escape_key", [](CDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, IDCANCEL},
        ResultCase{"enter_in_edit_presses_default_ok",
                   [](CDialog& d) {
                       auto* edit = d.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT);
                       edit->setFocus();
                       QTest::keyClick(edit, Qt::Key_Return);
                   },
                   IDOK},
        ResultCase{"close_request_cancels", [](CDialog& d) { d.close(); }, IDCANCEL},
        ResultCase{"handlers_own_value", [](CDialog& d) { d.EndDialog(42); }, 42},
        ResultCase{"hook_leaves_it_running", [](CDialog&) {}, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModalRun, UnknownTemplateCannotBeCreated) {
    CProbeDlg dialog(9999);
    bool hookCalled = false;
    ScopedModalHook hook([&](CDialog&) { hookCalled = true; });
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(hookCalled);
    EXPECT_TRUE(dialog.log.empty());
}

TEST(ModalRun, FailedBindingEndsWithMinusOneBeforeInitialisation) {
    CProbeDlg dialog(IDD_CHECKLIST);
    dialog.bindTreeAsEdit = true;
    bool hookCalled = false;
    ScopedModalHook hook([&](CDialog&) { hookCalled = true; });
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(hookCalled);
    EXPECT_TRUE(dialog.log.empty());
}

TEST(ModalRun, InitialisationSeesBoundControlsBeforeTheDialogShows) {
    CProbeDlg dialog(IDD_CHECKLIST);
    EXPECT_EQ(RunWith(dialog, [](CDialog& running) { EXPECT_TRUE(running.isVisible()); }),
              IDCANCEL);
    EXPECT_TRUE(dialog.treeBoundAtInit);
    EXPECT_FALSE(dialog.visibleAtInit);
}

TEST(ModalRun, EndingDuringInitialisationNeverShows) {
    CProbeDlg dialog(IDD_CHECKLIST);
    dialog.endDuringInit = true;
    bool hookCalled = false;
    ScopedModalHook hook([&](CDialog&) { hookCalled = true; });
    EXPECT_EQ(dialog.DoModal(), 5);
    EXPECT_FALSE(hookCalled);
}

TEST(ModalRun, OwnerIsDisabledMeanwhileAndRestoredAfter) {
    QWidget mainWindow;
    CApplication::SetMainWindow(&mainWindow);
    QWidget explicitOwner;

    CProbeDlg byMainWindow(IDD_ABOUT, false);
    RunWith(byMainWindow, [&](CDialog&) { EXPECT_FALSE(mainWindow.isEnabled()); });
    EXPECT_TRUE(mainWindow.isEnabled());

    explicitOwner.setEnabled(true);
    CDialog ownedDialog(IDD_ABOUT, &explicitOwner);
    RunWith(ownedDialog, [&](CDialog&) {
        EXPECT_FALSE(explicitOwner.isEnabled());
        EXPECT_TRUE(mainWindow.isEnabled()); // not this dialog's owner
    });
    EXPECT_TRUE(explicitOwner.isEnabled());

    // An owner that was disabled before the run stays disabled after it.
    explicitOwner.setEnabled(false);
    RunWith(ownedDialog, [](CDialog&) {});
    EXPECT_FALSE(explicitOwner.isEnabled());
    CApplication::SetMainWindow(nullptr);
}

// An outer dialog whose command runs an inner one, as the checklist screen runs the text entry.
class COuterDlg : public CDialog {
public:
    COuterDlg() : CDialog(IDD_CHECKLIST) {}
    int innerResult = 0;
    bool outerDisabledDuringInner = false;

protected:
    bool OnMessage(const Message& message) override {
        static constexpr auto messageMap = std::to_array<MessageMapEntry<COuterDlg>>({
            {MessageKind::Command, 0, ID_EDIT_ADD_ITEM, &COuterDlg::OnAddItem},
        });
        return RouteMessage(*this, messageMap, message);
    }

private:
    void OnAddItem() {
        CProbeDlg inner(IDD_TEXTENTRY, false);
        innerResult = inner.DoModal();
    }
};

TEST(ModalRun, NestedRunsGoThroughTheSameHook) {
    COuterDlg outer;
    CApplication::SetMainWindow(&outer);
    std::vector<int> seen;
    ScopedModalHook hook([&](CDialog& dialog) {
        seen.push_back(dialog.GetTemplateId());
        if (dialog.GetTemplateId() == IDD_TEXTENTRY) {
            outer.outerDisabledDuringInner = !outer.isEnabled();
            dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT)->setText(QStringLiteral("Magnetos"));
            dialog.SendCommand(IDOK);
            return;
        }
        dialog.SendCommand(ID_EDIT_ADD_ITEM);
        EXPECT_TRUE(dialog.isEnabled()); // enabled again once the inner run is over
        dialog.SendCommand(IDOK);
    });
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_EQ(outer.innerResult, IDOK);
    EXPECT_TRUE(outer.outerDisabledDuringInner);
    EXPECT_EQ(seen, (std::vector<int>{IDD_CHECKLIST, IDD_TEXTENTRY}));
    CApplication::SetMainWindow(nullptr);
}

TEST(ModalRun, CloseRequestCanBeKeptOpenByTheDialog) {
    CProbeDlg dialog(IDD_CHECKLIST);
    dialog.keepOpenOnClose = true;
    ScopedModalHook hook([](CDialog& running) {
        running.close();
        EXPECT_TRUE(running.isVisible());
        running.SendCommand(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.log, (Log{"init", "close-request", "ok"}));
}

TEST(ModalRun, FullScreenOkActsAsOk) {
    CProbeDlg dialog(IDD_CHECKLIST);
    ScopedModalHook hook([](CDialog& running) { running.GetFullScreenOkButton()->click(); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.log, (Log{"init", "ok"}));
}

TEST(ModalRun, EnterWithoutADefaultButtonPressesNothing) {
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [](CDialog& running) {
        QWidget* tree = running.GetDlgItem(IDC_TREE);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.log, (Log{"init", "cancel"}));
}

TEST(ModalRun, SecondRunStartsFromFreshControls) {
    CProbeDlg dialog(IDD_TEXTENTRY, false);
    RunWith(dialog, [](CDialog& running) {
        running.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT)->setText(QStringLiteral("typed"));
    });
    RunWith(dialog, [](CDialog& running) {
        EXPECT_EQ(running.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT)->text(), QString());
    });
    EXPECT_EQ(dialog.log, (Log{"init", "cancel", "init", "cancel"}));
}

// --- Tree ---------------------------------------------------------------------------------

TEST(Tree, ItemsKeepOrderDataAndStartUnticked) {
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [&](CDialog&) {
        CTreeCtrl& tree = dialog.tree;
        int first = 1;
        int second = 2;
        tree.InsertItem("Magnetos", &first);
        tree.InsertItem(QStringLiteral("Mixture"), &second);
        ASSERT_EQ(tree.GetCount(), 2);
        EXPECT_EQ(tree.GetItemText(tree.GetItem(1)), QStringLiteral("Mixture"));
        EXPECT_EQ(tree.GetItemData(tree.GetItem(0)), &first);
        EXPECT_EQ(tree.GetItemData(tree.GetItem(1)), &second);
        EXPECT_FALSE(tree.GetCheck(tree.GetItem(0)));
        EXPECT_EQ(tree.GetItem(0)->checkState(0), Qt::Unchecked);
        EXPECT_EQ(tree.GetSelectedItem(), nullptr);

        tree.SelectItem(tree.GetItem(1));
        EXPECT_EQ(tree.GetSelectedItem(), tree.GetItem(1));
        tree.DeleteAllItems();
        EXPECT_EQ(tree.GetCount(), 0);
        EXPECT_EQ(tree.GetSelectedItem(), nullptr);
    });
}

TEST(Tree, CurrentItemWithoutSelectionIsNoSelection) {
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [&](CDialog&) {
        CTreeCtrl& tree = dialog.tree;
        tree.InsertItem("Magnetos");
        tree.GetControl()->setCurrentItem(tree.GetItem(0), 0, QItemSelectionModel::NoUpdate);
        EXPECT_EQ(tree.GetSelectedItem(), nullptr);
    });
}

TEST(Tree, UserTicksWithMouseAndSpace) {
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [&](CDialog&) {
        CTreeCtrl& tree = dialog.tree;
        CImageList states;
        ASSERT_TRUE(states.Create(IDB_CHECKSTATES, 16));
        tree.SetStateImageList(states);
        tree.InsertItem("Magnetos");
        tree.InsertItem("Mixture");
        QTreeWidget* view = tree.GetControl();

        // A click on the box ticks it.
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = view->visualItemRect(tree.GetItem(0));
        option.features =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.text = tree.GetItemText(tree.GetItem(0));
        const QRect box =
            view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, box.center());
        EXPECT_TRUE(tree.GetCheck(tree.GetItem(0)));

        // Space ticks the current item.
        view->setFocus();
        tree.SelectItem(tree.GetItem(1));
        QTest::keyClick(view, Qt::Key_Space);
        EXPECT_TRUE(tree.GetCheck(tree.GetItem(1)));
        QTest::keyClick(view, Qt::Key_Space);
        EXPECT_FALSE(tree.GetCheck(tree.GetItem(1)));
    });
}

TEST(Tree, CheckBoxesAreDrawnWithTheStateImages) {
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [&](CDialog&) {
        CImageList states;
        ASSERT_TRUE(states.Create(IDB_CHECKSTATES, 16));
        ASSERT_EQ(states.GetImageCount(), 3);
        dialog.tree.SetStateImageList(states);
        QTreeWidget* view = dialog.tree.GetControl();
        EXPECT_EQ(view->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, view), 16);

        for (const bool ticked : {false, true}) {
            QImage drawn(16, 16, QImage::Format_RGB32);
            drawn.fill(Qt::red);
            QPainter painter(&drawn);
            QStyleOptionViewItem option;
            option.rect = QRect(0, 0, 16, 16);
            option.state = ticked ? QStyle::State_On : QStyle::State_Off;
            view->style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &option, &painter,
                                         view);
            painter.end();
            const QImage expected =
                states.GetImage(ticked ? 2 : 1).toImage().convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(drawn, expected) << (ticked ? "ticked" : "empty");
        }
    });
}

TEST(ImageList, MissingBitmapGivesAnEmptyList) {
    CImageList images;
    EXPECT_FALSE(images.Create(4242, 16));
    EXPECT_EQ(images.GetImageCount(), 0);
    EXPECT_TRUE(images.GetImage(0).isNull());
}

} // namespace

namespace {

TEST(Tree, AssistiveToolsSeeCheckableItems) {
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [&](CDialog&) {
        dialog.tree.InsertItem("Magnetos");
        dialog.tree.InsertItem("Mixture");
        dialog.tree.SetCheck(dialog.tree.GetItem(1), true);
        dialog.tree.GetControl()->doItemsLayout();
        QAccessibleInterface* view =
            QAccessible::queryAccessibleInterface(dialog.tree.GetControl());
        ASSERT_NE(view, nullptr);
        QStringList seen;
        for (int i = 0; i < view->childCount(); ++i) {
            QAccessibleInterface* cell = view->child(i);
            if (cell == nullptr || cell->role() != QAccessible::TreeItem) {
                continue;
            }
            seen << cell->text(QAccessible::Name) + (cell->state().checkable ? " checkable" : "") +
                        (cell->state().checked ? " checked" : "");
        }
        EXPECT_EQ(seen.join(QLatin1Char('|')).toStdString(),
                  "Magnetos checkable|Mixture checkable checked");
    });
}

} // namespace
