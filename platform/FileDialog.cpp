#include "FileDialog.h"

#include "DevicePath.h"

#include "OwnerWindow.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QStandardPaths>
#include <QtGlobal>

namespace {

FileDialogHook* currentHook = nullptr;

// The filters a dialog offers: the program's own files unless the caller names others.
QStringList Offered(const QStringList& filters) {
    return filters.isEmpty() ? QStringList{QStringLiteral("Checklists (*.ckl)")} : filters;
}

// The program's path buffers hold at most longestChosenPath bytes; a longer path would be cut
// into the name of some other file.
FileDialogResult Checked(FileDialogResult result) {
    if (result.confirmed &&
        static_cast<std::size_t>(result.path.toUtf8().size()) > longestChosenPath) {
        return FileDialogResult{};
    }
    return result;
}

} // namespace

FileDialogHook::FileDialogHook() : previous(currentHook) {
    currentHook = this;
}

FileDialogHook::~FileDialogHook() {
    currentHook = previous;
}

void FileDialogHook::PushPath(const QString& path, const QString& filter) {
    answers.emplace_back(Answer{path, filter});
}

void FileDialogHook::PushCancel() {
    answers.emplace_back(std::nullopt);
}

FileDialogResult FileDialogHook::Give(FileDialogKind kind, const QString& initialName,
                                      const QStringList& filters) {
    const QStringList offered = Offered(filters);
    FileDialogResult result;
    bool scripted = !answers.empty();
    if (!scripted) {
        qWarning("RunFileDialog: no scripted answer for the %s dialog (initial name \"%s\")",
                 kind == FileDialogKind::Open ? "open" : "save", qUtf8Printable(initialName));
    } else {
        if (const std::optional<Answer>& answer = answers.front()) {
            const QString filter = answer->filter.isEmpty() ? offered.constFirst() : answer->filter;
            scripted = offered.contains(filter);
            if (scripted) {
                result = FileDialogResult{true, answer->path, filter};
            } else {
                qWarning("RunFileDialog: the filter \"%s\" scripted was not offered",
                         qUtf8Printable(filter));
            }
        }
        answers.pop_front();
    }
    result = Checked(result);
    asked.push_back(FileDialogRecord{kind, initialName, offered, result, scripted});
    return result;
}

std::unique_ptr<QFileDialog> BuildFileDialog(QWidget* owner, FileDialogKind kind,
                                             const QString& initialName,
                                             const QStringList& filters) {
    auto dialog = std::make_unique<QFileDialog>(OwnerOrActiveWindow(owner));
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAcceptMode(kind == FileDialogKind::Open ? QFileDialog::AcceptOpen
                                                       : QFileDialog::AcceptSave);
    // The open dialog takes names of files that do not exist too; loading them fails quietly.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, kind == FileDialogKind::Save);
    dialog->setNameFilters(Offered(filters));
    // With filters of several formats the caller adds the ending of the one chosen: a single
    // default would give every file the ending of the first.
    if (filters.isEmpty()) {
        dialog->setDefaultSuffix(QStringLiteral("ckl"));
    }
    if (initialName.isEmpty()) {
        dialog->setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    } else {
        const std::string hostPath = HostPath(initialName.toUtf8().constData());
        dialog->selectFile(QFile::decodeName(QByteArray::fromStdString(hostPath)));
    }
    return dialog;
}

FileDialogResult RunFileDialog(QWidget* owner, FileDialogKind kind, const QString& initialName,
                               const QStringList& filters) {
    if (currentHook != nullptr) {
        return currentHook->Give(kind, initialName, filters);
    }
    const std::unique_ptr<QFileDialog> dialog = BuildFileDialog(owner, kind, initialName, filters);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return FileDialogResult{};
    }
    return Checked(
        FileDialogResult{true, dialog->selectedFiles().constFirst(), dialog->selectedNameFilter()});
}
