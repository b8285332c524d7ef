#pragma once

#include "ChecklistBook.h"
#include "ChecklistDoc.h"
#include "ChecklistFile.h"
#include "CklConventions.h"

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

// What the converter's tests share: the test files, warnings as text, and books through a .ckl.
namespace converttest {

// The bytes of a file, empty when it cannot be read.
inline std::string ReadPath(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes of a file of tests/convert/files.
inline std::string ReadFile(const std::string& name) {
    return ReadPath(std::string(TARVASTO_CONVERT_FILES) + "/" + name);
}

// The warnings, a line each, for a failure's message or a comparison.
inline std::string Joined(const convert::Warnings& warnings) {
    std::string all;
    for (const std::string& line : warnings.lines) {
        all += line + "\n";
    }
    return all;
}

// The .ckl text of a book, as the program saves it.
inline std::string CklOf(const convert::Book& book, convert::Warnings& warnings) {
    ChecklistDoc doc;
    convert::BookToDoc(book, doc, warnings);
    return ChecklistFile::WriteText(doc);
}
inline std::string CklOf(const convert::Book& book) {
    convert::Warnings ignored;
    return CklOf(book, ignored);
}

// The book of a .ckl text, with copies of its texts, as the document read goes away.
inline convert::Book BookOfCkl(std::string_view text, bool takeInfo, bool joinLines = false) {
    ChecklistDoc doc;
    ChecklistFile::ReadText(doc, text);
    convert::Book book = convert::DocToBook(doc, takeInfo, joinLines);
    for (convert::BookList& list : book.lists) {
        list.name = book.Keep(list.name);
        for (convert::Item& item : list.items) {
            item.prompt = book.Keep(item.prompt);
            item.expectation = book.Keep(item.expectation);
        }
    }
    return book;
}

} // namespace converttest
