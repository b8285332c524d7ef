#include "TextRules.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>
#include <cstring>

namespace {

// Whether c would break the line in the file or in the box, or is otherwise not printable text.
bool IsLineBreaking(QChar c) {
    const char16_t unit = c.unicode();
    return unit < 0x20 || unit == 0x7F || unit == 0x85 || unit == 0x2028 || unit == 0x2029;
}

// Bytes of UTF-8 for the character that starts at text[i], and how many 16-bit units it takes.
// A surrogate without its partner counts as the three bytes of a replacement character, which is
// never less than what the conversion writes for it.
int Utf8Bytes(const QString& text, qsizetype i, int& units) {
    const char16_t unit = text.at(i).unicode();
    units = 1;
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        units = 2;
        return 4;
    }
    if (unit < 0x80) {
        return 1;
    }
    return unit < 0x800 ? 2 : 3;
}

qsizetype Utf8Length(const QString& text) {
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        int units = 1;
        bytes += Utf8Bytes(text, i, units);
        i += units;
    }
    return bytes;
}

// The number of 16-bit units at the start of text whose UTF-8 fits in room bytes, never ending
// inside a character.
qsizetype FittingUnits(const QString& text, qsizetype room) {
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        int units = 1;
        const int next = Utf8Bytes(text, i, units);
        if (bytes + next > room) {
            break;
        }
        bytes += next;
        i += units;
    }
    return i;
}

// Turns every line break, tab and control character into a space; a carriage return directly
// before a line feed is dropped, so that a pasted Windows line end becomes one space. Keeps the
// cursor after the same text.
void FlattenLine(QString& text, int& cursor) {
    if (std::none_of(text.cbegin(), text.cend(), IsLineBreaking)) {
        return;
    }
    QString flat;
    flat.reserve(text.size());
    int newCursor = cursor;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            if (i < cursor) {
                --newCursor;
            }
            continue;
        }
        flat.append(IsLineBreaking(c) ? QChar(u' ') : c);
    }
    text = flat;
    cursor = newCursor;
}

// Cuts text to maxLineBytes bytes of UTF-8, taking the surplus from just before the cursor.
void FitLength(QString& text, int& cursor) {
    if (Utf8Length(text) <= maxLineBytes) {
        return;
    }
    cursor = std::clamp(cursor, 0, static_cast<int>(text.size()));
    const QString tail = text.mid(cursor);
    const qsizetype tailBytes = Utf8Length(tail);
    if (tailBytes >= maxLineBytes) {
        text = tail.left(FittingUnits(tail, maxLineBytes));
        cursor = 0;
        return;
    }
    const QString head = text.left(cursor);
    const qsizetype kept = FittingUnits(head, maxLineBytes - tailBytes);
    text = head.left(kept) + tail;
    cursor = static_cast<int>(kept);
}

// Rewrites every new text of a line edit into one storable-length line. It never rejects a
// change, so that a paste with a line break still goes in, flattened.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override {
        FlattenLine(input, position);
        FitLength(input, position);
        return Acceptable;
    }

    void fixup(QString& input) const override {
        int position = static_cast<int>(input.size());
        validate(input, position);
    }
};

} // namespace

bool IsStorableLine(const char* text) {
    return text == nullptr || text[0] != '[' || std::strchr(text + 1, ']') == nullptr;
}

void LimitToOneLine(QLineEdit* edit) {
    if (edit == nullptr) {
        return;
    }
    auto* validator = new OneLineValidator(edit);
    edit->setValidator(validator);
    // Whatever the box held before it had the validator; setting the same text again would not
    // be checked.
    QString text = edit->text();
    validator->fixup(text);
    if (text != edit->text()) {
        edit->setText(text);
    }
}
