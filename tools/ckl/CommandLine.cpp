#include "CommandLine.h"

#include "CklSupport.h"
#include "LineRules.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace ckl {
namespace {

// A word from the command line as a complaint shows it: the user's own text, but a file name
// may hold anything.
std::string Shown(std::string_view word) {
    return "'" + LineRules::Displayed(word) + "'";
}

// How an option is called in a complaint: by the spelling the user gave.
std::string Called(const OptionDeclaration& option, std::string_view given) {
    return given.empty() ? std::string(option.name) : LineRules::Displayed(given);
}

// The complaint about value for option, or nothing when the option takes it.
std::optional<std::string> RefusedValue(const OptionDeclaration& option, std::string_view called,
                                        std::string_view value) {
    if (option.kind == OptionKind::Choice &&
        std::find(option.choices.begin(), option.choices.end(), value) == option.choices.end()) {
        std::vector<std::string_view> taken = option.choices;
        std::optional<std::string> other = option.check ? option.check(value) : std::nullopt;
        if (option.check && !other) {
            return std::nullopt;
        }
        if (other) {
            taken.push_back(*other);
        }
        return std::string(called) + " takes " + Alternatives(taken) + ", not " + Shown(value);
    }
    if (option.kind == OptionKind::Value && option.check) {
        if (std::optional<std::string> taken = option.check(value)) {
            return std::string(called) + " takes " + *taken + ", not " + Shown(value);
        }
    }
    if (option.kind == OptionKind::Number) {
        int number = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (ec != std::errc() || end != value.data() + value.size() || number < option.least ||
            number > option.most) {
            return std::string(called) + " takes a number from " + std::to_string(option.least) +
                   " to " + std::to_string(option.most) + ", not " + Shown(value);
        }
    }
    return std::nullopt;
}

std::string FilesExpected(const CommandDeclaration& declared) {
    if (declared.moreFiles) {
        return declared.files.size() == 1
                   ? "at least one file"
                   : "at least " + std::to_string(declared.files.size()) + " files";
    }
    if (declared.files.size() == 1) {
        return "one file";
    }
    return std::to_string(declared.files.size()) + " files, " + Alternatives(declared.files, "and");
}

// How an option is written in the usage: "-o OUT.pdf", "--page a4|letter|WxH", "--width N".
std::string OptionUsage(const OptionDeclaration& option) {
    std::string text =
        option.shortName != 0 ? std::string("-") + option.shortName : std::string(option.name);
    if (option.kind == OptionKind::Flag) {
        return text;
    }
    text += ' ';
    if (!option.valueName.empty() && !(option.kind == OptionKind::Choice && option.check)) {
        return text + std::string(option.valueName);
    }
    for (std::size_t i = 0; i < option.choices.size(); ++i) {
        text += (i > 0 ? "|" : "") + std::string(option.choices[i]);
    }
    if (option.kind == OptionKind::Choice && option.check) {
        text += "|" + std::string(option.valueName);
    }
    return text;
}

class Parser {
public:
    Parser(const CommandDeclaration& declared, const std::vector<std::string>& args,
           CommandLine& line)
        : declared(declared), args(args), line(line) {}

