#include "Commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string testFiles = TARVASTO_CKL_TEST_FILES;
const std::string sampleFile = std::string(TARVASTO_SAMPLES) + "/aviation.ckl";

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunCommand(Command command, const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    int status = command(args, out, err);
    return {status, out.str(), err.str()};
}

Outcome RunBinary(const QStringList& args, const QString& outputFile = {}) {
    QProcess process;
    if (!outputFile.isEmpty()) {
        process.setStandardOutputFile(outputFile);
    }
    process.start(QStringLiteral(TARVASTO_CKL_BINARY), args);
    process.waitForFinished(-1);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

std::string TestFile(const std::string& name) {
    return testFiles + "/" + name;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string EmptySlots(int count) {
    std::string list;
    for (int i = 0; i < count; ++i) {
        list += std::string(i ? "," : "") + R"j({"caption":"(empty)","checklist":null})j";
    }
    return list;
}

// --- json ---------------------------------------------------------------------------------

struct JsonCase {
    const char* name;
    const char* file;
    std::string body; // everything after "fileName"
};

void PrintTo(const JsonCase& c, std::ostream* os) {
    *os << c.name;
}

class JsonOutput : public testing::TestWithParam<JsonCase> {};

TEST_P(JsonOutput, PrintsTheLoadedDocumentExactly) {
    const JsonCase& c = GetParam();
    std::string path = TestFile(c.file);
    Outcome result = RunCommand(ckl::RunJson, {path});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, R"j({"fileName":")j" + path + R"j(",)j" + c.body + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, JsonOutput,
    testing::Values(
        // Quotes and backslashes must be escaped, an empty item kept, and the slot's
        // checklist given by its position, not as the first one.
        JsonCase{
            "SecondListOnButtonThree", "second_list_on_button_three.ckl",
            R"j("modified":false,"checklists":[)j"
            R"j({"name":"Before \"Start\"","items":["BRAKES ..... SET","PATH ..... C:\\ROOT",""]},)j"
            R"j({"name":"Taxi","items":["FLAPS ..... UP"]}],)j"
            R"j("hotButtons":[)j" +
                EmptySlots(2) + R"j(,{"caption":"Taxi °","checklist":1},)j" + EmptySlots(1) + "]}"},
        JsonCase{"EmptyFile", "empty.ckl",
                 R"j("modified":false,"checklists":[],"hotButtons":[)j" + EmptySlots(4) + "]}"},
        // A caption read before any checklist belongs to no checklist: null, caption kept.
        JsonCase{
            "HotButtonBeforeAnyChecklist", "hot_button_before_any_checklist.ckl",
            R"j("modified":false,"checklists":[{"name":"Climb","items":["THROTTLE ..... FULL"]}],)j"
            R"j("hotButtons":[{"caption":"(empty)","checklist":null},)j"
            R"j({"caption":"Orphan","checklist":null},)j" +
                EmptySlots(2) + "]}"},
        // Handheld files come in Windows-1252; the JSON must carry them as UTF-8.
        JsonCase{
            "Windows1252Text", "windows1252_degrees_and_euro.ckl",
            R"j("modified":false,"checklists":[{"name":"OAT °C","items":["HEATER ..... 5 €"]}],)j"
            R"j("hotButtons":[)j" +
                EmptySlots(4) + "]}"}),
    [](const testing::TestParamInfo<JsonCase>& info) { return info.param.name; });

// --- rewrite ------------------------------------------------------------------------------

TEST(Rewrite, ReproducesTheSampleByteForByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string out = dir.filePath("aviation.ckl").toStdString();
    Outcome result = RunCommand(ckl::RunRewrite, {sampleFile, out});
    ASSERT_EQ(result.status, 0) << result.err;
    std::string original = ReadBytes(sampleFile);
    ASSERT_FALSE(original.empty());
    EXPECT_EQ(ReadBytes(out), original);
}

