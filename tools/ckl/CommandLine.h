#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The one reading of a ckl command line. Each command declares its options and its files; the
// parser takes "--name=value" and "--name value" (and "-xvalue", "-x value" for a short name),
// "--" (every word after it is a file), "-" as a file, and -h or --help anywhere before "--".
namespace ckl {

// What an option takes: nothing (a flag), any value, one of a list of values, or a whole number
// within bounds.
enum class OptionKind { Flag, Value, Choice, Number };

// Whether an option takes value: nothing when it does, else what it takes ("a length such as
// 12mm"), for the complaint "--x takes <what>, not 'value'".
using ValueCheck = std::optional<std::string> (*)(std::string_view value);

struct OptionDeclaration {
    std::string_view name; // "--page"
    char shortName = 0;    // 'o' for "-o"; 0 for none
    OptionKind kind = OptionKind::Flag;
    // What the value stands for in the usage: "OUT.pdf"; for a Choice with a check, what the
    // values besides the choices stand for: "WxH".
    std::string_view valueName;
    std::vector<std::string_view> choices; // OptionKind::Choice: the values taken, in order
    int least = 0;                         // OptionKind::Number: the bounds, both taken
    int most = 0;
    bool required = false;
    // OptionKind::Value: the values taken (any, without a check); OptionKind::Choice: the
    // values taken besides the choices (none, without a check).
    ValueCheck check = nullptr;
};

struct CommandDeclaration {
    std::string_view word;               // "convert"
    std::vector<std::string_view> files; // the files' names in the usage: {"IN", "OUT"}
    bool moreFiles = false;              // the last file may be followed by more of its kind
    std::vector<OptionDeclaration> options;
    std::vector<std::string_view> description;           // the lines that explain the command
    std::vector<std::string_view> fileEndings = {"ckl"}; // of the files it reads, for completion
};

// A command line as the parser read it: the files in order and each option given, by its long
// name, with its value ("" for a flag).
struct CommandLine {
    std::vector<std::string> files;
    std::map<std::string, std::string, std::less<>> options;

    bool Has(std::string_view name) const { return options.find(name) != options.end(); }
    // The option's value, or fallback when it was not given.
    std::string_view Value(std::string_view name, std::string_view fallback = {}) const;
};

// Reads args (the words after the command word) into line as the command declares them. Returns
// nothing when they fit. Otherwise returns the status to end the command with: 0 after writing
// the usage to out for -h or --help; 2 after writing one line "ckl: <complaint>" to err for an
// unknown, repeated or missing option, a missing or refused value, or a wrong number of files.
std::optional<int> ParseCommandLine(const CommandDeclaration& declared,
                                    const std::vector<std::string>& args, CommandLine& line,
                                    std::ostream& out, std::ostream& err);

// Words as a complaint lists them: "a, b or c" (or with another last word: "a and b").
std::string Alternatives(const std::vector<std::string_view>& words, std::string_view last = "or");

// The usage lines of one command: "ckl print FILE -o OUT.pdf [--page a4|letter] ..." followed by
// its description, each line ending in a newline.
std::string CommandUsage(const CommandDeclaration& declared);

} // namespace ckl
