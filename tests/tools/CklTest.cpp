#include "CheckCommand.h"
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

// The ckl tool is run as a user would run it; only the checker's own walk over the lines is
// compared in-process with the reader's.

namespace {

// What one run of the ckl tool left behind.
struct Outcome {
    int status; // -1 when the tool did not end normally
    std::string out;
    std::string err;
};

// The text with "FILES/" leading to the test files, "CHECKS/" to the check inputs, "CONVERT/" to
// the files of other formats, "SAMPLE" to the bundled sample and "DIR/" to folder.
std::string Expand(std::string text, const QString& folder = {}) {
    for (auto [from, to] :
         {std::pair<std::string, std::string>{"FILES/", TARVASTO_CKL_TEST_FILES "/"},
          {"CHECKS/", TARVASTO_CKL_TEST_FILES "/../check/"},
          {"CONVERT/", TARVASTO_CONVERT_FILES "/"},
          {"SAMPLE", std::string(TARVASTO_SAMPLES) + "/aviation.ckl"},
          {"DIR/", folder.toStdString() + "/"}}) {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

// What goes to the tool's standard input: nothing (an empty pipe), bytes through a pipe, or a
// file (expanded) as a shell's "<" gives it.
struct Input {
    std::string bytes;
    std::string file;
};

// Runs the ckl tool with the words of commandLine, each expanded, as a user would from a shell
// with no display; standard output goes to stdoutFile when one is given.
Outcome RunCkl(const std::string& commandLine, const QString& folder = {},
               const QString& stdoutFile = {}, const Input& input = {}) {
    QStringList arguments;
    std::istringstream words(commandLine);
    for (std::string word; words >> word;) {
        arguments << QString::fromStdString(Expand(word, folder));
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(name);
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!stdoutFile.isEmpty()) {
        process.setStandardOutputFile(stdoutFile);
    }
    if (!input.file.empty()) {
        process.setStandardInputFile(QString::fromStdString(Expand(input.file, folder)));
    }
    process.start(QStringLiteral(TARVASTO_CKL_BINARY), arguments);
    if (input.file.empty()) {
        process.write(input.bytes.data(), static_cast<qint64>(input.bytes.size()));
        process.closeWriteChannel();
    }
    process.waitForFinished(-1);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(Expand(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// --- json, show, rewrite and every command line ---

struct OutputCase {
    const char* name;
    const char* commandLine;
    std::string out;
    // Prints as its name, so that test lists stay readable and the same from run to run.
    friend void PrintTo(const OutputCase& row, std::ostream* os) { *os << row.name; }
};

class Output : public testing::TestWithParam<OutputCase> {};

TEST_P(Output, ShowsTheLoadedDocumentExactly) {
    Outcome result = RunCkl(GetParam().commandLine);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, Expand(GetParam().out));
}

const std::string none = R"j({"caption":"(empty)","checklist":null})j";
const std::string noButtons = none + "," + none + "," + none + "," + none;

INSTANTIATE_TEST_SUITE_P(
    Files, Output,
    testing::ValuesIn(std::vector<OutputCase>{
        // Quotes and backslashes escaped, an empty item kept, a slot's checklist by position.
        {"JsonOfSecondListOnButtonThree", "json FILES/second_list_on_button_three.ckl",
         R"j({"fileName":"FILES/second_list_on_button_three.ckl","modified":false,)j"
         R"j("checklists":[{"name":"Before \"Start\"","items":["BRAKES ..... SET",)j"
         R"j("PATH ..... C:\\ROOT",""]},{"name":"Taxi","items":["FLAPS ..... UP"]}],)j"
         R"j("hotButtons":[)j" +
             none + "," + none + R"j(,{"caption":"Taxi °","checklist":1},)j" + none + "]}\n"},
        {"JsonOfEmptyFile", "json FILES/empty.ckl",
         R"j({"fileName":"FILES/empty.ckl","modified":false,"checklists":[],)j"
         R"j("hotButtons":[)j" +
             noButtons + "]}\n"},
        // A section belongs to the checklist read last: to none before the first one.
        {"JsonOfHotButtonBeforeAnyChecklist", "json FILES/hot_button_before_any_checklist.ckl",
         R"j({"fileName":"FILES/hot_button_before_any_checklist.ckl","modified":false,)j"
         R"j("checklists":[{"name":"Climb","items":["THROTTLE ..... FULL"]}],)j"
         R"j("hotButtons":[{"caption":"Climb","checklist":0},)j"
         R"j({"caption":"Orphan","checklist":null},)j" +
             none + "," + none + "]}\n"},
        // Handheld files come in Windows-1252; the JSON carries them as UTF-8.
        {"JsonOfWindows1252Text", "json FILES/windows1252_degrees_and_euro.ckl",
         R"j({"fileName":"FILES/windows1252_degrees_and_euro.ckl","modified":false,)j"
         R"j("checklists":[{"name":"OAT °C","items":["HEATER ..... 5 €"]}],)j"
         R"j("hotButtons":[)j" +
             noButtons + "]}\n"},
        {"ShowOfSecondListOnButtonThree", "show FILES/second_list_on_button_three.ckl",
         "1. Before \"Start\"\n    [ ] BRAKES ..... SET\n    [ ] PATH ..... C:\\ROOT\n"
         "    [ ] \n\n2. Taxi\n    [ ] FLAPS ..... UP\n\nHot buttons:\n"
         "    1. (empty) -> no checklist\n    2. (empty) -> no checklist\n"
         "    3. Taxi ° -> 2. Taxi\n    4. (empty) -> no checklist\n"},
        // Escape sequences, bells and C1 controls in a file never reach the terminal.
        {"ShowOfControlCharacters", "show FILES/control_characters_in_texts.ckl",
         "1. Alarm\\x1B[2J\n    [ ] BELL \\x07..... RING\n    [ ] C1 \\xC2\\x9B..... CSI\n\nHot "
         "buttons:\n"
         "    1. (empty) -> no checklist\n    2. (empty) -> no checklist\n"
         "    3. (empty) -> no checklist\n    4. (empty) -> no checklist\n"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Rewrite, KeepsTheDocumentAndTheProgramsOwnFileByteForByte) {
    QTemporaryDir dir;
    for (std::string in : {"FILES/second_list_on_button_three.ckl", "SAMPLE"}) {
        ASSERT_EQ(RunCkl("rewrite " + in + " DIR/copy.ckl", dir.path()).status, 0) << in;
        std::string before = RunCkl("json " + in).out;
        std::string after = RunCkl("json DIR/copy.ckl", dir.path()).out;
        EXPECT_EQ(after.substr(after.find(',')), before.substr(before.find(','))) << in;
    }
    // The sample, rewritten last, is the program's own file: it comes back byte for byte.
    EXPECT_EQ(ReadBytes(dir.filePath("copy.ckl").toStdString()), ReadBytes("SAMPLE"));
}

struct CommandLineCase {
    const char* name;
    const char* commandLine;
    int status;            // 0 for help, 1 for a file that cannot be read or written, 2 for misuse
    std::string complaint; // the start of standard error after "ckl: "
    friend void PrintTo(const CommandLineCase& row, std::ostream* os) { *os << row.name; }
};

class CommandLine : public testing::TestWithParam<CommandLineCase> {};

// Help describes every command. A file that cannot be read or written gives one line; a wrong
// command line gives the complaint and the usage. Either way the folder stays as it was:
// "kept.ckl" with its bytes, "folder" empty, and no half-written copy or temporary file.
TEST_P(CommandLine, ExitsWithItsStatusAndWritesNothing) {
    QTemporaryDir dir;
    std::ofstream(dir.filePath("kept.ckl").toStdString()) << "keep these bytes\n";
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));

    Outcome result = RunCkl(GetParam().commandLine, dir.path());
    if (result.err.find("built without printing") != std::string::npos) {
        GTEST_SKIP() << result.err;
    }
    EXPECT_EQ(result.status, GetParam().status);
    if (GetParam().status == 0) {
        EXPECT_EQ(result.err, "");
        for (const char* command :
             {"ckl json FILE", "ckl rewrite IN OUT", "ckl show FILE", "ckl check FILE",
              "ckl print FILE -o OUT.pdf", "ckl convert IN OUT"}) {
            EXPECT_NE(result.out.find(command), std::string::npos) << command;
        }
    } else {
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind(Expand("ckl: " + GetParam().complaint, dir.path()), 0), 0u)
            << result.err;
        // Either way one line, which for a wrong command line says where to read more.
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.err.ends_with(" (ckl --help tells how to use ckl)\n"),
                  GetParam().status == 2)
            << result.err;
    }
    EXPECT_EQ(ReadBytes(dir.filePath("kept.ckl").toStdString()), "keep these bytes\n");
    EXPECT_TRUE(QDir(dir.filePath("folder")).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"folder", "kept.ckl"}));
}

const std::string missing = "cannot open 'DIR/missing.ckl': No such file or directory\n";

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    testing::ValuesIn(std::vector<CommandLineCase>{
        {"Help", "--help", 0, ""},
        {"ShortHelp", "-h", 0, ""},
        {"ShortHelpAfterFile", "show a -h", 0, ""},
        {"CheckHelp", "check --help", 0, ""},
        {"PrintHelp", "print a --help -o DIR/kept.ckl", 0, ""},
        {"JsonOfMissingFile", "json DIR/missing.ckl", 1, missing},
        {"CheckOfFolder", "check DIR/folder", 1, "cannot open 'DIR/folder': Is a directory\n"},
        // A device that never ends is refused, not read until memory runs out.
        {"CheckOfEndlessDevice", "check /dev/zero", 1, "cannot open '/dev/zero': File too large\n"},
        {"JsonOfEndlessDevice", "json /dev/zero", 1, "cannot open '/dev/zero': File too large\n"},
        {"RewriteOfMissingFile", "rewrite DIR/missing.ckl DIR/kept.ckl", 1, missing},
        {"RewriteOfFolder", "rewrite DIR/folder DIR/kept.ckl", 1,
         "cannot open 'DIR/folder': Is a directory\n"},
        {"RewriteOntoFolder", "rewrite SAMPLE DIR/folder", 1, "cannot write 'DIR/folder': "},
        {"RewriteIntoMissingFolder", "rewrite SAMPLE DIR/no/o.ckl", 1,
         "cannot write 'DIR/no/o.ckl': "},
        {"PrintOfMissingFile", "print DIR/missing.ckl -o DIR/kept.ckl", 1, missing},
        {"PrintOntoFolder", "print SAMPLE -o DIR/folder", 1, "cannot write 'DIR/folder': "},
        {"NoCommand", "", 2, "no command given "},
        {"CommandInCapitals", "JSON x", 2, "unknown command 'JSON' "},
        {"JsonWithoutFile", "json", 2, "json expects one file, got 0 "},
        {"JsonWithTwoFiles", "json a b", 2, "json expects one file, got 2 "},
        {"RewriteWithOnlyInput", "rewrite a", 2, "rewrite expects 2 files, IN and OUT, got 1 "},
        {"ShowWithUnknownOption", "show --verbose a", 2, "show: unknown option '--verbose' "},
        {"CheckWithoutFile", "check", 2, "check expects at least one file, got 0 "},
        {"CheckWithUnknownOption", "check --strict a", 2, "check: unknown option '--strict' "},
        {"PrintWithoutFile", "print", 2, "print expects one file, got 0 "},
        {"PrintWithoutOutput", "print SAMPLE", 2, "print expects -o OUT.pdf "},
        {"OutputWithoutValue", "print SAMPLE -o", 2, "print: -o needs a value "},
        {"PageInCapitals", "print SAMPLE -oDIR/o.pdf --page=A4", 2,
         "print: --page takes a4, letter, a5, kneeboard or a size WxH such as 100x150mm or "
         "5.5x8.5in, each side 50 to 600 mm, not 'A4' "},
        {"PageInCentimetres", "print SAMPLE -oDIR/o.pdf --page 10x15cm", 2,
         "print: --page takes a4, letter, a5, kneeboard or a size WxH "},
        {"PageTooSmall", "print SAMPLE -oDIR/o.pdf --page 40x60mm", 2,
         "print: --page takes a4, letter, a5, kneeboard or a size WxH "},
        {"FiveColumns", "print SAMPLE --columns 5", 2,
         "print: --columns takes 1, 2, 3 or 4, not '5' "},
        {"SidewaysOrientation", "print SAMPLE -oDIR/o.pdf --orientation sideways", 2,
         "print: --orientation takes portrait or landscape, not 'sideways' "},
        {"FontSizeTooSmall", "print SAMPLE -oDIR/o.pdf --font-size 20", 2,
         "print: --font-size takes a number from 50 to 300, not '20' "},
        {"FontSizeWithPercentSign", "print SAMPLE -oDIR/o.pdf --font-size=120%", 2,
         "print: --font-size takes a number from 50 to 300, not '120%' "},
        {"MarginsWithoutUnit", "print SAMPLE -oDIR/o.pdf --margins 12", 2,
         "print: --margins takes one margin for every side or four (top, right, bottom, left) "
         "such as 12mm, 0.5in or 10,12,10,12mm, each 0 to 100 mm, not '12' "},
        {"ThreeMargins", "print SAMPLE -oDIR/o.pdf --margins 10,12,10mm", 2,
         "print: --margins takes one margin for every side or four "},
        {"MarginsLeaveNoRoom", "print SAMPLE -oDIR/o.pdf --page a5 --margins 10,70,10,70mm", 2,
         "print: the margins leave 8 by 190 mm of the 148 by 210 mm page, too little for 1 "
         "column of at least 20 by 40 mm "},
        {"TooManyColumnsForTheLandscapePage",
         "print SAMPLE -oDIR/o.pdf --page 60x150mm --orientation landscape --columns 4", 2,
         "print: the margins leave 126 by 38 mm of the 150 by 60 mm page, too little for 4 "
         "columns of at least 20 by 40 mm "},
        {"StartAtTheTop", "print SAMPLE -oDIR/o.pdf --start top", 2,
         "print: --start takes below, column or page, not 'top' "},
        {"CoverWithValue", "print SAMPLE -oDIR/o.pdf --cover=yes", 2,
         "print: --cover takes no value "},
        {"PrintWithUnknownOption", "print SAMPLE --colour", 2, "print: unknown option '--colour' "},
        {"PrintWithTwoFiles", "print a b", 2, "print expects one file, got 2 "},
        {"ConvertHelp", "convert a.ckl --help", 0, ""},
        {"ConvertOfMissingFile", "convert DIR/missing.ace DIR/kept.ckl", 1,
         "cannot open 'DIR/missing.ace': No such file or directory\n"},
        {"ConvertOfFolder", "convert DIR/folder DIR/kept.ckl --from grt", 1,
         "cannot open 'DIR/folder': Is a directory\n"},
        {"ConvertOntoFolder", "convert SAMPLE DIR/folder --to ace", 1,
         "cannot write 'DIR/folder': "},
        {"ConvertWithWrongChecksum", "convert CONVERT/wrong_checksum.ace DIR/kept.ckl", 1,
         "CONVERT/wrong_checksum.ace: byte 471: wrong checksum: the file says "},
        {"ConvertOfTruncatedAce", "convert CONVERT/truncated.ace DIR/kept.ckl", 1,
         "CONVERT/truncated.ace: byte 200: the file ends inside a checklist"},
        {"ConvertWithUnknownItemLetter", "convert CONVERT/unknown_item_letter.ace DIR/kept.ckl", 1,
         "CONVERT/unknown_item_letter.ace: byte 164: unknown item type 'x'"},
        {"ConvertOfItemBeforeList", "convert CONVERT/item_before_list_grt.txt DIR/kept.ckl", 1,
         "CONVERT/item_before_list_grt.txt:3: an ITEM before the first LIST\n"},
        {"ConvertOfUnknownItemType", "convert CONVERT/item_type_unknown.json DIR/kept.ckl", 1,
         "CONVERT/item_type_unknown.json:11: unknown item type \"ITEM_CHECK\"\n"},
        {"ConvertOfUnknownText", "convert CONVERT/neither_format.txt DIR/kept.ckl", 1,
         "CONVERT/neither_format.txt: neither a Dynon nor a Grand Rapids checklist file"},
        {"ConvertOfCklAsGrt", "convert SAMPLE DIR/kept.ckl --from grt", 1,
         "SAMPLE:1: not a Grand Rapids checklist line"},
        {"ConvertWithOneFile", "convert a.ckl", 2, "convert expects 2 files, IN and OUT, got 1 "},
        {"ConvertToTxt", "convert a.ckl b.txt", 2,
         "convert: cannot tell the format of 'b.txt' from its name; a .txt file is dynon or "
         "grt: give --to FORMAT "},
        {"ConvertFromUnknownEnding", "convert a.doc b.ckl", 2,
         "convert: cannot tell the format of 'a.doc' from its name; give --from FORMAT "},
        {"ConvertToUnknownFormat", "convert a.ckl b --to=pdf", 2,
         "convert: --to takes ckl, ace, dynon, grt, efis-json, foreflight or garmin-pilot, not "
         "'pdf' "},
        {"ConvertFromWithoutValue", "convert a.ckl b.ckl --from", 2,
         "convert: --from needs a value "},
        {"ConvertWidthForAce", "convert a.ckl b.ace --width 40", 2,
         "convert: --width wraps dynon and grt files only, not ace "},
        {"ConvertWidthTooNarrow", "convert a.ckl b.txt --to grt --width 3", 2,
         "convert: --width takes a number from 8 to 1023, not '3' "},
        {"ConvertWithUnknownOption", "convert --strict a.ckl b.ckl", 2,
         "convert: unknown option '--strict' "}}),
    [](const auto& info) { return std::string(info.param.name); });

// The usage is made from print's declaration: every option with the values it takes, on lines
// that fit a terminal of 80 columns.
TEST(Usage, ListsThePrintOptions) {
    Outcome result = RunCkl("print --help");
    EXPECT_EQ(result.status, 0);
    for (const char* option :
         {"-o OUT.pdf", "[--page a4|letter|a5|kneeboard|WxH]", "[--orientation portrait|landscape]",
          "[--columns 1|2|3|4]", "[--font-size PERCENT]", "[--margins M]",
          "[--start below|column|page]", "[--cover]", "[--group-pages]"}) {
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
    }
    std::size_t print = result.out.find("  ckl print");
    std::istringstream lines(result.out.substr(print, result.out.find("  ckl convert") - print));
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79u) << line;
    }
}