TEST(Rewrite, RoundTripKeepsEveryChecklistAndHotButton) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string in = TestFile("second_list_on_button_three.ckl");
    std::string out = dir.filePath("copy.ckl").toStdString();
    ASSERT_EQ(RunCommand(ckl::RunRewrite, {in, out}).status, 0);

    std::string before = RunCommand(ckl::RunJson, {in}).out;
    std::string after = RunCommand(ckl::RunJson, {out}).out;
    before.replace(before.find(in), in.size(), "FILE");
    after.replace(after.find(out), out.size(), "FILE");
    EXPECT_EQ(after, before);
}

// Each row leaves OUT as it found it: a file with known bytes, a folder, or nothing.
struct FailedRewriteCase {
    const char* name;
    const char* in;         // relative to the temporary folder, or a test file when absolute
    const char* out;        // relative to the temporary folder
    const char* outContent; // pre-created file content; null for none
    bool outIsFolder;
    const char* message; // the complaint, up to the reason
    const char* reason;  // null when the reason is the system's own wording
};

void PrintTo(const FailedRewriteCase& c, std::ostream* os) {
    *os << c.name;
}

class RewriteFailure : public testing::TestWithParam<FailedRewriteCase> {};

TEST_P(RewriteFailure, ReportsOneLineAndLeavesOutUntouched) {
    const FailedRewriteCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string root = dir.path().toStdString();
    std::string in = std::string(c.in)[0] == '/' ? testFiles + c.in : root + "/" + c.in;
    std::string out = root + "/" + c.out;
    if (c.outContent) {
        WriteBytes(out, c.outContent);
    }
    if (c.outIsFolder) {
        ASSERT_TRUE(QDir().mkdir(QString::fromStdString(out)));
    }
    QDir().mkdir(dir.filePath("folder_as_input"));

    Outcome result = RunCommand(ckl::RunRewrite, {in, out});

    EXPECT_EQ(result.status, 1);
    std::string complaint = "ckl: cannot " + std::string(c.message) + " '" +
                            (std::string(c.message) == "open" ? in : out) + "': ";
    EXPECT_EQ(result.err.substr(0, complaint.size()), complaint) << result.err;
    if (c.reason) {
        EXPECT_EQ(result.err, complaint + c.reason + "\n");
    }
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    if (c.outContent) {
        EXPECT_EQ(ReadBytes(out), c.outContent);
    }
    if (c.outIsFolder) {
        EXPECT_TRUE(QFileInfo(QString::fromStdString(out)).isDir());
        EXPECT_TRUE(QDir(QString::fromStdString(out)).isEmpty());
    }
    // Nothing else may appear: no half-written copy, no leftover temporary file.
    QStringList expected{"folder_as_input"};
    if (c.outContent || c.outIsFolder) {
        expected << QString::fromStdString(c.out);
    }
    expected.sort();
    EXPECT_EQ(QDir(dir.path())
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
              expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RewriteFailure,
    testing::Values(FailedRewriteCase{"MissingInput", "missing.ckl", "out.ckl",
                                      "keep these bytes\n", false, "open",
                                      "No such file or directory"},
                    FailedRewriteCase{"FolderAsInput", "folder_as_input", "out.ckl",
                                      "keep these bytes\n", false, "open", "Is a directory"},
                    FailedRewriteCase{"FolderAsOutput", "/second_list_on_button_three.ckl",
                                      "out.ckl", nullptr, true, "write", nullptr},
                    FailedRewriteCase{"OutputInMissingFolder", "/second_list_on_button_three.ckl",
                                      "no_such_folder/out.ckl", nullptr, false, "write", nullptr}),
    [](const testing::TestParamInfo<FailedRewriteCase>& info) { return info.param.name; });

// --- show ---------------------------------------------------------------------------------

TEST(Show, ListsItemsWithBoxesAndWhereEachHotButtonLeads) {
    Outcome result = RunCommand(ckl::RunShow, {TestFile("second_list_on_button_three.ckl")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "1. Before \"Start\"\n"
                          "    [ ] BRAKES ..... SET\n"
                          "    [ ] PATH ..... C:\\ROOT\n"
                          "    [ ] \n"
                          "\n"
                          "2. Taxi\n"
                          "    [ ] FLAPS ..... UP\n"
                          "\n"
                          "Hot buttons:\n"
                          "    1. (empty) -> no checklist\n"
                          "    2. (empty) -> no checklist\n"
                          "    3. Taxi ° -> 2. Taxi\n"
                          "    4. (empty) -> no checklist\n");
}

TEST(Show, NeverPassesControlCharactersToTheTerminal) {
    Outcome result = RunCommand(ckl::RunShow, {TestFile("control_characters_in_texts.ckl")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.substr(0, result.out.find("\n\n")), "1. Alarm?[2J\n"
                                                             "    [ ] BELL ?..... RING\n"
                                                             "    [ ] C1 ?..... CSI");
}

// --- command lines ------------------------------------------------------------------------

struct UsageCase {
    const char* name;
    Command command;
    std::vector<std::string> args;
    int status;
    const char* complaint; // the first line on standard error; null when all goes to out
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << c.name;
}

class CommandLine : public testing::TestWithParam<UsageCase> {};

TEST_P(CommandLine, GivesTheUsageWithTheRightStatus) {
    const UsageCase& c = GetParam();
    Outcome result = RunCommand(c.command, c.args);
    EXPECT_EQ(result.status, c.status);
    if (c.complaint) {
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), c.complaint);
        EXPECT_NE(result.err.find("Usage: ckl"), std::string::npos);
    } else {
        EXPECT_EQ(result.err, "");
        EXPECT_NE(result.out.find("Usage: ckl"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    testing::Values(
        UsageCase{"JsonWithoutFile", ckl::RunJson, {}, 2, "ckl: json expects one file, got 0"},
        UsageCase{
            "JsonWithTwoFiles", ckl::RunJson, {"a", "b"}, 2, "ckl: json expects one file, got 2"},
        UsageCase{"RewriteWithOnlyInput",
                  ckl::RunRewrite,
                  {"in.ckl"},
                  2,
                  "ckl: rewrite expects 2 files, got 1"},
        UsageCase{"RewriteWithThreeFiles",
                  ckl::RunRewrite,
                  {"a", "b", "c"},
                  2,
                  "ckl: rewrite expects 2 files, got 3"},
        UsageCase{"ShowWithUnknownOption",
                  ckl::RunShow,
                  {"--verbose", "x.ckl"},
                  2,
                  "ckl: show: unknown option '--verbose'"},
        UsageCase{"HelpAfterCommand", ckl::RunRewrite, {"--help"}, 0, nullptr},
        UsageCase{"ShortHelpAfterCommand", ckl::RunShow, {"a", "-h"}, 0, nullptr}),
    [](const testing::TestParamInfo<UsageCase>& info) { return info.param.name; });

// --- the tool itself ----------------------------------------------------------------------

TEST(Binary, HelpDescribesEveryCommand) {
    for (const char* flag : {"--help", "-h"}) {
        Outcome result = RunBinary({flag});
        EXPECT_EQ(result.status, 0) << flag;
        EXPECT_EQ(result.err, "") << flag;
        for (const char* command : {"ckl json FILE", "ckl rewrite IN OUT", "ckl show FILE",
                                    "ckl check FILE", "ckl print FILE -o OUT.pdf"}) {
            EXPECT_NE(result.out.find(command), std::string::npos) << flag << ": " << command;
        }
    }
}

TEST(Binary, WrongCommandLinesExitWithTwo) {
    for (const QStringList& args :
         {QStringList{}, QStringList{"fly"}, QStringList{"json"}, QStringList{"JSON", "x"}}) {
        Outcome result = RunBinary(args);
        EXPECT_EQ(result.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("Usage: ckl"), std::string::npos) << result.err;
    }
}

TEST(Binary, MissingFileExitsWithOneAndOneLine) {
    Outcome result = RunBinary({"json", "no_such_file.ckl"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "ckl: cannot open 'no_such_file.ckl': No such file or directory\n");
}

TEST(Binary, OutputThatCannotBeWrittenExitsWithOne) {
    if (!QFile::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    Outcome result = RunBinary({"show", QString::fromStdString(sampleFile)}, "/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ckl: cannot write to standard output\n");
}

} // namespace
