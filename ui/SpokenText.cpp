#include "SpokenText.h"

#include "ItemRules.h"

#include <QString>
#include <string_view>

namespace SpokenText {
namespace {

// Characters a speech engine would read out by name ("dot", "star", "greater than") when
// they lay a line out rather than say something: dot leaders, heading and centring marks,
// rules, bullets and arrows.
bool IsDecoration(char32_t c) {
    switch (c) {
    case U'.':
    case U'*':
    case U'<':
    case U'>':
    case U'=':
    case U'_':
    case U'~':
    case U'#':
    case U'|':
    case U'^':
    case U'`':
    case U'+':
    case U'-':
    case U'\\':
    case U'\u00B7': // middle dot
    case U'\u2022': // bullet
    case U'\u2026': // ellipsis
        return true;
    default:
        return (c >= U'\u2010' && c <= U'\u2015') || // hyphens and dashes
               (c >= U'\u2190' && c <= U'\u21FF') || // arrows
               (c >= U'\u25A0' && c <= U'\u25FF');   // squares, triangles, circles
    }
}

// Control and format characters, line and paragraph separators, and what broken UTF-8 became:
// nothing a voice can say, and a control character may steer a speech engine.
bool IsUnsayable(char32_t c) {
    QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format ||
           category == QChar::Separator_Line || category == QChar::Separator_Paragraph ||
           category == QChar::Other_Surrogate || category == QChar::Other_NotAssigned ||
           c == U'\uFFFD';
}

bool IsWordCharacter(char32_t c) {
    return QChar::isLetterOrNumber(c);
}

// A run of decoration that is still part of what is said: one character inside a word or a
// number ("3.5", "A-B"), or a sign in front of a number ("-5", "+10").
bool KeepsRun(const std::u32string& text, std::size_t begin, std::size_t end) {
    if (end - begin != 1) {
        return false;
    }
    bool wordBefore = begin > 0 && IsWordCharacter(text[begin - 1]);
    bool wordAfter = end < text.size() && IsWordCharacter(text[end]);
    if (wordBefore && wordAfter) {
        return true;
    }
    char32_t sign = text[begin];
    return !wordBefore && (sign == U'-' || sign == U'+') && end < text.size() &&
           QChar::isDigit(text[end]);
}

// text as a voice should say it, or an empty text when nothing in it can be said.
QString Sayable(std::string_view text) {
    std::u32string characters =
        QString::fromUtf8(text.data(), qsizetype(text.size())).toStdU32String();
    for (char32_t& c : characters) {
        if (IsUnsayable(c)) {
            c = U' ';
        }
    }
    std::u32string kept;
    kept.reserve(characters.size());
    for (std::size_t at = 0; at < characters.size();) {
        if (!IsDecoration(characters[at])) {
            kept.push_back(characters[at++]);
            continue;
        }
        std::size_t end = at;
        while (end < characters.size() && IsDecoration(characters[end])) {
            ++end;
        }
        if (KeepsRun(characters, at, end)) {
            kept.append(characters, at, end - at);
        } else {
            kept.push_back(U' ');
        }
        at = end;
    }
    QString said = QString::fromStdU32String(kept).simplified();
    for (QChar c : said) {
        if (c.isLetterOrNumber()) {
            return said;
        }
    }
    return QString();
}

// Appends text as a part when it can be said.
void AppendSayable(QStringList& parts, std::string_view text) {
    if (QString said = Sayable(text); !said.isEmpty()) {
        parts.append(said);
    }
}

// The word a note, caution or warning is announced with, its label said as a word ("NOTE:" is
// "note"); empty for the other kinds.
QString SpokenLabel(ItemRules::Kind kind) {
    std::string_view label = ItemRules::LabelOf(kind);
    if (label.ends_with(':')) {
        label.remove_suffix(1);
    }
    return QString::fromLatin1(label.data(), qsizetype(label.size())).toLower();
}

std::string_view TextOf(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}

} // namespace

QStringList SpokenName(const char* name) {
    QStringList parts;
    AppendSayable(parts, TextOf(name));
    return parts;
}

QStringList SpokenItem(const char* itemText) {
    ItemRules::Parts item = ItemRules::Parse(TextOf(itemText));
    QStringList parts;
    if (item.kind == ItemRules::Kind::Space) {
        return parts;
    }
    if (QString label = SpokenLabel(item.kind); !label.isEmpty()) {
        parts.append(label);
    }
    AppendSayable(parts, item.prompt);
    if (item.kind == ItemRules::Kind::ChallengeResponse) {
        AppendSayable(parts, item.expectation);
    }
    return parts;
}

QStringList SpokenCompletion(const char* nextName) {
    QStringList parts{QStringLiteral("Checklist complete")};
    if (QString name = Sayable(TextOf(nextName)); !name.isEmpty()) {
        parts << QStringLiteral("Next checklist") << name;
    }
    return parts;
}

} // namespace SpokenText