TEST(Version, IsTheProgramsVersion) {
    Outcome result = RunCkl("--version");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "ckl (tarvasto) " TARVASTO_VERSION "\n");
    EXPECT_EQ(result.err, "");
}

struct StreamCase {
    const char* name;
    const char* commandLine;
    Input input;
    int status;
    std::string out; // "PDF" for any PDF
    std::string err;
    friend void PrintTo(const StreamCase& row, std::ostream* os) { *os << row.name; }
};

class StandardStreams : public testing::TestWithParam<StreamCase> {};

// "-" reads standard input, whether a pipe or a redirected file, as the reader reads any file, and
// writes standard output instead of a file; no file named "-" ever appears.
TEST_P(StandardStreams, StandInForFiles) {
    QTemporaryDir dir;
    Outcome result = RunCkl(GetParam().commandLine, dir.path(), {}, GetParam().input);
    if (result.err.find("built without printing") != std::string::npos) {
        GTEST_SKIP() << result.err;
    }
    EXPECT_EQ(result.status, GetParam().status);
    if (GetParam().out == "PDF") {
        EXPECT_EQ(result.out.substr(0, 5), "%PDF-");
        EXPECT_NE(result.out.find("%%EOF"), std::string::npos);
    } else {
        EXPECT_EQ(result.out, GetParam().out);
    }
    EXPECT_EQ(result.err, GetParam().err);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

const std::string sampleBytes = ReadBytes("SAMPLE");
const std::string crlfWindows1252 = "[$$HEADER]\r\n[$$END]\r\n[$$CHECKLIST]\r\nOAT \xB0"
                                    "C\r\n"
                                    "HEATER ..... ON\r\n[$$END]\r\n";
const std::string ownForm = "[$$HEADER]\n[$$END]\n[$$CHECKLIST]\nOAT \u00b0C\nHEATER ..... ON\n"
                            "[$$END]\n\n";
const std::string unclosedJson =
    R"j({"fileName":"-","modified":false,"checklists":[{"name":"Taxi","items":["BRAKES"]}],)j"
    R"j("hotButtons":[)j" +
    noButtons + "]}\n";

// The sample many times over, well past the 4,096 and 65,536 bytes a pipe may hand over at once,
// and the JSON of the same file read by its name, as "-" names it.
const std::string longFile = [] {
    std::string text;
    while (text.size() < 300'000) {
        text += sampleBytes;
    }
    return text;
}();
// What a command prints for longFile read by its name; for json, with the name "-" gives it.
std::string OfLongFileByName(const std::string& command) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("long.ckl").toStdString();
    std::ofstream(path, std::ios::binary) << longFile;
    std::string printed = RunCkl(command + " " + path + (command == "rewrite" ? " -" : "")).out;
    const std::string name = "{\"fileName\":\"" + path + "\"";
    return printed.rfind(name, 0) == 0 ? "{\"fileName\":\"-\"" + printed.substr(name.size())
                                       : printed;
}
const std::string longFileJson = OfLongFileByName("json");
const std::string longFileRewritten = OfLongFileByName("rewrite");

