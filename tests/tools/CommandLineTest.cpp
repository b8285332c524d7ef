#include "Commands.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

// The one reading of ckl's command lines, in-process, against every command's own declaration:
// each kind of wrong command line ends the command with one "ckl:" line and status 2, and
// nothing on standard output; each right one is read into its files and options.

namespace {

struct Parsed {
    std::optional<int> status;
    ckl::CommandLine line;
    std::string out;
    std::string err;
};

Parsed Parse(const ckl::CommandDeclaration& declared, const std::vector<std::string>& args) {
    Parsed parsed;
    std::ostringstream out;
    std::ostringstream err;
    parsed.status = ckl::ParseCommandLine(declared, args, parsed.line, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

// Words that fill the command's files and its required options, so that only the fault a case
// adds is wrong.
std::vector<std::string> RightWords(const ckl::CommandDeclaration& declared) {
    std::vector<std::string> words;
    for (std::size_t i = 0; i < declared.files.size(); ++i) {
        words.push_back("f" + std::to_string(i) + ".ckl");
    }
    for (const ckl::OptionDeclaration& option : declared.options) {
        if (option.required) {
            words.push_back(std::string(option.name));
            words.push_back("value.pdf");
        }
    }
    return words;
}

// A value the option takes: for a value with a check, the first of a few of every kind that it
// takes.
std::string GoodValue(const ckl::OptionDeclaration& option) {
    if (option.kind == ckl::OptionKind::Choice) {
        return std::string(option.choices.back());
    }
    if (option.kind == ckl::OptionKind::Value && option.check) {
        for (const char* value : {"v.pdf", "12mm", "100x150mm"}) {
            if (!option.check(value)) {
                return value;
            }
        }
    }
    return option.kind == ckl::OptionKind::Number ? std::to_string(option.most) : "v.pdf";
}

// A kind of wrong command line, made for one command; nothing when the command cannot be given
// it (a repeated option for a command without options), which leaves that row out.
struct Fault {
    const char* name;
    std::optional<std::vector<std::string>> (*make)(const ckl::CommandDeclaration& declared);
    const char* complaint; // what the complaint holds after "ckl: WORD"
};

// An option that takes a value and that the right words leave out.
std::optional<const ckl::OptionDeclaration*> ValueOption(const ckl::CommandDeclaration& declared) {
    for (const ckl::OptionDeclaration& option : declared.options) {
        if (option.kind != ckl::OptionKind::Flag && !option.required) {
            return &option;
        }
    }
    return std::nullopt;
}

const Fault faults[] = {
    {"UnknownLongOption",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         auto words = RightWords(declared);
         words.insert(words.begin(), "--no-such-option");
         return words;
     },
     ": unknown option '--no-such-option'"},
    {"UnknownShortOption",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         auto words = RightWords(declared);
         words.push_back("-z");
         return words;
     },
     ": unknown option '-z'"},
    {"TooFewFiles",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         auto words = RightWords(declared);
         words.erase(words.begin());
         return words;
     },
     " expects "},
    {"TooManyFiles",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         if (declared.moreFiles) {
             return std::nullopt;
         }
         auto words = RightWords(declared);
         words.push_back("extra.ckl");
         return words;
     },
     " expects "},
    {"OptionWithoutValue",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         auto option = ValueOption(declared);
         if (!option) {
             return std::nullopt;
         }
         auto words = RightWords(declared);
         words.push_back(std::string((*option)->name));
         return words;
     },
     " needs a value"},
    {"RepeatedOption",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         auto option = ValueOption(declared);
         if (!option) {
             return std::nullopt;
         }
         auto words = RightWords(declared);
         const std::string value = GoodValue(**option);
         words.push_back(std::string((*option)->name) + "=" + value);
         words.push_back(std::string((*option)->name));
         words.push_back(value);
         return words;
     },
     " given twice"},
    {"RefusedValue",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         for (const ckl::OptionDeclaration& option : declared.options) {
             if (option.kind == ckl::OptionKind::Choice || option.kind == ckl::OptionKind::Number ||
                 option.check) {
                 auto words = RightWords(declared);
                 words.push_back(std::string(option.name));
                 words.push_back("NOT-A-VALUE");
                 return words;
             }
         }
         return std::nullopt;
     },
     ", not 'NOT-A-VALUE'"},
    {"FileAfterDoubleDashIsNoOption",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         if (declared.moreFiles) {
             return std::nullopt;
         }
         // "--" makes "--help" a file: one file too many.
         auto words = RightWords(declared);
         words.push_back("--");
         words.push_back("--help");
         return words;
     },
     " expects "},
    {"MissingRequiredOption",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         for (const ckl::OptionDeclaration& option : declared.options) {
             if (option.required) {
                 std::vector<std::string> words;
                 for (std::size_t i = 0; i < declared.files.size(); ++i) {
                     words.push_back("f.ckl");
                 }
                 return words;
             }
         }
         return std::nullopt;
     },
     " expects -"},
    {"ControlCharactersInAnUnknownOption",
     [](const ckl::CommandDeclaration& declared) -> std::optional<std::vector<std::string>> {
         auto words = RightWords(declared);
         words.push_back("--\x1B]0;owned\x07");
         return words;
     },
     ": unknown option '--\\x1B]0;owned\\x07'"},
};

