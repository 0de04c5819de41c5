// The bracketed words of a macro as the player reads them, in one place for
// the merge, --learn and the checker: a '[' opens a word, a ']' closes it,
// and a byte that would be a word's 20th character ends it and is read as
// an ordinary character.  The limit is the player's own (kMacroWordChars).
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "player/playback/commands.h"

namespace macro {

inline constexpr size_t kWordChars = kMacroWordChars;

// Follows the player through a macro's bytes: outside or inside a word.
struct WordScan {
  bool inWord = false;
  size_t chars = 0;  // the characters of the open word so far

  // Reads one byte; whether it belongs to a word ('[' and ']' included).
  bool Feed(uint8_t byte) {
    if (!inWord) {
      if (byte != '[') return false;
      inWord = true;
      chars = 0;
      return true;
    }
    if (byte == ']' || chars == kWordChars) {
      inWord = false;
      return byte == ']';
    }
    ++chars;
    return true;
  }
  // Reads bytes; outside a word it skips at once to the next '['.
  void Feed(const char *bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      if (!inWord) {
        const void *open = memchr(bytes + i, '[', size - i);
        if (open == nullptr) return;
        i = static_cast<size_t>(static_cast<const char *>(open) - bytes);
      }
      Feed(static_cast<uint8_t>(bytes[i]));
    }
  }
  void Feed(const std::string &bytes) { Feed(bytes.data(), bytes.size()); }
};

// For each byte of `text`, read from outside a word, whether it belongs to
// a word.
std::vector<bool> WordMask(const std::string &text);

// What a character of a value stands for when the merge types it outside
// a bracketed word: itself, or a key the merge writes in its place ('[' the
// key whose code is '[', a line break and a tab their keys), or a space (a
// non-breaking space, as spreadsheets write in numbers).
enum class ValueChar { kItself, kBracket, kLineBreak, kTab, kNonBreakingSpace };

// Reads the character of UTF-8 `value` at `i` (moving `i` behind it; CR LF
// is one line break) into `c`, and what it stands for.
ValueChar NextValueChar(const std::string &value, size_t &i, char32_t *c);

// Whether the player resolves `name` written in brackets to a key of that
// name: it fits a word, holds no ']' or line break, and is no command.
bool UsableKeyName(const std::string &name);

}  // namespace macro