INSTANTIATE_TEST_SUITE_P(
    Dash, StandardStreams,
    testing::ValuesIn(std::vector<StreamCase>{
        {"RewritePipeToPipe", "rewrite - -", {crlfWindows1252, ""}, 0, ownForm, ""},
        {"RewriteRedirectedFileToPipe", "rewrite - -", {"", "SAMPLE"}, 0, sampleBytes, ""},
        {"RewriteFileToPipe", "rewrite SAMPLE -", {}, 0, sampleBytes, ""},
        {"JsonOfPipe", "json -", {"[$$CHECKLIST]\nTaxi\nBRAKES\n", ""}, 0, unclosedJson, ""},
        {"ShowOfEmptyPipe",
         "show -",
         {},
         0,
         "(no checklists)\n\nHot buttons:\n"
         "    1. (empty) -> no checklist\n    2. (empty) -> no checklist\n"
         "    3. (empty) -> no checklist\n    4. (empty) -> no checklist\n",
         ""},
        {"CheckOfPipeNamesIt",
         "check -",
         {"[$$CHECKLIST]\nTaxi\n[$$END]\nstray\n", ""},
         1,
         "-:4: warning: the line lies outside any section and is ignored \u2014 put it inside a "
         "checklist or delete it\n",
         ""},
        {"CheckOfRedirectedFolder",
         "check -",
         {"", "DIR/"},
         1,
         "",
         "ckl: cannot open '-': Is a directory\n"},
        // More than a pipe holds at once: nothing may be lost after its first few pages.
        {"RewriteLongPipeToPipe", "rewrite - -", {longFile, ""}, 0, longFileRewritten, ""},
        {"JsonOfLongPipe", "json -", {longFile, ""}, 0, longFileJson, ""},
        {"PrintOfPipeToPipe", "print - -o -", {sampleBytes, ""}, 0, "PDF", ""},
        {"PrintToPipe", "print SAMPLE --page a5 -o-", {}, 0, "PDF", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StandardOutput, ThatCannotBeWrittenExitsWithOne) {
    if (!QFile::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    Outcome result = RunCkl("show SAMPLE", {}, "/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ckl: cannot write to standard output\n");
}

// --- ckl convert ---

struct ConvertCase {
    const char* name;
    const char* input;   // in CONVERT/
    const char* options; // for reading it
    const char* ckl;     // what it reads as, in CONVERT/
    const char* back;    // the file it is written back to, in DIR/
    const char* backOptions;
    friend void PrintTo(const ConvertCase& row, std::ostream* os) { *os << row.name; }
};

class ConvertExample : public testing::TestWithParam<ConvertCase> {};

// The worked example of each format: the file reads as the .ckl, which `ckl check` finds
// nothing in, and the .ckl converts back to the same file byte for byte.
TEST_P(ConvertExample, ReadsAsTheCklAndConvertsBack) {
    const ConvertCase& row = GetParam();
    QTemporaryDir dir;
    std::string input = "CONVERT/" + std::string(row.input);
    Outcome result = RunCkl("convert " + input + " DIR/read.ckl " + row.options, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(ReadBytes(dir.filePath("read.ckl").toStdString()),
              ReadBytes("CONVERT/" + std::string(row.ckl)));
    result = RunCkl("check DIR/read.ckl", dir.path());
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");
    result = RunCkl("convert CONVERT/" + std::string(row.ckl) + " DIR/" + row.back + " " +
                        row.backOptions,
                    dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadBytes(dir.filePath(row.back).toStdString()), ReadBytes(input));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ConvertExample,
    testing::ValuesIn(std::vector<ConvertCase>{
        {"Ace", "every_kind.ace", "", "every_kind.ckl", "back.ace", ""},
        {"EfisJson", "every_kind.json", "--from=efis-json", "every_kind.ckl", "back.json", ""},
        {"GrtByContent", "every_kind_grt.txt", "", "every_kind_lists.ckl", "back.txt", "--to grt"},
        {"DynonNamed", "every_kind_dynon.txt", "--from dynon --to ckl", "every_kind_dynon.ckl",
         "back.txt", "--to=dynon"},
    }),
    [](const auto& info) { return std::string(info.param.name); });

// What a format cannot hold is said on standard error, one warning a line, and the file is
// still written.
TEST(Convert, WarnsOfWhatTheTargetCannotHoldAndStillWrites) {
    QTemporaryDir dir;
    std::ofstream(dir.filePath("euro.ckl").toStdString())
        << "[$$CHECKLIST]\nFuel\nPRICE ..... 2 \u20AC\n[$$END]\n[$$HOTBUTTON]\n0\nFuel\n[$$END]\n";
    Outcome result = RunCkl("convert DIR/euro.ckl DIR/fuel.ace", dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              "ckl: warning: the hot buttons are not written: ace files have none\n"
              "ckl: warning: checklist \"Fuel\" item 1: \"\u20AC\" and any other character "
              "outside ISO-8859-1 is written as \"?\"\n");
    result = RunCkl("convert DIR/fuel.ace DIR/back.ckl", dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(
        RunCkl("show DIR/back.ckl", dir.path()).out.find("1. Fuel\n    [ ] PRICE ..... 2 ?\n"),
        std::string::npos);
}

// --- ckl check ---

struct FindingCase {
    const char* name; // of the file in check/, named after the finding it holds
    // Each output line after "FILE:", up to a "*" that stands for any text before the rest.
    std::vector<std::string> findings;
    friend void PrintTo(const FindingCase& row, std::ostream* os) { *os << row.name; }
};

class CheckFindings : public testing::TestWithParam<FindingCase> {};

// Every finding is on its line, as a warning (which says how to fix it) or a note; the tool
// exits 1 when it found a warning, else 0.
TEST_P(CheckFindings, ReportsExactlyWhatTheReaderDoes) {
    std::string file = "CHECKS/" + std::string(GetParam().name) + ".ckl";
    Outcome result = RunCkl("check " + file);
    std::istringstream out(result.out);
    std::string line;
    bool warned = false;
    for (const std::string& expected : GetParam().findings) {
        ASSERT_TRUE(std::getline(out, line)) << "missing: " << expected;
        std::size_t star = expected.find('*');
        EXPECT_EQ(line.rfind(Expand(file) + ":" + expected.substr(0, star), 0), 0u) << line;
        if (star != std::string::npos) {
            EXPECT_NE(line.find(expected.substr(star + 1)), std::string::npos) << line;
        }
        if (expected.find(": warning: ") != std::string::npos) {
            EXPECT_NE(line.find(" \u2014 "), std::string::npos) << "no fix given: " << line;
            warned = true;
        }
    }
    EXPECT_FALSE(std::getline(out, line)) << "unexpected: " << line;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, warned ? 1 : 0);

    // A file that the program itself saved never gives a warning.
    QTemporaryDir dir;
    ASSERT_EQ(RunCkl("rewrite " + file + " DIR/saved.ckl", dir.path()).status, 0);
    result = RunCkl("check DIR/saved.ckl", dir.path());
    EXPECT_EQ(result.status, 0) << result.out;
}

// A checklist closed early leaves the lines after it outside any section, up to an "[$$END]".
const std::string ignored = ": warning: this line and the next lines up to line ";
const std::string extraEnd = ": warning: \"[$$END]\" outside any section opens an extra checklist";
const std::string opensNothing = ": warning: \"[$$CHECKLIST]\" ends checklist *but opens nothing";

const std::vector<FindingCase> findingCases = {
    {"clean", {}},
    {"texts_that_look_like_tags", {}}, // names and captions as the program writes them
    {"item_looks_like_tag",
     {"6: warning: the item \"[Check] fuel ..... ON\"*ends checklist \"Before start\" early",
      "7: warning: the line lies outside any section", "8" + extraEnd + " named \"\"",
      "10" + opensNothing, "11" + ignored + "12", "13" + extraEnd}},
    {"caption_looks_like_tag",
     {"10: warning: the caption \"[Run-up]\"*ends the hot-button section",
      "11" + extraEnd + " named \"nocaption\" \u2014"}},
    {"lowercase_end_tag",
     {"2: warning: \"[$$end]\" does not close the header",
      "3: warning: \"[$$CHECKLIST]\" lies inside the header",
      "4: note: 2 lines of text inside the header are skipped"}},
    {"header_tag_inside_header",
     {"2: warning: \"[$$CHECKLIST]\" lies inside the header",
      "3: note: 2 lines of text inside the header are skipped"}},
    {"lowercase_end_closes_checklist", {"6: note: \"[$$end]\" is not \"[$$END]\", but it ends"}},
    {"lowercase_checklist_tag", {"3: note: \"[$$Checklist]\" is not \"[$$CHECKLIST]\", but it"}},
    {"misspelled_hotbutton_tag",
     {"8: warning: \"[$$HOTBUTON]\" is not \"[$$HOTBUTTON]\"*opens a checklist named \"0\""}},
    {"unknown_tag",
     {"3: warning: the unknown tag \"[NOTES]\"*named \"Fuel prices\" (the next line)"}},
    {"name_after_tag",
     {"3: warning: the text after \"]\", \"Taxi\", is ignored*named \"Brakes ..... CHECK\""}},
    {"text_after_tag", {"2: warning: the text after \"]\", \"header ends here\", is ignored"}},
    {"text_outside_sections",
     {"3: warning: the line lies outside any section", "9" + ignored + "10 (2 lines)"}},
    {"unclosed_header", {"1: warning: the header is never closed*after it (4 lines)"}},
    {"checklist_without_name", {"8: warning: the checklist has no name line*\"nocaption\""}},
    {"checklist_name_missing",
     {"4: warning: the checklist has no name line*takes this line, \"[$$END]\", as its name",
      "6" + opensNothing, "7" + ignored + "8", "9" + extraEnd}},
    {"missing_end_before_checklist", {"6" + opensNothing, "7" + ignored + "8", "9" + extraEnd}},
    {"indented_end_tag",
     {"6: note: \"[$$END]\" is not a tag line*an item of checklist \"Taxi\"", "8" + opensNothing,
      "9" + ignored + "10", "11" + extraEnd}},
    {"unclosed_checklist", {"3: note: checklist \"Taxi\" is not closed"}},
    {"hotbutton_before_checklist", {"3: warning: the hot-button section comes before the first"}},
    {"index_out_of_range", {"9: warning: the hot-button index 7 is outside*sets no hot button"}},
    {"negative_index", {"9: warning: the hot-button index -1 is outside*button with index 0"}},
    {"index_not_a_number", {"9: warning: the hot-button index \"Taxi\" is not*with index 0"}},
    {"caption_missing", {"10: warning: the hot-button section ends before the caption"}},
    {"empty_hotbutton_section", {"8: warning: the hot-button section holds no index"}},
    {"two_sections_one_button", {"18: warning: the hot button with index 1 is set again*line 9"}},
    {"two_buttons_one_checklist",
     {"11: warning: checklist \"Taxi\" already has the hot button with index 0 (line 9)"}},
    {"long_line", {"5: warning: the line is 1,500 bytes long*it becomes 2 items"}},
    {"nul_byte", {"5: warning: the line holds NUL bytes"}},
    {"windows1252", {"4: note: the text is not UTF-8"}},
    {"utf8_with_stray_byte", {"5: warning: this line is not valid UTF-8*(first line 4)"}},
    {"crlf", {"1: note: lines end with CR LF"}},
    {"cr_line_ends", {"1: warning: lines end with CR alone"}},
    {"byte_order_mark", {"1: note: the byte-order mark at the start is skipped"}},
    {"utf16", {"1: warning: file is UTF-16 text"}},
};

INSTANTIATE_TEST_SUITE_P(Files, CheckFindings, testing::ValuesIn(findingCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file that cannot be read is reported and the others are still checked; after "--" every
// word is a file, even one that looks like an option. The sample gives no finding.
TEST(CheckCommandLine, ChecksEveryFileItCanRead) {
    Outcome result = RunCkl(
        "check CHECKS/missing.ckl CHECKS/crlf.ckl SAMPLE -- --help CHECKS/byte_order_mark.ckl");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, Expand("ckl: cannot open 'CHECKS/missing.ckl': No such file or "
                                 "directory\nckl: cannot open '--help': No such file or "
                                 "directory\n"));
    EXPECT_EQ(result.out,
              Expand("CHECKS/crlf.ckl:1: note: lines end with CR LF; the program reads them as "
                     "line ends and writes LF when it saves\nCHECKS/byte_order_mark.ckl:1: "
                     "note: the byte-order mark at the start is skipped; the program writes "
                     "none when it saves\n"));
}

// A pipe is read once, as the program reads it: the same findings as for the file itself.
TEST(CheckCommandLine, ReadsAPipeAsAFile) {
    const std::string file = Expand("CHECKS/item_looks_like_tag.ckl");
    QProcess process;
    process.start(QStringLiteral(TARVASTO_CKL_BINARY), {"check", "/dev/stdin"});
    ASSERT_TRUE(process.waitForStarted());
    process.write(QByteArray::fromStdString(ReadBytes(file)));
    process.closeWriteChannel();
    process.waitForFinished(-1);
    std::string fromPipe = process.readAllStandardOutput().toStdString();
    std::string fromFile = RunCkl("check " + file).out;
    ASSERT_NE(fromFile, "");
    for (std::size_t at = fromFile.find(file); at != std::string::npos;
         at = fromFile.find(file, at)) {
        fromFile.replace(at, file.size(), "/dev/stdin");
    }
    EXPECT_EQ(fromPipe, fromFile);
    EXPECT_EQ(process.exitCode(), 1);
}

// --- ckl print ---

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Wrapped lines break texts wherever the column ends, so texts are compared without blanks.
std::string WithoutBlanks(std::string text) {
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\f'; });
    return text;
}

// The text an item shows on paper: a challenge and its response without the dots between
// them, a title without its stars, a note, caution or warning under its label.
std::string OnPaper(const std::string& line) {
    convert::Item item = convert::ParseItem(line, convert::ItemStyle::Ckl);
    std::string label = item.kind == convert::ItemKind::Note      ? "NOTE: "
                        : item.kind == convert::ItemKind::Caution ? "CAUTION: "
                        : item.kind == convert::ItemKind::Warning ? "WARNING: "
                                                                  : "";
    return std::string(label).append(item.prompt).append(item.expectation);
}

std::string Poppler(const char* tool, const QStringList& args) {
    QProcess process;
    process.start(QStandardPaths::findExecutable(tool), args);
    process.waitForFinished(-1);
    return process.readAllStandardOutput().toStdString();
}

// Prints a list far longer than a page, short lists on hot buttons, texts that must wrap and a
// checklist without a name on every paper in one and two columns, and reads the PDFs back.
TEST(Print, EveryPaperAndLayoutHoldsEveryItemAndCarriesLongListsOver) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
        QStandardPaths::findExecutable("pdfinfo").isEmpty()) {
        GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
    }
    std::string file = "[$$CHECKLIST]\nBefore Take-off\nFLAPS ..... SET FOR TAKE-OFF\n[$$END]\n"
                       "[$$HOTBUTTON]\n0\nTakeoff\n[$$END]\n"
                       "[$$CHECKLIST]\nAvant le départ\nTempérature ..... 60 °C\n\n" +
                       std::string(300, 'W') + // wider than any column
                       "\na very long item that must wrap onto several lines because no column "
                       "is wide enough to hold it\n[$$END]\n[$$HOTBUTTON]\n3\nDépart\n[$$END]\n"
                       "[$$CHECKLIST]\n\n[$$END]\n[$$CHECKLIST]\nPreflight Inspection\n";
    for (int i = 1; i <= 200; ++i) {
        file += "ITEM " + std::to_string(i) + " ..... CHECKED\n";
    }
    QTemporaryDir dir;
    std::ofstream(dir.filePath("long.ckl").toStdString()) << file;

    for (auto [paper, size] : {std::pair{"", "595 x 842 pts"},
                               {"--page a4", "595 x 842 pts"},
                               {"--page letter", "612 x 792 pts"},
                               {"--page=a5", "420 x 595 pts"},
                               {"--page kneeboard", "396 x 612 pts"}}) {
        int pagesInOneColumn = 0;
        for (int columns : {1, 2}) {
            SCOPED_TRACE(std::string(paper) + ", columns " + std::to_string(columns));
            Outcome result =
                RunCkl("print DIR/long.ckl -o DIR/out.pdf --columns=" + std::to_string(columns) +
                           " " + paper,
                       dir.path());
            if (result.err.find("built without printing") != std::string::npos) {
                GTEST_SKIP() << result.err;
            }
            ASSERT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(result.err, "");
            std::string info = Poppler("pdfinfo", {dir.filePath("out.pdf")});
            // Drawing order keeps a wrapped "TAKE-" "OFF" apart from any joining of hyphens.
            std::string text = Poppler("pdftotext", {"-raw", dir.filePath("out.pdf"), "-"});
            EXPECT_NE(info.find(size), std::string::npos) << info; // the page size
            int pages = std::stoi(info.substr(info.find("Pages:") + 6));
            std::string ofPages = " of " + std::to_string(pages);
            for (int page = 1; page <= pages; ++page) { // each page's footer numbers it
                EXPECT_EQ(Count(text, "Page " + std::to_string(page) + ofPages), 1u) << page;
            }
            EXPECT_EQ(Count(text, "long.ckl"), pages + 1u); // the title and each footer
            if (columns == 1) {
                pagesInOneColumn = pages;
                // The long list, printed last, opens every page after its first with its name.
                EXPECT_EQ(Count(WithoutBlanks(text), "PreflightInspection(continued)"), pages - 1u);
            } else {
                EXPECT_LT(pages, pagesInOneColumn);
                // The list moves to a new column at least once per page.
                EXPECT_GE(Count(text, "(continued)"), static_cast<std::size_t>(pages));
            }
            text = WithoutBlanks(text);
            std::istringstream lines(file); // every name, item and caption is on paper
            for (std::string line; std::getline(lines, line);) {
                EXPECT_TRUE(line.starts_with('[') ||
                            text.find(WithoutBlanks(OnPaper(line))) != std::string::npos)
                    << line;
            }
            EXPECT_NE(text.find(WithoutBlanks("★ Hot button 1: Takeoff")), std::string::npos);
            EXPECT_NE(text.find(WithoutBlanks("★ Hot button 4: Départ")), std::string::npos);
            EXPECT_NE(text.find("(noname)"), std::string::npos);
        }
    }
}

// A short checklist that does not fit in the rest of a column or page moves whole to the next
// one: lists of 8 items after fillers of every length from 1 to 24 items, on one and two
// columns, each printed under its own name only.
TEST(Print, ShortChecklistMovesWholeToTheNextColumn) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "poppler-utils (pdftotext) not installed";
    }
    std::string file;
    constexpr int pairs = 24;
    for (int i = 1; i <= pairs; ++i) {
        file += "[$$CHECKLIST]\nFiller " + std::to_string(i) + "\n";
        for (int j = 1; j <= i; ++j) {
            file += "F" + std::to_string(i) + " item " + std::to_string(j) + "\n";
        }
        file += "[$$END]\n[$$CHECKLIST]\nShort " + std::to_string(i) + "\n";
        for (int j = 1; j <= 8; ++j) {
            file += "S" + std::to_string(i) + " item " + std::to_string(j) + " ..... SET\n";
        }
        file += "[$$END]\n";
    }
    QTemporaryDir dir;
    std::ofstream(dir.filePath("short.ckl").toStdString()) << file;
    for (const char* columns : {"1", "2"}) {
        SCOPED_TRACE(std::string("columns ") + columns);
        Outcome result = RunCkl(
            "print DIR/short.ckl -o DIR/out.pdf --columns " + std::string(columns), dir.path());
        if (result.err.find("built without printing") != std::string::npos) {
            GTEST_SKIP() << result.err;
        }
        ASSERT_EQ(result.status, 0) << result.err;
        std::string text = Poppler("pdftotext", {"-raw", dir.filePath("out.pdf"), "-"});
        std::vector<std::string> pages;
        std::istringstream split(text);
        for (std::string page; std::getline(split, page, '\f');) {
            pages.push_back(page);
        }
        ASSERT_GT(pages.size(), 2u);
        EXPECT_EQ(text.find("(continued)"), std::string::npos);
        for (int i = 1; i <= pairs; ++i) {
            std::string name = "Short " + std::to_string(i) + "\n";
            auto page = std::find_if(pages.begin(), pages.end(), [&](const std::string& p) {
                return p.find(name) != std::string::npos;
            });
            ASSERT_NE(page, pages.end()) << name;
            for (int j = 1; j <= 8; ++j) {
                std::string item = "S" + std::to_string(i) + " item " + std::to_string(j) + " ";
                EXPECT_NE(page->find(item), std::string::npos) << item << " not with " << name;
            }
        }
    }
}

// A pilot tells the kinds of items apart on paper, in black and white: titles in capitals,
// notes, cautions and warnings under their labels, and every response at the right edge of the
// column, whatever the length of its challenge.
TEST(Print, SetsTheConventionsApartAndAlignsResponses) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "poppler-utils (pdftotext) not installed";
    }
    QTemporaryDir dir;
    std::ofstream(dir.filePath("kinds.ckl").toStdString())
        << "[$$CHECKLIST]\nEngine failure\n** Restart **\nAirspeed ..... 68 KIAS\n"
           "  Fuel selector valve ..... BOTH\nMixture ... RICH\n"
           "NOTE: Fuel may be exhausted\nCAUTION: Starter 10 seconds\nWARNING: Land "
           "soon\n- Declare an emergency\n>> Centred <<\n\nA challenge long enough to wrap "
           "onto a second line of the column on any paper size at all ..... CHECKED\n"
           "[$$END]\n";
    Outcome result = RunCkl("print DIR/kinds.ckl -o DIR/out.pdf", dir.path());
    if (result.err.find("built without printing") != std::string::npos) {
        GTEST_SKIP() << result.err;
    }
    ASSERT_EQ(result.status, 0) << result.err;
    std::string text = Poppler("pdftotext", {"-raw", dir.filePath("out.pdf"), "-"});
    for (const char* shown : {"RESTART\n", "NOTE: Fuel may be exhausted", "CAUTION: Starter",
                              "WARNING: Land soon", "Declare an emergency\n", "Centred\n"}) {
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in\n" << text;
    }
    for (const char* hidden : {"**", "...", ">>", "- Declare"}) {
        EXPECT_EQ(text.find(hidden), std::string::npos) << hidden << " in\n" << text;
    }
    // Every response ends where the column ends.
    std::string boxes = Poppler("pdftotext", {"-bbox", dir.filePath("out.pdf"), "-"});
    std::vector<double> rightEdges;
    for (const char* last : {">KIAS<", ">BOTH<", ">RICH<", ">CHECKED<"}) {
        std::size_t at = boxes.find(last);
        ASSERT_NE(at, std::string::npos) << last;
        std::size_t line = boxes.rfind("xMax=\"", at);
        rightEdges.push_back(std::stod(boxes.substr(line + 6)));
    }
    for (double edge : rightEdges) {
        EXPECT_NEAR(edge, rightEdges[0], 0.5);
    }
    EXPECT_GT(rightEdges[0], 500.0); // at the right margin of an A4 page, 595 points wide
}

