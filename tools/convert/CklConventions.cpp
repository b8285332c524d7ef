#include "CklConventions.h"

#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "LineRules.h"
#include "ListGroups.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace convert {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

// The keys of the "Checklist info" checklist, in the order they are written.
enum class InfoKey {
    Name,
    MakeAndModel,
    Aircraft,
    Manufacturer,
    Copyright,
    Detail,
    Default,
    Modified
};
constexpr std::array<std::pair<InfoKey, std::string_view>, 8> infoKeys = {{
    {InfoKey::Name, "Name"},
    {InfoKey::MakeAndModel, "Make and model"},
    {InfoKey::Aircraft, "Aircraft"},
    {InfoKey::Manufacturer, "Manufacturer"},
    {InfoKey::Copyright, "Copyright"},
    {InfoKey::Detail, "Detail"},
    {InfoKey::Default, "Default checklist"},
    {InfoKey::Modified, "Modified"},
}};

// A fact about one list (or one item of it) in the "Checklist info" list:
// `Phase of "NAME": landing`, `Completion of "NAME": next checklist`,
// `Live data of "NAME" item 3: 5`.
enum class FactKind { Phase, Completion, LiveData };
constexpr std::array<std::pair<FactKind, std::string_view>, 3> factKeys = {{
    {FactKind::Phase, "Phase of \""},
    {FactKind::Completion, "Completion of \""},
    {FactKind::LiveData, "Live data of \""},
}};
constexpr std::array<std::string_view, phaseCount> phaseWords = {"preflight", "takeoff/cruise",
                                                                 "landing", "other"};
constexpr std::array<std::string_view, completionCount> completionWords = {
    "none", "next checklist", "open flight plan", "close flight plan", "SafeTaxi", "map"};
constexpr std::string_view factItem = "\" item ";

struct Fact {
    FactKind kind;
    std::string_view list; // the list's name, a part of the info item's text
    std::size_t item = 0;  // the .ckl item number from 1, for live data
    int value = 0;
};

// The index of word in words, in any case, or -1.
template <std::size_t count>
int WordIndex(const std::array<std::string_view, count>& words, std::string_view word);

std::string* TextField(Metadata& metadata, InfoKey key) {
    switch (key) {
    case InfoKey::Name:
        return &metadata.name;
    case InfoKey::MakeAndModel:
        return &metadata.makeAndModel;
    case InfoKey::Aircraft:
        return &metadata.aircraft;
    case InfoKey::Manufacturer:
        return &metadata.manufacturer;
    case InfoKey::Copyright:
        return &metadata.copyright;
    case InfoKey::Detail:
        return &metadata.detail;
    default:
        return nullptr;
    }
}

