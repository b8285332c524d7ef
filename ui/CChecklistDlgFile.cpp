// The File menu's file commands, and the three ways the screen ends: Close, Cancel and Exit.
#include "CChecklistDlg.h"

#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "Conversion.h"
#include "FileDialog.h"
#include "Formats.h"
#include "LineRules.h"
#include "MessageBox.h"
#include "RememberedFile.h"
#include "TextConversion.h"
#include "resource.h"

#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace {

using convert::Format;

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The endings of a format's files, "ace", or of all formats' files, each once.
QStringList EndingsOf(std::span<const Format> formats) {
    QStringList endings;
    for (const Format& format : formats) {
        for (std::string_view extension : format.extensions) {
            if (!endings.contains(FromUtf8(extension))) {
                endings << FromUtf8(extension);
            }
        }
    }
    return endings;
}

// The endings as a file dialog's patterns: "*.ace *.txt".
QString PatternsOf(const QStringList& endings) {
    return QStringLiteral("*.") + endings.join(QStringLiteral(" *."));
}

// How the file dialogs name a format: its maker and its patterns, "Garmin Pilot (*.gplt)".
QString FilterOf(const Format& format) {
    const QString maker =
        format.maker.empty() ? QStringLiteral("tarvasto") : FromUtf8(format.maker);
    return QStringLiteral("%1 (%2)").arg(maker, PatternsOf(EndingsOf({&format, 1})));
}

// Import offers every format, and first all of them at once.
QStringList ImportFilters() {
    QStringList filters{
        QStringLiteral("All checklist files (%1)").arg(PatternsOf(EndingsOf(convert::Formats())))};
    for (const Format& format : convert::Formats()) {
        filters << FilterOf(format);
    }
    return filters;
}

// Export offers the formats the converter writes; the program's own is Save As.
QStringList ExportFilters() {
    QStringList filters;
    for (const Format& format : convert::Formats()) {
        if (format.write != nullptr) {
            filters << FilterOf(format);
        }
    }
    return filters;
}

// The format a filter of the dialogs names, or null.
const Format* FormatOfFilter(const QString& filter) {
    for (const Format& format : convert::Formats()) {
        if (FilterOf(format) == filter) {
            return &format;
        }
    }
    return nullptr;
}

// What a message says of a file: its name without the folder, shown as text from outside.
std::string ShownName(const QString& path) {
    return LineRules::Displayed(QFileInfo(path).fileName().toUtf8().toStdString());
}

// Reads the file at chosenPath into doc, in the format its ending names or, for an ending that
// several formats share, its content. On failure, what follows the file's name in the message:
// ":LINE: what", ": byte N: what" or ": what".
std::optional<std::string> ReadImported(const QString& chosenPath, ChecklistDoc& doc,
                                        convert::Warnings& warnings) {
    char path[1024];
    NarrowText(chosenPath, path, sizeof path);
    const std::vector<const Format*> named = convert::FormatsOfName(path);
    std::string complaint;
    if (named.empty()) {
        return ": not a checklist file of a known kind (." +
               EndingsOf(convert::Formats()).join(QStringLiteral(", .")).toStdString() + ")";
    }
    if (named.size() == 1 && named.front()->read == nullptr) {
        // The program's own files are read as Load reads them.
        if (!doc.LoadFile(path, &complaint)) {
            return ": " + LineRules::Displayed(complaint);
        }
        return std::nullopt;
    }
    std::string bytes;
    if (!ChecklistFile::ReadWholeFile(path, bytes, &complaint)) {
        return ": " + LineRules::Displayed(complaint);
    }
    const Format* format = convert::RecogniseFormat(path, bytes, complaint);
    if (format == nullptr) {
        return ": " + LineRules::Displayed(complaint);
    }
    if (std::optional<convert::ReadError> error =
            convert::ReadIntoDoc(*format, bytes, doc, warnings)) {
        return convert::PlaceOf(*format, *error) + ": " + LineRules::Displayed(error->what);
    }
    return std::nullopt;
}

