#include "TextConversion.h"

#include "LineRules.h"

#include <QByteArray>
#include <cstring>

namespace {

// The first `limit` UTF-16 units of text, one fewer when the last would be half a pair.
QString CutAtCharacter(QString text, int limit) {
    if (text.size() <= limit) {
        return text;
    }
    if (limit > 0 && text.at(limit - 1).isHighSurrogate()) {
        --limit;
    }
    text.truncate(limit);
    return text;
}

} // namespace

QString WidenText(const char* text) {
    if (text == nullptr) {
        return {};
    }
    return CutAtCharacter(QString::fromUtf8(text), textBufferSize - 1);
}

QString ReadBackText(const QString& text) {
    return CutAtCharacter(text, textBufferSize - 1);
}

int NarrowText(const QString& text, char* buffer, int capacity) {
    if (buffer == nullptr || capacity < 1) {
        return 0;
    }
    const QByteArray utf8 = text.toUtf8();
    const auto length = static_cast<int>(LineRules::FittingLength(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
        static_cast<std::size_t>(capacity - 1)));
    std::memcpy(buffer, utf8.constData(), static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return length;
}
