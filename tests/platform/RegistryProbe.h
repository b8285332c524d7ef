#pragma once

#include "Registry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

// Looks into the settings store the way a fresh copy of the program would.

// All bytes of a literal but its terminator, zero bytes within included.
template <std::size_t size> QByteArray Bytes(const char (&literal)[size]) {
    return QByteArray(literal, size - 1);
}

struct StoredValue {
    LONG result = ERROR_SUCCESS;
    DWORD type = 0;
    QByteArray data;
};

inline StoredValue Query(const char16_t* keyPath, const std::u16string& name) {
    StoredValue stored;
    HKEY key = nullptr;
    stored.result = RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key);
    if (stored.result != ERROR_SUCCESS) {
        return stored;
    }
    DWORD size = 0;
    stored.result = RegQueryValueEx(key, name.c_str(), nullptr, &stored.type, nullptr, &size);
    if (stored.result == ERROR_SUCCESS) {
        stored.data.resize(size);
        stored.result = RegQueryValueEx(key, name.c_str(), nullptr, &stored.type,
                                        reinterpret_cast<BYTE*>(stored.data.data()), &size);
    }
    RegCloseKey(key);
    return stored;
}

inline LONG Set(HKEY key, const std::u16string& name, DWORD type, const QByteArray& data) {
    return RegSetValueEx(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                         static_cast<DWORD>(data.size()));
}

// Creates the key when needed and sets the value.
inline LONG SetIn(const char16_t* keyPath, const char16_t* keyClass, const std::u16string& name,
                  DWORD type, const QByteArray& data) {
    HKEY key = nullptr;
    const LONG opened = RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, 0, keyClass, 0, KEY_ALL_ACCESS,
                                       nullptr, &key, nullptr);
    if (opened != ERROR_SUCCESS) {
        return opened;
    }
    const LONG result = Set(key, name, type, data);
    RegCloseKey(key);
    return result;
}

// The key's class, "<no key>" when there is no such key.
inline QString KeyClass(const char16_t* keyPath) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return QStringLiteral("<no key>");
    }
    char16_t keyClass[64] = {};
    DWORD length = 64;
    const LONG result = RegQueryInfoKey(key, keyClass, &length);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? QString::fromUtf16(keyClass, length)
                                   : QStringLiteral("<error>");
}

inline QByteArray StoreText() {
    QFile file(RegistryStoreFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteStoreText(const QByteArray& text) {
    QDir().mkpath(QFileInfo(RegistryStoreFile()).absolutePath());
    QFile file(RegistryStoreFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}
