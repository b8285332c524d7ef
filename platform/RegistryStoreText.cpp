#include "RegistryStoreText.h"

#include "Registry.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <optional>

namespace RegistryStoreText {

namespace {

const QByteArray classEntry = "@class";
const QByteArray storeHeading =
    "; tarvasto settings: one [section] per key, its class as @class and its values as\n"
    "; name=TYPE:data, where every byte other than printable ASCII is written as %XX.\n";

struct TypeName {
    DWORD type;
    const char* name;
};

constexpr TypeName typeNames[] = {
    {REG_NONE, "REG_NONE"},
    {REG_SZ, "REG_SZ"},
    {REG_BINARY, "REG_BINARY"},
    {REG_DWORD, "REG_DWORD"},
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

void AppendEscaped(QByteArray& out, unsigned char byte) {
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[byte >> 4];
    out += hex[byte & 0x0F];
}

// Names and classes: the characters that could be taken for the file's own syntax, spaces and
// control characters are escaped; letters beyond ASCII stay readable.
QByteArray EncodeName(const QString& name) {
    QByteArray out;
    for (char c : name.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || std::strchr("%=[];#@", c) != nullptr) {
            AppendEscaped(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

// Text values show their printable ASCII as it is; every other value is written byte by byte,
// so that the exact bytes survive any editor. A space at the end is escaped because line ends
// are trimmed.
QByteArray EncodeData(DWORD type, const QByteArray& data) {
    QByteArray out;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        const bool printable = byte >= 0x20 && byte < 0x7F && byte != '%';
        const bool lastSpace = byte == ' ' && i == data.size() - 1;
        if (type == REG_SZ && printable && !lastSpace) {
            out += data[i];
        } else {
            AppendEscaped(out, byte);
        }
    }
    return out;
}

QByteArray EncodeType(DWORD type) {
    for (const TypeName& known : typeNames) {
        if (known.type == type) {
            return known.name;
        }
    }
    return QByteArray::number(type);
}

std::optional<QByteArray> Decode(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// Key paths, classes and value names from their UTF-8 bytes. A U+FEFF at the start is part of
// the name, as it was when the name was written: QString::fromUtf8 would take it for a
// byte-order mark and drop it, and the name would read back as another.
QString NameFromUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

std::optional<DWORD> DecodeType(QByteArrayView token) {
    for (const TypeName& known : typeNames) {
        if (token == known.name) {
            return known.type;
        }
    }
    bool isNumber = false;
    const qulonglong number = token.toULongLong(&isNumber);
    if (!isNumber || number > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    return static_cast<DWORD>(number);
}

} // namespace

QString FoldedName(const QString& name) {
    return name.toCaseFolded();
}

bool SameName(const QString& a, const QString& b) {
    return FoldedName(a) == FoldedName(b);
}

StoredKey* FindKey(Store& store, const QString& path) {
    auto found = std::find_if(store.begin(), store.end(),
                              [&](const StoredKey& key) { return SameName(key.path, path); });
    return found == store.end() ? nullptr : &*found;
}

StoredKey& FindOrAddKey(Store& store, const QString& path) {
    if (StoredKey* key = FindKey(store, path)) {
        return *key;
    }
    store.push_back(StoredKey{path, QString(), {}});
    return store.back();
}

std::vector<StoredValue>::iterator FindValue(StoredKey& key, const QString& name) {
    return std::find_if(key.values.begin(), key.values.end(),
                        [&](const StoredValue& value) { return SameName(value.name, name); });
}

QByteArray FormatStore(const Store& store) {
    QByteArray out = storeHeading;
    for (const StoredKey& key : store) {
        out += "\n[" + EncodeName(key.path) + "]\n";
        out += classEntry + '=' + EncodeName(key.keyClass) + '\n';
        for (const StoredValue& value : key.values) {
            out += EncodeName(value.name) + '=' + EncodeType(value.type) + ':' +
                   EncodeData(value.type, value.data) + '\n';
        }
    }
    return out;
}

namespace {

// A section header "[path]" with its parts normalised, or nothing when the line is damaged.
std::optional<QString> ParseSection(QByteArrayView line) {
    if (!line.endsWith(']')) {
        return std::nullopt;
    }
    const std::optional<QByteArray> path = Decode(line.sliced(1, line.size() - 2));
    if (!path) {
        return std::nullopt;
    }
    const QStringList parts = NameFromUtf8(*path).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    return parts.join(QLatin1Char('\\'));
}

// Adds the entry "name=TYPE:data" or "@class=text" to key; false when the line is damaged. A
// value is appended even when key has one of its name: KeepLastOfEachName settles that once the
// whole file is read.
bool ParseEntry(QByteArrayView line, StoredKey& key) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) {
        return false;
    }
    const QByteArrayView rawName = line.first(equals).trimmed();
    const QByteArrayView rest = line.sliced(equals + 1).trimmed();
    if (rawName == classEntry) {
        const std::optional<QByteArray> keyClass = Decode(rest);
        if (!keyClass) {
            return false;
        }
        key.keyClass = NameFromUtf8(*keyClass);
        return true;
    }
    const qsizetype colon = rest.indexOf(':');
    if (colon < 0) {
        return false;
    }
    const std::optional<QByteArray> name = Decode(rawName);
    const std::optional<DWORD> type = DecodeType(rest.first(colon));
    const std::optional<QByteArray> data = Decode(rest.sliced(colon + 1));
    if (!name || !type || !data) {
        return false;
    }
    key.values.push_back(StoredValue{NameFromUtf8(*name), *type, *data});
    return true;
}

// Of the values of one name, keeps the last, where the last stands.
void KeepLastOfEachName(StoredKey& key) {
    QSet<QString> seen;
    std::vector<StoredValue> kept;
    for (auto value = key.values.rbegin(); value != key.values.rend(); ++value) {
        const QString folded = FoldedName(value->name);
        if (!seen.contains(folded)) {
            seen.insert(folded);
            kept.push_back(std::move(*value));
        }
    }
    std::reverse(kept.begin(), kept.end());
    key.values = std::move(kept);
}

bool HasControlCharacters(QByteArrayView line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7F;
    });
}

} // namespace

Store ParseStore(QByteArrayView text) {
    Store store;
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.sliced(3);
    }
    // Keys are found by folded path in a hash, and repeated value names are settled at the end,
    // so that a damaged file of many sections or values takes time in proportion to its size, not
    // to its square.
    QHash<QString, std::size_t> keyAt;
    StoredKey* current = nullptr;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) {
            end = text.size();
        }
        QByteArrayView line = text.sliced(start, end - start);
        start = end + 1;
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) {
            continue;
        }
        if (HasControlCharacters(line)) {
            continue;
        }
        if (line.startsWith('[')) {
            const std::optional<QString> path = ParseSection(line);
            current = nullptr;
            if (path) {
                auto at = keyAt.constFind(FoldedName(*path));
                if (at == keyAt.cend()) {
                    at = keyAt.insert(FoldedName(*path), store.size());
                    store.push_back(StoredKey{*path, QString(), {}});
                }
                current = &store[at.value()];
            }
            continue;
        }
        if (current != nullptr) {
            ParseEntry(line, *current);
        }
    }
    for (StoredKey& key : store) {
        KeepLastOfEachName(key);
    }
    return store;
}

} // namespace RegistryStoreText
