// The key-name table: names of special keys and their host key codes, read
// once from the host's wtyczki\keys.h, a list of lines "#define NAME number".
#include "plugin/keys/key_names.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <bit>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_text.h"
#include "plugin/contract/host_values.h"
#include "plugin/identity/plugin_definition.h"
#include "plugin/platform/platform.h"

namespace {

enum KeyTableState : int32_t {
  kNotLoaded = 0,  // at load, and after a tear-down released the table
  kFailed = 1,     // a load gave no table; never tried again
  kLoaded = 2,     // `entries` holds `count` entries sorted by code
};

struct KeyNameTable {
  KeyTableState state;
  KeyNameEntry *entries;  // host memory, ascending unsigned code; null unless loaded
  uint32_t count;         // 1..kKeyTableCapacity when loaded, else 0
};

KeyNameTable g_keyNames;

// The table's two error messages, in host text (Mazovia).
constexpr auto kNoKeyTableMemory = ToHostText("Brak pamięci na tablicę nazw klawiszy!");
constexpr auto kKeyFileOpenError =
    ToHostText("Błąd %d (systemowy %d) ładowania definicji klawiszy z pliku '%s'\n\n");

// HostFileOpenW's mode: read in text mode.
constexpr HostWideChar kReadText[] = u"rt";
constexpr int32_t kPathCapacity = 260;
constexpr int32_t kLineSize = 256;
constexpr int32_t kMaxNameChars = 13;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Room for the title taken from a plug-in's description.
constexpr uint32_t kTitleCapacity = 256;

// The message for a failed block: its title is the first line of the
// plug-in's description.
void ShowNoMemoryMessage() {
  char title[kTitleCapacity];
  uint32_t size = std::min(kPluginDefinition.descriptionSize, kTitleCapacity);
  memcpy(title, kPluginDefinition.description, size);
  title[size > 0 ? size - 1 : 0] = 0;
  if (char *lineFeed = strchr(title, '\n')) *lineFeed = 0;
  HostMessage(host::kMessageId, title, kNoKeyTableMemory.c_str(), host::kErrorStyle);
}

// One step of the search in FindKeyName: the part of the window from
// `window + half` on when that entry's code is not above `code`, else the
// part before it.  A conditional move, not a branch.
inline const KeyNameEntry *UpperHalfIfNotAbove(const KeyNameEntry *window, uint32_t half,
                                               uint16_t code) {
  return window[half].code <= code ? window + half : window;
}
static_assert(kKeyTableCapacity < 512, "FindKeyName halves windows of up to 256 entries");

void SetFailed() {
  g_keyNames.state = kFailed;
  g_keyNames.entries = nullptr;
  g_keyNames.count = 0;
}

// Sorts by code, unsigned; entries with equal codes keep the order of the
// file, so that the table, and the name FindKeyName gives for such a code
// (the last of them in the file), never depend on how the sort ran.  The sort runs over 32-bit keys, the code above the entry's
// place in the file, which are unique and cheap to compare; the entries then
// move once each, along the cycles of that order.
//
// Why not std::stable_sort: it takes a temporary buffer from operator new,
// one allocation per load outside the host's allocator (measured: 1
// allocation per LoadKeyNameTable in `make bench`, against none here), and
// its in-place fallback cannot be chosen without that attempt.  It would save
// nothing either: 194,428 instructions per 300-line load against 192,813.
void SortByCodeKeepingFileOrder(KeyNameEntry *entries, uint32_t count) {
  uint32_t order[kKeyTableCapacity];
  for (uint32_t i = 0; i < count; ++i) order[i] = (uint32_t{entries[i].code} << 16) | i;
  std::sort(order, order + count);
  // order[i] names the entry that belongs at place i; a place is done once
  // its key is cut to the place itself.
  for (uint32_t start = 0; start < count; ++start) {
    if ((order[start] & 0xFFFF) == start) continue;
    KeyNameEntry first = entries[start];
    uint32_t place = start;
    for (;;) {
      uint32_t from = order[place] & 0xFFFF;
      order[place] = place;
      if (from == start) break;
      entries[place] = entries[from];
      place = from;
    }
    entries[place] = first;
  }
}

}  // namespace

bool ParseKeyDefinition(char *line, const char **name, uint32_t *code) {
  // The keyword may stand anywhere: behind a comment, indented, or after text.
  char *cursor = strstr(line, "#define");
  if (cursor == nullptr) return false;
  while (*cursor != 0 && !IsBlank(*cursor)) ++cursor;
  if (*cursor == 0) return false;
  char *nameStart = cursor + 1;
  char *nameEnd = nameStart;
  while (*nameEnd != 0 && !IsBlank(*nameEnd)) ++nameEnd;
  // A name that runs to the end of the line leaves no room for a value.
  if (*nameEnd == 0) return false;
  char *value = nameEnd + 1;
  *nameEnd = 0;
  // Everything before the first digit is skipped: a minus sign, a name.
  while (*value != 0 && !IsDigit(*value)) ++value;
  if (*value == 0) return false;
  // Base 0: 0x.. hexadecimal, 0.. octal, else decimal; clamped to 32 bits
  // where `long` is wider than that.
  long number = strtol(value, nullptr, 0);
  if (number > 2147483647L) number = 2147483647L;
  if (number == 0) return false;
  *name = nameStart;
  *code = static_cast<uint32_t>(number) & 0xFFFF;
  return true;
}

