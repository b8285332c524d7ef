#include "Completion.h"

#include "Commands.h"
#include "Formats.h"

#include <algorithm>

namespace ckl {
namespace {

// What the script does before the table: finding files by ending, and reading the line.
constexpr std::string_view scriptStart =
    R"script(# bash completion for ckl, tarvasto's command-line companion: its commands, their options and
# the options' values, and checklist files. Made from ckl's own tables when ckl is built.

_ckl_files() {
    # $1: a pattern of the file endings to offer ("ckl", "@(ckl|ace)"), besides folders.
    # _filedir comes with bash-completion; plain file names do without it.
    if declare -F _filedir >/dev/null; then
        _filedir "$1"
    else
        local IFS=$'\n'
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

_ckl() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion || return
    else
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD - 1]}
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
    fi

)script";

constexpr std::string_view scriptEnd = R"script(    esac
} &&
    complete -F _ckl ckl
)script";

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return upper;
}

// The pattern _filedir takes for these endings, in either case: "ckl" or "@(ckl|CKL|ace|ACE)".
std::string EndingPattern(const std::vector<std::string_view>& endings) {
    std::vector<std::string> both;
    for (std::string_view ending : endings) {
        both.emplace_back(ending);
        if (Upper(ending) != ending) {
            both.push_back(Upper(ending));
        }
    }
    if (both.size() == 1) {
        return both[0];
    }
    std::string pattern = "@(";
    for (std::size_t i = 0; i < both.size(); ++i) {
        pattern += (i > 0 ? "|" : "") + both[i];
    }
    return pattern + ")";
}

// The ending of a value's name ("OUT.pdf" gives "pdf"); empty when it names no file.
std::string_view EndingOfValue(std::string_view valueName) {
    std::size_t dot = valueName.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : valueName.substr(dot + 1);
}

std::string CommandCase(const CommandDeclaration& declared) {
    std::string text = "    " + std::string(declared.word) + ")\n";
    std::string optionWords;
    std::string valueCases;
    for (const OptionDeclaration& option : declared.options) {
        optionWords += std::string(option.name) + " ";
        if (option.kind == OptionKind::Flag) {
            continue;
        }
        std::string names = option.shortName != 0 ? std::string("-") + option.shortName + " | " +
                                                        std::string(option.name)
                                                  : std::string(option.name);
        valueCases += "        " + names + ")\n";
        if (option.kind == OptionKind::Choice) {
            std::string choices;
            for (std::string_view choice : option.choices) {
                choices += (choices.empty() ? "" : " ") + std::string(choice);
            }
            valueCases += "            COMPREPLY=($(compgen -W \"" + choices + "\" -- \"$cur\"))\n";
        } else if (std::string_view ending = EndingOfValue(option.valueName); !ending.empty()) {
            valueCases += "            _ckl_files " + std::string(ending) + "\n";
        }
        valueCases += "            return\n            ;;\n";
    }
    if (!valueCases.empty()) {
        text += "        case $prev in\n" + valueCases + "        esac\n";
    }
    text += "        if [[ $cur == -* ]]; then\n"
            "            COMPREPLY=($(compgen -W \"" +
            optionWords + "--help\" -- \"$cur\"))\n            return\n        fi\n";
    text += "        _ckl_files '" + EndingPattern(declared.fileEndings) + "'\n        ;;\n";
    return text;
}

} // namespace

std::string BashCompletion() {
    std::string script(scriptStart);
    std::string words;
    for (const Command& command : AllCommands()) {
        words += std::string(command.declared.word) + " ";
    }
    script += "    if [[ $cword -eq 1 ]]; then\n"
              "        COMPREPLY=($(compgen -W \"" +
              words +
              "--help --version\" -- \"$cur\"))\n"
              "        return\n"
              "    fi\n\n"
              "    case ${words[1]} in\n";
    for (const Command& command : AllCommands()) {
        script += CommandCase(command.declared);
    }
    return script + std::string(scriptEnd);
}

} // namespace ckl