template <typename Number> bool ParseNumber(std::string_view text, Number& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "group G, list L", counted from 1, as the default checklist is written.
bool ParseDefault(std::string_view text, Metadata& metadata) {
    constexpr std::string_view group = "group ";
    constexpr std::string_view list = ", list ";
    std::size_t comma = text.find(", ");
    if (text.size() < group.size() || !EqualsIgnoringCase(text.substr(0, group.size()), group) ||
        comma == std::string_view::npos ||
        !EqualsIgnoringCase(text.substr(comma, list.size()), list)) {
        return false;
    }
    long long g = 0;
    long long c = 0;
    constexpr long long most = static_cast<long long>(INT_MAX) + 1;
    if (!ParseNumber(text.substr(group.size(), comma - group.size()), g) ||
        !ParseNumber(text.substr(comma + list.size()), c) || g < 1 || c < 1 || g > most ||
        c > most) {
        return false;
    }
    metadata.defaultGroup = static_cast<int>(g - 1);
    metadata.defaultChecklist = static_cast<int>(c - 1);
    return true;
}

template <std::size_t count>
int WordIndex(const std::array<std::string_view, count>& words, std::string_view word) {
    for (std::size_t i = 0; i < count; ++i) {
        if (EqualsIgnoringCase(words[i], word)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Reads a fact line into fact; false when text is none. The name runs from the first quote to
// the last quote before the last ": ", so that it may hold quotes and ": " itself.
bool ParseFact(std::string_view text, Fact& fact) {
    auto key = std::find_if(factKeys.begin(), factKeys.end(), [text](const auto& k) {
        return text.size() > k.second.size() &&
               EqualsIgnoringCase(text.substr(0, k.second.size()), k.second);
    });
    std::size_t colon = text.rfind(": ");
    if (key == factKeys.end() || colon == std::string_view::npos || colon < key->second.size()) {
        return false;
    }
    fact.kind = key->first;
    std::string_view value = text.substr(colon + 2);
    std::string_view named = text.substr(key->second.size(), colon - key->second.size());
    if (fact.kind == FactKind::LiveData) {
        std::size_t at = named.rfind(factItem);
        if (at == std::string_view::npos ||
            !ParseNumber(named.substr(at + factItem.size()), fact.item) || fact.item == 0 ||
            !ParseNumber(value, fact.value) || fact.value < 1 || fact.value > maxLiveData) {
            return false;
        }
        fact.list = named.substr(0, at);
        return true;
    }
    if (named.empty() || named.back() != '"') {
        return false;
    }
    fact.list = named.substr(0, named.size() - 1);
    fact.value = fact.kind == FactKind::Phase ? WordIndex(phaseWords, value)
                                              : WordIndex(completionWords, value);
    return fact.value >= 0;
}

// Reads the items of a "Checklist info" checklist into metadata and facts; false when one of
// them is neither a known "Key: value" line nor a fact, or a key comes twice.
bool ParseInfo(const Checklist& checklist, Metadata& metadata, std::vector<Fact>& facts) {
    bool seen[infoKeys.size()] = {};
    bool any = false;
    for (const ChecklistItem& item : checklist.Items()) {
        std::string_view text = item.text;
        if (Fact fact; ParseFact(text, fact)) {
            facts.push_back(fact);
            any = true;
            continue;
        }
        std::size_t colon = text.find(": ");
        if (colon == std::string_view::npos) {
            return false;
        }
        std::string_view key = text.substr(0, colon);
        std::string_view value = text.substr(colon + 2);
        auto known = std::find_if(infoKeys.begin(), infoKeys.end(), [key](const auto& k) {
            return EqualsIgnoringCase(k.second, key);
        });
        if (known == infoKeys.end() || seen[known - infoKeys.begin()]) {
            return false;
        }
        seen[known - infoKeys.begin()] = true;
        if (std::string* field = TextField(metadata, known->first)) {
            *field = value;
        } else if (known->first == InfoKey::Default) {
            if (!ParseDefault(value, metadata)) {
                return false;
            }
        } else if (!ParseNumber(value, metadata.modifiedTime)) {
            return false;
        }
        any = true;
    }
    return any;
}

std::vector<std::string> InfoLines(const Metadata& metadata) {
    std::vector<std::string> lines;
    Metadata copy = metadata;
    for (const auto& [key, label] : infoKeys) {
        std::string value;
        if (const std::string* field = TextField(copy, key)) {
            value = *field;
        } else if (key == InfoKey::Default) {
            if (metadata.defaultGroup != 0 || metadata.defaultChecklist != 0) {
                value = "group " + std::to_string(metadata.defaultGroup + 1LL) + ", list " +
                        std::to_string(metadata.defaultChecklist + 1LL);
            }
        } else if (metadata.modifiedTime != 0) {
            value = std::to_string(metadata.modifiedTime);
        }
        if (!value.empty()) {
            lines.push_back(std::string(label) + ": " + value);
        }
    }
    return lines;
}

// Makes text one line of a .ckl as the program's text entry makes what is typed: line breaks
// and control characters as spaces, cut to the longest whole characters within the limit.
// Returns what it did, empty when nothing.
std::string MakeStorable(std::string& text) {
    const LineRules::LineChanges changes = LineRules::MakeStorableLine(text);
    std::string done;
    if (changes.flattened) {
        done = "written with spaces for its line breaks and control characters";
    }
    if (changes.cut) {
        done += (done.empty() ? "" : " and ") + std::string("cut to ") +
                std::to_string(LineRules::maxBytes) + " bytes, the longest line a .ckl holds";
    }
    return done;
}

using LineRules::QuotedForDisplay;

const char* KindName(ItemKind kind) {
    switch (kind) {
    case ItemKind::Challenge:
        return "a challenge";
    case ItemKind::ChallengeResponse:
        return "a challenge and response";
    case ItemKind::PlainText:
        return "plain text";
    case ItemKind::Note:
        return "a note";
    case ItemKind::Caution:
        return "a caution";
    case ItemKind::Warning:
        return "a warning";
    case ItemKind::Title:
        return "a title";
    case ItemKind::Space:
        break;
    }
    return "a blank item";
}

// The text of a .ckl item after its indentation when it continues the item before it, else
// nothing.
std::optional<std::string_view> ContinuedText(std::string_view text) {
    std::size_t spaces = text.find_first_not_of(' ');
    if (spaces == std::string_view::npos || text[spaces] != continuationMark[0]) {
        return std::nullopt;
    }
    text.remove_prefix(spaces);
    if (text.size() == 1) {
        return std::string_view();
    }
    if (!text.starts_with(continuationMark)) {
        return std::nullopt;
    }
    return text.substr(continuationMark.size());
}

// Goes on the last text of item with a line break and more.
void Continue(Book& book, Item& item, std::string_view more) {
    std::string_view& last =
        item.kind == ItemKind::ChallengeResponse ? item.expectation : item.prompt;
    std::string joined;
    joined.reserve(last.size() + 1 + more.size());
    joined.append(last).append(1, '\n').append(more);
    last = book.Keep(joined);
    if (item.kind == ItemKind::Space) {
        item.kind = ItemKind::Challenge;
    }
}

// Gives the facts read from the "Checklist info" list to the first list of each name.
void GiveFacts(Book& book, const std::vector<Fact>& facts,
               const std::vector<std::vector<std::size_t>>& bookIndexOfItem) {
    std::unordered_map<std::string_view, std::size_t> listOfName;
    for (std::size_t i = book.lists.size(); i-- > 0;) {
        listOfName[book.lists[i].name] = i;
    }
    for (const Fact& fact : facts) {
        auto found = listOfName.find(fact.list);
        if (found == listOfName.end()) {
            continue;
        }
        BookList& list = book.lists[found->second];
        switch (fact.kind) {
        case FactKind::Phase:
            list.phase = static_cast<Phase>(fact.value);
            break;
        case FactKind::Completion:
            list.completion = static_cast<Completion>(fact.value);
            break;
        case FactKind::LiveData:
            if (const auto& index = bookIndexOfItem[found->second]; fact.item <= index.size()) {
                list.items[index[fact.item - 1]].liveData = fact.value;
            }
            break;
        }
    }
}

// Splits text at its line breaks, dropping the carriage return of a CR LF.
std::vector<std::string_view> LinesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (;;) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            return lines;
        }
        text.remove_prefix(end + 1);
    }
}

} // namespace

