#pragma once

#include "Registry.h"

#include <array>
#include <cstddef>
#include <cstdint>

// One of the program's keys in the settings store, "Software\Velmora\<application name>" under
// HKEY_CURRENT_USER, opened (and created when needed) for a read or a write and closed again.
// Values are 8-bit text, 32-bit numbers (REG_DWORD) and raw 8-byte values (REG_BINARY). Names
// are 8-bit (UTF-8) text. No failure of the store is reported: a read that cannot reach a stored
// value yields its default, a write that cannot be made does nothing.
class CSettingsKey {
public:
    using BinaryValue = std::array<BYTE, 8>;

    CSettingsKey() = default;
    // Closes a key still open.
    ~CSettingsKey();
    CSettingsKey(const CSettingsKey&) = delete;
    CSettingsKey& operator=(const CSettingsKey&) = delete;

    // With a nonzero mode, creates or opens "Software\Velmora\<applicationName>" with
    // applicationName as its class and records the handle (null when the key can neither be
    // created nor opened) and disposition; with mode 0 opens nothing. Either way copies
    // labelText (empty when null) and applicationName into label and appName. Texts too long for
    // their fields or for the 256-byte key path are cut at a character boundary.
    void OpenKey(const char* labelText, const char* applicationName, std::int32_t mode);
    // The same for the key below it: "<applicationName>\<subKeyName>" takes the place of the
    // application name.
    void OpenKey(const char* labelText, const char* applicationName, const char* subKeyName,
                 std::int32_t mode);
    // Closes the key when one was opened; closing twice is harmless.
    void CloseKey();

    // Fills buffer (bufferSize bytes) with the stored value valueName as 8-bit text, always
    // terminated and cut at a character boundary when too long, or with defaultText when there
    // is no such value. When this open created the key, stores defaultText first. Another type
    // of value is read as text all the same.
    void ReadString(const char* valueName, const char* defaultText, char* buffer,
                    std::size_t bufferSize);
    // Stores text and its terminating zero byte as the REG_SZ value valueName. A null text
    // stores nothing.
    void WriteString(const char* valueName, const char* text);

    // The stored 4-byte value valueName, or defaultValue when there is none of that size; when
    // this open created the key, stores defaultValue first (REG_DWORD).
    DWORD ReadNumber(const char* valueName, DWORD defaultValue);
    void WriteNumber(const char* valueName, DWORD value);

    // The stored 8-byte value valueName, or defaultValue when there is none of that size; when
    // this open created the key, stores defaultValue first (REG_BINARY).
    BinaryValue ReadBinary(const char* valueName, const BinaryValue& defaultValue);
    void WriteBinary(const char* valueName, const BinaryValue& value);

    HKEY keyHandle = nullptr;
    // REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY, as reported when the key was opened.
    DWORD disposition = 0;
    char label[260] = {};
    char appName[260] = {};
    // The mode given to OpenKey; nonzero means that a key was to be opened.
    std::int32_t openMode = 0;

private:
    // True when values can be read from and written to the key.
    bool IsOpen() const { return openMode != 0 && keyHandle != nullptr; }
    // Reads a value of exactly size bytes into data; false (data unchanged) otherwise.
    bool ReadExact(const char* valueName, BYTE* data, DWORD size);
    void Write(const char* valueName, DWORD type, const BYTE* data, DWORD size);
};