// --- a stranger's file never drives the terminal ---

// A byte below 0x20 other than a line feed or a tab, DEL, or a C1 control (U+0080..U+009F as
// UTF-8): what a terminal takes as a command. Returns its offset, or npos.
std::size_t FirstTerminalCommand(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F ||
            (byte == 0xC2 && i + 1 < text.size() &&
             static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
             static_cast<unsigned char>(text[i + 1]) <= 0x9F)) {
            return i;
        }
    }
    return std::string::npos;
}

// Every command and every format's reader and writer, on files whose names, items, captions,
// group titles and metadata hold an escape sequence, a bell, a C1 CSI and broken UTF-8: not one
// of them reaches standard error, nor standard output for the commands that print for a person.
TEST(StrangerText, NeverReachesTheTerminalRaw) {
    QTemporaryDir dir;
    const std::string evil = "\x1B]0;owned\x07 \x1B[2J \xC2\x9B"
                             "31m";
    auto write = [&dir](const std::string& name, const std::string& bytes) {
        std::ofstream(dir.filePath(QString::fromStdString(name)).toStdString(), std::ios::binary)
            << bytes;
    };
    write("utf8.ckl", "[$$CHECKLIST]\nList " + evil + "\nBELL " + evil + " ..... RING\n[" + evil +
                          "\n[$$END]\n[$$HOTBUTTON]\n9\nCap " + evil + "\n[$$END]\n" +
                          "[$$HOTBUTTON]\n0\nCap " + evil + "\n[$$END]\n[$$CHECKLISTS]\n");
    write("cp1252.ckl", "[$$CHECKLIST]\nL \x9B\x81\x1B[2J\n\xFF\xC3 item\x07\n[$$END]\n");
    write(
        "group.json",
        R"({"metadata":{"name":"M \u001b[2J \u009b","makeAndModel":"\u0007"},"groups":[)"
        R"({"title":"G \u001b]0;owned\u0007 \u001b[2J"},{"title":"T\u009b1m","checklists":[)"
        R"({"title":"C \u001b[31m","items":[{"type":"ITEM_CHALLENGE_RESPONSE","prompt":"P \u0007 \u009b","expectation":"E)"
        R"( \u001b"}]}]}]})");
    write("bad.json", "{\"metadata\":{\"name\":\"\xFF\x1B[2J\"");
    write("list.txt", "LIST L \x1B[2J\r\nITEM I \x07 - R \xC2\x9B\r\n");
    write("dynon.txt", "CHKLST0.TITLE, T \x1B[2J\r\nCHKLST0.LINE1, I \x07\xFF\r\nXX\x1B\r\n");

    std::vector<std::string> commandLines = {"show DIR/utf8.ckl",
                                             "show DIR/cp1252.ckl",
                                             "check DIR/utf8.ckl DIR/cp1252.ckl",
                                             "json DIR/utf8.ckl",
                                             "json DIR/missing\x1B[2J.ckl",
                                             "rewrite DIR/utf8.ckl DIR/no/\x07.ckl",
                                             "print DIR/utf8.ckl -o DIR/p.pdf",
                                             "print DIR/utf8.ckl -o DIR/no/\x1B.pdf",
                                             "convert DIR/bad.json DIR/o.ckl",
                                             "convert DIR/x\x1B.doc DIR/o.ckl",
                                             "show --\x1B[2J",
                                             "\x1B[2J"};
    for (const std::string from :
         {"utf8.ckl", "cp1252.ckl", "group.json", "list.txt", "dynon.txt"}) {
        for (const char* to : {"o.ckl", "o.ace", "o.json", "o.txt --to dynon", "o.txt --to grt"}) {
            commandLines.push_back("convert DIR/" + from + " DIR/" + to);
        }
    }
    for (const std::string& commandLine : commandLines) {
        Outcome result = RunCkl(commandLine, dir.path());
        EXPECT_EQ(FirstTerminalCommand(result.err), std::string::npos) << commandLine << "\n"
                                                                       << result.err;
        if (commandLine.starts_with("show") || commandLine.starts_with("check") ||
            commandLine.starts_with("print")) {
            EXPECT_EQ(FirstTerminalCommand(result.out), std::string::npos) << commandLine << "\n"
                                                                           << result.out;
        }
    }
    // The efis-json group that holds nothing is named in its warning, made visible.
    Outcome group = RunCkl("convert DIR/group.json DIR/g.ckl", dir.path());
    EXPECT_EQ(group.status, 0) << group.err;
    EXPECT_NE(group.err.find("the group \"G \\x1B]0;owned\\x07 \\x1B[2J\" holds no checklist"),
              std::string::npos)
        << group.err;
}

} // namespace
