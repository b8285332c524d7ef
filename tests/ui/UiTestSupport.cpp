#include "UiTestSupport.h"

#include "CChecklistApp.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cstdio>
#include <string_view>
#include <vector>

#include <unistd.h>

const char twoListsFile[] =
    "[$$CHECKLIST]\nStart\nFuel on\nMagnetos both\n[$$END]\n[$$HOTBUTTON]\n0\nGo\n[$$END]\n"
    "[$$CHECKLIST]\nLand\nGear down\nFlaps full\nLights "
    "on\n[$$END]\n[$$HOTBUTTON]\n2\nLand\n[$$END]\n";
const char twoListsBar[] = "Go|(empty)|Land|(empty) / Start|Land";

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void UiTest::TearDown() {
    EXPECT_EQ(QApplication::topLevelWidgets().size(), 0) << "windows left behind";
}

std::string UiTest::WriteFile(const QString& path, const std::string& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text.c_str()) >= 0)
        << path.toStdString();
    return path.toStdString();
}

QString UiTest::Documents() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

int RunScreen(const ScreenScript& script, std::deque<DialogScript> dialogs,
              const QString& fileToOpen) {
    CChecklistDlg screen;
    screen.SetFileToOpen(fileToOpen);
    ScopedModalHook hook([&](CDialog& dialog) {
        if (&dialog == &screen) {
            script(screen);
            if (!screen.HasEnded()) {
                screen.EndDialog(0);
            }
        } else if (dialogs.empty()) {
            ADD_FAILURE() << "dialog " << dialog.GetTemplateId() << " was not expected";
            dialog.SendCommand(IDCANCEL);
        } else {
            const DialogScript next = dialogs.front();
            dialogs.pop_front();
            next(dialog);
        }
    });
    const int result = screen.DoModal();
    EXPECT_EQ(dialogs.size(), 0u) << "dialogs that never ran";
    return result;
}

DialogScript Steps(std::vector<DialogScript> steps) {
    return [=](CDialog& dialog) {
        for (const DialogScript& step : steps) {
            step(dialog);
        }
    };
}

DialogScript Press(int command) {
    return [=](CDialog& dialog) { dialog.SendCommand(command); };
}

DialogScript EnterText(const QString& title, const QString& prompt, const QString& start,
                       const QString& text) {
    return [=](CDialog& dialog) {
        EXPECT_EQ(dialog.GetWindowText(), title);
        EXPECT_EQ(WidgetText(dialog.GetDlgItem(IDC_ENTRY_PROMPT)), prompt);
        QLineEdit* box = dialog.GetDlgItem<QLineEdit>(IDC_ENTRY_EDIT);
        EXPECT_EQ(box->text(), start);
        box->setText(text);
        dialog.SendCommand(IDOK);
    };
}

DialogScript EnterName(const QString& name) {
    return EnterText("Create Checklist", "Enter the name for the new list:", "", name);
}

DialogScript EnterItem(const QString& text) {
    return EnterText("Add Item", "Enter the text of the new item:", "", text);
}

QLineEdit* CaptionBox(CDialog& dialog, int row) {
    const int ids[] = {IDC_ROWCAPTION0, IDC_ROWCAPTION1, IDC_ROWCAPTION2, IDC_ROWCAPTION3};
    return dialog.GetDlgItem<QLineEdit>(ids[row]);
}

QComboBox* RowList(CDialog& dialog, int row) {
    const int ids[] = {IDC_ROWLIST0, IDC_ROWLIST1, IDC_ROWLIST2, IDC_ROWLIST3};
    return dialog.GetDlgItem<QComboBox>(ids[row]);
}

DialogScript Pick(int row, int entry) {
    return [=](CDialog& dialog) {
        RowList(dialog, row)->setCurrentIndex(entry);
        emit RowList(dialog, row)->activated(entry);
    };
}

DialogScript Type(int row, const QString& text) {
    return [=](CDialog& dialog) {
        CaptionBox(dialog, row)->clear();
        QTest::keyClicks(CaptionBox(dialog, row), text);
    };
}

QAction* Entry(CChecklistDlg& screen, int commandId) {
    for (int position = 0; position < screen.GetMenuBar().ButtonCount(); ++position) {
        const QMenu* menu = screen.GetMenuBar().GetButtonMenu(position);
        for (QAction* action : menu != nullptr ? menu->actions() : QList<QAction*>()) {
            if (!action->isSeparator() && action->data().toInt() == commandId) {
                return action;
            }
        }
    }
    ADD_FAILURE() << "no menu entry sends " << commandId;
    static QAction* const none = new QAction; // triggering it does nothing
    return none;
}

void Choose(CChecklistDlg& screen, int commandId) {
    Entry(screen, commandId)->trigger();
}

void ChooseListsEntry(CChecklistDlg& screen, int position) {
    QMenu* lists = screen.GetMenuBar().GetButtonMenu(screen.ListsButtonPosition());
    ASSERT_LT(position, lists->actions().size());
    lists->actions().at(position)->trigger();
}

void PressHotButton(CChecklistDlg& screen, int i) {
    screen.GetDlgItem<QPushButton>(IDC_HOTBUTTON0 + i)->click();
}

