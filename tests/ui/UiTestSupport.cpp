#include "UiTestSupport.h"

#include "ChecklistDoc.h"
#include "MessageBox.h"
#include "RememberedFile.h"
#include "ScopedModalHook.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

const char twoListsFile[] = "[$$HEADER]\n[$$END]\n"
                            "[$$CHECKLIST]\nStart\nFuel on\nMagnetos both\n[$$END]\n\n"
                            "[$$HOTBUTTON]\n0\nGo\n[$$END]\n"
                            "[$$CHECKLIST]\nLand\nGear down\nFlaps full\nLights on\n[$$END]\n\n"
                            "[$$HOTBUTTON]\n2\nLand\n[$$END]\n";
const char twoListsDescribed[] =
    "Start: Fuel on|Magnetos both; Land: Gear down|Flaps full|Lights on / Go->Start "
    "(empty)->- Land->Land (empty)->-";

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *out << (i == 0 ? "" : ", ");
        PrintTo(texts[i], out);
    }
    *out << '}';
}

void UiTest::SetUp() {
    ASSERT_TRUE(QDir().mkpath(Documents()));
}

void UiTest::TearDown() {
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty())
        << QApplication::topLevelWidgets().size() << " windows left behind";
}

QString UiTest::Documents() const {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

std::string UiTest::WriteFile(const QString& path, const std::string& text) const {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path.toStdString();
}

int RunScreen(const ScreenScript& script, const DialogScript& nested) {
    CChecklistDlg screen;
    ScopedModalHook hook([&](CDialog& dialog) {
        if (&dialog == &screen) {
            script(screen);
            if (!screen.HasEnded()) {
                screen.EndDialog(0);
            }
        } else if (nested) {
            nested(dialog);
        } else {
            dialog.SendCommand(IDCANCEL);
        }
    });
    return screen.DoModal();
}

DialogScript InOrder(std::deque<DialogScript>& scripts) {
    return [&scripts](CDialog& dialog) {
        if (scripts.empty()) {
            ADD_FAILURE() << "dialog " << dialog.GetTemplateId() << " was not expected";
            dialog.SendCommand(IDCANCEL);
            return;
        }
        const DialogScript script = scripts.front();
        scripts.pop_front();
        script(dialog);
    };
}

DialogScript EnterText(const QString& title, const QString& prompt, const QString& text) {
    return [=](CDialog& dialog) {
        EXPECT_EQ(dialog.GetTemplateId(), IDD_TEXTENTRY);
        EXPECT_EQ(dialog.GetWindowText(), title);
        EXPECT_EQ(WidgetText(dialog.GetDlgItem(IDC_ENTRY_PROMPT)), prompt);
        auto* box = dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT);
        if (box == nullptr) {
            ADD_FAILURE() << "no text entry box";
            dialog.SendCommand(IDCANCEL);
            return;
        }
        box->clear();
        QTest::keyClicks(box, text);
        dialog.SendCommand(IDOK);
    };
}

DialogScript CancelIt() {
    return [](CDialog& dialog) { dialog.SendCommand(IDCANCEL); };
}

void PickInRow(CDialog& dialog, int row, int entry) {
    static constexpr int lists[] = {IDC_ROWLIST0, IDC_ROWLIST1, IDC_ROWLIST2, IDC_ROWLIST3};
    auto* list = dialog.GetDlgItem<QComboBox>(lists[row]);
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(entry);
    emit list->activated(entry);
}

void TypeCaption(CDialog& dialog, int row, const QString& text) {
    static constexpr int boxes[] = {IDC_ROWCAPTION0, IDC_ROWCAPTION1, IDC_ROWCAPTION2,
                                    IDC_ROWCAPTION3};
    auto* box = dialog.GetDlgItem<QLineEdit>(boxes[row]);
    ASSERT_NE(box, nullptr);
    box->clear();
    QTest::keyClicks(box, text);
}

void Choose(CChecklistDlg& screen, int commandId) {
    CMenuBar& bar = screen.GetMenuBar();
    for (int position = 0; position < bar.ButtonCount(); ++position) {
        if (QMenu* menu = bar.GetButtonMenu(position)) {
            for (QAction* action : menu->actions()) {
                if (!action->isSeparator() && action->data().toInt() == commandId) {
                    action->trigger();
                    return;
                }
            }
        }
    }
    ADD_FAILURE() << "no menu entry sends " << commandId;
}

