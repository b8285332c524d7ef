// The Go menu (Next, Previous, Back, Emergency, Keep Ticks, Clear All Ticks), the cue that a
// checklist is complete, and the ticks kept through refills and restarts.
#include "CChecklistDlg.h"

#include "ChecklistDoc.h"
#include "ListGroups.h"
#include "RememberedFile.h"
#include "SpokenText.h"
#include "TextConversion.h"
#include "resource.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <vector>

namespace {

// The checklists of doc whose group is an emergency group, in file order, with their positions.
std::vector<std::pair<int, Checklist*>> EmergencyLists(ChecklistDoc& doc) {
    std::vector<std::pair<int, Checklist*>> found;
    int position = 0;
    for (Checklist& list : doc.Checklists()) {
        if (ListGroups::IsEmergencyList(list.name)) {
            found.emplace_back(position, &list);
        }
        ++position;
    }
    return found;
}

} // namespace

void CChecklistDlg::AddGoMenu() {
    CMenuBar& bar = GetMenuBar();
    bar.InsertMenu(IDR_GOMENU);
    static constexpr Shortcut shortcuts[] = {
        {ID_GO_NEXT, "Ctrl+PgDown"},
        {ID_GO_PREVIOUS, "Ctrl+PgUp"},
        {ID_GO_BACK, "Alt+Left"},
    };
    SetShortcuts(shortcuts);
    if (QAction* keep = MenuEntry(ID_GO_KEEP_TICKS)) {
        keep->setChecked(keepTicks);
    }
    if (QMenu* emergency = EmergencyMenu()) {
        emergency->menuAction()->setStatusTip(
            QStringLiteral("The emergency checklists; Ctrl+E shows them from anywhere"));
    }
    // A submenu takes no key of its own: Ctrl+E is an action of the window.
    emergencyKey = new QAction(QStringLiteral("Emergency Checklist"), this);
    emergencyKey->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    emergencyKey->setShortcutContext(Qt::WindowShortcut);
    connect(emergencyKey, &QAction::triggered, this, [this] { SendCommand(ID_GO_EMERGENCY_KEY); });
    addAction(emergencyKey);
}

QMenu* CChecklistDlg::EmergencyMenu() {
    const QAction* entry = MenuEntry(ID_GO_EMERGENCY);
    return entry != nullptr ? entry->menu() : nullptr;
}

void CChecklistDlg::RebuildEmergencyMenu() {
    QMenu* menu = EmergencyMenu();
    if (menu == nullptr) {
        return;
    }
    // The entries go once the choice being handled (which may be one of them) has finished.
    for (QAction* entry : menu->actions()) {
        menu->removeAction(entry);
        entry->deleteLater();
    }
    for (const auto& [position, list] : EmergencyLists(*document)) {
        QAction* entry = menu->addAction(ShownLiterally(list->name));
        entry->setData(EmergencyEntryCommand(position));
    }
    menu->menuAction()->setEnabled(!menu->actions().isEmpty());
    if (emergencyKey != nullptr) {
        emergencyKey->setEnabled(!menu->actions().isEmpty());
    }
}

void CChecklistDlg::UpdateGoEntries() {
    if (document == nullptr) {
        return;
    }
    const bool shown = currentChecklist != nullptr;
    if (QAction* next = MenuEntry(ID_GO_NEXT)) {
        next->setEnabled(shown && ListGroups::NextInGroup(*document, currentChecklist) != nullptr);
    }
    if (QAction* previous = MenuEntry(ID_GO_PREVIOUS)) {
        previous->setEnabled(shown &&
                             ListGroups::PreviousInGroup(*document, currentChecklist) != nullptr);
    }
    if (QAction* back = MenuEntry(ID_GO_BACK)) {
        back->setEnabled(std::any_of(jumps.begin(), jumps.end(), [this](const auto& jump) {
            return jump.first != currentChecklist && document->IndexOfChecklist(jump.first) >= 0;
        }));
    }
}