int LoadKeyNameTable() {
  if (g_keyNames.state == kLoaded) return 0;
  if (g_keyNames.state == kFailed) return 1;

  KeyNameEntry *entries =
      static_cast<KeyNameEntry *>(HostCalloc(kKeyTableCapacity, sizeof(KeyNameEntry)));
  if (entries == nullptr) {
    ShowNoMemoryMessage();
    SetFailed();
    return 1;
  }

  // A path the host could not build stays empty, and the open then fails.
  HostWideChar path[kPathCapacity] = {0};
  HostMakePathW(path, kPathCapacity, kKeyFileRelativePath);
  path[kPathCapacity - 1] = 0;
  HostFile file = HostFileOpenW(path, kReadText, host::kOpenShare, 0, -1);
  if (file == 0) {
    // Read both numbers as the failed open left them, before any other call.
    int32_t error = errno;
    int32_t systemError = _doserrno;
    HostErrorMessageF(error, systemError, kKeyFileOpenError.c_str(), kKeyFileRelativePath, host::kErrorStyle);
    HostFree(entries);
    SetFailed();
    return 1;
  }

  uint32_t count = 0;
  char line[kLineSize];
  while (count < kKeyTableCapacity && HostFileGets(line, kLineSize, file) != nullptr) {
    line[kLineSize - 1] = 0;
    const char *name = nullptr;
    uint32_t code = 0;
    if (!ParseKeyDefinition(line, &name, &code)) continue;
    KeyNameEntry &entry = entries[count++];
    entry.code = static_cast<uint16_t>(code);
    HostCopyText(entry.name, name, kMaxNameChars);
    // The block came zeroed; keep the terminator whatever the copy did.
    entry.name[sizeof entry.name - 1] = 0;
  }
  HostFileClose(file);

  if (count == 0) {
    HostFree(entries);
    SetFailed();
    return 1;
  }
  if (count < kKeyTableCapacity) {
    // A failed shrink leaves the old block as it was: keep using it.
    void *shrunk = HostRealloc(entries, count * sizeof(KeyNameEntry));
    if (shrunk != nullptr) entries = static_cast<KeyNameEntry *>(shrunk);
  }
  SortByCodeKeepingFileOrder(entries, count);

  g_keyNames.entries = entries;
  g_keyNames.count = count;
  g_keyNames.state = kLoaded;
  return 0;
}

void ReleaseKeyNameTable() {
  if (g_keyNames.state != kLoaded) return;
  HostFree(g_keyNames.entries);
  g_keyNames.entries = nullptr;
  g_keyNames.count = 0;
  g_keyNames.state = kNotLoaded;
}

const char *FindKeyName(uint32_t key) {
  if (g_keyNames.state != kLoaded) return nullptr;
  uint16_t code = static_cast<uint16_t>(key);
  // Binary search, for every key the player hands to the host, without a
  // branch per step.  Why not std::upper_bound: with the same result (the
  // last entry not above `code`), it costs 112 instructions per lookup in a
  // 300-entry table against 56 here (`make bench`, callgrind), a branch per
  // halving that the processor cannot predict.  It finds the last entry whose code is not above
  // `code`.  With `width` the largest power of two not above the count, the
  // first comparison picks the window of `width` entries (the lowest or the
  // highest ones) that holds it; each further step halves the window with
  // one comparison, until one entry is left.
  const KeyNameEntry *entries = g_keyNames.entries;
  uint32_t count = g_keyNames.count;
  uint32_t width = std::bit_floor(count);
  const KeyNameEntry *entry = UpperHalfIfNotAbove(entries, count - width, code);
  // The halvings of that window, from its width down to one entry.
  switch (std::countr_zero(width)) {
    case 8: entry = UpperHalfIfNotAbove(entry, 128, code); [[fallthrough]];
    case 7: entry = UpperHalfIfNotAbove(entry, 64, code); [[fallthrough]];
    case 6: entry = UpperHalfIfNotAbove(entry, 32, code); [[fallthrough]];
    case 5: entry = UpperHalfIfNotAbove(entry, 16, code); [[fallthrough]];
    case 4: entry = UpperHalfIfNotAbove(entry, 8, code); [[fallthrough]];
    case 3: entry = UpperHalfIfNotAbove(entry, 4, code); [[fallthrough]];
    case 2: entry = UpperHalfIfNotAbove(entry, 2, code); [[fallthrough]];
    case 1: entry = UpperHalfIfNotAbove(entry, 1, code); [[fallthrough]];
    default: break;
  }
  return entry->code == code ? entry->name : nullptr;
}

uint32_t FindKeyCode(const char *word) {
  if (g_keyNames.state != kLoaded) return 0;
  for (uint32_t i = 0; i < g_keyNames.count; ++i) {
    const KeyNameEntry &entry = g_keyNames.entries[i];
    // The walk ends at the first entry without a name.
    if (entry.name[0] == 0) return 0;
    if (strcmp(entry.name, word) == 0) return entry.code;
  }
  return 0;
}

uint32_t KeyNameCount() { return g_keyNames.count; }

const KeyNameEntry *KeyNameEntries() { return g_keyNames.entries; }

void ResetKeyNameTable() { memset(&g_keyNames, 0, sizeof g_keyNames); }