Book DocToBook(ChecklistDoc& doc, bool takeInfo, bool joinLines) {
    Book book;
    const Checklist* infoList = nullptr;
    std::vector<Fact> facts;
    for (const Checklist& checklist : doc.Checklists()) {
        if (takeInfo && EqualsIgnoringCase(checklist.name, infoListName)) {
            Metadata metadata;
            if (std::vector<Fact> found; ParseInfo(checklist, metadata, found)) {
                book.metadata = std::move(metadata);
                facts = std::move(found);
                infoList = &checklist;
                break;
            }
        }
    }
    // For each list, which book item each .ckl item went into, when a fact names items.
    std::vector<std::vector<std::size_t>> bookIndexOfItem;
    const bool numberItems = std::any_of(facts.begin(), facts.end(), [](const Fact& fact) {
        return fact.kind == FactKind::LiveData;
    });
    for (const Checklist& checklist : doc.Checklists()) {
        if (&checklist == infoList) {
            continue;
        }
        BookList& list = book.lists.emplace_back();
        list.name = checklist.name;
        std::vector<std::size_t>* index = numberItems ? &bookIndexOfItem.emplace_back() : nullptr;
        // Counted first, so that the items take the room they need and are not moved as it grows.
        list.items.reserve(checklist.Items().size());
        for (const ChecklistItem& item : checklist.Items()) {
            if (joinLines && !list.items.empty()) {
                if (std::optional<std::string_view> more = ContinuedText(item.text)) {
                    Continue(book, list.items.back(), *more);
                    if (index) {
                        index->push_back(list.items.size() - 1);
                    }
                    continue;
                }
            }
            if (index) {
                index->push_back(list.items.size());
            }
            list.items.push_back(ParseItem(item.text, ItemStyle::Ckl));
        }
    }
    if (!facts.empty()) {
        if (!numberItems) {
            bookIndexOfItem.resize(book.lists.size());
        }
        GiveFacts(book, facts, bookIndexOfItem);
    }
    return book;
}