void ChooseListsEntry(CChecklistDlg& screen, int position) {
    QMenu* lists = screen.GetMenuBar().GetButtonMenu(screen.ListsButtonPosition());
    ASSERT_NE(lists, nullptr);
    ASSERT_LT(position, lists->actions().size());
    lists->actions().at(position)->trigger();
}

void PressHotButton(CChecklistDlg& screen, int i) {
    auto* button = screen.GetDlgItem<QPushButton>(IDC_HOTBUTTON0 + i);
    ASSERT_NE(button, nullptr);
    button->click();
}

void Tick(CChecklistDlg& screen, int row) {
    CTreeCtrl& tree = screen.Tree();
    ASSERT_NE(tree.GetItem(row), nullptr) << "no row " << row;
    tree.SetCheck(tree.GetItem(row), true);
}

void Select(CChecklistDlg& screen, int row) {
    CTreeCtrl& tree = screen.Tree();
    ASSERT_NE(tree.GetItem(row), nullptr) << "no row " << row;
    tree.SelectItem(tree.GetItem(row));
}

QString Label(CChecklistDlg& screen) {
    return WidgetText(screen.GetDlgItem(IDC_LISTNAME));
}

QStringList TreeTexts(CChecklistDlg& screen) {
    QStringList texts;
    CTreeCtrl& tree = screen.Tree();
    for (int row = 0; row < tree.GetCount(); ++row) {
        texts << tree.GetItemText(tree.GetItem(row));
    }
    return texts;
}

int TickedCount(CChecklistDlg& screen) {
    int ticked = 0;
    CTreeCtrl& tree = screen.Tree();
    for (int row = 0; row < tree.GetCount(); ++row) {
        ticked += tree.GetCheck(tree.GetItem(row)) ? 1 : 0;
    }
    return ticked;
}

int SelectedRow(CChecklistDlg& screen) {
    CTreeCtrl& tree = screen.Tree();
    const CTreeCtrl::Item selected = tree.GetSelectedItem();
    for (int row = 0; row < tree.GetCount(); ++row) {
        if (tree.GetItem(row) == selected) {
            return row;
        }
    }
    return -1;
}

QStringList ButtonTexts(CChecklistDlg& screen) {
    QStringList texts;
    for (int i = 0; i < 4; ++i) {
        texts << WidgetText(screen.GetDlgItem(IDC_HOTBUTTON0 + i));
    }
    return texts;
}

QStringList MenuBarTexts(CChecklistDlg& screen) {
    QStringList texts;
    CMenuBar& bar = screen.GetMenuBar();
    for (int position = 0; position < bar.ButtonCount(); ++position) {
        texts << bar.GetButtonText(position);
    }
    return texts;
}

QStringList ListsEntries(CChecklistDlg& screen) {
    QStringList texts;
    if (QMenu* lists = screen.GetMenuBar().GetButtonMenu(screen.ListsButtonPosition())) {
        for (QAction* action : lists->actions()) {
            texts << action->text();
        }
    }
    return texts;
}

std::string Describe(ChecklistDoc& document) {
    std::string text;
    for (Checklist* checklist = document.checklists.next; !document.IsEnd(checklist);
         checklist = checklist->next) {
        if (!text.empty()) {
            text += "; ";
        }
        text += std::string(checklist->name) + ":";
        const char* separator = " ";
        for (ChecklistItem* item = checklist->items.next; !checklist->IsEnd(item);
             item = item->next) {
            text += separator;
            text += item->text;
            separator = "|";
        }
    }
    text += " /";
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        const HotButtonSlot* slot = document.SlotAt(i);
        text += std::string(" ") + slot->caption + "->" +
                (slot->checklist != nullptr ? slot->checklist->name : "-");
    }
    return text;
}

QStringList Boxes(const MessageBoxHook& boxes) {
    QStringList shown;
    for (const MessageBoxRecord& record : boxes.Shown()) {
        shown << record.caption + ": " + record.text;
    }
    return shown;
}

std::string RememberedFile() {
    char buffer[1024];
    ReadRememberedFile(buffer);
    return buffer;
}

// One application for all screen tests, on the offscreen platform unless told otherwise.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
