#include "CChecklistDlg.h"

#include "ChecklistDoc.h"
#include "LoadIcon.h"
#include "RememberedFile.h"
#include "Speaker.h"
#include "SpokenText.h"
#include "TextConversion.h"
#include "resource.h"

#include <QAction>
#include <QGuiApplication>
#include <QInputDevice>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QScreen>
#include <QScroller>
#include <algorithm>
#include <climits>

namespace {

// Lists entries below this position keep the numbers 32780 + k; from here on 32780 + k would be
// the File, Edit and Help commands (Save As 32879 first).
constexpr int listsEntriesBelowCommands = 99;
// Commands are 16-bit numbers, so nothing the menus or buttons send ever reaches this range.
constexpr int farListsEntryBase = 0x10000;
// The Emergency submenu's entries lie above the Lists entries of any document that fits in memory.
constexpr int emergencyEntryBase = 0x40000000;

// Whether a touch screen is attached, where a finger scrolls the tree.
bool HasTouchScreen() {
    const QList<const QInputDevice*> devices = QInputDevice::devices();
    return std::any_of(devices.begin(), devices.end(), [](const QInputDevice* device) {
        return device->type() == QInputDevice::DeviceType::TouchScreen;
    });
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
    if (commandId >= farListsEntryBase + listsEntriesBelowCommands &&
        commandId < emergencyEntryBase) {
        return commandId - farListsEntryBase;
    }
    return -1;
}

int CChecklistDlg::EmergencyEntryCommand(int position) {
    return emergencyEntryBase + position;
}

int CChecklistDlg::EmergencyEntryPosition(int commandId) {
    return commandId >= emergencyEntryBase ? commandId - emergencyEntryBase : -1;
}

bool CChecklistDlg::OnMessage(const Message& message) {
    using Entry = MessageMapEntry<CChecklistDlg>;
    static constexpr auto messageMap = std::to_array<Entry>({
        {MessageKind::Command, BN_CLICKED, IDC_HOTBUTTON0, IDC_HOTBUTTON3,
         &CChecklistDlg::OnHotButton},
        {MessageKind::Command, 0, ID_LISTS_FIRST, ID_LISTS_FIRST + listsEntriesBelowCommands - 1,
         &CChecklistDlg::OnListsEntry},
        {MessageKind::Command, 0, farListsEntryBase + listsEntriesBelowCommands,
         emergencyEntryBase - 1, &CChecklistDlg::OnListsEntry},
        {MessageKind::Command, 0, emergencyEntryBase, INT_MAX, &CChecklistDlg::OnEmergencyEntry},
        {MessageKind::Command, 0, ID_FILE_NEW, &CChecklistDlg::OnNewFile},
        {MessageKind::Command, 0, ID_FILE_LOAD, &CChecklistDlg::OnLoad},
        {MessageKind::Command, 0, ID_FILE_SAVE, &CChecklistDlg::OnSave},
        {MessageKind::Command, 0, ID_FILE_SAVE_AS, &CChecklistDlg::OnSaveAs},
        {MessageKind::Command, 0, ID_FILE_IMPORT, &CChecklistDlg::OnImport},
        {MessageKind::Command, 0, ID_FILE_EXPORT, &CChecklistDlg::OnExport},
        {MessageKind::Command, 0, ID_FILE_HOT_BUTTONS, &CChecklistDlg::OnConfigureHotButtons},
        {MessageKind::Command, 0, ID_FILE_EXIT, &CChecklistDlg::OnExit},
        {MessageKind::Command, 0, ID_EDIT_UNDO, &CChecklistDlg::OnUndo},
        {MessageKind::Command, 0, ID_EDIT_REDO, &CChecklistDlg::OnRedo},
        {MessageKind::Command, 0, ID_EDIT_NEW_CHECKLIST, &CChecklistDlg::OnNewChecklist},
        {MessageKind::Command, 0, ID_EDIT_DELETE_CHECKLIST, &CChecklistDlg::OnDeleteChecklist},
        {MessageKind::Command, 0, ID_EDIT_RENAME_CHECKLIST, &CChecklistDlg::OnRenameChecklist},
        {MessageKind::Command, 0, ID_EDIT_ADD_ITEM, &CChecklistDlg::OnAddItem},
        {MessageKind::Command, 0, ID_EDIT_EDIT_ITEM, &CChecklistDlg::OnEditItem},
        {MessageKind::Command, 0, ID_EDIT_DELETE_ITEM, &CChecklistDlg::OnDeleteItem},
        {MessageKind::Command, 0, ID_EDIT_MOVE_UP, &CChecklistDlg::OnMoveItemUp},
        {MessageKind::Command, 0, ID_EDIT_MOVE_DOWN, &CChecklistDlg::OnMoveItemDown},
        {MessageKind::Command, 0, ID_HELP_ABOUT, &CChecklistDlg::OnAbout},
        {MessageKind::Command, 0, ID_GO_NEXT, &CChecklistDlg::OnNextChecklist},
        {MessageKind::Command, 0, ID_GO_PREVIOUS, &CChecklistDlg::OnPreviousChecklist},
        {MessageKind::Command, 0, ID_GO_BACK, &CChecklistDlg::OnBack},
        {MessageKind::Command, 0, ID_GO_EMERGENCY_KEY, &CChecklistDlg::OnEmergencyKey},
        {MessageKind::Command, 0, ID_GO_KEEP_TICKS, &CChecklistDlg::OnKeepTicks},
        {MessageKind::Command, 0, ID_GO_CLEAR_TICKS, &CChecklistDlg::OnClearAllTicks},
        {MessageKind::Command, 0, ID_VIEW_NIGHT_COLOURS, &CChecklistDlg::OnNightColours},
        {MessageKind::Command, 0, ID_VIEW_LARGER_TEXT, &CChecklistDlg::OnLargerText},
        {MessageKind::Command, 0, ID_VIEW_SMALLER_TEXT, &CChecklistDlg::OnSmallerText},
        {MessageKind::Command, 0, ID_VIEW_NORMAL_TEXT, &CChecklistDlg::OnNormalText},
        {MessageKind::Command, 0, ID_VIEW_READ_ALOUD, &CChecklistDlg::OnReadAloud},
    });
    // A file handed over by a later copy while a command runs waits for the command's end.
    ++commandsRunning;
    const bool handled = RouteMessage(*this, messageMap, message);
    --commandsRunning;
    // Whatever the command did, the Go entries follow the checklist shown and the jumps left.
    UpdateGoEntries();
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
    FollowHistory();

    stateImages.Create(IDB_CHECKSTATES, 16);
    tree.SetStateImageList(stateImages);
    SetUpTree();
    SetUpCompletionCue();

    listsButtonPosition = -1;
    for (int i = 0; i < ChecklistDoc::slotCount; ++i) {
        slotButtons[i] = &hotButtons[i];
    }

    CenterWindow();

    document = std::make_unique<ChecklistDoc>();

    // The remembered file is read first on every start, even when another file is opened: it is
    // the value that a new settings key must receive first. The switches follow it.
    char path[1024];
    ReadRememberedFile(path);
    keepTicks = ReadRememberedSwitch(keepTicksSwitch, false);
    ReadViewSettings();
    SetUpItemLook();

    if (!fileToOpen.isEmpty()) {
        // A file the user named, unlike the remembered one, says so when it cannot be opened;
        // a file handed over while that message is open waits for it.
        ++commandsRunning;
        LoadChosenFile(fileToOpen);
        RestoreKeptTicks();
        --commandsRunning;
        OpenWaitingFile();
        return true;
    }

    // A remembered file that cannot be opened leaves the empty document, without a word: the
    // user sees an empty screen and starts afresh.
    document->LoadFile(path);

    RestorePlacement();
    RefreshAll();
    RestoreKeptTicks();
    return true;
}

QString CChecklistDlg::ShownLiterally(const char* text) {
    return WidenText(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

void CChecklistDlg::SetShortcuts(std::span<const Shortcut> shortcuts) {
    for (const Shortcut& shortcut : shortcuts) {
        if (QAction* entry = MenuEntry(shortcut.commandId)) {
            entry->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(shortcut.keys)));
        }
    }
}

// The usual keys of the desktop for the menus' entries; the entries keep their texts.
void CChecklistDlg::AddShortcuts() {
    static constexpr Shortcut shortcuts[] = {
        {ID_FILE_NEW, "Ctrl+N"},   {ID_FILE_LOAD, "Ctrl+O"},
        {ID_FILE_SAVE, "Ctrl+S"},  {ID_FILE_SAVE_AS, "Ctrl+Shift+S"},
        {ID_EDIT_UNDO, "Ctrl+Z"},  {ID_EDIT_REDO, "Ctrl+Y; Ctrl+Shift+Z"},
        {ID_EDIT_EDIT_ITEM, "F2"},
    };
    SetShortcuts(shortcuts);
}

QAction* CChecklistDlg::MenuEntry(int commandId) {
    CMenuBar& bar = GetMenuBar();
    for (int position = 0; position < bar.ButtonCount(); ++position) {
        const QMenu* menu = bar.GetButtonMenu(position);
        for (QAction* action : menu != nullptr ? menu->actions() : QList<QAction*>()) {
            if (!action->isSeparator() && action->data().toInt() == commandId) {
                return action;
            }
        }
    }
    return nullptr;
}

void CChecklistDlg::FollowHistory() {
    QAction* undo = MenuEntry(ID_EDIT_UNDO);
    QAction* redo = MenuEntry(ID_EDIT_REDO);
    if (undo == nullptr || redo == nullptr) {
        return;
    }
    const auto update = [this, undo, redo] {
        // "Undo Delete Item": the entry says what it would take back.
        const auto name = [](const char* verb, const QString& step) {
            return step.isEmpty() ? QString::fromLatin1(verb)
                                  : QStringLiteral("%1 %2").arg(QLatin1String(verb), step);
        };
        undo->setText(name("Undo", history.undoText()));
        undo->setEnabled(history.canUndo());
        redo->setText(name("Redo", history.redoText()));
        redo->setEnabled(history.canRedo());
    };
    // The entries are the context: when the menus go, so do the connections.
    connect(&history, &QUndoStack::indexChanged, undo, update);
    connect(&history, &QUndoStack::canUndoChanged, undo, update);
    connect(&history, &QUndoStack::canRedoChanged, redo, update);
    update();
}

void CChecklistDlg::SetUpTree() {
    QTreeWidget* view = tree.GetControl();
    if (view == nullptr) {
        return;
    }
    // A finger drags the list along and flicks it on, as on a phone; a mouse still clicks. Only
    // where there is a touch screen: Qt never frees the recogniser of a grab (a few bytes a
    // screen), which a leak checker would report at every end of the program.
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    if (HasTouchScreen()) {
        QScroller::grabGesture(view->viewport(), QScroller::TouchGesture);
    }
    // On a narrow screen nothing may run off the edge behind a sideways scroll bar.
    tree.WrapLongItems();
    view->installEventFilter(this);
}

bool CChecklistDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree.GetControl() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        PlaceCompletionCue();
    }
    if (watched == tree.GetControl() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Next and Previous at the group's end are greyed; the tree must not take their keys
        // as a jump of its own down or up the list.
        if ((key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp) &&
            key->modifiers() == Qt::ControlModifier) {
            return true;
        }
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            // A held key would race down the list ticking everything: one press, one item.
            if (!key->isAutoRepeat()) {
                OnTreeSpace();
            }
            return true;
        }
    }
    return CDialog::eventFilter(watched, event);
}

