#pragma once

#include "ChecklistBook.h"
#include "ItemRules.h"
#include "LineRules.h"

#include <string>
#include <string_view>
#include <vector>

class ChecklistDoc;

// How a .ckl holds what a display's file holds: each item one line of text by the item rules
// (data/ItemRules.h), which read well in the checklist tree and convert both ways, and serve
// the text formats of the displays too; the file's metadata and the facts of its lists in a
// "Checklist info" list.
namespace convert {

// Which separator joins a challenge and its response (see ItemRules::Style).
using ItemStyle = ItemRules::Style;

// The item a line of text stands for, by the item rules; its texts are parts of text.
inline Item ParseItem(std::string_view text, ItemStyle style) {
    return Item{ItemRules::Parse(text, style)};
}
// The text that stands for item, by the item rules.
inline std::string FormatItem(const Item& item, ItemStyle style) {
    return ItemRules::Format(item, style);
}
// Appends FormatItem(item, style) to out.
inline void AppendItemText(std::string& out, const Item& item, ItemStyle style) {
    ItemRules::AppendText(out, item, style);
}

// The name of the checklist that carries a file's metadata in a .ckl.
inline constexpr std::string_view infoListName = "Checklist info";

// What an item of a .ckl begins with, after its indentation, when it goes on the text of the
// item before it on a line of its own: "| more text" (or "|" for an empty line).
inline constexpr std::string_view continuationMark = "| ";

// The checklists of doc in order, their items read by the .ckl conventions; the book's texts
// are doc's (or the book's own, for joined lines), valid as long as doc. With takeInfo, a
// checklist named "Checklist info" (in any case) whose items are all "Key: value" lines with
// known keys becomes the metadata and the facts of the lists instead of a checklist. With
// joinLines, an item that begins with the continuation mark is joined to the one before it by
// a line break: the response of a challenge and response, else its text.
Book DocToBook(ChecklistDoc& doc, bool takeInfo, bool joinLines = false);
// Appends the lists of book to doc, their items written by the .ckl conventions, and the
// metadata and the facts of the lists as a last "Checklist info" checklist when there are
// any. A text of several lines becomes one item and continuation items. Texts longer than a
// .ckl line holds are cut; items that would read back as something else are reported, and so
// is a list of a format with metadata fields that would read back as the metadata.
void BookToDoc(const Book& book, ChecklistDoc& doc, Warnings& warnings);

// --- categories: how the tablet apps' normal, abnormal and emergency lists and their
// subgroups travel in a list's name ---

// A list's name taken apart: "Emergency: Engine: Fire in flight" is an emergency list of the
// subgroup "Engine"; "Abnormal: Icing" an abnormal list of no subgroup; "Preflight: Cabin" a
// normal list of the subgroup "Preflight"; "Cabin" a normal list of no subgroup. The category
// word is taken in any case.
struct ListName {
    Category category = Category::Normal;
    std::string_view subgroup; // empty for none
    std::string_view title;
};
ListName SplitListName(std::string_view name);
// The name SplitListName takes back apart into the same category, subgroup and title. A
// subgroup called as its category ("Emergency" of an emergency list) is the same as none:
// formats whose lists must sit in a subgroup use that one for lists of no subgroup.
std::string JoinListName(Category category, std::string_view subgroup, std::string_view title);
// "Normal", "Abnormal", "Emergency".
std::string_view CategoryWord(Category category);

// A group of consecutive lists as a grouped format holds them.
struct Group {
    std::string_view title;
    std::vector<std::pair<std::string_view, const BookList*>> lists; // each list's title in it
};
// Consecutive lists named with the same text before the first ": " form one group; a name
// without ": " is a group of its own, titled as the list.
std::vector<Group> GroupLists(const std::vector<BookList>& lists);
// The .ckl name of a list in a group of groupSize lists; the inverse of GroupLists.
std::string GroupedName(std::string_view group, std::string_view title, std::size_t groupSize);

// text as one line of a display's file, by the rule of a stored line (line breaks and control
// characters as spaces, nothing cut): text itself when it is one already, else the flattened
// copy in buffer, and a warning for where() that says so.
template <typename WhereFunction>
std::string_view AsOneLine(std::string_view text, std::string& buffer, Warnings& warnings,
                           WhereFunction&& where);
// Whether text is plain ASCII.
bool IsAscii(std::string_view text);
// Counts the characters (not bytes) of UTF-8 text.
std::size_t CharacterCount(std::string_view text);
// Where a list or item is, for warnings: checklist "NAME" or checklist "NAME" item N.
std::string Where(std::string_view listName, std::size_t itemNumber = 0);

// The one warning of AsOneLine, for the text as it was.
std::string FlattenedWarning(std::string_view text);

template <typename WhereFunction>
std::string_view AsOneLine(std::string_view text, std::string& buffer, Warnings& warnings,
                           WhereFunction&& where) {
    if (LineRules::IsOneLine(text)) {
        return text;
    }
    buffer.assign(text);
    std::size_t end = buffer.size();
    LineRules::FlattenLine(buffer, end);
    warnings.Add(where() + ": " + FlattenedWarning(text));
    return buffer;
}

} // namespace convert
