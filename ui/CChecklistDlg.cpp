#include "CChecklistDlg.h"

#include "ChecklistDoc.h"
#include "LoadIcon.h"
#include "RememberedFile.h"
#include "TextConversion.h"
#include "resource.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <climits>

namespace {

// Lists entries below this position keep the numbers 32780 + k; from here on 32780 + k would be
// the File, Edit and Help commands (Save As 32879 first).
constexpr int listsEntriesBelowCommands = 99;
// Commands are 16-bit numbers, so nothing the menus or buttons send ever reaches this range.
constexpr int farListsEntryBase = 0x10000;

// Buttons and menu entries take "&" as the mark of a shortcut letter; a checklist name or caption
// such as "Taxi & Run-up" must show as written.
QString ShownLiterally(const char* text) {
    return WidenText(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

CChecklistDlg::CChecklistDlg() : CDialog(IDD_CHECKLIST), icon(LoadIcon(IDI_PROGRAM)) {}

CChecklistDlg::~CChecklistDlg() = default;

int CChecklistDlg::ListsEntryCommand(int position) {
    return position < listsEntriesBelowCommands ? ID_LISTS_FIRST + position
                                                : farListsEntryBase + position;
}

int CChecklistDlg::ListsEntryPosition(int commandId) {
    if (commandId >= ID_LISTS_FIRST && commandId < ID_LISTS_FIRST + listsEntriesBelowCommands) {
        return commandId - ID_LISTS_FIRST;
    }
    if (commandId >= farListsEntryBase + listsEntriesBelowCommands) {
        return commandId - farListsEntryBase;
    }
    return -1;
}

bool CChecklistDlg::OnMessage(const Message& message) {
    using Entry = MessageMapEntry<CChecklistDlg>;
    static constexpr auto messageMap = std::to_array<Entry>({
        {MessageKind::Command, BN_CLICKED, IDC_HOTBUTTON0, IDC_HOTBUTTON3,
         &CChecklistDlg::OnHotButton},
        {MessageKind::Command, 0, ID_LISTS_FIRST, ID_LISTS_FIRST + listsEntriesBelowCommands - 1,
         &CChecklistDlg::OnListsEntry},
        {MessageKind::Command, 0, farListsEntryBase + listsEntriesBelowCommands, INT_MAX,
         &CChecklistDlg::OnListsEntry},
        {MessageKind::Command, 0, ID_FILE_NEW, &CChecklistDlg::OnNewFile},
        {MessageKind::Command, 0, ID_FILE_LOAD, &CChecklistDlg::OnLoad},
        {MessageKind::Command, 0, ID_FILE_SAVE, &CChecklistDlg::OnSave},
        {MessageKind::Command, 0, ID_FILE_SAVE_AS, &CChecklistDlg::OnSaveAs},
        {MessageKind::Command, 0, ID_FILE_HOT_BUTTONS, &CChecklistDlg::OnConfigureHotButtons},
        {MessageKind::Command, 0, ID_FILE_EXIT, &CChecklistDlg::OnExit},
        {MessageKind::Command, 0, ID_EDIT_NEW_CHECKLIST, &CChecklistDlg::OnNewChecklist},
        {MessageKind::Command, 0, ID_EDIT_DELETE_CHECKLIST, &CChecklistDlg::OnDeleteChecklist},
        {MessageKind::Command, 0, ID_EDIT_ADD_ITEM, &CChecklistDlg::OnAddItem},
        {MessageKind::Command, 0, ID_EDIT_DELETE_ITEM, &CChecklistDlg::OnDeleteItem},
        {MessageKind::Command, 0, ID_EDIT_MOVE_UP, &CChecklistDlg::OnMoveItemUp},
        {MessageKind::Command, 0, ID_EDIT_MOVE_DOWN, &CChecklistDlg::OnMoveItemDown},
        {MessageKind::Command, 0, ID_HELP_ABOUT, &CChecklistDlg::OnAbout},
    });
    // A file handed over by a later copy while a command runs waits for the command's end.
    ++commandsRunning;
    const bool handled = RouteMessage(*this, messageMap, message);
    --commandsRunning;
    OpenWaitingFile();
    return handled;
}

void CChecklistDlg::DoDataExchange() {
    CDialog::DoDataExchange();
    BindControl(IDC_LISTNAME, nameLabel);
    BindControl(IDC_TREE, tree);
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        BindControl(IDC_HOTBUTTON0 + i, hotButtons[i]);
    }
}

bool CChecklistDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SetIcon(icon, true);
    SetIcon(icon, false);

    GetMenuBar().InsertMenu(IDR_MAINMENU);
    AddShortcuts();

    stateImages.Create(IDB_CHECKSTATES, 16);
    tree.SetStateImageList(stateImages);

    listsButtonPosition = -1;
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        slotButtons[i] = &hotButtons[i];
    }