void BookToDoc(const Book& book, ChecklistDoc& doc, Warnings& warnings) {
    std::vector<std::string> factLines;
    std::unordered_set<std::string> names;
    for (const BookList& list : book.lists) {
        Checklist* checklist = doc.CreateChecklist();
        std::string name(list.name);
        if (std::string done = MakeStorable(name); !done.empty()) {
            warnings.Add(Where(list.name) + ": the name is " + done);
        }
        checklist->SetName(name);
        // Facts name their list, and go back to the first list of that name.
        if (!names.insert(name).second &&
            (list.phase != Phase::Unsaid || list.completion != Completion::None ||
             std::any_of(list.items.begin(), list.items.end(),
                         [](const Item& item) { return item.liveData != 0; }))) {
            warnings.Add(Where(list.name) +
                         ": its phase, completion and live data read back from .ckl as those of "
                         "the first checklist of that name");
        }
        if (list.phase != Phase::Unsaid) {
            factLines.push_back(std::string(factKeys[0].second) + name + "\": " +
                                std::string(phaseWords[static_cast<std::size_t>(list.phase)]));
        }
        if (list.completion != Completion::None) {
            factLines.push_back(
                std::string(factKeys[1].second) + name +
                "\": " + std::string(completionWords[static_cast<std::size_t>(list.completion)]));
        }
        std::size_t number = 0;
        std::size_t written = 0; // .ckl items of the list so far
        std::string text;
        for (const Item& whole : list.items) {
            ++number;
            // A text of several lines: its first line is the item, the others follow it.
            Item item = whole;
            std::string_view& last =
                item.kind == ItemKind::ChallengeResponse ? item.expectation : item.prompt;
            std::vector<std::string_view> more;
            if (last.find('\n') != std::string_view::npos) {
                more = LinesOf(last);
                last = more.front();
                more.erase(more.begin());
            }
            if (item.liveData != 0) {
                factLines.push_back(std::string(factKeys[2].second) + name + std::string(factItem) +
                                    std::to_string(written + 1) + ": " +
                                    std::to_string(item.liveData));
            }
            text.clear();
            AppendItemText(text, item, ItemStyle::Ckl);
            if (std::string done = MakeStorable(text); !done.empty()) {
                warnings.Add(Where(list.name, number) + ": " + QuotedForDisplay(text) + " is " +
                             done);
            } else if (Item back = ParseItem(text, ItemStyle::Ckl);
                       (back.liveData = item.liveData, !(back == item))) {
                warnings.Add(Where(list.name, number) + ": " + KindName(item.kind) +
                             (back.kind == item.kind
                                  ? std::string(" that changes in .ckl, ")
                                  : std::string(" that reads back from .ckl as ") +
                                        KindName(back.kind) + ", ") +
                             QuotedForDisplay(text));
            } else if (ContinuedText(text)) {
                warnings.Add(Where(list.name, number) + ": " + QuotedForDisplay(text) +
                             " reads back as going on the item before it, in formats whose "
                             "texts hold several lines");
            }
            checklist->AppendItem(text);
            ++written;
            for (std::string_view line : more) {
                text.assign(static_cast<std::size_t>(std::clamp(item.indent, 0, maxIndent)) * 2,
                            ' ');
                if (line.empty()) {
                    text += continuationMark[0];
                } else {
                    text.append(continuationMark).append(line);
                }
                if (std::string done = MakeStorable(text); !done.empty()) {
                    warnings.Add(Where(list.name, number) + ": " + QuotedForDisplay(text) + " is " +
                                 done);
                }
                checklist->AppendItem(text);
                ++written;
            }
        }
        doc.AppendChecklist(checklist);
        if (Metadata unused; book.carriesMetadata && EqualsIgnoringCase(name, infoListName)) {
            if (std::vector<Fact> facts; ParseInfo(*checklist, unused, facts)) {
                warnings.Add(Where(list.name) +
                             ": reads as the file's metadata when written to a format that "
                             "holds it");
            }
        }
    }
    if (!book.metadata.IsEmpty() || !factLines.empty()) {
        Checklist* info = doc.CreateChecklist();
        info->SetName(infoListName);
        std::vector<std::string> lines = InfoLines(book.metadata);
        lines.insert(lines.end(), std::make_move_iterator(factLines.begin()),
                     std::make_move_iterator(factLines.end()));
        for (std::string& line : lines) {
            if (std::string done = MakeStorable(line); !done.empty()) {
                warnings.Add(Where(infoListName) + ": " + QuotedForDisplay(line) + " is " + done);
            }
            info->AppendItem(line);
        }
        doc.AppendChecklist(info);
    }
}

