// The host's key codes and the translation of console key events into them.
//
// Keys travel as 16-bit PC BIOS keyboard codes: the scan code in the high
// byte, the character in the low byte.  Characters are 1 to 255 in the host
// encoding (Mazovia) and travel alone (Enter 13, Tab 9, Backspace 8, Esc 27);
// special keys carry their scan code and a zero character (F3 0x3D00, F12
// 0x8600, Shift+F11 0x8700, Alt+P 0x1900).  0xFFFF is "no key".
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>

#include "plugin/contract/host_values.h"
#include "plugin/contract/key_rows.h"

namespace volmar {

enum KeyCode : uint16_t {
  kKeyNone = host::kNoKey,
  kKeyBackspace = 8,
  kKeyTab = 9,
  kKeyEnter = host::kKeyEnter,
  kKeyEsc = 27,
  kKeyShiftTab = 0x0F00,
  kKeyAltP = 0x1900,
  kKeyF1 = 0x3B00,
  kKeyF3 = host::kKeyF3,
  kKeyF10 = 0x4400,
  kKeyHome = 0x4700,
  kKeyUp = 0x4800,
  kKeyPgUp = 0x4900,
  kKeyLeft = 0x4B00,
  kKeyRight = 0x4D00,
  kKeyEnd = 0x4F00,
  kKeyDown = 0x5000,
  kKeyPgDn = 0x5100,
  kKeyIns = 0x5200,
  kKeyDel = 0x5300,
  kKeyCtrlLeft = 0x7300,
  kKeyCtrlRight = 0x7400,
  kKeyCtrlEnd = 0x7500,
  kKeyCtrlHome = 0x7700,
  kKeyF11 = 0x8500,
  kKeyF12 = host::kKeyF12,
  kKeyShiftF11 = host::kKeyShiftF11,
  kKeyAltX = 0x2D00,
};

// Not a key: what the host's key loop returns when scripted input has ended
// (or timed out) and the host is to wind down.  Never given to a filter.
constexpr uint32_t kEndOfInput = 0x10000;

// A console key-down event, as the console reports it.
struct ConsoleKey {
  uint16_t virtualKey;    // Windows virtual-key code, 0 when the console gave none
  char16_t character;     // the Unicode character typed, 0 for none
  uint32_t controlState;  // the console's control-key state bits below
};

enum ControlState : uint32_t {
  kRightAltPressed = 0x01,
  kLeftAltPressed = 0x02,
  kRightCtrlPressed = 0x04,
  kLeftCtrlPressed = 0x08,
  kShiftPressed = 0x10,
};

// The translation table, one row per key (plugin/contract/key_rows.h).
using host::KeyRow;
using host::kKeyRowCount;
using host::kKeyRows;

// The host's code for a console key event; 0 when the event gives no key
// (a modifier alone, a character the host encoding lacks).
uint16_t TranslateConsoleKey(const ConsoleKey &event);

// A readable name of a code: "Shift+F11", "Alt+P", "Enter", "a", "0x1234".
std::string KeyCodeName(uint16_t code);

// The code of a key name as KeyCodeName writes it (case does not count;
// also "Escape", "Return", "Insert", "Delete", "PageUp", "PageDown"); 0 when
// the name is unknown.
uint16_t ParseKeyName(std::string_view name);

// The code of Alt with a letter or digit ('p' and 'P' give 0x1900); 0 for
// other characters.
uint16_t AltCharacterCode(char character);

// True for codes that carry a character (1-255) rather than a scan code.
constexpr bool IsCharacterKey(uint32_t code) { return code >= 1 && code <= 0xFF; }

}  // namespace volmar
