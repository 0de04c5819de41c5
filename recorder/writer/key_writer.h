// The recorder's key-to-text writer: how one key the host processed is
// written into a macro file so that the player types the same key back.
//
//   a printable host character   the character, as UTF-8 (the host converts
//                                the host-text byte to wide text; the writer
//                                only encodes that wide character)
//   '['                          a key name: the first one of the key's own
//                                code, else the first one of code 0x5B
//   ']'                          as it is
//   any other key                "[NAME]" with a name from keys.h that the
//                                player resolves back to the same code
//   a key whose low byte is 13   followed by CR LF (the player skips it)
//   a key with no such name      nothing: it is counted, its code kept
//
// Nothing here calls the host: the conversion and the player's resolution
// of a name come in as functions, so the writer is tested natively.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "plugin/contract/macro_commands.h"
#include "plugin/keys/key_names.h"

// The host's conversion of one host-text byte to one UTF-16 unit; false when
// the host gives no single character for it.
typedef bool (*HostByteToWide)(uint8_t byte, char16_t *wide);
// The code the player gives a bracketed word: 0 when the word plays as a
// command or as text rather than as a key.
typedef uint32_t (*PlayedCodeOfWord)(const char *word);

// The macro language's command names (the one table the player carries
// out): a key name spelled like one plays as the command, so it is never
// written.  Only the names enter the DLL.
#define KEY_WRITER_COMMAND_NAME(Id, name, ...) name,
inline constexpr const char *kPlayerCommandNames[] = {MACRO_COMMAND_TABLE(KEY_WRITER_COMMAND_NAME)};
#undef KEY_WRITER_COMMAND_NAME

// The key-name table as the writer sees it: the loaded entries in table
// order (ascending code) and, for each, whether its name plays back as its
// own code (MarkPlayableNames).
struct KeyNameView {
  const KeyNameEntry *entries = nullptr;
  uint32_t count = 0;
  const uint8_t *playable = nullptr;
};

// Fills playable[0..count) for the entries: 1 when the code is not 0 and the
// name is nonempty, printable ASCII without ']', and `played` gives the
// entry's own code for it.
void MarkPlayableNames(const KeyNameEntry *entries, uint32_t count, uint8_t *playable,
                       PlayedCodeOfWord played);

// Room for the longest text of one key: '[', 13 name characters, ']', CR LF.
inline constexpr size_t kKeyTextRoom = 24;

enum class KeyTextKind : uint8_t {
  kCharacter,  // a character, as UTF-8
  kKeyName,    // "[NAME]", with CR LF after a key whose low byte is 13
  kUnnamed,    // nothing written: no name plays back as this key
};

struct KeyText {
  KeyTextKind kind = KeyTextKind::kUnnamed;
  uint8_t length = 0;             // bytes in `bytes`, before the terminator
  char bytes[kKeyTextRoom] = {};  // zero-terminated
};

// The text of `key` (its low 16 bits).
KeyText KeyToText(uint32_t key, const KeyNameView &names, HostByteToWide toWide);

// The name that `key` is written under, or null (also for characters).
const char *PlayableName(uint16_t code, const KeyNameView &names);

// The keys that could not be written: how many, and their distinct codes in
// the order they first came (the first kUnnamedCodesKept of them).
inline constexpr uint32_t kUnnamedCodesKept = 16;
struct UnnamedKeys {
  uint32_t count = 0;     // every unnamed key, repeats included
  uint32_t kept = 0;      // distinct codes in `codes`
  bool moreCodes = false;  // a further distinct code found no room
  uint16_t codes[kUnnamedCodesKept] = {};
};
void NoteUnnamedKey(UnnamedKeys *keys, uint16_t code);
// True when `code` was noted before (or no further code finds room).
bool IsNotedUnnamed(const UnnamedKeys &keys, uint16_t code);