void CChecklistDlg::OnTreeSpace() {
    QTreeWidget* view = tree.GetControl();
    const CTreeCtrl::Item item = view->currentItem();
    if (item == nullptr) {
        return;
    }
    const bool tick = !tree.GetCheck(item);
    tree.SetCheck(item, tick);
    CTreeCtrl::Item next = tick ? view->itemBelow(item) : nullptr;
    tree.SelectItem(next != nullptr ? next : item);
    view->scrollToItem(next != nullptr ? next : item);
}

// The placement is kept as text, "x y width height maximized", the rectangle being the window's
// normal one (not maximised), so that a stored value can be checked before it is used.
void CChecklistDlg::RestorePlacement() {
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    // A handheld keeps its screen filled, whatever a desktop stored.
    if (shown == nullptr || IsSmallScreen(shown->availableGeometry().size())) {
        return;
    }
    char placement[1024];
    ReadRememberedWindow(placement);
    const QStringList fields = QString::fromUtf8(placement).split(QLatin1Char(' '));
    if (fields.size() != 5) {
        return;
    }
    std::array<int, 5> numbers{};
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        numbers[i] = fields[i].toInt(&ok);
        if (!ok) {
            return;
        }
    }
    const QRect rect(numbers[0], numbers[1], numbers[2], numbers[3]);
    // A damaged value, or a place on a screen no longer there, is refused as a whole: the window
    // then opens as at the first start.
    const QSize least = minimumSizeHint();
    if (rect.width() < least.width() || rect.height() < least.height() ||
        QGuiApplication::screenAt(rect.center()) == nullptr || (numbers[4] & ~1) != 0) {
        return;
    }
    setGeometry(rect);
    if (numbers[4] == 1) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CChecklistDlg::StorePlacement() {
    const QRect rect = isMaximized() ? normalGeometry() : geometry();
    const QString placement = QStringLiteral("%1 %2 %3 %4 %5")
                                  .arg(rect.x())
                                  .arg(rect.y())
                                  .arg(rect.width())
                                  .arg(rect.height())
                                  .arg(isMaximized() ? 1 : 0);
    StoreRememberedWindow(placement.toUtf8().constData());
}

