#include "CApplication.h"
#include "CComboBox.h"
#include "CImageList.h"
#include "CTreeCtrl.h"
#include "ScopedModalHook.h"
#include "resource.h"

#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <tuple>

namespace {

// A dialog that notes, in order, what reaches its initialisation, its close request (it stays
// open) and its message map.
class CProbeDlg : public CDialog {
public:
    explicit CProbeDlg(int templateId, bool fullScreenPresentation = true) : CDialog(templateId) {
        fullScreen = fullScreenPresentation;
    }
    void Note(const std::string& word) { log += (log.empty() ? "" : " ") + word; }

    std::string log;
    CTreeCtrl tree;
    bool bindTreeAsComboBox = false; // a member of another kind than its control

protected:
    void DoDataExchange() override {
        if (bindTreeAsComboBox) {
            BindControl(IDC_TREE, wrongKind);
        } else if (GetTemplateId() == IDD_CHECKLIST) {
            BindControl(IDC_TREE, tree);
        }
    }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        Note(isVisible() ? "init-while-shown" : "init");
        return true;
    }
    void OnCloseRequest() override { Note("close-request"); }
    bool OnMessage(const Message& message) override {
        using enum MessageKind;
        static constexpr auto messageMap = std::to_array<MessageMapEntry<CProbeDlg>>({
            {Command, 0, ID_EDIT_ADD_ITEM, &CProbeDlg::OnAddItem},
            {Command, CBN_SELCHANGE, IDC_ROWLIST0, &CProbeDlg::OnId},
            {Command, 0, ID_LISTS_FIRST, ID_LISTS_FIRST + 98, &CProbeDlg::OnId},
            {Notification, 7, IDC_TREE, &CProbeDlg::OnId},
        });
        return RouteMessage(*this, messageMap, message);
    }

private:
    void OnAddItem() { Note("add-item"); }
    void OnId(int id) { Note(std::to_string(id)); }
    CComboBox wrongKind;
};

// Runs dialog under a hook that calls act and then cancels the dialog.
template <class Dialog, class Act> void RunWith(Dialog& dialog, Act act) {
    ScopedModalHook hook([&](CDialog&) {
        act(dialog);
        dialog.SendCommand(IDCANCEL);
    });
    dialog.DoModal();
}

CMenu ListsMenu(int entries) {
    CMenu menu;
    menu.CreatePopupMenu();
    for (int k = 0; k < entries; ++k) {
        menu.AppendMenu(MF_STRING, ID_LISTS_FIRST + k, QStringLiteral("List %1").arg(k));
    }
    return menu;
}

TEST(DialogUnits, ConvertEdgesAndPlaceControlsAsTheWindowGrows) {
    const DialogUnits units(6, 13); // the classic desktop dialog font's measures
    EXPECT_EQ(units.ToPixels(7, 127, 31, 14), QRect(11, 206, 46, 23));
    // Touching controls still touch.
    EXPECT_EQ(units.ToPixels(38, 127, 31, 14).left(), units.ToPixels(7, 127, 31, 14).right() + 1);
    EXPECT_EQ(ComfortableClientSize({240, 300}, {1280, 800}, true), QSize(432, 540));
    EXPECT_EQ(ComfortableClientSize({100, 100}, {1280, 800}, false), QSize(380, 100));
    EXPECT_EQ(ComfortableClientSize({600, 500}, {800, 600}, true), QSize(720, 540));
    EXPECT_EQ(ComfortableClientSize({900, 700}, {800, 600}, true), QSize(900, 700));
    EXPECT_TRUE(IsSmallScreen({799, 600}) && IsSmallScreen({800, 599}) &&
                !IsSmallScreen({800, 600}));

    using enum FollowAcross;
    using enum FollowDown;
    // A client area of 200 x 300 grows to 400 x 500; the Share band runs from 10 to 190.
    const std::tuple<const char*, QRect, FollowAcross, FollowDown, QRect> rows[] = {
        {"stretch_fill_keep_margins", {10, 20, 180, 240}, Stretch, Fill, {10, 20, 380, 440}},
        {"right_bottom_follow_edges", {150, 270, 40, 20}, Right, Bottom, {350, 470, 40, 20}},
        {"first_share_keeps_left_edge", {10, 270, 90, 20}, Share, Top, {10, 270, 190, 20}},
        {"second_share_keeps_right_edge", {100, 270, 90, 20}, Share, Top, {200, 270, 190, 20}},
    };
    for (const auto& [name, rect, across, down, expected] : rows) {
        EXPECT_EQ(FollowRect(rect, {200, 300}, {400, 500}, across, down, 10, 190), expected)
            << name;
    }
    const QRect rect(10, 20, 180, 240); // a window smaller than the template changes nothing
    EXPECT_EQ(FollowRect(rect, {200, 300}, {100, 100}, Stretch, Fill, 10, 190), rect);
}