// A message of heading and the converter's warnings under it, each shown as text from outside,
// with the number of those left out.
QString WithWarnings(const std::string& heading, const convert::Warnings& warnings) {
    std::string text = heading;
    for (const std::string& line : warnings.lines) {
        text += "\n- " + LineRules::Displayed(line);
    }
    if (warnings.notShown > 0) {
        text += "\n... and " + std::to_string(warnings.notShown) + " more like these";
    }
    return FromUtf8(text);
}

// The name the Export dialog offers first: the document's file without its ending, so that the
// dialog opens beside it and the chosen format's ending follows; empty without a file.
QString ExportName(const char* fileName) {
    std::string name = fileName != nullptr ? fileName : "";
    const std::string extension = convert::ExtensionOf(name);
    if (!extension.empty()) {
        name.resize(name.size() - extension.size() - 1);
    }
    return FromUtf8(name);
}

// The format Export writes to path: the one its ending names, else the filter's, whose ending
// is then added to a path without one. Null when neither names a format.
const Format* ExportFormat(QString& path, const QString& filter) {
    const std::string typed = path.toUtf8().toStdString();
    const std::vector<const Format*> named = convert::FormatsOfName(typed);
    if (named.size() == 1) {
        return named.front();
    }
    const Format* chosen = FormatOfFilter(filter);
    if (chosen != nullptr && convert::ExtensionOf(typed).empty()) {
        path += QLatin1Char('.') + FromUtf8(chosen->extensions.front());
    }
    return chosen;
}

} // namespace

bool CChecklistDlg::ConfirmSaveChanges() {
    if (document == nullptr || !document->modified) {
        return true;
    }
    switch (MessageBox(this, QStringLiteral("Save changes to current checklist ?"),
                       QStringLiteral("Confirm"), MB_YESNOCANCEL)) {
    case IDYES:
        // A Save As the user cancels lets the step go on; a write that failed must not, or
        // the changes would be thrown away right after the user asked to keep them.
        return Save() != SaveOutcome::Failed;
    case IDNO:
        return true;
    default:
        return false;
    }
}

CChecklistDlg::SaveOutcome CChecklistDlg::Save() {
    if (document->fileName == nullptr || document->fileName[0] == '\0') {
        return SaveAs();
    }
    if (!document->SaveFile(document->fileName)) {
        ReportSaveFailure();
        return SaveOutcome::Failed;
    }
    // The program's own save is no change by someone else: the kept ticks follow the file.
    StoreKeptTicks();
    return SaveOutcome::Written;
}

CChecklistDlg::SaveOutcome CChecklistDlg::SaveAs() {
    const FileDialogResult chosen =
        RunFileDialog(this, FileDialogKind::Save, WidenText(document->fileName));
    if (!chosen.confirmed) {
        return SaveOutcome::NotChosen;
    }
    char path[1024];
    NarrowText(chosen.path, path, sizeof path);
    // The name is taken before the write, so a failed write still leaves it for the next Save.
    document->SetFileName(path);
    return Save();
}

void CChecklistDlg::ReportSaveFailure() {
    MessageBox(this, QStringLiteral("The checklist file could not be saved."),
               QStringLiteral("Error"), MB_OK);
}

void CChecklistDlg::ReplaceDocument(std::unique_ptr<ChecklistDoc> replacement) {
    // The steps hold elements of the document that goes: a new document starts a new history.
    history.clear();
    // The jumps and the ticks were those of the document that goes: a new document starts clean.
    ForgetTicksAndJumps();
    currentChecklist = nullptr;
    document = replacement != nullptr ? std::move(replacement) : std::make_unique<ChecklistDoc>();
}

void CChecklistDlg::OnNewFile() {
    if (!ConfirmSaveChanges()) {
        return;
    }
    ReplaceDocument();
    RefreshAll();
}

void CChecklistDlg::OnLoad() {
    if (!ConfirmSaveChanges()) {
        return;
    }
    const FileDialogResult chosen = RunFileDialog(this, FileDialogKind::Open, QString());
    if (!chosen.confirmed) {
        return;
    }
    LoadChosenFile(chosen.path);
}

void CChecklistDlg::LoadChosenFile(const QString& chosenPath) {
    char path[1024];
    NarrowText(chosenPath, path, sizeof path);
    ReplaceDocument();
    const bool loaded = document->LoadFile(path);
    RefreshAll();
    if (!loaded) {
        MessageBox(this, QStringLiteral("The checklist file could not be opened."),
                   QStringLiteral("Error"), MB_OK);
    }
}