struct Row {
    const ckl::Command* command;
    const Fault* fault;
    friend void PrintTo(const Row& row, std::ostream* os) {
        *os << row.command->declared.word << " " << row.fault->name;
    }
};

std::vector<Row> EveryCommandAndFault() {
    std::vector<Row> rows;
    for (const ckl::Command& command : ckl::AllCommands()) {
        for (const Fault& fault : faults) {
            if (fault.make(command.declared)) {
                rows.push_back({&command, &fault});
            }
        }
    }
    return rows;
}

class WrongCommandLine : public testing::TestWithParam<Row> {};

TEST_P(WrongCommandLine, EndsWithOneComplaintLineAndStatusTwo) {
    const ckl::CommandDeclaration& declared = GetParam().command->declared;
    std::optional<std::vector<std::string>> words = GetParam().fault->make(declared);
    ASSERT_TRUE(words.has_value());
    Parsed parsed = Parse(declared, *words);
    ASSERT_TRUE(parsed.status.has_value());
    EXPECT_EQ(*parsed.status, 2);
    EXPECT_EQ(parsed.out, "");
    const std::string start = "ckl: " + std::string(declared.word);
    EXPECT_EQ(parsed.err.rfind(start, 0), 0u) << parsed.err;
    EXPECT_NE(parsed.err.find(GetParam().fault->complaint), std::string::npos) << parsed.err;
    EXPECT_EQ(std::count(parsed.err.begin(), parsed.err.end(), '\n'), 1) << parsed.err;
    for (char c : parsed.err.substr(0, parsed.err.size() - 1)) {
        EXPECT_GE(static_cast<unsigned char>(c), 0x20) << parsed.err;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, WrongCommandLine, testing::ValuesIn(EveryCommandAndFault()),
                         [](const auto& info) {
                             return std::string(info.param.command->declared.word) + "_" +
                                    info.param.fault->name;
                         });

// Right command lines of every command: the files in order, the options by their long name.
struct CommandRow {
    const ckl::Command* command;
    const ckl::Command* operator->() const { return command; }
    friend void PrintTo(const CommandRow& row, std::ostream* os) { *os << row->declared.word; }
};

class RightCommandLine : public testing::TestWithParam<CommandRow> {};

TEST_P(RightCommandLine, IsReadIntoFilesAndOptions) {
    const ckl::CommandDeclaration& declared = GetParam()->declared;
    std::vector<std::string> words = RightWords(declared);
    // "-" is a file, and so is a word starting with "-" after "--".
    words[0] = "-";
    words.push_back("--");
    if (declared.moreFiles) {
        words.push_back("-odd.ckl");
    }
    Parsed parsed = Parse(declared, words);
    ASSERT_FALSE(parsed.status.has_value()) << parsed.err;
    EXPECT_EQ(parsed.line.files.front(), "-");
    EXPECT_EQ(parsed.line.files.size(), declared.files.size() + (declared.moreFiles ? 1 : 0));
    for (const ckl::OptionDeclaration& option : declared.options) {
        EXPECT_EQ(parsed.line.Has(option.name), option.required) << option.name;
    }

    // Each option in both spellings, "--x v" and "--x=v" (and "-xv" for a short name).
    for (const ckl::OptionDeclaration& option : declared.options) {
        if (option.kind == ckl::OptionKind::Flag) {
            continue;
        }
        const std::string value = GoodValue(option);
        std::vector<std::vector<std::string>> spellings = {
            {std::string(option.name), value}, {std::string(option.name) + "=" + value}};
        if (option.shortName != 0) {
            spellings.push_back({std::string("-") + option.shortName + value});
            spellings.push_back({std::string("-") + option.shortName, value});
        }
        for (const auto& spelling : spellings) {
            std::vector<std::string> args;
            for (std::size_t i = 0; i < declared.files.size(); ++i) {
                args.push_back("f.ckl");
            }
            args.insert(args.end(), spelling.begin(), spelling.end());
            for (const ckl::OptionDeclaration& other : declared.options) {
                if (other.required && other.name != option.name) {
                    args.push_back(std::string(other.name) + "=x.pdf");
                }
            }
            Parsed read = Parse(declared, args);
            ASSERT_FALSE(read.status.has_value()) << spelling[0] << ": " << read.err;
            EXPECT_EQ(read.line.Value(option.name), value) << spelling[0];
        }
    }
}

TEST_P(RightCommandLine, HelpAnywhereBeforeDoubleDashPrintsTheUsage) {
    const ckl::CommandDeclaration& declared = GetParam()->declared;
    for (const char* help : {"-h", "--help"}) {
        Parsed parsed = Parse(declared, {"--no-such-option", help, "a", "b", "c"});
        ASSERT_TRUE(parsed.status.has_value());
        EXPECT_EQ(*parsed.status, 0);
        EXPECT_EQ(parsed.err, "");
        EXPECT_NE(parsed.out.find("ckl " + std::string(declared.word)), std::string::npos);
    }
}

std::vector<CommandRow> EveryCommand() {
    std::vector<CommandRow> commands;
    for (const ckl::Command& command : ckl::AllCommands()) {
        commands.push_back({&command});
    }
    return commands;
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, RightCommandLine, testing::ValuesIn(EveryCommand()),
                         [](const auto& info) { return std::string(info.param->declared.word); });

} // namespace
