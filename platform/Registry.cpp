#include "Registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

// A handle names its key by path; the key itself lives in the store file.
struct RegistryKey {
    QString path;
};

namespace {

RegistryKey currentUserRoot{QStringLiteral("HKEY_CURRENT_USER")};

// Larger files are not settings written by this program; they are left alone.
constexpr qint64 largestStore = 4 * 1024 * 1024;
// A writer holds the lock for one read and one write of a small file.
constexpr int lockWaitMs = 10000;

const QByteArray classEntry = "@class";
const QByteArray storeHeading =
    "; tarvasto settings: one [section] per key, its class as @class and its values as\n"
    "; name=TYPE:data, where every byte other than printable ASCII is written as %XX.\n";

struct StoredValue {
    QString name;
    DWORD type;
    QByteArray data;
};

struct StoredKey {
    QString path;
    QString keyClass;
    std::vector<StoredValue> values;
};

using Store = std::vector<StoredKey>;

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

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// path joined with the keys of subKey; empty parts ("a\\b", a leading "\") are skipped.
QString JoinPath(const QString& path, const char16_t* subKey) {
    QString joined = path;
    if (subKey == nullptr) {
        return joined;
    }
    const QStringList parts =
        QString::fromUtf16(subKey).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        joined += QLatin1Char('\\') + part;
    }
    return joined;
}

QString ValueName(const char16_t* valueName) {
    return valueName == nullptr ? QString() : QString::fromUtf16(valueName);
}

// A key exists when it has a section of its own or lies above one.
bool KeyExists(const Store& store, const QString& path) {
    if (SameName(path, currentUserRoot.path)) {
        return true;
    }
    const QString below = path + QLatin1Char('\\');
    return std::any_of(store.begin(), store.end(), [&](const StoredKey& key) {
        return SameName(key.path, path) || key.path.startsWith(below, Qt::CaseInsensitive);
    });
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

// ---- The text form of the store ----

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

// A section header "[path]" with its parts normalised, or nothing when the line is damaged.
std::optional<QString> ParseSection(QByteArrayView line) {
    if (!line.endsWith(']')) {
        return std::nullopt;
    }
    const std::optional<QByteArray> path = Decode(line.sliced(1, line.size() - 2));
    if (!path) {
        return std::nullopt;
    }
    const QStringList parts = QString::fromUtf8(*path).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    return parts.join(QLatin1Char('\\'));
}

// Adds the entry "name=TYPE:data" or "@class=text" to key; false when the line is damaged.
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
        key.keyClass = QString::fromUtf8(*keyClass);
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
    const QString valueName = QString::fromUtf8(*name);
    const auto existing = FindValue(key, valueName);
    if (existing != key.values.end()) {
        key.values.erase(existing);
    }
    key.values.push_back(StoredValue{valueName, *type, *data});
    return true;
}

bool HasControlCharacters(QByteArrayView line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7F;
    });
}

// Reads every well-formed section and entry; damaged lines, and the entries under a damaged
// section header, are skipped.
Store ParseStore(QByteArrayView text) {
    Store store;
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.sliced(3);
    }
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
            current = path ? &FindOrAddKey(store, *path) : nullptr;
            continue;
        }
        if (current != nullptr) {
            ParseEntry(line, *current);
        }
    }
    return store;
}

// ---- Reading and writing the file ----

// The store as the file holds it now; nothing when the file exists but cannot be read.
std::optional<Store> LoadStore(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists()) {
        return Store();
    }
    QFile file(fileName);
    if (!info.isFile() || info.size() > largestStore || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray text = file.read(largestStore + 1);
    if (file.error() != QFileDevice::NoError || text.size() > largestStore) {
        return std::nullopt;
    }
    return ParseStore(text);
}

// Runs change on the current store under the writers' lock and writes the result back when
// change returns true. Returns change's result code, or ERROR_ACCESS_DENIED when the store
// cannot be locked, read or written.
template <typename Change> LONG ChangeStore(Change change) {
    const QString fileName = RegistryStoreFile();
    if (!QDir().mkpath(QFileInfo(fileName).absolutePath())) {
        return ERROR_ACCESS_DENIED;
    }
    QLockFile lock(fileName + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMs)) {
        return ERROR_ACCESS_DENIED;
    }
    std::optional<Store> store = LoadStore(fileName);
    if (!store) {
        return ERROR_ACCESS_DENIED;
    }
    LONG result = ERROR_SUCCESS;
    if (!change(*store, result)) {
        return result;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        return ERROR_ACCESS_DENIED;
    }
    const QByteArray text = FormatStore(*store);
    if (file.write(text) != text.size() || !file.commit()) {
        return ERROR_ACCESS_DENIED;
    }
    return result;
}

