#include "host/app/core/key_codes.h"

#include <stdio.h>

#include <cctype>

#include "plugin/contract/mazovia.h"

namespace volmar {

// The virtual-key codes of the table's rows, and of the modifier keys.
using namespace host;  // NOLINT: the kVk names of the shared table

static const KeyRow *FindRow(uint16_t virtualKey) {
  for (size_t i = 0; i < kKeyRowCount; ++i)
    if (kKeyRows[i].virtualKey == virtualKey) return &kKeyRows[i];
  return nullptr;
}

static bool IsModifierOnly(uint16_t virtualKey) {
  switch (virtualKey) {
    case kVkShift: case kVkControl: case kVkMenu: case kVkPause: case kVkCapital:
    case kVkLWin: case kVkRWin: case kVkApps: case kVkNumLock: case kVkScroll:
    case 0xA0: case 0xA1: case 0xA2: case 0xA3: case 0xA4: case 0xA5:  // left/right modifiers
      return true;
    default:
      return false;
  }
}

uint16_t TranslateConsoleKey(const ConsoleKey &event) {
  if (IsModifierOnly(event.virtualKey)) return 0;
  const uint32_t state = event.controlState;
  bool alt = (state & (kLeftAltPressed | kRightAltPressed)) != 0;
  bool ctrl = (state & (kLeftCtrlPressed | kRightCtrlPressed)) != 0;
  const bool shift = (state & kShiftPressed) != 0;
  // AltGr (right Alt with Ctrl) typing a character is that character: how
  // Polish keyboards type their letters.
  if (alt && ctrl && event.character >= 0x20) alt = ctrl = false;

  if (const KeyRow *row = FindRow(event.virtualKey)) {
    uint16_t code = alt ? row->alt : ctrl ? row->ctrl : shift ? row->shift : row->plain;
    if (code != 0) return code;
    if (alt) return 0;  // Alt with a key that has no Alt code
  } else if (alt) {
    return 0;
  }
  if (event.character == 0) return 0;
  int byte = UnicodeToMazovia(event.character);
  return byte > 0 ? static_cast<uint16_t>(byte) : 0;
}

uint16_t AltCharacterCode(char character) {
  char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
  if (!((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9'))) return 0;
  const KeyRow *row = FindRow(static_cast<uint16_t>(upper));
  return row != nullptr ? row->alt : 0;
}

namespace {
using Modifier = host::KeyModifier;

struct Alias {
  const char *name;
  uint16_t code;
};
const Alias kAliases[] = {{"Escape", 27}, {"Return", 13}, {"Insert", 0x5200},
                          {"Delete", 0x5300}, {"PageUp", 0x4900}, {"PageDown", 0x5100}};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
}  // namespace

std::string KeyCodeName(uint16_t code) {
  char text[32];
  if (host::WriteKeyRowName(code, text, sizeof text)) return text;
  if (code >= 0x20 && code < 0x7F) return std::string(1, static_cast<char>(code));
  snprintf(text, sizeof text, "0x%04X", code);
  return text;
}

uint16_t ParseKeyName(std::string_view name) {
  for (const Alias &alias : kAliases)
    if (SameName(name, alias.name)) return alias.code;
  for (const Modifier &modifier : host::kKeyModifiers) {
    std::string_view prefix = modifier.prefix;
    if (name.size() <= prefix.size() || !SameName(name.substr(0, prefix.size()), prefix))
      continue;
    std::string_view rest = name.substr(prefix.size());
    for (size_t i = 0; i < kKeyRowCount; ++i)
      if (SameName(rest, kKeyRows[i].name) && kKeyRows[i].*modifier.column != 0)
        return kKeyRows[i].*modifier.column;
  }
  return 0;
}

}  // namespace volmar
