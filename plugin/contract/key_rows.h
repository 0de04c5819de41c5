// The keys of the PC keyboard by the names people write ("F11", "Up",
// "Enter"), with the code each gives plain, with Shift, with Ctrl and with
// Alt.  One table for the stand-in host (which turns console keys into codes
// with it and names codes in its messages) and for the recorder (which names
// its hot keys in its notices as people write keys: "Alt+F11").  Header only:
// a plug-in that names no key carries none of it.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace host {

// One row: a Windows virtual-key code, the key's name, and its code plain,
// with Shift, with Ctrl and with Alt.  0 in a column means that the key gives
// no special code that way (the typed character counts instead).
struct KeyRow {
  uint16_t virtualKey;
  const char *name;
  uint16_t plain, shift, ctrl, alt;
};

// Windows virtual-key codes of the rows below.
enum : uint16_t {
  kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkShift = 0x10, kVkControl = 0x11,
  kVkMenu = 0x12, kVkPause = 0x13, kVkCapital = 0x14, kVkEscape = 0x1B, kVkPrior = 0x21,
  kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24, kVkLeft = 0x25, kVkUp = 0x26,
  kVkRight = 0x27, kVkDown = 0x28, kVkInsert = 0x2D, kVkDelete = 0x2E, kVkLWin = 0x5B,
  kVkRWin = 0x5C, kVkApps = 0x5D, kVkF1 = 0x70, kVkNumLock = 0x90, kVkScroll = 0x91,
};

