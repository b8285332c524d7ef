#pragma once

#include <cstdint>

// The handheld system's value types and dialog results under their own names, so that the
// settings key, the screens and their dialogs read as that system's programs do.
using BYTE = std::uint8_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;

// Results of message boxes and modal dialogs.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
