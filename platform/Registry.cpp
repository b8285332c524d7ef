#include "Registry.h"

#include "RegistryStoreText.h"

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

// A handle names its key by path; the key itself lives in the store file.
struct RegistryKey {
    QString path;
};

using namespace RegistryStoreText;

namespace {

RegistryKey currentUserRoot{QStringLiteral("HKEY_CURRENT_USER")};

// Larger files are not settings written by this program; they are left alone.
constexpr qint64 largestStore = 4 * 1024 * 1024;
// A writer holds the lock for one read and one write of a small file.
constexpr int lockWaitMs = 10000;

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