// The PC BIOS codes, one row per key: plain, Shift, Ctrl, Alt.
inline constexpr KeyRow kKeyRows[] = {
    // Function keys.
    {kVkF1 + 0, "F1", 0x3B00, 0x5400, 0x5E00, 0x6800},
    {kVkF1 + 1, "F2", 0x3C00, 0x5500, 0x5F00, 0x6900},
    {kVkF1 + 2, "F3", 0x3D00, 0x5600, 0x6000, 0x6A00},
    {kVkF1 + 3, "F4", 0x3E00, 0x5700, 0x6100, 0x6B00},
    {kVkF1 + 4, "F5", 0x3F00, 0x5800, 0x6200, 0x6C00},
    {kVkF1 + 5, "F6", 0x4000, 0x5900, 0x6300, 0x6D00},
    {kVkF1 + 6, "F7", 0x4100, 0x5A00, 0x6400, 0x6E00},
    {kVkF1 + 7, "F8", 0x4200, 0x5B00, 0x6500, 0x6F00},
    {kVkF1 + 8, "F9", 0x4300, 0x5C00, 0x6600, 0x7000},
    {kVkF1 + 9, "F10", 0x4400, 0x5D00, 0x6700, 0x7100},
    {kVkF1 + 10, "F11", 0x8500, 0x8700, 0x8900, 0x8B00},
    {kVkF1 + 11, "F12", 0x8600, 0x8800, 0x8A00, 0x8C00},
    // Cursor keys: Shift gives the plain code, as the BIOS does.
    {kVkUp, "Up", 0x4800, 0x4800, 0x8D00, 0x9800},
    {kVkDown, "Down", 0x5000, 0x5000, 0x9100, 0xA000},
    {kVkLeft, "Left", 0x4B00, 0x4B00, 0x7300, 0x9B00},
    {kVkRight, "Right", 0x4D00, 0x4D00, 0x7400, 0x9D00},
    {kVkHome, "Home", 0x4700, 0x4700, 0x7700, 0x9700},
    {kVkEnd, "End", 0x4F00, 0x4F00, 0x7500, 0x9F00},
    {kVkPrior, "PgUp", 0x4900, 0x4900, 0x8400, 0x9900},
    {kVkNext, "PgDn", 0x5100, 0x5100, 0x7600, 0xA100},
    {kVkInsert, "Ins", 0x5200, 0x5200, 0x9200, 0xA200},
    {kVkDelete, "Del", 0x5300, 0x5300, 0x9300, 0xA300},
    // Keys that type a control character.
    {kVkReturn, "Enter", 13, 13, 10, 0x1C00},
    {kVkTab, "Tab", 9, 0x0F00, 0x9400, 0xA500},
    {kVkBack, "Backspace", 8, 8, 0x7F, 0x0E00},
    {kVkEscape, "Esc", 27, 27, 27, 0x0100},
    // Alt with a letter or a digit: the scan code alone.
    {'Q', "Q", 0, 0, 0, 0x1000}, {'W', "W", 0, 0, 0, 0x1100}, {'E', "E", 0, 0, 0, 0x1200},
    {'R', "R", 0, 0, 0, 0x1300}, {'T', "T", 0, 0, 0, 0x1400}, {'Y', "Y", 0, 0, 0, 0x1500},
    {'U', "U", 0, 0, 0, 0x1600}, {'I', "I", 0, 0, 0, 0x1700}, {'O', "O", 0, 0, 0, 0x1800},
    {'P', "P", 0, 0, 0, 0x1900}, {'A', "A", 0, 0, 0, 0x1E00}, {'S', "S", 0, 0, 0, 0x1F00},
    {'D', "D", 0, 0, 0, 0x2000}, {'F', "F", 0, 0, 0, 0x2100}, {'G', "G", 0, 0, 0, 0x2200},
    {'H', "H", 0, 0, 0, 0x2300}, {'J', "J", 0, 0, 0, 0x2400}, {'K', "K", 0, 0, 0, 0x2500},
    {'L', "L", 0, 0, 0, 0x2600}, {'Z', "Z", 0, 0, 0, 0x2C00}, {'X', "X", 0, 0, 0, 0x2D00},
    {'C', "C", 0, 0, 0, 0x2E00}, {'V', "V", 0, 0, 0, 0x2F00}, {'B', "B", 0, 0, 0, 0x3000},
    {'N', "N", 0, 0, 0, 0x3100}, {'M', "M", 0, 0, 0, 0x3200},
    {'1', "1", 0, 0, 0, 0x7800}, {'2', "2", 0, 0, 0, 0x7900}, {'3', "3", 0, 0, 0, 0x7A00},
    {'4', "4", 0, 0, 0, 0x7B00}, {'5', "5", 0, 0, 0, 0x7C00}, {'6', "6", 0, 0, 0, 0x7D00},
    {'7', "7", 0, 0, 0, 0x7E00}, {'8', "8", 0, 0, 0, 0x7F00}, {'9', "9", 0, 0, 0, 0x8000},
    {'0', "0", 0, 0, 0, 0x8100},
};
inline constexpr size_t kKeyRowCount = sizeof kKeyRows / sizeof kKeyRows[0];

// The modifiers in the order a name is looked for: plain first, so that
// shared codes (Shift+Up is Up) read plainly.
struct KeyModifier {
  const char *prefix;
  uint16_t KeyRow::*column;
};
inline constexpr KeyModifier kKeyModifiers[] = {
    {"", &KeyRow::plain}, {"Shift+", &KeyRow::shift}, {"Ctrl+", &KeyRow::ctrl}, {"Alt+", &KeyRow::alt}};

// The name people write for a key code ("Alt+F11", "Ctrl+F12") into `text`
// of `size` bytes (at least 16); false, and `text` empty, when the table has
// none for it.
inline bool WriteKeyRowName(uint16_t code, char *text, size_t size) {
  text[0] = 0;
  for (const KeyModifier &modifier : kKeyModifiers)
    for (const KeyRow &row : kKeyRows) {
      if (row.*modifier.column != code) continue;
      size_t at = 0;
      for (const char *c = modifier.prefix; *c != 0 && at + 1 < size; ++c) text[at++] = *c;
      for (const char *c = row.name; *c != 0 && at + 1 < size; ++c) text[at++] = *c;
      text[at] = 0;
      return true;
    }
  return false;
}

}  // namespace host