void Tick(CChecklistDlg& screen, int row) {
    screen.Tree().SetCheck(screen.Tree().GetItem(row), true);
}

void Select(CChecklistDlg& screen, int row) {
    screen.Tree().SelectItem(screen.Tree().GetItem(row));
}

std::string View(CChecklistDlg& screen) {
    CTreeCtrl& tree = screen.Tree();
    QString text = WidgetText(screen.GetDlgItem(IDC_LISTNAME)) + ":";
    for (int row = 0; row < tree.GetCount(); ++row) {
        const CTreeCtrl::Item item = tree.GetItem(row);
        text += QString(row == 0 ? " " : "|") + (tree.GetCheck(item) ? "+" : "") +
                (tree.GetSelectedItem() == item ? ">" : "") + tree.GetItemText(item);
    }
    return text.toStdString();
}

std::string Bar(CChecklistDlg& screen) {
    QStringList texts;
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        texts << WidgetText(screen.GetDlgItem(IDC_HOTBUTTON0 + i));
    }
    QStringList lists;
    for (QAction* entry :
         screen.GetMenuBar().GetButtonMenu(screen.ListsButtonPosition())->actions()) {
        lists << entry->text();
    }
    return (texts.join('|') + " / " + lists.join('|')).toStdString();
}

std::string Describe(ChecklistDoc& document) {
    std::string text;
    for (const Checklist& list : document.Checklists()) {
        text += std::string(text.empty() ? "" : "; ") + list.name + ":";
        const char* separator = " ";
        for (const ChecklistItem& item : list.Items()) {
            text += separator + std::string(item.text);
            separator = "|";
        }
    }
    text += " /";
    for (const HotButtonSlot& slot : document.HotButtons()) {
        const int index = document.IndexOfChecklist(slot.checklist);
        text += std::string(" ") + slot.caption + ">" +
                (slot.checklist == nullptr ? "-"
                 : index < 0               ? "gone"
                                           : std::to_string(index));
    }
    return text;
}

QStringList Boxes(const MessageBoxHook& boxes) {
    QStringList shown;
    for (const MessageBoxRecord& record : boxes.Shown()) {
        shown << record.caption + ": " + record.text +
                     (record.type == MB_YESNOCANCEL ? " [yes no cancel]"
                      : record.type == MB_YESNO     ? " [yes no]"
                      : record.type == MB_OKCANCEL  ? " [ok cancel]"
                                                    : "");
    }
    return shown;
}

void Push(MessageBoxHook& boxes, std::initializer_list<int> answers) {
    for (int answer : answers) {
        boxes.PushAnswer(answer);
    }
}

std::string RememberedFile() {
    char buffer[1024];
    ReadRememberedFile(buffer);
    return buffer;
}

// Qt never frees the gesture recogniser that QScroller::grabGesture makes for each widget given
// finger scrolling (its gesture manager forgets it when the widget goes): one small block per
// checklist screen opened while a touch screen is attached, as a test attaches one. The leak
// checker of the sanitizer builds asks for this list.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:QScroller::grabGesture\n";
}

namespace {

// The program as a desktop starts it, saying what its screen shows once shown and after each
// file handed to it ("showing VIEW", then " | caption: text" for each message box since), until
// its input closes.
class ProgramCopy : public CChecklistApp {
protected:
    bool InitInstance() override {
        ScopedModalHook hook([this](CDialog& dialog) {
            if (&dialog != Screen()) {
                dialog.SendCommand(IDCANCEL);
                return;
            }
            Report();
            QEventLoop loop;
            QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
            QObject::connect(&input, &QSocketNotifier::activated, &loop, [&loop] {
                char chunk[64];
                if (::read(STDIN_FILENO, chunk, sizeof chunk) <= 0) {
                    loop.quit();
                }
            });
            loop.exec();
            dialog.EndDialog(IDCANCEL);
        });
        return CChecklistApp::InitInstance();
    }

    void OpenHandedOverFile(const QString& path) override {
        CChecklistApp::OpenHandedOverFile(path);
        Report();
    }

private:
    void Report() {
        std::string line = "showing " + View(*Screen());
        const QStringList shown = Boxes(boxes);
        for (; reported < shown.size(); ++reported) {
            line += " | " + shown[reported].toStdString();
        }
        std::puts(line.c_str());
        std::fflush(stdout);
    }

    MessageBoxHook boxes; // a box of one OK button needs no scripted answer
    qsizetype reported = 0;
};

} // namespace

// "copy ARGUMENTS...": the program started with ARGUMENTS, saying what it shows (see ProgramCopy).
int PlayProgramCopy(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::vector<char*> arguments{argv[0]};
    arguments.insert(arguments.end(), argv + 2, argv + argc);
    arguments.push_back(nullptr);
    return ProgramCopy().Run(static_cast<int>(arguments.size()) - 1, arguments.data());
}

// One application for all GUI tests, on the offscreen platform unless told otherwise. Started
// with "copy", the test program runs as a copy of tarvasto itself instead, for the tests of
// copies that meet (see HandOverTest.cpp).
int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "copy") {
        return PlayProgramCopy(argc, argv);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
