#include "CSettingsKey.h"

#include "LineRules.h"

#include <QString>
#include <QtEndian>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

const char keyPathPrefix[] = "Software\\Velmora\\";
constexpr std::size_t keyPathBytes = 256;
constexpr std::size_t wideNameChars = 256;
constexpr std::size_t joinedNameBytes = 1024;

// Copies length bytes of text into buffer as a terminated string, cut to fit; text may lie
// within buffer.
void CopyText(char* buffer, std::size_t bufferSize, const char* text, std::size_t length) {
    const std::size_t fitting =
        LineRules::FittingLength(std::string_view(text, length), bufferSize - 1);
    std::memmove(buffer, text, fitting);
    buffer[fitting] = '\0';
}

void CopyText(char* buffer, std::size_t bufferSize, const char* text) {
    CopyText(buffer, bufferSize, text, std::strlen(text));
}

// The length of the text in data (size bytes): up to its first zero byte, or all of it.
std::size_t TextLength(const char* data, std::size_t size) {
    const void* zero = std::memchr(data, '\0', size);
    return zero == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(zero) - data);
}

// Names pass to the store as 16-bit text; a name too long is cut between characters.
void Widen(const char* text, char16_t (&wide)[wideNameChars]) {
    QString converted = QString::fromUtf8(text == nullptr ? "" : text);
    qsizetype length = std::min<qsizetype>(converted.size(), wideNameChars - 1);
    if (length < converted.size() && length > 0 && converted.at(length - 1).isHighSurrogate()) {
        --length;
    }
    std::copy(converted.utf16(), converted.utf16() + length, wide);
    wide[length] = u'\0';
}

DWORD Capacity(std::size_t bufferSize) {
    return static_cast<DWORD>(std::min<std::size_t>(bufferSize, std::numeric_limits<DWORD>::max()));
}

} // namespace

CSettingsKey::~CSettingsKey() {
    CloseKey();
}

void CSettingsKey::OpenKey(const char* labelText, const char* applicationName, std::int32_t mode) {
    CloseKey();
    const char* name = applicationName == nullptr ? "" : applicationName;
    openMode = mode;
    disposition = 0;
    if (mode != 0) {
        const std::string joined = keyPathPrefix + std::string(name);
        char keyPath[keyPathBytes];
        CopyText(keyPath, sizeof keyPath, joined.c_str(), joined.size());
        char16_t widePath[wideNameChars];
        char16_t wideClass[wideNameChars];
        Widen(keyPath, widePath);
        Widen(name, wideClass);
        RegCreateKeyEx(HKEY_CURRENT_USER, widePath, 0, wideClass, 0, KEY_ALL_ACCESS, nullptr,
                       &keyHandle, &disposition);
    }
    CopyText(label, sizeof label, labelText == nullptr ? "" : labelText);
    CopyText(appName, sizeof appName, name);
}

void CSettingsKey::OpenKey(const char* labelText, const char* applicationName,
                           const char* subKeyName, std::int32_t mode) {
    const std::string joined = std::string(applicationName == nullptr ? "" : applicationName) +
                               '\\' + (subKeyName == nullptr ? "" : subKeyName);
    char joinedName[joinedNameBytes];
    CopyText(joinedName, sizeof joinedName, joined.c_str(), joined.size());
    OpenKey(labelText, joinedName, mode);
}

void CSettingsKey::CloseKey() {
    if (openMode != 0 && keyHandle != nullptr) {
        RegCloseKey(keyHandle);
    }
    keyHandle = nullptr;
}

void CSettingsKey::ReadString(const char* valueName, const char* defaultText, char* buffer,
                              std::size_t bufferSize) {
    if (buffer == nullptr || bufferSize == 0) {
        return;
    }
    const char* fallback = defaultText == nullptr ? "" : defaultText;
    if (IsOpen() && disposition == REG_CREATED_NEW_KEY) {
        WriteString(valueName, fallback);
    }
    CopyText(buffer, bufferSize, fallback);
    if (!IsOpen() || disposition == REG_CREATED_NEW_KEY) {
        return;
    }
    char16_t wideName[wideNameChars];
    Widen(valueName, wideName);
    DWORD size = Capacity(bufferSize - 1);
    const LONG result = RegQueryValueEx(keyHandle, wideName, nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(buffer), &size);
    if (result == ERROR_SUCCESS) {
        // A value stored without its terminating zero byte still ends within the buffer.
        buffer[size] = '\0';
    } else if (result == ERROR_MORE_DATA) {
        std::vector<char> whole(size);
        DWORD wholeSize = size;
        if (RegQueryValueEx(keyHandle, wideName, nullptr, nullptr,
                            reinterpret_cast<BYTE*>(whole.data()), &wholeSize) == ERROR_SUCCESS) {
            CopyText(buffer, bufferSize, whole.data(), TextLength(whole.data(), wholeSize));
        }
    }
}

void CSettingsKey::WriteString(const char* valueName, const char* text) {
    if (text == nullptr) {
        return;
    }
    const std::size_t size = std::strlen(text) + 1;
    if (size > std::numeric_limits<DWORD>::max()) {
        return;
    }
    Write(valueName, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(size));
}

DWORD CSettingsKey::ReadNumber(const char* valueName, DWORD defaultValue) {
    if (IsOpen() && disposition == REG_CREATED_NEW_KEY) {
        WriteNumber(valueName, defaultValue);
        return defaultValue;
    }
    BYTE bytes[sizeof(DWORD)];
    if (!ReadExact(valueName, bytes, sizeof bytes)) {
        return defaultValue;
    }
    return qFromLittleEndian<DWORD>(bytes);
}

void CSettingsKey::WriteNumber(const char* valueName, DWORD value) {
    BYTE bytes[sizeof(DWORD)];
    qToLittleEndian<DWORD>(value, bytes);
    Write(valueName, REG_DWORD, bytes, sizeof bytes);
}

CSettingsKey::BinaryValue CSettingsKey::ReadBinary(const char* valueName,
                                                   const BinaryValue& defaultValue) {
    if (IsOpen() && disposition == REG_CREATED_NEW_KEY) {
        WriteBinary(valueName, defaultValue);
        return defaultValue;
    }
    BinaryValue value = defaultValue;
    ReadExact(valueName, value.data(), static_cast<DWORD>(value.size()));
    return value;
}

void CSettingsKey::WriteBinary(const char* valueName, const BinaryValue& value) {
    Write(valueName, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
}

bool CSettingsKey::ReadExact(const char* valueName, BYTE* data, DWORD size) {
    if (!IsOpen()) {
        return false;
    }
    char16_t wideName[wideNameChars];
    Widen(valueName, wideName);
    BYTE stored[sizeof(BinaryValue)];
    DWORD storedSize = sizeof stored;
    if (RegQueryValueEx(keyHandle, wideName, nullptr, nullptr, stored, &storedSize) !=
            ERROR_SUCCESS ||
        storedSize != size) {
        return false;
    }
    std::memcpy(data, stored, size);
    return true;
}

void CSettingsKey::Write(const char* valueName, DWORD type, const BYTE* data, DWORD size) {
    if (!IsOpen()) {
        return;
    }
    char16_t wideName[wideNameChars];
    Widen(valueName, wideName);
    RegSetValueEx(keyHandle, wideName, 0, type, data, size);
}
