#include "RegistryStoreText.h"
#include "Registry.h"

#include <gtest/gtest.h>

#include <string>

// How the store file's text reads when the same key or value name comes more than once: what
// the registry service then finds, and in which order the next write puts it.

namespace {

using namespace RegistryStoreText;

// Every key as path(class) and its values as name=type:data, in the store's order.
std::string Describe(const Store& store) {
    std::string out;
    for (const StoredKey& key : store) {
        out += key.path.toStdString() + '(' + key.keyClass.toStdString() + "){";
        for (const StoredValue& value : key.values) {
            out += ' ' + value.name.toStdString() + '=' + std::to_string(value.type) + ':' +
                   value.data.toStdString();
        }
        out += " } ";
    }
    return out;
}

struct ReadingCase {
    const char* name;
    const char* text;
    const char* expected;
    // Prints as its name, so that test lists stay readable and the same from run to run.
    friend void PrintTo(const ReadingCase& row, std::ostream* os) { *os << row.name; }
};

const ReadingCase readingCases[] = {
    {"RepeatedValueKeepsTheLastWhereItStands",
     "[k]\na=REG_SZ:1\nb=REG_SZ:2\nA=REG_DWORD:3\nc=REG_SZ:4\nb=REG_SZ:5\n",
     "k(){ A=4:3 c=1:4 b=1:5 } "},
    {"SectionsOfOnePathMergeUnderTheFirstSpelling",
     "[Key]\n@class=first\na=REG_SZ:1\n[other]\n[KEY]\n@class=second\nA=REG_SZ:2\n[KeY]\nb=REG_SZ:"
     "3\n",
     "Key(second){ A=1:2 b=1:3 } other(){ } "},
    {"LettersBeyondAsciiFoldToo", "[\xC3\x84]\n\xC3\xA4=REG_SZ:1\n[\xC3\xA4]\n\xC3\x84=REG_SZ:2\n",
     "\xC3\x84(){ \xC3\x84=1:2 } "},
    // A U+FEFF that starts a name is part of it, wherever the name starts in the line.
    {"MarkCharacterStartingANameIsKept",
     "[\\\xEF\xBB\xBFk]\n@class=\xEF\xBB\xBF\x63\n\xEF\xBB\xBFv=REG_SZ:1\n%EF%BB%BFw=REG_SZ:2\n",
     "\xEF\xBB\xBFk(\xEF\xBB\xBF\x63){ \xEF\xBB\xBFv=1:1 \xEF\xBB\xBFw=1:2 } "},
};

class Reading : public testing::TestWithParam<ReadingCase> {};

// Each row also reads back unchanged from what the program would write for it.
TEST_P(Reading, SettlesRepeatedNames) {
    const Store store = ParseStore(GetParam().text);
    EXPECT_EQ(Describe(store), GetParam().expected);
    EXPECT_EQ(Describe(ParseStore(FormatStore(store))), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, Reading, testing::ValuesIn(readingCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
