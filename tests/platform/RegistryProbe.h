#pragma once

#include "IsolatedHome.h"
#include "Registry.h"

#include <QFile>
#include <QFileInfo>

// Looks into the settings store, in an isolated home, the way a fresh copy of the program would.

// All bytes of a literal but its terminator, zero bytes within included.
template <std::size_t size> QByteArray Bytes(const char (&literal)[size]) {
    return QByteArray(literal, size - 1);
}

using KeyHandle = std::unique_ptr<RegistryKey, decltype(&RegCloseKey)>;

// Opens the key at keyPath, creating it with keyClass when one is given; null when that fails.
inline KeyHandle Open(const char16_t* keyPath, const char16_t* keyClass = nullptr,
                      DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    keyClass == nullptr ? RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key)
                        : RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, 0, keyClass, 0, KEY_ALL_ACCESS,
                                         nullptr, &key, disposition);
    return KeyHandle(key, &RegCloseKey);
}

struct StoredValue {
    LONG result = ERROR_FILE_NOT_FOUND;
    DWORD type = 0;
    QByteArray data; // empty unless the value was read
};

inline StoredValue Query(const char16_t* keyPath, const std::u16string& name) {
    StoredValue stored{ERROR_FILE_NOT_FOUND, 0, QByteArray(8192, '\0')};
    auto size = static_cast<DWORD>(stored.data.size());
    if (const KeyHandle key = Open(keyPath)) {
        stored.result = RegQueryValueEx(key.get(), name.c_str(), nullptr, &stored.type,
                                        reinterpret_cast<BYTE*>(stored.data.data()), &size);
    }
    stored.data.resize(stored.result == ERROR_SUCCESS ? size : 0);
    return stored;
}

// Creates the key with keyClass when needed and sets the value.
inline LONG SetIn(const char16_t* keyPath, const char16_t* keyClass, const std::u16string& name,
                  DWORD type, const QByteArray& data) {
    const KeyHandle key = Open(keyPath, keyClass);
    return RegSetValueEx(key.get(), name.c_str(), 0, type,
                         reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()));
}

// The key's class, "<no key>" when there is no such key.
inline QString KeyClass(const char16_t* keyPath) {
    char16_t keyClass[64] = {};
    DWORD length = 64;
    const KeyHandle key = Open(keyPath);
    return key && RegQueryInfoKey(key.get(), keyClass, &length) == ERROR_SUCCESS
               ? QString::fromUtf16(keyClass, length)
               : QStringLiteral("<no key>");
}

inline QByteArray StoreText() {
    QFile file(RegistryStoreFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteStoreText(const QByteArray& text) {
    QDir().mkpath(QFileInfo(RegistryStoreFile()).absolutePath());
    QFile file(RegistryStoreFile());
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
}
