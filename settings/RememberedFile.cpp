#include "RememberedFile.h"

#include "CSettingsKey.h"

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
