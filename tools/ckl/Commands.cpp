#include "Commands.h"

#include "Formats.h"
#include "PrintLayout.h"

#include <algorithm>
#include <vector>

namespace ckl {
namespace {

// The values --from and --to take, read from the table of formats.
std::vector<std::string_view> FormatNames() {
    std::vector<std::string_view> names;
    for (const convert::Format& format : convert::Formats()) {
        names.push_back(format.name);
    }
    return names;
}

// Every file ending of the formats, for the completion of convert's files.
std::vector<std::string_view> FormatEndings() {
    std::vector<std::string_view> endings;
    for (const convert::Format& format : convert::Formats()) {
        for (std::string_view ending : format.extensions) {
            if (std::find(endings.begin(), endings.end(), ending) == endings.end()) {
                endings.push_back(ending);
            }
        }
    }
    return endings;
}

std::vector<Command> MakeCommands() {
    return {
        {{"json",
          {"FILE"},
          false,
          {},
          {"print the checklists and hot buttons of FILE as one JSON object"}},
         RunJson},
        {{"rewrite",
          {"IN", "OUT"},
          false,
          {},
          {"load IN and save it to OUT as the program's Save does"}},
         RunRewrite},
        {{"show",
          {"FILE"},
          false,
          {},
          {"print the checklists for a person: each item with an empty",
           "box in front, then the hot buttons and where they lead"}},
         RunShow},
        {{"check",
          {"FILE"},
          true,
          {},
          {"report lines the program will read differently from what was", "meant"}},
         RunCheck},
        {{"print",
          {"FILE"},
          false,
          {{"--output", 'o', OptionKind::Value, "OUT.pdf", {}, 0, 0, true},
           {"--page", 0, OptionKind::Choice, "WxH", PaperNames(), 0, 0, false, CheckPaperSize},
           {"--orientation", 0, OptionKind::Choice, "", {"portrait", "landscape"}},
           {"--columns", 0, OptionKind::Choice, "", {"1", "2", "3", "4"}},
           {"--font-size", 0, OptionKind::Number, "PERCENT", {}, 50, 300},
           {"--margins", 0, OptionKind::Value, "M", {}, 0, 0, false, CheckMargins},
           {"--start", 0, OptionKind::Choice, "", {"below", "column", "page"}},
           {"--cover", 0, OptionKind::Flag, "", {}},
           {"--group-pages", 0, OptionKind::Flag, "", {}}},
          {"a printable paper copy. WxH is a page size such as",
           "100x150mm or 5.5x8.5in; M is one margin for all sides",
           "or four (top,right,bottom,left): 12mm, 10,12,10,12mm;",
           "the type is PERCENT of its usual size; each checklist",
           "begins below the one before (the default), atop a new",
           "column or page; --cover adds a cover page from the",
           "file's Checklist info with a table of contents;",
           "--group-pages begins each group (lists named alike", "before \": \") on a new page"}},
         RunPrint},
        {{"convert",
          {"IN", "OUT"},
          false,
          {{"--from", 0, OptionKind::Choice, "FORMAT", FormatNames()},
           {"--to", 0, OptionKind::Choice, "FORMAT", FormatNames()},
           {"--width", 0, OptionKind::Number, "N", {}, 8, 1023}},
          {"convert between .ckl and the checklist files of aircraft",
           "displays and programs; FORMAT is taken from the file name",
           "when not given (see below); --width wraps long lines at N", "characters"},
          FormatEndings()},
         RunConvert},
    };
}

} // namespace

std::span<const Command> AllCommands() {
    static const std::vector<Command> commands = MakeCommands();
    return commands;
}

const Command* CommandNamed(std::string_view word) {
    auto commands = AllCommands();
    auto known = std::find_if(commands.begin(), commands.end(), [word](const Command& command) {
        return command.declared.word == word;
    });
    return known == commands.end() ? nullptr : &*known;
}

int RunCommand(const Command& command, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
    CommandLine line;
    if (std::optional<int> status = ParseCommandLine(command.declared, args, line, out, err)) {
        return *status;
    }
    return command.run(line, out, err);
}

} // namespace ckl