    // The complaint, or nothing when the words fit the command.
    std::optional<std::string> Parse() {
        bool optionsEnded = false;
        for (next = 0; next < args.size();) {
            const std::string& word = args[next++];
            if (optionsEnded || word == "-" || !word.starts_with('-')) {
                line.files.push_back(word);
            } else if (word == "--") {
                optionsEnded = true;
            } else if (auto complaint = TakeOption(word)) {
                return complaint;
            }
        }
        const std::size_t given = line.files.size();
        if (declared.moreFiles ? given < declared.files.size() : given != declared.files.size()) {
            return std::string(declared.word) + " expects " + FilesExpected(declared) + ", got " +
                   std::to_string(given);
        }
        for (const OptionDeclaration& option : declared.options) {
            if (option.required && !line.Has(option.name)) {
                return std::string(declared.word) + " expects " + OptionUsage(option);
            }
        }
        return std::nullopt;
    }

private:
    std::optional<std::string> TakeOption(const std::string& word) {
        const OptionDeclaration* option = nullptr;
        std::optional<std::string_view> attached;
        std::string_view given = word;
        if (word.starts_with("--")) {
            std::size_t equals = word.find('=');
            given = std::string_view(word).substr(0, equals);
            if (equals != std::string::npos) {
                attached = std::string_view(word).substr(equals + 1);
            }
            auto known =
                std::find_if(declared.options.begin(), declared.options.end(),
                             [given](const OptionDeclaration& o) { return o.name == given; });
            option = known == declared.options.end() ? nullptr : &*known;
        } else {
            given = std::string_view(word).substr(0, 2);
            auto known = std::find_if(declared.options.begin(), declared.options.end(),
                                      [&word](const OptionDeclaration& o) {
                                          return o.shortName != 0 && o.shortName == word[1];
                                      });
            option = known == declared.options.end() ? nullptr : &*known;
            if (option != nullptr && word.size() > 2) {
                attached = std::string_view(word).substr(2);
            }
        }
        if (option == nullptr) {
            return std::string(declared.word) + ": unknown option " + Shown(word);
        }
        const std::string called = Called(*option, given);
        if (line.Has(option->name)) {
            return std::string(declared.word) + ": " + called + " given twice";
        }
        std::string value;
        if (option->kind == OptionKind::Flag) {
            if (attached) {
                return std::string(declared.word) + ": " + called + " takes no value";
            }
        } else if (attached) {
            value = *attached;
        } else if (next < args.size()) {
            value = args[next++];
        } else {
            return std::string(declared.word) + ": " + called + " needs a value";
        }
        if (auto refused = RefusedValue(*option, called, value)) {
            return std::string(declared.word) + ": " + *refused;
        }
        line.options.emplace(option->name, std::move(value));
        return std::nullopt;
    }

    const CommandDeclaration& declared;
    const std::vector<std::string>& args;
    CommandLine& line;
    std::size_t next = 0;
};

} // namespace

std::string Alternatives(const std::vector<std::string_view>& words, std::string_view last) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) {
            text += i + 1 == words.size() ? " " + std::string(last) + " " : ", ";
        }
        text += words[i];
    }
    return text;
}

std::string_view CommandLine::Value(std::string_view name, std::string_view fallback) const {
    auto given = options.find(name);
    return given == options.end() ? fallback : std::string_view(given->second);
}

std::optional<int> ParseCommandLine(const CommandDeclaration& declared,
                                    const std::vector<std::string>& args, CommandLine& line,
                                    std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        if (arg == "-h" || arg == "--help") {
            out << UsageText();
            return 0;
        }
    }
    line = {};
    if (std::optional<std::string> complaint = Parser(declared, args, line).Parse()) {
        return UsageError(err, *complaint);
    }
    return std::nullopt;
}

std::string CommandUsage(const CommandDeclaration& declared) {
    constexpr std::size_t descriptionColumn = 23;
    constexpr std::size_t lineWidth = 79;
    std::string synopsis = "  ckl " + std::string(declared.word);
    for (std::string_view file : declared.files) {
        synopsis += " " + std::string(file);
    }
    if (declared.moreFiles) {
        synopsis += "...";
    }
    // Many options go on further lines, each under the first word after the command's.
    const std::string optionIndent(std::string("  ckl ").size() + declared.word.size() + 1, ' ');
    std::string usage;
    for (const OptionDeclaration& option : declared.options) {
        std::string word = option.required ? OptionUsage(option) : "[" + OptionUsage(option) + "]";
        if (synopsis.size() + 1 + word.size() > lineWidth) {
            usage += synopsis + "\n";
            synopsis = optionIndent + word;
        } else {
            synopsis += " " + word;
        }
    }
    const std::string indent(descriptionColumn, ' ');
    std::size_t first = 0;
    if (usage.empty() && synopsis.size() + 2 <= descriptionColumn &&
        !declared.description.empty()) {
        usage += synopsis + std::string(descriptionColumn - synopsis.size(), ' ') +
                 std::string(declared.description[0]) + "\n";
        first = 1;
    } else {
        usage += synopsis + "\n";
    }
    for (std::size_t i = first; i < declared.description.size(); ++i) {
        usage += indent + std::string(declared.description[i]) + "\n";
    }
    return usage;
}

} // namespace ckl
