// The View menu: night colours, the size of the text, and reading the checklist aloud.
#include "CChecklistDlg.h"

#include "ChecklistDoc.h"
#include "ItemDelegate.h"
#include "ListGroups.h"
#include "QtSpeaker.h"
#include "RememberedFile.h"
#include "ScreenColours.h"
#include "SpokenText.h"
#include "TextConversion.h"
#include "resource.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QTextToSpeech>

namespace {

// How a speaker is had when Read Aloud is switched on: Qt's speech engines, unless a test says.
CChecklistDlg::SpeakerFactory& Factory() {
    static CChecklistDlg::SpeakerFactory factory;
    return factory;
}

} // namespace

void CChecklistDlg::SetSpeakerFactory(SpeakerFactory factory) {
    Factory() = std::move(factory);
}

void CChecklistDlg::ReadViewSettings() {
    nightColours = ReadRememberedSwitch(nightColoursSwitch, false);
    textSize = ReadRememberedNumber(textSizeNumber, smallestTextSize, largestTextSize, 100);
    // Only steps of the menu: a size between them is no size the program stored.
    if ((textSize - smallestTextSize) % textSizeStep != 0) {
        textSize = 100;
    }
    readAloud = ReadRememberedSwitch(readAloudSwitch, false);
}

void CChecklistDlg::SetUpItemLook() {
    QTreeWidget* view = tree.GetControl();
    if (view == nullptr) {
        return;
    }
    view->setItemDelegate(new ItemDelegate(view));
    normalFont = view->font();
    // The name grows with its font, and wraps, rather than being cut; the tree takes the rest.
    SetGrowsWithText(IDC_LISTNAME);
    connect(view, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current != nullptr && fillingTree == 0) {
            Speak(SpokenText::SpokenItem(current->text(0).toUtf8().constData()));
        }
    });
    ApplyNightColours();
    ApplyTextSize();
}

void CChecklistDlg::AddViewMenu() {
    GetMenuBar().InsertMenu(IDR_VIEWMENU);
    static constexpr Shortcut shortcuts[] = {
        {ID_VIEW_LARGER_TEXT, "Ctrl++; Ctrl+="},
        {ID_VIEW_SMALLER_TEXT, "Ctrl+-"},
        {ID_VIEW_NORMAL_TEXT, "Ctrl+0"},
    };
    SetShortcuts(shortcuts);
    if (QAction* night = MenuEntry(ID_VIEW_NIGHT_COLOURS)) {
        night->setChecked(nightColours);
    }
    UpdateTextSizeEntries();
    // Without any engine installed the entry says so from the start; looking is quick, making
    // an engine is not, and waits until Read Aloud is switched on.
    if (!Factory() && QTextToSpeech::availableEngines().isEmpty()) {
        speakerTrouble = QtSpeaker::noEngineReason;
    }
    // A remembered Read Aloud starts speaking at once, as if just switched on.
    if (readAloud && speakerTrouble.isEmpty()) {
        readAloud = false;
        StartReadingAloud();
    } else {
        readAloud = false;
    }
    UpdateReadAloudEntry();
}

void CChecklistDlg::OnNightColours() {
    nightColours = !nightColours;
    StoreRememberedSwitch(nightColoursSwitch, nightColours);
    if (QAction* night = MenuEntry(ID_VIEW_NIGHT_COLOURS)) {
        night->setChecked(nightColours);
    }
    ApplyNightColours();
}

void CChecklistDlg::ApplyNightColours() {
    // The whole program at once: the screen, every dialog and message box, Qt's file dialog.
    QApplication::setPalette(nightColours ? ScreenColours::NightPalette()
                                          : ScreenColours::DayPalette());
    // Windows already open take the new palette as they would a change of the desktop's.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QEvent change(QEvent::ApplicationPaletteChange);
        QCoreApplication::sendEvent(window, &change);
    }
}

void CChecklistDlg::OnLargerText() {
    SetTextSize(textSize + textSizeStep);
}

void CChecklistDlg::OnSmallerText() {
    SetTextSize(textSize - textSizeStep);
}

