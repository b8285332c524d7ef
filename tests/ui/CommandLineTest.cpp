// The program's command line, tried on the program itself without a display: what answers on the
// terminal must never need a window.
#include <QProcess>

#include <gtest/gtest.h>

#include <string>

namespace {

struct CommandLineCase {
    const char* name;
    QStringList arguments;
    int status;
    std::string out; // its start
    std::string err;
    friend void PrintTo(const CommandLineCase& row, std::ostream* os) { *os << row.name; }
};

class ProgramCommandLine : public testing::TestWithParam<CommandLineCase> {};

TEST_P(ProgramCommandLine, AnswersOnTheTerminalAndEnds) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(name);
    }
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TARVASTO_PROGRAM), GetParam().arguments);
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), GetParam().status);
    const std::string out = program.readAllStandardOutput().toStdString();
    EXPECT_EQ(out.substr(0, GetParam().out.size()), GetParam().out) << out;
    EXPECT_EQ(GetParam().out.empty(), out.empty()) << out;
    EXPECT_EQ(program.readAllStandardError().toStdString(), GetParam().err);
}

const std::string usage = "Usage: tarvasto [OPTION] [FILE]\n";
const std::string tryHelp = "Try 'tarvasto --help' for more information.\n";

INSTANTIATE_TEST_SUITE_P(Arguments, ProgramCommandLine,
                         testing::ValuesIn(std::vector<CommandLineCase>{
                             {"Version", {"--version"}, 0, "tarvasto " TARVASTO_VERSION "\n", ""},
                             {"Help", {"--help"}, 0, usage, ""},
                             {"ShortHelpAfterAFile", {"a.ckl", "-h"}, 0, usage, ""},
                             {"UnknownOption",
                              {"--geometry", "a.ckl"},
                              2,
                              "",
                              "tarvasto: unknown option '--geometry'\n" + tryHelp},
                             {"TwoFiles",
                              {"a.ckl", "--", "-b.ckl"},
                              2,
                              "",
                              "tarvasto: one file at most, got 2: 'a.ckl' and '-b.ckl'\n" +
                                  tryHelp},
                             // A name can hold anything; a complaint never lets it drive the
                             // terminal.
                             {"FileNamesWithEscapes",
                              {"\x1B]0;owned\x07.ckl", "\x1B[2J.ckl"},
                              2,
                              "",
                              "tarvasto: one file at most, got 2: '\\x1B]0;owned\\x07.ckl' and "
                              "'\\x1B[2J.ckl'\n" +
                                  tryHelp}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
