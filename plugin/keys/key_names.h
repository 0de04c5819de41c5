// The key-name table, read from the host's wtyczki\keys.h (kKeyFileRelativePath).
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

// The key definition file, relative to the host's folder; HostMakePathW
// makes the full path.
inline constexpr HostWideChar kKeyFileRelativePath[] = u"wtyczki\\keys.h";

struct KeyNameEntry {
  uint16_t code;  // the key code as the host passes keys
  char name[14];  // at most 13 characters, zero-filled behind the terminator
};
static_assert(sizeof(KeyNameEntry) == 16, "the host block holds 16-byte entries");

// The host block holds this many entries; lines behind the last are not read.
inline constexpr uint32_t kKeyTableCapacity = 300;

// 0 when a table is loaded (now or earlier), 1 when there is none.
int LoadKeyNameTable();
// Gives a loaded table back to the host (tear-down); a failed load stays failed.
void ReleaseKeyNameTable();
// The name of the entry whose code is the low 16 bits of `key`, or null.
const char *FindKeyName(uint32_t key);
// The code of the first entry, in table order, named `word`; 0 when none.
uint32_t FindKeyCode(const char *word);

// One line of the key definition file: true for a definition with a
// nonzero number, giving its name (terminated inside `line`, which the
// parse changes) and the number's low 16 bits.
bool ParseKeyDefinition(char *line, const char **name, uint32_t *code);

// The loaded entries in table order, and their count; null and 0 otherwise.
const KeyNameEntry *KeyNameEntries();
uint32_t KeyNameCount();

// Forgets the table as at load, without giving anything back (tests).
void ResetKeyNameTable();