TEST(DialogTemplate, ControlsSitWhereTheTemplateSaysInTabOrder) {
    for (const int templateId : {IDD_CHECKLIST, IDD_HOTBUTTONS, IDD_TEXTENTRY, IDD_ABOUT}) {
        SCOPED_TRACE("dialog " + std::to_string(templateId));
        const DialogTemplate* source = FindDialogTemplate(templateId);
        ASSERT_NE(source, nullptr);
        CProbeDlg dialog(templateId, false); // without the full-screen presentation
        RunWith(dialog, [&](CProbeDlg& running) {
            const DialogUnits& units = running.GetDialogUnits();
            QWidget* clientArea = running.QWidget::layout()->itemAt(0)->widget();
            EXPECT_EQ(clientArea->size(), units.ToPixels(source->width, source->height));
            EXPECT_EQ(running.minimumSize(), running.maximumSize());
            const auto widgets = clientArea->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            ASSERT_EQ(widgets.size(), static_cast<qsizetype>(source->controls.size()));
            QWidgetList tabStops;
            for (qsizetype i = 0; i < widgets.size(); ++i) {
                const ControlTemplate& c = source->controls[static_cast<std::size_t>(i)];
                QRect expected = units.ToPixels(c.x, c.y, c.width, c.height);
                if (c.kind == ControlKind::ComboBox) { // closed, a drop-down list is one line
                    expected.setHeight(widgets[i]->height());
                }
                EXPECT_EQ(widgets[i]->geometry(), expected) << "control " << i;
                EXPECT_EQ(running.GetDlgItem(c.id), c.id == IDC_STATIC ? nullptr : widgets[i]);
                if (c.style & WS_TABSTOP) {
                    tabStops << widgets[i];
                }
            }
            QWidgetList tabbed;
            for (QWidget* next = tabStops.first(); tabbed.size() < tabStops.size();
                 next = next->nextInFocusChain()) {
                if (next->focusPolicy() & Qt::TabFocus) {
                    tabbed << next;
                }
            }
            EXPECT_EQ(tabbed, tabStops);
        });
    }
}

TEST(MessageMap, RoutesByKindCodeAndIdentifier) {
    using enum MessageKind;
    const std::tuple<const char*, MessageKind, int, int, const char*> rows[] = {
        {"handler_without_identifier", Command, 0, ID_EDIT_ADD_ITEM, "add-item"},
        {"first_of_range", Command, 0, ID_LISTS_FIRST, "32780"},
        {"last_of_range", Command, 0, ID_LISTS_FIRST + 98, "32878"},
        {"past_range", Command, 0, ID_LISTS_FIRST + 99, ""},
        {"code_and_control", Command, CBN_SELCHANGE, IDC_ROWLIST0, "1010"},
        {"other_code", Command, 0, IDC_ROWLIST0, ""},
        {"other_control", Command, CBN_SELCHANGE, IDC_ROWLIST1, ""},
        {"notification", Notification, 7, IDC_TREE, "1000"},
        {"command_is_not_notification", Command, 7, IDC_TREE, ""},
    };
    CProbeDlg dialog(IDD_HOTBUTTONS);
    RunWith(dialog, [&](CProbeDlg& running) {
        for (const auto& [name, kind, code, id, reaches] : rows) {
            running.log.clear();
            kind == Command ? running.SendCommand(id, code) : running.SendNotification(id, code);
            EXPECT_EQ(running.log, reaches) << name;
        }
        // A drop-down list sends its command for a user's pick only, never for code's.
        running.log.clear();
        CComboBox list;
        ASSERT_TRUE(list.Attach(running.GetDlgItem(IDC_ROWLIST0)));
        list.AddString("(none)");
        list.AddString("Before Landing");
        EXPECT_EQ(list.SetCurSel(2), -1); // outside the list
        list.SetCurSel(0);
        QTest::keyClick(list.GetControl(), Qt::Key_Down);
        EXPECT_EQ(running.log, "1010");
    });
}

