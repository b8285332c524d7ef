#include "ChecklistDoc.h"
#include "Commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct PrintOutcome {
    int status;
    std::string out;
    std::string err;
};

PrintOutcome Print(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    int status = ckl::RunPrint(args, out, err);
    return {status, out.str(), err.str()};
}

bool BuiltWithoutPrinting(const PrintOutcome& result) {
    return result.err.find("built without printing") != std::string::npos;
}

// Output of a poppler tool, or nothing when the tool is not installed.
std::optional<std::string> Poppler(const QString& tool, const QStringList& args) {
    QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return std::nullopt;
    }
    QProcess process;
    process.start(program, args);
    process.waitForFinished(-1);
    return process.readAllStandardOutput().toStdString();
}

int PageCount(const QString& pdf) {
    std::optional<std::string> info = Poppler("pdfinfo", {pdf});
    std::size_t at = info ? info->find("Pages:") : std::string::npos;
    return at == std::string::npos ? -1 : std::stoi(info->substr(at + 6));
}

std::string PageSize(const QString& pdf) {
    std::optional<std::string> info = Poppler("pdfinfo", {pdf});
    std::size_t at = info ? info->find("Page size:") : std::string::npos;
    if (at == std::string::npos) {
        return {};
    }
    std::string line = info->substr(at + 10, info->find('\n', at) - at - 10);
    line.erase(0, line.find_first_not_of(' '));
    return line.substr(0, line.find(" pts") + 4);
}

// Wrapped lines break texts wherever the column ends, so texts are compared without blanks.
std::string WithoutBlanks(std::string text) {
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\f'; });
    return text;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class PrintTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty()) {
            GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) not installed";
        }
    }

    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

    // A document saved in the temporary folder; returns its path.
    std::string Save(ChecklistDoc& doc, const char* name) {
        std::string path = Path(name);
        EXPECT_TRUE(doc.SaveFile(path.c_str()));
        return path;
    }

    // Prints input to a PDF in the temporary folder and returns the PDF's text in drawing
    // order (which keeps a wrapped "TAKE-" "OFF" apart from any joining of hyphens).
    std::string PrintToText(const std::string& input, std::vector<std::string> options,
                            const char* pdf = "out.pdf") {
        std::vector<std::string> args = {input, "-o", Path(pdf)};
        args.insert(args.end(), options.begin(), options.end());
        PrintOutcome result = Print(args);
        if (BuiltWithoutPrinting(result)) {
            skipped = true;
            return {};
        }
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        return Poppler("pdftotext", {"-raw", dir.filePath(pdf), "-"}).value_or("");
    }

    QTemporaryDir dir;
    bool skipped = false;
};

// One checklist far longer than a page, and a short one on a hot button.
void FillLongDocument(ChecklistDoc& doc, int items) {
    Checklist* longList = doc.CreateChecklist();
    longList->SetName("Preflight Inspection");
    for (int i = 1; i <= items; ++i) {
        longList->AppendItem("ITEM " + std::to_string(i) + " ..... CHECKED");
    }
    doc.AppendChecklist(longList);
    Checklist* takeoff = doc.CreateChecklist();
    takeoff->SetName("Before Take-off");
    takeoff->AppendItem("FLAPS ..... SET FOR TAKE-OFF");
    doc.AppendChecklist(takeoff);
    doc.SetSlot(0, "Takeoff", takeoff);
}

TEST_F(PrintTest, LongListRunsOverPagesWithItsNameContinued) {
    ChecklistDoc doc;
    FillLongDocument(doc, 200);
    std::string text = PrintToText(Save(doc, "long.ckl"), {});
    if (skipped) {
        GTEST_SKIP() << "built without printing";
    }
    int pages = PageCount(dir.filePath("out.pdf"));
    ASSERT_GT(pages, 3);
    // Every page but the first opens with the long list's name, continued.
    EXPECT_EQ(Count(text, "Preflight Inspection (continued)"), static_cast<std::size_t>(pages - 1));
    for (int page = 1; page <= pages; ++page) {
        std::string footer = "Page " + std::to_string(page) + " of " + std::to_string(pages);
        EXPECT_EQ(Count(text, footer), 1u) << footer;
    }
    EXPECT_EQ(Count(text, "long.ckl"), static_cast<std::size_t>(pages + 1)); // title and footers
}