void CChecklistDlg::JumpTo(Checklist* checklist) {
    if (currentChecklist != nullptr && currentChecklist != checklist &&
        document->IndexOfChecklist(currentChecklist) >= 0) {
        const CTreeCtrl::Item selected = tree.GetSelectedItem();
        jumps.emplace_back(currentChecklist, selected != nullptr ? static_cast<ChecklistItem*>(
                                                                       tree.GetItemData(selected))
                                                                 : nullptr);
        if (jumps.size() > backSteps) {
            jumps.pop_front();
        }
    }
    ShowChecklist(checklist);
}

void CChecklistDlg::OnNextChecklist() {
    if (Checklist* next = ListGroups::NextInGroup(*document, currentChecklist)) {
        JumpTo(next);
    }
}

void CChecklistDlg::OnPreviousChecklist() {
    if (Checklist* previous = ListGroups::PreviousInGroup(*document, currentChecklist)) {
        JumpTo(previous);
    }
}

void CChecklistDlg::OnBack() {
    while (!jumps.empty()) {
        const auto [list, item] = jumps.back();
        jumps.pop_back();
        if (list == currentChecklist || document->IndexOfChecklist(list) < 0) {
            continue;
        }
        ShowChecklist(list);
        for (int row = 0; row < tree.GetCount(); ++row) {
            const CTreeCtrl::Item shown = tree.GetItem(row);
            if (item != nullptr && tree.GetItemData(shown) == item) {
                tree.SelectItem(shown);
                tree.GetControl()->scrollToItem(shown);
                break;
            }
        }
        return;
    }
}

void CChecklistDlg::OnEmergencyEntry(int id) {
    const int position = EmergencyEntryPosition(id);
    Checklist* checklist = position >= 0 ? document->ChecklistAt(position) : nullptr;
    if (checklist != nullptr && ListGroups::IsEmergencyList(checklist->name)) {
        JumpTo(checklist);
    }
}

void CChecklistDlg::OnEmergencyKey() {
    const std::vector<std::pair<int, Checklist*>> lists = EmergencyLists(*document);
    if (lists.size() == 1) {
        JumpTo(lists.front().second);
        return;
    }
    QMenu* menu = EmergencyMenu();
    QTreeWidget* view = tree.GetControl();
    if (lists.empty() || menu == nullptr || view == nullptr) {
        return;
    }
    // Over the top of the tree, where the eyes are; the user picks with the arrows and Enter.
    menu->popup(view->mapToGlobal(QPoint(view->width() / 8, view->height() / 8)));
    if (!menu->actions().isEmpty()) {
        menu->setActiveAction(menu->actions().front());
    }
}

void CChecklistDlg::OnKeepTicks() {
    keepTicks = !keepTicks;
    StoreRememberedSwitch(keepTicksSwitch, keepTicks);
    if (QAction* keep = MenuEntry(ID_GO_KEEP_TICKS)) {
        keep->setChecked(keepTicks);
    }
    keptTicks.Clear();
    if (!keepTicks) {
        // The ticks on the screen stay until the next refill clears them, as it always did.
        KeptTicks::Forget();
        return;
    }
    // What is ticked now is what is kept from now on.
    for (int row = 0; row < tree.GetCount(); ++row) {
        const CTreeCtrl::Item item = tree.GetItem(row);
        if (tree.GetCheck(item)) {
            keptTicks.Set(static_cast<const ChecklistItem*>(tree.GetItemData(item)), true);
        }
    }
    StoreKeptTicks();
}

void CChecklistDlg::OnClearAllTicks() {
    keptTicks.Clear();
    ++fillingTree;
    for (int row = 0; row < tree.GetCount(); ++row) {
        tree.SetCheck(tree.GetItem(row), false);
    }
    --fillingTree;
    HideCompletionCue();
    StoreKeptTicks();
}

void CChecklistDlg::ForgetTicksAndJumps() {
    jumps.clear();
    keptTicks.Clear();
    keptTicks.DocumentChanged();
}

void CChecklistDlg::StoreKeptTicks() {
    if (keepTicks && ticksRestored && document != nullptr) {
        keptTicks.Store(*document, currentChecklist);
    }
}

void CChecklistDlg::RestoreKeptTicks() {
    if (keepTicks) {
        if (Checklist* shown = keptTicks.Restore(*document)) {
            ShowChecklist(shown);
        } else {
            Refill();
        }
    }
    ticksRestored = true;
    StoreKeptTicks();
}

