#include "TextRules.h"

#include "LineRules.h"

#include <QLineEdit>
#include <QValidator>
#include <algorithm>
#include <string>

namespace {

// The UTF-8 of text, where a surrogate without its partner becomes a replacement character.
std::string Utf8Of(const QString& text) {
    return text.toStdString();
}

// Turns every line break, tab and control character into a space as a stored line must have it;
// keeps the cursor after the same text.
void FlattenLine(QString& text, int& cursor) {
    cursor = std::clamp(cursor, 0, static_cast<int>(text.size()));
    std::string line = Utf8Of(text);
    std::size_t byteCursor = Utf8Of(text.left(cursor)).size();
    if (!LineRules::FlattenLine(line, byteCursor)) {
        return;
    }
    text = QString::fromStdString(line);
    cursor = static_cast<int>(QString::fromStdString(line.substr(0, byteCursor)).size());
}

// Cuts text to LineRules::maxBytes bytes of UTF-8, taking the surplus from just before the
// cursor.
void FitLength(QString& text, int& cursor) {
    constexpr std::size_t room = LineRules::maxBytes;
    cursor = std::clamp(cursor, 0, static_cast<int>(text.size()));
    const std::string head = Utf8Of(text.left(cursor));
    const std::string tail = Utf8Of(text.mid(cursor));
    if (head.size() + tail.size() <= room) {
        return;
    }
    if (tail.size() >= room) {
        text = QString::fromStdString(std::string(LineRules::CutToFit(tail, room)));
        cursor = 0;
        return;
    }
    const QString kept =
        QString::fromStdString(std::string(LineRules::CutToFit(head, room - tail.size())));
    text = kept + QString::fromStdString(tail);
    cursor = static_cast<int>(kept.size());
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
