#include "CChecklistApp.h"

#include "LineRules.h"

#include "CChecklistDlg.h"

#include <QFileInfo>

#include <cstdio>

namespace {

// Complaints name the program and point to its help, as command-line programs do. A complaint
// quotes the words it was given, file names among them, through the display rule.
int CommandLineError(const QString& complaint) {
    std::fprintf(stderr, "tarvasto: %s\nTry 'tarvasto --help' for more information.\n",
                 LineRules::Displayed(complaint.toStdString()).c_str());
    return 2;
}

} // namespace

QString CChecklistApp::UsageText() {
    return QStringLiteral(
        "Usage: tarvasto [OPTION] [FILE]\n"
        "\n"
        "Shows the checklists of the checklist file FILE (.ckl), or of the file in use when the\n"
        "program was last closed with OK. When tarvasto is already running, FILE is opened in\n"
        "that window instead, after the question about unsaved changes.\n"
        "\n"
        "Options:\n"
        "  -h, --help     print this text and end\n"
        "      --version  print the version and end\n");
}

QString CChecklistApp::VersionText() {
    return QStringLiteral("tarvasto " TARVASTO_VERSION "\n");
}

std::optional<int> CChecklistApp::ParseCommandLine(const QStringList& arguments) {
    QStringList files;
    bool options = true;
    for (const QString& argument : arguments) {
        if (options && (argument == "-h" || argument == "--help")) {
            std::fputs(qPrintable(UsageText()), stdout);
            return 0;
        }
        if (options && argument == "--version") {
            std::fputs(qPrintable(VersionText()), stdout);
            return 0;
        }
        if (options && argument == "--") {
            options = false;
        } else if (options && argument.size() > 1 && argument.startsWith('-')) {
            return CommandLineError(QStringLiteral("unknown option '%1'").arg(argument));
        } else {
            files << argument;
        }
    }
    if (files.size() > 1) {
        return CommandLineError(QStringLiteral("one file at most, got %1: '%2' and '%3'")
                                    .arg(QString::number(files.size()), files.at(0), files.at(1)));
    }
    if (!files.isEmpty()) {
        SetFileToOpen(QFileInfo(files.front()).absoluteFilePath());
    }
    return std::nullopt;
}

bool CChecklistApp::InitInstance() {
    CChecklistDlg dialog;
    dialog.SetFileToOpen(FileToOpen());
    screen = &dialog;
    SetMainWindow(&dialog);
    dialog.DoModal();
    screen = nullptr;
    // The screen was the program: there is nothing to go on with once it has ended.
    return false;
}

void CChecklistApp::OpenHandedOverFile(const QString& path) {
    if (screen != nullptr) {
        screen->OpenFile(path);
    }
}