void CChecklistDlg::ShowChecklist(Checklist* checklist) {
    currentChecklist = checklist;
    ++fillingTree;
    tree.DeleteAllItems();
    ShowName(checklist);
    for (ChecklistItem& item : checklist->Items()) {
        const CTreeCtrl::Item row = tree.InsertItem(item.text, &item);
        if (keepTicks && keptTicks.Contains(&item)) {
            tree.SetCheck(row, true);
        }
    }
    --fillingTree;
    HideCompletionCue();
    StoreKeptTicks();
    UpdateGoEntries();
    Speak(SpokenText::SpokenName(checklist->name));
}

void CChecklistDlg::ShowName(Checklist* checklist) {
    nameLabel.SetWindowText(checklist->name);
    if (QTreeWidget* view = tree.GetControl()) {
        // The label is the tree's name for assistive tools.
        view->setAccessibleName(nameLabel.GetWindowText());
    }
    // A longer or shorter name may need another number of lines.
    RelayoutControls();
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
    for (const Checklist& checklist : document->Checklists()) {
        lists.AppendMenu(MF_STRING, ListsEntryCommand(position), ShownLiterally(checklist.name));
        ++position;
    }

    CMenuBar& bar = GetMenuBar();
    const bool first = listsButtonPosition == -1;
    if (first) {
        listsButtonPosition = bar.ButtonCount();
    } else {
        bar.DeleteButton(listsButtonPosition);
    }
    bar.InsertButton(listsButtonPosition, ID_LISTS, QStringLiteral("Lists"), std::move(lists),
                     TBSTATE_ENABLED, listsButtonStyle);
    // The Go menu follows the Lists button from its first placing on, so that the Lists button
    // keeps its place through every rebuild.
    if (first) {
        AddGoMenu();
        AddViewMenu();
    }
    RebuildEmergencyMenu();
}

