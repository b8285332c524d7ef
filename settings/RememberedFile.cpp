#include "RememberedFile.h"

#include "CSettingsKey.h"

#include <cstdint>

namespace {

const char programName[] = "tarvasto";
const char rememberedFileValue[] = "defaultFileName";
const char rememberedWindowValue[] = "windowPlacement";

} // namespace

void ReadRememberedFile(char (&buffer)[1024]) {
    CSettingsKey key;
    key.OpenKey(programName, programName, 1);
    key.ReadString(rememberedFileValue, defaultRememberedFile, buffer, sizeof buffer);
    key.CloseKey();
}

void StoreRememberedFile(const char* fileName) {
    if (fileName == nullptr || fileName[0] == '\0') {
        return;
    }
    CSettingsKey key;
    key.OpenKey(programName, programName, 1);
    key.WriteString(rememberedFileValue, fileName);
    key.CloseKey();
}

void ReadRememberedWindow(char (&buffer)[1024]) {
    CSettingsKey key;
    key.OpenKey(programName, programName, 1);
    key.ReadString(rememberedWindowValue, "", buffer, sizeof buffer);
    key.CloseKey();
}

void StoreRememberedWindow(const char* placement) {
    if (placement == nullptr) {
        return;
    }
    CSettingsKey key;
    key.OpenKey(programName, programName, 1);
    key.WriteString(rememberedWindowValue, placement);
    key.CloseKey();
}

bool ReadRememberedSwitch(const char* valueName, bool byDefault) {
    // A value that is neither 0 nor 1 was not stored by the program: the default holds.
    return ReadRememberedNumber(valueName, 0, 1, byDefault ? 1 : 0) == 1;
}

void StoreRememberedSwitch(const char* valueName, bool on) {
    CSettingsKey key;
    key.OpenKey(programName, programName, 1);
    key.WriteNumber(valueName, on ? 1 : 0);
    key.CloseKey();
}

int ReadRememberedNumber(const char* valueName, int lowest, int highest, int byDefault) {
    CSettingsKey key;
    key.OpenKey(programName, programName, 1);
    // A new key must not receive this value before the remembered file: nothing is read then.
    const bool known = key.disposition != REG_CREATED_NEW_KEY;
    const auto fallback = static_cast<DWORD>(byDefault);
    const DWORD stored = known ? key.ReadNumber(valueName, fallback) : fallback;
    key.CloseKey();
    const auto number = static_cast<long long>(static_cast<std::int32_t>(stored));
    return number >= lowest && number <= highest ? static_cast<int>(number) : byDefault;
}

void StoreRememberedNumber(const char* valueName, int value) {
    CSettingsKey key;
    key.OpenKey(programName, programName, 1);
    key.WriteNumber(valueName, static_cast<DWORD>(value));
    key.CloseKey();
}
