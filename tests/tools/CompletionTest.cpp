#include "Commands.h"
#include "Formats.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

// The bash completion that the build makes, completed by bash as on a machine with
// bash-completion, against ckl's own tables: whatever the tables hold is offered, nothing else.

namespace {

using Offers = std::set<std::string>;

// What completing line (the cursor at its end) offers, run in folder.
Offers Complete(const std::string& line, const QString& folder) {
    QProcess bash;
    bash.setWorkingDirectory(folder);
    bash.start("bash",
               {TARVASTO_COMPLETE_LINE, TARVASTO_CKL_COMPLETION, QString::fromStdString(line)});
    bash.waitForFinished(-1);
    Offers offers;
    for (const QString& word : QString::fromUtf8(bash.readAllStandardOutput()).split('\n')) {
        if (!word.isEmpty()) {
            offers.insert(word.toStdString());
        }
    }
    return offers;
}

class Completion : public testing::Test {
protected:
    void SetUp() override {
        if (!QFile::exists("/usr/share/bash-completion/bash_completion")) {
            GTEST_SKIP() << "bash-completion is not installed";
        }
    }
    QTemporaryDir folder;
};

TEST_F(Completion, OffersEveryCommandAndEachCommandsOptionsAndValues) {
    Offers commands = {"--help", "--version"};
    for (const ckl::Command& command : ckl::AllCommands()) {
        commands.insert(std::string(command.declared.word));
    }
    EXPECT_EQ(Complete("ckl ", folder.path()), commands);

    for (const ckl::Command& command : ckl::AllCommands()) {
        const std::string word(command.declared.word);
        Offers options = {"--help"};
        for (const ckl::OptionDeclaration& option : command.declared.options) {
            options.insert(std::string(option.name));
            if (option.kind == ckl::OptionKind::Choice) {
                Offers values(option.choices.begin(), option.choices.end());
                EXPECT_EQ(Complete("ckl " + word + " a.ckl " + std::string(option.name) + " ",
                                   folder.path()),
                          values)
                    << word << " " << option.name;
            }
        }
        EXPECT_EQ(Complete("ckl " + word + " --", folder.path()), options) << word;
    }
}

TEST_F(Completion, ConvertOffersTheFormatsAndTheFilesOfTheTable) {
    Offers names;
    Offers files = {"trips"};
    ASSERT_TRUE(QDir(folder.path()).mkdir("trips"));
    for (const convert::Format& format : convert::Formats()) {
        names.insert(std::string(format.name));
        for (std::string_view ending : format.extensions) {
            std::string upper(ending);
            std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
            for (const std::string& name : {"lower." + std::string(ending), "UPPER." + upper}) {
                QFile(folder.filePath(QString::fromStdString(name))).open(QIODevice::WriteOnly);
                files.insert(name);
            }
        }
    }
    QFile(folder.filePath("notes.doc")).open(QIODevice::WriteOnly);
    EXPECT_EQ(Complete("ckl convert a.ckl out --to ", folder.path()), names);
    EXPECT_EQ(Complete("ckl convert a.ckl out --from ", folder.path()), names);
    EXPECT_EQ(Complete("ckl convert ", folder.path()), files);
}

} // namespace