void CChecklistDlg::RefreshAll() {
    SetHotButtonCaptions();
    RebuildListsMenu();
    if (Checklist* first = document->FirstChecklist()) {
        ShowChecklist(first);
    } else {
        tree.DeleteAllItems();
        HideCompletionCue();
        StoreKeptTicks();
        UpdateGoEntries();
    }
}

void CChecklistDlg::ShowChange(ChangedPart part, Checklist* checklist) {
    if (part != ChangedPart::HotButtons) {
        keptTicks.DocumentChanged();
    }
    switch (part) {
    case ChangedPart::HotButtons:
        SetHotButtonCaptions();
        return;
    case ChangedPart::Checklists:
        if (document->IndexOfChecklist(checklist) < 0) {
            // Gone while shown: the first checklist takes its place, as after Delete Checklist.
            if (checklist == currentChecklist) {
                currentChecklist = nullptr;
                RefreshAll();
                return;
            }
            SetHotButtonCaptions();
            RebuildListsMenu();
            return;
        }
        SetHotButtonCaptions();
        RebuildListsMenu();
        ShowChecklist(checklist);
        return;
    case ChangedPart::Texts:
        RebuildListsMenu();
        if (checklist != currentChecklist) {
            ShowChecklist(checklist);
            return;
        }
        ShowName(checklist);
        ++fillingTree;
        for (int row = 0; row < tree.GetCount(); ++row) {
            const CTreeCtrl::Item item = tree.GetItem(row);
            if (const auto* shown = static_cast<const ChecklistItem*>(tree.GetItemData(item))) {
                tree.SetItemText(item, shown->text);
            }
        }
        --fillingTree;
        // A renamed next checklist is named anew on the cue; the positions are kept anew.
        if (completionCue != nullptr) {
            ShowCompletionCue();
        }
        StoreKeptTicks();
        return;
    case ChangedPart::Items:
        ShowChecklist(checklist);
        return;
    }
}

void CChecklistDlg::OnHotButton(int id) {
    const HotButtonSlot* slot = document->SlotAt(id - IDC_HOTBUTTON0);
    // A second slot may still name a checklist that was deleted: that button leads nowhere.
    if (slot != nullptr && slot->checklist != nullptr &&
        document->IndexOfChecklist(slot->checklist) >= 0) {
        JumpTo(slot->checklist);
    }
}

void CChecklistDlg::OnListsEntry(int id) {
    const int position = ListsEntryPosition(id);
    if (position < 0) {
        return;
    }
    if (Checklist* checklist = document->ChecklistAt(position)) {
        JumpTo(checklist);
    }
}