TEST(ModalRun, ReturnsHowTheDialogEnded) {
    using Act = std::function<void(CProbeDlg&)>;
    const auto enterIn = [](int id) -> Act {
        return [id](CProbeDlg& d) {
            d.GetDlgItem(id)->setFocus();
            QTest::keyClick(d.GetDlgItem(id), Qt::Key_Return);
        };
    };
    const Act close = [](CProbeDlg& d) {
        d.close();
        d.Note(d.isVisible() ? "shown" : "gone");
    };
    // The act works on the shown dialog; a dialog it leaves running gives -1.
    const std::tuple<const char*, int, Act, int, const char*> rows[] = {
        {"enter_presses_default_button", IDD_TEXTENTRY, enterIn(IDC_ENTRY_EDIT), IDOK,
         "init shown"},
        {"enter_presses_the_focused_button", IDD_TEXTENTRY, enterIn(IDCANCEL), IDCANCEL,
         "init shown"},
        {"enter_without_default_button", IDD_CHECKLIST, enterIn(IDC_TREE), -1, "init shown"},
        {"close_request_kept_open", IDD_CHECKLIST, close, -1, "init shown close-request shown"},
        {"unknown_template", 9999, nullptr, -1, ""},
    };
    for (const auto& [name, templateId, act, result, log] : rows) {
        CProbeDlg dialog(templateId, templateId == IDD_CHECKLIST);
        ScopedModalHook hook([&](CDialog&) {
            dialog.Note(dialog.isVisible() ? "shown" : "hidden");
            act(dialog);
        });
        EXPECT_EQ(dialog.DoModal(), result) << name;
        EXPECT_EQ(dialog.log, log) << name;
        EXPECT_FALSE(dialog.isVisible()) << name;
    }
    // A member that cannot be bound ends the run before initialisation; by default a close
    // request cancels.
    CProbeDlg unbindable(IDD_CHECKLIST);
    unbindable.bindTreeAsComboBox = true;
    CDialog plain(IDD_TEXTENTRY);
    ScopedModalHook hook([](CDialog& running) { running.close(); });
    EXPECT_EQ(unbindable.DoModal(), -1);
    EXPECT_EQ(unbindable.log, "");
    EXPECT_EQ(plain.DoModal(), IDCANCEL);
}

// What RunModal returns for a run that no hook took.
constexpr int realRun = 99;

// Runs dialog modally; a real run is ended by its event loop with realRun, so no run blocks.
int RunModal(CDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&dialog] {
        if (dialog.isVisible() && !dialog.HasEnded()) {
            dialog.EndDialog(realRun);
        }
    });
    return dialog.DoModal();
}

// The newest hook answers; when it ends, the one it replaced answers again, as the same hook
// with what it counted before; an empty hook lets a run be real; after all of them runs are real.
TEST(ModalRun, HooksNestAndEachEndPutsBackTheHookItReplaced) {
    CDialog dialog(IDD_TEXTENTRY);
    {
        ScopedModalHook outer([runs = 0](CDialog& running) mutable { running.EndDialog(++runs); });
        EXPECT_EQ(RunModal(dialog), 1);
        {
            ScopedModalHook inner([](CDialog& running) { running.EndDialog(20); });
            EXPECT_EQ(RunModal(dialog), 20);
            {
                ScopedModalHook none(nullptr);
                EXPECT_EQ(RunModal(dialog), realRun);
            }
            EXPECT_EQ(RunModal(dialog), 20);
        }
        EXPECT_EQ(RunModal(dialog), 2);
    }
    EXPECT_EQ(RunModal(dialog), realRun);
}