void CChecklistDlg::OnNormalText() {
    SetTextSize(100);
}

void CChecklistDlg::SetTextSize(int size) {
    const int bounded = std::clamp(size, smallestTextSize, largestTextSize);
    if (bounded == textSize) {
        return;
    }
    textSize = bounded;
    StoreRememberedNumber(textSizeNumber, textSize);
    ApplyTextSize();
    UpdateTextSizeEntries();
}

void CChecklistDlg::ApplyTextSize() {
    QTreeWidget* view = tree.GetControl();
    QLabel* label = nameLabel.GetControl();
    if (view == nullptr || label == nullptr) {
        return;
    }
    const double factor = textSize / 100.0;
    QFont font = normalFont;
    if (normalFont.pointSizeF() > 0) {
        font.setPointSizeF(normalFont.pointSizeF() * factor);
    } else {
        font.setPixelSize(std::max(1, static_cast<int>(normalFont.pixelSize() * factor + 0.5)));
    }
    // The name, the items, their rows and their check boxes grow together.
    label->setFont(font);
    view->setFont(font);
    tree.SetStateImageScale(factor);
    RelayoutControls();
    PlaceCompletionCue();
}

void CChecklistDlg::UpdateTextSizeEntries() {
    if (QAction* larger = MenuEntry(ID_VIEW_LARGER_TEXT)) {
        larger->setEnabled(textSize < largestTextSize);
    }
    if (QAction* smaller = MenuEntry(ID_VIEW_SMALLER_TEXT)) {
        smaller->setEnabled(textSize > smallestTextSize);
    }
    if (QAction* normal = MenuEntry(ID_VIEW_NORMAL_TEXT)) {
        normal->setEnabled(textSize != 100);
    }
}

void CChecklistDlg::OnReadAloud() {
    if (readAloud) {
        readAloud = false;
        if (speaker != nullptr) {
            speaker->Stop();
        }
        StoreRememberedSwitch(readAloudSwitch, false);
    } else {
        StartReadingAloud();
        StoreRememberedSwitch(readAloudSwitch, readAloud);
    }
    UpdateReadAloudEntry();
}

void CChecklistDlg::StartReadingAloud() {
    // The engine is made only now: some start a speech service and take their time doing so.
    if (speaker == nullptr) {
        speakerTrouble.clear();
        if (Factory()) {
            speaker = Factory()(speakerTrouble);
        } else if (std::unique_ptr<QtSpeaker> voice = QtSpeaker::Open(speakerTrouble)) {
            // A voice that fails while speaking (its sound device gone) falls silent; the entry
            // says why, and switching it on again tries once more.
            connect(voice.get(), &QtSpeaker::Failed, this, [this](const QString& why) {
                readAloud = false;
                speakerTrouble = why;
                // It is still sending this signal: it goes once the signal is over.
                static_cast<QtSpeaker*>(speaker.release())->deleteLater();
                UpdateReadAloudEntry();
            });
            speaker = std::move(voice);
        }
    }
    readAloud = speaker != nullptr;
    if (readAloud && currentChecklist != nullptr) {
        Speak(SpokenText::SpokenName(currentChecklist->name));
    }
}

void CChecklistDlg::UpdateReadAloudEntry() {
    QAction* entry = MenuEntry(ID_VIEW_READ_ALOUD);
    if (entry == nullptr) {
        return;
    }
    entry->setChecked(readAloud);
    // Where no engine can be had, the entry says why and is greyed; one that failed while
    // speaking may be tried again.
    const bool usable = speaker != nullptr || speakerTrouble.isEmpty() ||
                        speakerTrouble == QtSpeaker::noSoundReason;
    entry->setEnabled(usable);
    entry->setStatusTip(usable ? QStringLiteral("Reads each checklist and item aloud")
                               : speakerTrouble);
    entry->setToolTip(entry->statusTip());
}

void CChecklistDlg::Speak(const QStringList& parts) {
    if (readAloud && speaker != nullptr && !parts.isEmpty()) {
        speaker->Say(parts);
    }
}