void CChecklistDlg::SetUpCompletionCue() {
    if (QTreeWidget* view = tree.GetControl()) {
        connect(view, &QTreeWidget::itemChanged, this,
                [this](QTreeWidgetItem* row, int) { OnTickChanged(row); });
    }
}

void CChecklistDlg::PlaceCompletionCue() {
    QTreeWidget* view = tree.GetControl();
    if (completionCue == nullptr || view == nullptr) {
        return;
    }
    // In the room kept free at the foot of the tree, below its items.
    const QRect area = view->viewport()->geometry();
    const QPoint corner = view->mapTo(completionCue->parentWidget(), area.bottomLeft());
    completionCue->setGeometry(corner.x(), corner.y() + 1, area.width(),
                               view->contentsRect().bottom() - area.bottom());
}

void CChecklistDlg::ShowCompletionCue() {
    QTreeWidget* view = tree.GetControl();
    if (view == nullptr) {
        return;
    }
    HideCompletionCue();
    // Made afresh each time and gone when hidden, so that assistive tools meet it only while it
    // is there to read. Over the foot of the tree, so that nothing of the screen moves when it
    // comes; a sibling of the tree, not a child, since assistive tools see only a tree's items.
    completionCue = new QFrame(view->parentWidget());
    completionCue->setObjectName(QStringLiteral("completionCue"));
    completionCue->setFrameShape(QFrame::StyledPanel);
    completionCue->setAutoFillBackground(true);
    completionCue->setBackgroundRole(QPalette::AlternateBase);
    auto* layout = new QHBoxLayout(completionCue);
    completionText = new QLabel(QStringLiteral("Checklist complete"), completionCue);
    QFont bold = completionText->font();
    bold.setBold(true);
    completionText->setFont(bold);
    layout->addWidget(completionText);
    layout->addStretch();
    const Checklist* next = ListGroups::NextInGroup(*document, currentChecklist);
    if (next != nullptr) {
        const QString text = QStringLiteral("Next: ") + WidenText(next->name);
        completionNext = new QPushButton(completionCue);
        completionNext->setObjectName(QStringLiteral("completionNext"));
        // A long name is cut on the button; its whole name is still what a screen reader reads.
        const int room = std::max(view->viewport()->width() / 2, 80);
        completionNext->setText(completionNext->fontMetrics()
                                    .elidedText(text, Qt::ElideRight, room)
                                    .replace(QLatin1Char('&'), QLatin1String("&&")));
        completionNext->setAccessibleName(text);
        connect(completionNext, &QPushButton::clicked, this, [this] { SendCommand(ID_GO_NEXT); });
        layout->addWidget(completionNext);
    }
    Speak(SpokenText::SpokenCompletion(next != nullptr ? next->name : nullptr));
    // The items move up out of its way, so that the last of them can still be seen and unticked.
    tree.SetFootRoom(std::min(completionCue->sizeHint().height(), view->viewport()->height() / 2));
    PlaceCompletionCue();
    completionCue->show();
    completionCue->raise();
}

void CChecklistDlg::HideCompletionCue() {
    if (completionCue == nullptr) {
        return;
    }
    // Its button may be the one being clicked: it goes once the click is over.
    completionCue->hide();
    completionCue->deleteLater();
    completionCue = nullptr;
    completionText = nullptr;
    completionNext = nullptr;
    tree.SetFootRoom(0);
}

void CChecklistDlg::OnTickChanged(CTreeCtrl::Item row) {
    if (fillingTree > 0 || row == nullptr) {
        return;
    }
    const bool ticked = tree.GetCheck(row);
    if (keepTicks &&
        keptTicks.Set(static_cast<const ChecklistItem*>(tree.GetItemData(row)), ticked)) {
        StoreKeptTicks();
    }
    if (!ticked) {
        HideCompletionCue();
        return;
    }
    for (int index = 0; index < tree.GetCount(); ++index) {
        if (!tree.GetCheck(tree.GetItem(index))) {
            return;
        }
    }
    ShowCompletionCue();
}
