#pragma once

// The path of the checklist file in use, remembered between runs as the value
// "defaultFileName" of the program's settings key "Software\Velmora\tarvasto", and beside it the
// size and place of the program's window as "windowPlacement" and the screen's switches (such as
// "keepTicks") as numbers, 1 for on and 0 for off.

// The path remembered first: the one a new key receives.
inline constexpr char defaultRememberedFile[] = "\\my documents\\aviation.ckl";

// The path to open at start-up, always terminated within buffer. At the first start (no key
// yet) creates the key and remembers defaultRememberedFile; yields defaultRememberedFile also
// when the key has no such value or the store cannot be used. A stored path too long for buffer
// is cut at a character boundary.
void ReadRememberedFile(char (&buffer)[1024]);

// Remembers fileName for the next start. A null or empty fileName (a document that was never
// saved under a name) stores nothing, so the path remembered before stays.
void StoreRememberedFile(const char* fileName);

// The window placement stored last, always terminated within buffer; empty when none was stored
// or the store cannot be used. Read it after ReadRememberedFile, which must be the first to open
// a new key so that the key receives the default path.
void ReadRememberedWindow(char (&buffer)[1024]);

// Remembers placement (text of the screen's own making) for the next start; null stores nothing.
void StoreRememberedWindow(const char* placement);

// The switches of the screen that are remembered between runs.
inline constexpr char keepTicksSwitch[] = "keepTicks";
inline constexpr char nightColoursSwitch[] = "nightColours";
inline constexpr char readAloudSwitch[] = "readAloud";
// The size of the screen's text, in percent of the normal size.
inline constexpr char textSizeNumber[] = "textSize";

// Whether the switch valueName was last turned on; byDefault when it was never stored, was
// stored as anything but 0 or 1, or the store cannot be used. Read it after ReadRememberedFile,
// for the same reason as the window placement.
bool ReadRememberedSwitch(const char* valueName, bool byDefault);
// Remembers the switch valueName as on or off.
void StoreRememberedSwitch(const char* valueName, bool on);

// The number valueName stored last, when it lies within lowest to highest; byDefault otherwise,
// or when none was stored or the store cannot be used. Read it after ReadRememberedFile.
int ReadRememberedNumber(const char* valueName, int lowest, int highest, int byDefault);
// Remembers value as the number valueName.
void StoreRememberedNumber(const char* valueName, int value);