void CChecklistDlg::OnImport() {
    if (!ConfirmSaveChanges()) {
        return;
    }
    const FileDialogResult chosen =
        RunFileDialog(this, FileDialogKind::Open, QString(), ImportFilters());
    if (!chosen.confirmed) {
        return;
    }
    // Read aside, so that a file that cannot be read leaves the document shown as it was.
    auto imported = std::make_unique<ChecklistDoc>();
    convert::Warnings warnings;
    if (std::optional<std::string> failure = ReadImported(chosen.path, *imported, warnings)) {
        MessageBox(this, FromUtf8(ShownName(chosen.path) + *failure), QStringLiteral("Error"),
                   MB_OK);
        return;
    }
    // Not yet a .ckl: Save asks for a name, as for a document never saved.
    imported->SetFileName(nullptr);
    imported->modified = true;
    ReplaceDocument(std::move(imported));
    RefreshAll();
    if (!warnings.Empty()) {
        MessageBox(
            this,
            WithWarnings(ShownName(chosen.path) + " was imported with these changes:", warnings),
            QStringLiteral("Import"), MB_OK);
    }
}

void CChecklistDlg::OnExport() {
    const FileDialogResult chosen =
        RunFileDialog(this, FileDialogKind::Save, ExportName(document->fileName), ExportFilters());
    if (!chosen.confirmed) {
        return;
    }
    QString path = chosen.path;
    const Format* format = ExportFormat(path, chosen.filter);
    if (format == nullptr) {
        return;
    }
    // The whole file is made before anything is written, so that its warnings can still stop it.
    std::string bytes;
    convert::Warnings warnings;
    const bool made = format->write == nullptr
                          ? (bytes = ChecklistFile::WriteText(*document), true)
                          : convert::WriteFromDoc(*document, *format, convert::WriteOptions{},
                                                  warnings, [&bytes](std::string_view chunk) {
                                                      bytes.append(chunk);
                                                      return true;
                                                  });
    if (!made) {
        ReportSaveFailure();
        return;
    }
    if (!warnings.Empty() &&
        MessageBox(
            this,
            WithWarnings(ShownName(path) + ": a " + std::string(format->maker) +
                             " file cannot hold everything this document holds:",
                         warnings) +
                QStringLiteral("\n\nOK writes the file all the same; Cancel writes nothing."),
            QStringLiteral("Export"), MB_OKCANCEL) != IDOK) {
        return;
    }
    QSaveFile file(path);
    const auto size = static_cast<qint64>(bytes.size());
    // Unbuffered, so that a short write (a full disk) shows in the count written: a buffer
    // flushed by commit can lose its end without an error.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes.data(), size) != size || !file.commit()) {
        ReportSaveFailure();
    }
}

void CChecklistDlg::OpenFile(const QString& path) {
    waitingFile = path;
    OpenWaitingFile();
}

void CChecklistDlg::OpenWaitingFile() {
    if (waitingFile.isEmpty() || commandsRunning > 0 || !IsRunning() || HasEnded()) {
        return;
    }
    const QString path = std::exchange(waitingFile, QString());
    // Opening is a command of its own: a file handed over during its save question waits too.
    ++commandsRunning;
    if (ConfirmSaveChanges()) {
        LoadChosenFile(path);
    }
    --commandsRunning;
    OpenWaitingFile();
}

void CChecklistDlg::OnSave() {
    Save();
}

void CChecklistDlg::OnSaveAs() {
    SaveAs();
}

void CChecklistDlg::OnOK() {
    ++commandsRunning;
    const bool goOn = ConfirmSaveChanges();
    --commandsRunning;
    if (!goOn) {
        OpenWaitingFile();
        return;
    }
    // A document never saved under a name stores nothing: the file remembered before stays.
    StoreRememberedFile(document->fileName);
    StorePlacement();
    EndDialog(IDOK);
}

void CChecklistDlg::OnCloseRequest() {
    OnOK();
}

void CChecklistDlg::OnExit() {
    EndDialog(IDOK);
}