TEST_F(PrintTest, TwoColumnsNeedFewerPages) {
    ChecklistDoc doc;
    FillLongDocument(doc, 200);
    std::string input = Save(doc, "long.ckl");
    std::string oneColumn = PrintToText(input, {"--columns", "1"}, "one.pdf");
    std::string twoColumns = PrintToText(input, {"--columns=2"}, "two.pdf");
    if (skipped) {
        GTEST_SKIP() << "built without printing";
    }
    int onePages = PageCount(dir.filePath("one.pdf"));
    int twoPages = PageCount(dir.filePath("two.pdf"));
    EXPECT_LT(twoPages, onePages);
    // The list moves to a new column at least once per page.
    EXPECT_GE(Count(twoColumns, "(continued)"), static_cast<std::size_t>(twoPages));
}

TEST_F(PrintTest, EveryItemAndHotButtonIsInTheText) {
    ChecklistDoc doc;
    FillLongDocument(doc, 60);
    Checklist* unicode = doc.CreateChecklist();
    unicode->SetName("Avant le départ");
    unicode->AppendItem("Température huile ..... 60 °C");
    unicode->AppendItem("");
    unicode->AppendItem(std::string(300, 'W')); // wider than any column: wraps, never clipped
    unicode->AppendItem("a very long item that must wrap onto several lines because no column "
                        "on any paper is wide enough to hold all of it in one line of print");
    doc.AppendChecklist(unicode);
    doc.SetSlot(3, "Départ", unicode);
    Checklist* empty = doc.CreateChecklist();
    empty->SetName("");
    doc.AppendChecklist(empty);
    std::string input = Save(doc, "all.ckl");
    for (const char* page : {"a4", "letter", "a5", "kneeboard"}) {
        for (const char* columns : {"1", "2"}) {
            SCOPED_TRACE(std::string(page) + ", " + columns + " columns");
            std::string text =
                WithoutBlanks(PrintToText(input, {"--page", page, "--columns", columns}));
            if (skipped) {
                GTEST_SKIP() << "built without printing";
            }
            for (Checklist* c = doc.checklists.next; !doc.IsEnd(c); c = c->next) {
                for (ChecklistItem* item = c->items.next; !c->IsEnd(item); item = item->next) {
                    EXPECT_NE(text.find(WithoutBlanks(item->text)), std::string::npos)
                        << item->text;
                }
            }
            EXPECT_NE(text.find(WithoutBlanks("★ Hot button 1: Takeoff")), std::string::npos);
            EXPECT_NE(text.find(WithoutBlanks("★ Hot button 4: Départ")), std::string::npos);
            EXPECT_NE(text.find("(noname)"), std::string::npos);
        }
    }
}

TEST_F(PrintTest, PaperSizes) {
    ChecklistDoc doc;
    FillLongDocument(doc, 3);
    std::string input = Save(doc, "short.ckl");
    struct Paper {
        const char* option;
        const char* size;
    };
    for (Paper paper : {Paper{nullptr, "595 x 842 pts"}, Paper{"a4", "595 x 842 pts"},
                        Paper{"letter", "612 x 792 pts"}, Paper{"a5", "420 x 595 pts"},
                        Paper{"kneeboard", "396 x 612 pts"}}) {
        std::vector<std::string> options;
        if (paper.option) {
            options = {"--page", paper.option};
        }
        PrintToText(input, options);
        if (skipped) {
            GTEST_SKIP() << "built without printing";
        }
        EXPECT_EQ(PageSize(dir.filePath("out.pdf")), paper.size)
            << (paper.option ? paper.option : "default");
        EXPECT_EQ(PageCount(dir.filePath("out.pdf")), 1);
    }
}

TEST_F(PrintTest, UnreadableInputFailsAndWritesNothing) {
    std::string missing = Path("missing.ckl");
    PrintOutcome result = Print({missing, "-o", Path("out.pdf")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ckl: cannot open '" + missing + "': No such file or directory\n");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.pdf")));
}

