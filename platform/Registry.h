#pragma once

#include "WinTypes.h"

#include <QString>

// The settings store: a tree of keys under HKEY_CURRENT_USER, each with a class and named values
// that keep their type and exact bytes. Key and value names are 16-bit text compared without
// regard to letter case; "\" separates the keys of a path.
//
// The store lives in a human-readable text file (RegistryStoreFile) that every call reads
// afresh, so several copies of the program see each other's changes. Changes are written under
// a lock file and replace the file atomically. A missing, unreadable or damaged file reads as
// empty (damaged lines are skipped); an unreadable file is never overwritten.

struct RegistryKey;
using HKEY = RegistryKey*;
using REGSAM = DWORD;

// The root of the current user's keys; always open, closing it does nothing.
extern const HKEY HKEY_CURRENT_USER;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

// Opens the key subKey below parent, creating it (and the keys above it) with keyClass when it
// does not exist. On success *result is a new handle for RegCloseKey and *disposition (when
// given) is REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY; an existing key keeps its class.
// Opening an existing key writes nothing. Fails with ERROR_ACCESS_DENIED, *result null, when the
// store cannot be read, or cannot be written to create the key. reserved, options, access and
// securityAttributes are accepted and ignored.
LONG RegCreateKeyEx(HKEY parent, const char16_t* subKey, DWORD reserved, const char16_t* keyClass,
                    DWORD options, REGSAM access, void* securityAttributes, HKEY* result,
                    DWORD* disposition);

// Opens an existing key; ERROR_FILE_NOT_FOUND, *result null, when there is none.
LONG RegOpenKeyEx(HKEY parent, const char16_t* subKey, DWORD options, REGSAM access, HKEY* result);

// Stores size bytes of data as the value valueName (null: the unnamed value) of key, with type,
// replacing any value of that name. Fails with ERROR_ACCESS_DENIED when the store cannot be
// written and ERROR_INVALID_PARAMETER when data is null but size is not 0.
LONG RegSetValueEx(HKEY key, const char16_t* valueName, DWORD reserved, DWORD type,
                   const BYTE* data, DWORD size);

// Reads the value valueName of key. type (when given) receives its type. With data null, *size
// receives the value's size. Otherwise *size is the capacity of data: a value that fits is
// copied and *size set to its size; a larger one gives ERROR_MORE_DATA, *size set to the size
// needed and data unchanged. A missing value or key gives ERROR_FILE_NOT_FOUND and changes
// nothing.
LONG RegQueryValueEx(HKEY key, const char16_t* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                     DWORD* size);

// Reads the class of key into keyClass, whose capacity in 16-bit characters (terminator
// included) is *classLength; *classLength becomes the class's length without terminator. A class
// that does not fit gives ERROR_MORE_DATA and leaves keyClass unchanged.
LONG RegQueryInfoKey(HKEY key, char16_t* keyClass, DWORD* classLength);

// Releases a handle from RegCreateKeyEx or RegOpenKeyEx.
LONG RegCloseKey(HKEY key);

// The file that holds the store: "tarvasto/registry.ini" in the user's configuration folder
// ($XDG_CONFIG_HOME, by default ~/.config), looked up afresh on every call.
QString RegistryStoreFile();
