#include "TextConversion.h"

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

// Number of bytes of the UTF-8 character that begins with lead; 1 for a stray byte.
int Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
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
    const int room = capacity - 1;
    int length = 0;
    while (length < utf8.size()) {
        const int next = length + Utf8SequenceLength(static_cast<unsigned char>(utf8[length]));
        if (next > room || next > utf8.size()) {
            break;
        }
        length = next;
    }
    std::memcpy(buffer, utf8.constData(), static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return length;
}