TEST(ModalRun, OwnerIsDisabledMeanwhileAndRestoredAfter) {
    QWidget owner;
    CDialog mainWindow(IDD_TEXTENTRY);
    CDialog byMainWindow(IDD_TEXTENTRY);
    CDialog owned(IDD_TEXTENTRY, &owner);
    CApplication::SetMainWindow(&mainWindow);
    RunWith(mainWindow, [](CDialog& d) { EXPECT_TRUE(d.isEnabled()); }); // never its own owner
    RunWith(byMainWindow, [&](CDialog&) { EXPECT_FALSE(mainWindow.isEnabled()); });
    RunWith(owned, [&](CDialog&) {
        EXPECT_FALSE(owner.isEnabled());
        EXPECT_TRUE(mainWindow.isEnabled()); // not this dialog's owner
    });
    EXPECT_TRUE(mainWindow.isEnabled() && owner.isEnabled());
    owner.setEnabled(false); // disabled before the run, it stays so after it
    RunWith(owned, [](CDialog&) {});
    EXPECT_FALSE(owner.isEnabled());
    CApplication::SetMainWindow(nullptr);
}

// The checklist screen's template, full-screen.
TEST(Tree, GrowsWithTheWindowAndDrawsItsBoxesWithTheStateImages) {
    CImageList states;
    ASSERT_TRUE(states.Create(IDB_CHECKSTATES, 16));
    EXPECT_FALSE(CImageList().Create(4242, 16));
    CProbeDlg dialog(IDD_CHECKLIST);
    RunWith(dialog, [&](CProbeDlg& running) {
        CTreeCtrl& tree = running.tree;
        QTreeWidget* view = tree.GetControl();
        QWidget* lastButton = running.GetDlgItem(IDC_HOTBUTTON3);
        const QRect treeBefore = view->geometry();
        const QPoint gap = lastButton->geometry().bottomRight() - treeBefore.bottomRight();
        running.resize(running.width() + 120, running.height() + 90);
        QApplication::sendPostedEvents();
        EXPECT_EQ(view->geometry(), treeBefore.adjusted(0, 0, 120, 90));
        // The hot buttons below the tree follow its bottom and share its width.
        EXPECT_EQ(lastButton->geometry().bottomRight() - view->geometry().bottomRight(), gap);

        tree.InsertItem("Magnetos");
        tree.InsertItem("Mixture");
        // The keyboard focus makes an item current without selecting it.
        view->setCurrentItem(tree.GetItem(0), 0, QItemSelectionModel::NoUpdate);
        EXPECT_EQ(tree.GetSelectedItem(), nullptr);

        tree.SetStateImageList(states);
        // On a screen of twice the density the boxes come from the sharper bitmap, pixel for
        // pixel, not from the plain one blown up.
        QPixmap sharp(QStringLiteral(":/tarvasto/bitmaps/checkstates@2x.png"));
        ASSERT_EQ(sharp.size(), QSize(96, 32));
        for (const int density : {1, 2}) {
            for (const bool ticked : {false, true}) {
                QImage drawn(16 * density, 16 * density, QImage::Format_RGB32);
                drawn.setDevicePixelRatio(density);
                drawn.fill(Qt::red);
                QPainter painter(&drawn);
                QStyleOptionViewItem option;
                option.rect = QRect(0, 0, 16, 16);
                option.state = ticked ? QStyle::State_On : QStyle::State_Off;
                view->style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &option,
                                             &painter, view);
                painter.end();
                const QImage image = density == 1
                                         ? states.GetImage(ticked ? 2 : 1).toImage()
                                         : sharp.copy(ticked ? 64 : 32, 0, 32, 32).toImage();
                drawn.setDevicePixelRatio(1);
                EXPECT_EQ(drawn, image.convertToFormat(drawn.format()))
                    << "ticked " << ticked << " density " << density;
            }
        }
    });
}