TEST_F(PrintTest, UnwritableOutputFailsAndLeavesNoFile) {
    ChecklistDoc doc;
    FillLongDocument(doc, 3);
    std::string input = Save(doc, "short.ckl");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.pdf"));
    for (std::string out : {Path("no_such_folder/out.pdf"), Path("folder.pdf")}) {
        PrintOutcome result = Print({input, "-o", out});
        if (BuiltWithoutPrinting(result)) {
            GTEST_SKIP() << "built without printing";
        }
        EXPECT_EQ(result.status, 1) << out;
        EXPECT_EQ(result.err.rfind("ckl: cannot write '" + out + "': ", 0), 0u) << result.err;
        EXPECT_EQ(Count(result.err, "\n"), 1u) << result.err;
    }
    // Nothing half-written beside the input: only the input and the folder remain.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"folder.pdf", "short.ckl"}));
    EXPECT_TRUE(QDir(dir.filePath("folder.pdf")).isEmpty());
}

TEST_F(PrintTest, RunsWithoutADisplay) {
    ChecklistDoc doc;
    FillLongDocument(doc, 3);
    std::string input = Save(doc, "short.ckl");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(name);
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(TARVASTO_CKL_BINARY,
                  {"print", QString::fromStdString(input), "-o", dir.filePath("out.pdf")});
    ASSERT_TRUE(process.waitForFinished(-1));
    std::string err = process.readAllStandardError().toStdString();
    if (err.find("built without printing") != std::string::npos) {
        GTEST_SKIP() << "built without printing";
    }
    EXPECT_EQ(process.exitCode(), 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(PageCount(dir.filePath("out.pdf")), 1);
}

struct BadOptionCase {
    const char* name;
    std::vector<std::string> args; // "IN" and "OUT" stand for real paths
    const char* complaint;
};

void PrintTo(const BadOptionCase& c, std::ostream* os) {
    *os << c.name;
}

class PrintBadOptions : public testing::TestWithParam<BadOptionCase> {};

TEST_P(PrintBadOptions, AreAUsageError) {
    const BadOptionCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::string in = dir.filePath("in.ckl").toStdString();
    std::string out = dir.filePath("out.pdf").toStdString();
    ChecklistDoc doc;
    ASSERT_TRUE(doc.SaveFile(in.c_str()));
    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
        args.push_back(arg == "IN" ? in : arg == "OUT" ? out : arg);
    }
    PrintOutcome result = Print(args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind(std::string("ckl: ") + c.complaint, 0), 0u) << result.err;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out)));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, PrintBadOptions,
    testing::Values(
        BadOptionCase{"Nothing", {}, "print expects a checklist file"},
        BadOptionCase{"NoOutput", {"IN"}, "print expects -o OUT.pdf"},
        BadOptionCase{"OutputWithoutValue", {"IN", "-o"}, "print: -o needs a value"},
        BadOptionCase{"UnknownPage",
                      {"IN", "-o", "OUT", "--page", "b5"},
                      "print: unknown page 'b5' (a4, letter, a5 or kneeboard)"},
        BadOptionCase{"PageInCapitals",
                      {"IN", "-o", "OUT", "--page=A4"},
                      "print: unknown page 'A4' (a4, letter, a5 or kneeboard)"},
        BadOptionCase{"ThreeColumns",
                      {"IN", "-o", "OUT", "--columns", "3"},
                      "print: --columns takes 1 or 2, not '3'"},
        BadOptionCase{"ColumnsWithoutValue",
                      {"IN", "-o", "OUT", "--columns"},
                      "print: --columns needs a value"},
        BadOptionCase{
            "UnknownOption", {"IN", "-o", "OUT", "--colour"}, "print: unknown option '--colour'"},
        BadOptionCase{"TwoInputs", {"IN", "IN", "-o", "OUT"}, "print expects one file, got '"}),
    [](const testing::TestParamInfo<BadOptionCase>& info) { return info.param.name; });

} // namespace