Store CurrentStore() {
    return LoadStore(RegistryStoreFile()).value_or(Store());
}

} // namespace

const HKEY HKEY_CURRENT_USER = &currentUserRoot;

QString RegistryStoreFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tarvasto/registry.ini");
}

LONG RegCreateKeyEx(HKEY parent, const char16_t* subKey, DWORD /*reserved*/,
                    const char16_t* keyClass, DWORD /*options*/, REGSAM /*access*/,
                    void* /*securityAttributes*/, HKEY* result, DWORD* disposition) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    if (parent == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    const QString path = JoinPath(parent->path, subKey);
    const std::optional<Store> store = LoadStore(RegistryStoreFile());
    if (!store) {
        return ERROR_ACCESS_DENIED;
    }
    bool created = false;
    if (!KeyExists(*store, path)) {
        // Another copy may have created the key since; only the locked look decides.
        const LONG status = ChangeStore([&](Store& locked, LONG&) {
            if (KeyExists(locked, path)) {
                return false;
            }
            locked.push_back(StoredKey{path, ValueName(keyClass), {}});
            created = true;
            return true;
        });
        if (status != ERROR_SUCCESS) {
            return status;
        }
    }
    *result = new RegistryKey{path};
    if (disposition != nullptr) {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
}

LONG RegOpenKeyEx(HKEY parent, const char16_t* subKey, DWORD /*options*/, REGSAM /*access*/,
                  HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    if (parent == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    const QString path = JoinPath(parent->path, subKey);
    if (!KeyExists(CurrentStore(), path)) {
        return ERROR_FILE_NOT_FOUND;
    }
    *result = new RegistryKey{path};
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, const char16_t* valueName, DWORD /*reserved*/, DWORD type,
                   const BYTE* data, DWORD size) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (data == nullptr && size != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    const QString name = ValueName(valueName);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    return ChangeStore([&](Store& store, LONG&) {
        StoredKey& stored = FindOrAddKey(store, key->path);
        const auto existing = FindValue(stored, name);
        if (existing != stored.values.end()) {
            existing->type = type;
            existing->data = bytes;
        } else {
            stored.values.push_back(StoredValue{name, type, bytes});
        }
        return true;
    });
}

LONG RegQueryValueEx(HKEY key, const char16_t* valueName, DWORD* /*reserved*/, DWORD* type,
                     BYTE* data, DWORD* size) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (data != nullptr && size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    Store store = CurrentStore();
    StoredKey* stored = FindKey(store, key->path);
    if (stored == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    const auto value = FindValue(*stored, ValueName(valueName));
    if (value == stored->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    const auto needed = static_cast<DWORD>(value->data.size());
    if (data == nullptr) {
        if (size != nullptr) {
            *size = needed;
        }
        return ERROR_SUCCESS;
    }
    if (needed > *size) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, value->data.constData(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegQueryInfoKey(HKEY key, char16_t* keyClass, DWORD* classLength) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (classLength == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    Store store = CurrentStore();
    if (!KeyExists(store, key->path)) {
        return ERROR_FILE_NOT_FOUND;
    }
    const StoredKey* stored = FindKey(store, key->path);
    const QString storedClass = stored == nullptr ? QString() : stored->keyClass;
    const auto length = static_cast<DWORD>(storedClass.size());
    if (keyClass == nullptr || length + 1 > *classLength) {
        *classLength = length;
        return keyClass == nullptr ? ERROR_SUCCESS : ERROR_MORE_DATA;
    }
    std::copy(storedClass.utf16(), storedClass.utf16() + length, keyClass);
    keyClass[length] = u'\0';
    *classLength = length;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (key != HKEY_CURRENT_USER) {
        delete key;
    }
    return ERROR_SUCCESS;
}