TEST(MenuBar, ButtonsComeAndGoWhereAskedAndTheirChoicesReachTheMessageMap) {
    CProbeDlg dialog(IDD_TEXTENTRY, false);
    RunWith(dialog, [&](CProbeDlg& running) {
        CMenuBar& bar = running.GetMenuBar();
        EXPECT_FALSE(bar.GetMenuBar()->isVisible()); // shown only with something on it
        EXPECT_FALSE(bar.InsertMenu(4242));
        EXPECT_FALSE(bar.InsertButton(1, ID_LISTS, "Lists", CMenu()));
        EXPECT_FALSE(bar.InsertButton(-1, ID_LISTS, "Lists", CMenu()));
        EXPECT_FALSE(bar.DeleteButton(0));
        ASSERT_TRUE(bar.InsertMenu(IDR_MAINMENU));
        EXPECT_TRUE(bar.GetMenuBar()->isVisible());

        // The Lists button, rebuilt again and again, stays one button in its place.
        ASSERT_TRUE(bar.InsertButton(2, ID_LISTS, "Lists", ListsMenu(1)));
        const QPointer<QMenu> firstMenu = bar.GetButtonMenu(2);
        for (int entries = 2; entries <= 5; ++entries) {
            ASSERT_TRUE(bar.DeleteButton(2));
            ASSERT_TRUE(bar.InsertButton(2, ID_LISTS, "Lists", ListsMenu(entries)));
            ASSERT_EQ(bar.ButtonCount(), 4);
            ASSERT_EQ(bar.GetButtonText(2), QStringLiteral("Lists"));
            ASSERT_EQ(bar.GetButtonMenu(2)->actions().size(), entries);
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(firstMenu.isNull()); // replaced menus go once the event loop has control back

        bar.GetButtonMenu(2)->actions().at(4)->trigger();
        for (QAction* entry : bar.GetButtonMenu(1)->actions()) {
            if (entry->text() == QStringLiteral("Add Item")) {
                entry->trigger();
            }
        }
        // F10 opens the first menu from the keyboard.
        QApplication::setActiveWindow(&running);
        QTest::keyClick(&running, Qt::Key_F10);
        EXPECT_EQ(bar.GetMenuBar()->activeAction(), bar.GetMenuBar()->actions().at(0));
        bar.GetButtonMenu(0)->hide();
    });
    EXPECT_EQ(dialog.log, "init 32784 add-item");
}

// An entry of a submenu sends its command once, whether chosen in the submenu under its menu,
// from code, or in the submenu popped up on its own; a check entry shows its tick.
TEST(MenuBar, SubmenuEntriesSendTheirCommandOnce) {
    CProbeDlg dialog(IDD_TEXTENTRY, false);
    RunWith(dialog, [&](CProbeDlg& running) {
        CMenuBar& bar = running.GetMenuBar();
        ASSERT_TRUE(bar.InsertMenu(IDR_GOMENU));
        QMenu* go = bar.GetButtonMenu(0);
        QMenu* submenu = nullptr;
        for (QAction* entry : go->actions()) {
            if (entry->data().toInt() == ID_GO_EMERGENCY) {
                submenu = entry->menu();
            }
            EXPECT_EQ(entry->isCheckable(), entry->data().toInt() == ID_GO_KEEP_TICKS);
        }
        ASSERT_NE(submenu, nullptr);
        for (int k = 0; k < 3; ++k) {
            submenu->addAction(QStringLiteral("List %1").arg(k))->setData(ID_LISTS_FIRST + k);
        }
        submenu->actions().at(0)->trigger();
        QApplication::setActiveWindow(&running);
        submenu->popup(running.mapToGlobal(QPoint(0, 0)));
        submenu->setActiveAction(submenu->actions().at(1));
        QTest::keyClick(submenu, Qt::Key_Return);
        go->popup(running.mapToGlobal(QPoint(0, 0)));
        go->setActiveAction(submenu->menuAction());
        QTest::keyClick(go, Qt::Key_Right);
        ASSERT_TRUE(submenu->isVisible());
        QTest::keyClick(submenu, Qt::Key_Down);
        QTest::keyClick(submenu, Qt::Key_Down);
        QTest::keyClick(submenu, Qt::Key_Return);
        EXPECT_FALSE(go->isVisible());
    });
    EXPECT_EQ(dialog.log, "init 32780 32781 32782");
}

} // namespace