ListName SplitListName(std::string_view name) {
    ListName parts;
    std::size_t colon = name.find(": ");
    if (colon == std::string_view::npos) {
        parts.title = name;
        return parts;
    }
    std::string_view first = name.substr(0, colon);
    std::string_view rest = name.substr(colon + 2);
    for (Category category : {Category::Normal, Category::Abnormal, Category::Emergency}) {
        if (EqualsIgnoringCase(first, CategoryWord(category))) {
            parts.category = category;
            std::size_t next = rest.find(": ");
            if (next == std::string_view::npos) {
                parts.title = rest;
            } else {
                parts.subgroup = rest.substr(0, next);
                parts.title = rest.substr(next + 2);
                if (parts.subgroup == CategoryWord(category)) {
                    parts.subgroup = {};
                }
            }
            return parts;
        }
    }
    parts.subgroup = first;
    parts.title = rest;
    return parts;
}

std::string JoinListName(Category category, std::string_view subgroup, std::string_view title) {
    const std::string_view word = CategoryWord(category);
    if (subgroup == word) {
        subgroup = {};
    }
    const bool titleSplits = title.find(": ") != std::string_view::npos;
    std::string name;
    if (subgroup.empty()) {
        // A title with ": " of its own needs the subgroup named as the category to stay whole.
        if (titleSplits) {
            name.append(word).append(": ").append(word).append(": ");
        } else if (category != Category::Normal) {
            name.append(word).append(": ");
        }
        return name.append(title);
    }
    bool subgroupIsCategory = false;
    for (Category other : {Category::Normal, Category::Abnormal, Category::Emergency}) {
        subgroupIsCategory =
            subgroupIsCategory || EqualsIgnoringCase(subgroup, CategoryWord(other));
    }
    if (category != Category::Normal || subgroupIsCategory) {
        name.append(word).append(": ");
    }
    return name.append(subgroup).append(": ").append(title);
}

std::string_view CategoryWord(Category category) {
    switch (category) {
    case Category::Abnormal:
        return "Abnormal";
    case Category::Emergency:
        return "Emergency";
    case Category::Normal:
        break;
    }
    return "Normal";
}

std::vector<Group> GroupLists(const std::vector<BookList>& lists) {
    std::vector<Group> groups;
    bool lastJoins = false; // whether the last group may take further lists
    for (const BookList& list : lists) {
        // A grouped format has no place for a list outside a group: a plain name stands alone,
        // where the screen would walk a run of them as one group.
        const std::optional<std::string_view> group = ListGroups::GroupOf(list.name);
        if (!group.has_value()) {
            groups.push_back({list.name, {{list.name, &list}}});
            lastJoins = false;
            continue;
        }
        if (!lastJoins || groups.back().title != *group) {
            groups.push_back({*group, {}});
        }
        groups.back().lists.emplace_back(list.name.substr(group->size() + 2), &list);
        lastJoins = true;
    }
    return groups;
}

std::string GroupedName(std::string_view group, std::string_view title, std::size_t groupSize) {
    if (groupSize == 1 && group == title && title.find(": ") == std::string_view::npos) {
        return std::string(title);
    }
    std::string name;
    name.reserve(group.size() + 2 + title.size());
    return name.append(group).append(": ").append(title);
}

bool IsAscii(std::string_view text) {
    // Every byte looked at without stopping early, which lets the compiler test many at a time.
    unsigned char seen = 0;
    for (char c : text) {
        seen |= static_cast<unsigned char>(c);
    }
    return seen < 0x80;
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        count += LineRules::IsCharacterStart(text, i) ? 1 : 0;
    }
    return count;
}

std::string FlattenedWarning(std::string_view text) {
    return QuotedForDisplay(text) + " is written with spaces for its line breaks and control "
                                    "characters";
}

std::string Where(std::string_view listName, std::size_t itemNumber) {
    std::string where = "checklist " + QuotedForDisplay(listName);
    if (itemNumber > 0) {
        where += " item " + std::to_string(itemNumber);
    }
    return where;
}

} // namespace convert