    CenterWindow();

    document = std::make_unique<ChecklistDoc>();

    if (!fileToOpen.isEmpty()) {
        // A file the user named, unlike the remembered one, says so when it cannot be opened;
        // a file handed over while that message is open waits for it.
        ++commandsRunning;
        LoadChosenFile(fileToOpen);
        --commandsRunning;
        OpenWaitingFile();
        return true;
    }

    // A remembered file that cannot be opened leaves the empty document, without a word: the
    // user sees an empty screen and starts afresh.
    char path[1024];
    ReadRememberedFile(path);
    document->LoadFile(path);

    RefreshAll();
    return true;
}

// The usual keys of the desktop for the File menu's entries; the entries keep their texts.
void CChecklistDlg::AddShortcuts() {
    struct Shortcut {
        int commandId;
        const char* keys;
    };
    static constexpr Shortcut shortcuts[] = {
        {ID_FILE_NEW, "Ctrl+N"},
        {ID_FILE_LOAD, "Ctrl+O"},
        {ID_FILE_SAVE, "Ctrl+S"},
        {ID_FILE_SAVE_AS, "Ctrl+Shift+S"},
    };
    CMenuBar& bar = GetMenuBar();
    for (int position = 0; position < bar.ButtonCount(); ++position) {
        QMenu* menu = bar.GetButtonMenu(position);
        if (menu == nullptr) {
            continue;
        }
        for (QAction* action : menu->actions()) {
            for (const Shortcut& shortcut : shortcuts) {
                if (!action->isSeparator() && action->data().toInt() == shortcut.commandId) {
                    action->setShortcut(QKeySequence(QString::fromLatin1(shortcut.keys)));
                }
            }
        }
    }
}

void CChecklistDlg::ShowChecklist(Checklist* checklist) {
    currentChecklist = checklist;
    tree.DeleteAllItems();
    nameLabel.SetWindowText(checklist->name);
    if (QTreeWidget* view = tree.GetControl()) {
        // The label is the tree's name for assistive tools.
        view->setAccessibleName(nameLabel.GetWindowText());
    }
    for (ChecklistItem* item = checklist->items.next; !checklist->IsEnd(item); item = item->next) {
        tree.InsertItem(item->text, item);
    }
}

void CChecklistDlg::Refill() {
    if (currentChecklist != nullptr) {
        ShowChecklist(currentChecklist);
    }
}

void CChecklistDlg::SetHotButtonCaptions() {
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        const HotButtonSlot* slot = document->SlotAt(i);
        slotButtons[i]->SetWindowText(ShownLiterally(slot != nullptr ? slot->caption : "(unused)"));
    }
}

void CChecklistDlg::RebuildListsMenu() {
    CMenu lists;
    lists.CreatePopupMenu();
    int position = 0;
    for (Checklist* checklist = document->checklists.next; !document->IsEnd(checklist);
         checklist = checklist->next) {
        lists.AppendMenu(MF_STRING, ListsEntryCommand(position), ShownLiterally(checklist->name));
        ++position;
    }

    CMenuBar& bar = GetMenuBar();
    if (listsButtonPosition == -1) {
        listsButtonPosition = bar.ButtonCount();
    } else {
        bar.DeleteButton(listsButtonPosition);
    }
    bar.InsertButton(listsButtonPosition, ID_LISTS, QStringLiteral("Lists"), std::move(lists),
                     TBSTATE_ENABLED, listsButtonStyle);
}

void CChecklistDlg::RefreshAll() {
    SetHotButtonCaptions();
    RebuildListsMenu();
    if (Checklist* first = document->FirstChecklist()) {
        ShowChecklist(first);
    } else {
        tree.DeleteAllItems();
    }
}

void CChecklistDlg::OnHotButton(int id) {
    const HotButtonSlot* slot = document->SlotAt(id - IDC_HOTBUTTON0);
    // A second slot may still name a checklist that was deleted: that button leads nowhere.
    if (slot != nullptr && slot->checklist != nullptr &&
        document->IndexOfChecklist(slot->checklist) >= 0) {
        ShowChecklist(slot->checklist);
    }
}

void CChecklistDlg::OnListsEntry(int id) {
    const int position = ListsEntryPosition(id);
    if (position < 0) {
        return;
    }
    if (Checklist* checklist = document->ChecklistAt(position)) {
        ShowChecklist(checklist);
    }
}
