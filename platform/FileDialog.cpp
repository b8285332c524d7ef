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

void FileDialogHook::PushPath(const QString& path) {
    answers.emplace_back(path);
}

void FileDialogHook::PushCancel() {
    answers.emplace_back(std::nullopt);
}

FileDialogResult FileDialogHook::Answer(FileDialogKind kind, const QString& initialName) {
    FileDialogResult result;
    const bool scripted = !answers.empty();
    if (!scripted) {
        qWarning("RunFileDialog: no scripted answer for the %s dialog (initial name \"%s\")",
                 kind == FileDialogKind::Open ? "open" : "save", qUtf8Printable(initialName));
    } else {
        if (answers.front()) {
            result = FileDialogResult{true, *answers.front()};
        }
        answers.pop_front();
    }
    result = Checked(result);
    asked.push_back(FileDialogRecord{kind, initialName, result, scripted});
    return result;
}

std::unique_ptr<QFileDialog> BuildFileDialog(QWidget* owner, FileDialogKind kind,
                                             const QString& initialName) {
    auto dialog = std::make_unique<QFileDialog>(OwnerOrActiveWindow(owner));
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAcceptMode(kind == FileDialogKind::Open ? QFileDialog::AcceptOpen
                                                       : QFileDialog::AcceptSave);
    // The open dialog takes names of files that do not exist too; loading them fails quietly.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, kind == FileDialogKind::Save);
    dialog->setNameFilter(QStringLiteral("Checklists (*.ckl)"));
    dialog->setDefaultSuffix(QStringLiteral("ckl"));
    if (initialName.isEmpty()) {
        dialog->setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    } else {
        const std::string hostPath = HostPath(initialName.toUtf8().constData());
        dialog->selectFile(QFile::decodeName(QByteArray::fromStdString(hostPath)));
    }
    return dialog;
}

FileDialogResult RunFileDialog(QWidget* owner, FileDialogKind kind, const QString& initialName) {
    if (currentHook != nullptr) {
        return currentHook->Answer(kind, initialName);
    }
    const std::unique_ptr<QFileDialog> dialog = BuildFileDialog(owner, kind, initialName);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return FileDialogResult{};
    }
    return Checked(FileDialogResult{true, dialog->selectedFiles().constFirst()});
}
