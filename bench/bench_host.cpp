// The benchmarks' fake host.  keys.h lives in the simulated host's files
// (sim/), set up before any measurement; everything else in static storage:
// no heap while the plug-in runs, so that an allocation counted during a
// measurement is the plug-in's own.
#include "bench/bench_host.h"

#include <stdio.h>
#include <string.h>

#include <string>

#include "player/playback/playback.h"
#include "plugin/contract/host_values.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "player/start/start_form.h"
#include "sim/sim_slots.h"
#include "sim/sim_files.h"
#include "sim/sim_text.h"

namespace {

// The host block of the key-name table: 300 entries of 16 bytes.
alignas(16) unsigned char g_arena[bench::kKeyCount * 16];
bool g_arenaInUse = false;

// keys.h as built, and the files that hold it.
char g_keysText[bench::kKeyCount * 64];
size_t g_keysLength = 0;
sim::Files g_files;
const std::u16string kKeysPath = u"K";

uint16_t g_codes[bench::kKeyCount];
char g_nameStore[bench::kKeyCount][14];
const char *g_names[bench::kKeyCount];

uint64_t g_sinkLines = 0;

const char *g_macroText = nullptr;  // null: an endless run of 'a'
size_t g_macroPosition = 0;
char g_fieldBuffer[260];

// A fixed pseudo-random sequence, so every run measures the same file.
uint32_t g_seed = 12345;
uint32_t NextRandom() {
  g_seed = g_seed * 1103515245u + 12345u;
  return g_seed >> 8;
}

// Key names as a keys.h spells them: a prefix, a key, a number.
const char *const kPrefixes[] = {"", "SHIFT_", "CTRL_", "ALT_"};
const char *const kKeys[] = {"F", "KP", "PGUP", "PGDN", "HOME", "END", "INS", "DEL", "UP", "DN"};

void BuildKeysText() {
  if (g_keysLength != 0) return;
  static bool used[0x10000];
  size_t length = 0;
  length += static_cast<size_t>(snprintf(g_keysText, sizeof g_keysText,
                                         "/* keys.h: key codes of the host */\n"));
  for (int i = 0; i < bench::kKeyCount; ++i) {
    uint16_t code;
    do {
      code = static_cast<uint16_t>(NextRandom() & 0xFFFF);
    } while (code == 0 || used[code]);
    used[code] = true;
    g_codes[i] = code;
    // Prefix, key and number together are unique: SHIFT_PGUP8 and the like.
    snprintf(g_nameStore[i], sizeof g_nameStore[i], "%s%s%d", kPrefixes[i % 4],
             kKeys[(i / 4) % 10], i / 40 + 1);
    g_names[i] = g_nameStore[i];
    const char *format = (i % 3 == 0) ? "#define %-13s %u\n" : "#define %-13s 0x%04X  /* key */\n";
    length += static_cast<size_t>(
        snprintf(g_keysText + length, sizeof g_keysText - length, format, g_names[i], code));
  }
  g_keysLength = length;
}

}  // namespace

// ---- The host functions --------------------------------------------------
// Bound by sim::StaticSlots: each slot points straight at its function, as
// at a real host's export.  The names all begin with BenchHost, which is how
// the instruction counts leave them out.

struct BenchHost {
  static uint32_t HostGetFlags() { return 0; }
  static int32_t HostSetFlags(uint32_t, int32_t) { return 0; }
  static int32_t HostFileGetc(HostFile) {
    if (g_macroText == nullptr) return 'a';
    if (g_macroText[g_macroPosition] == 0) g_macroPosition = 0;
    return static_cast<unsigned char>(g_macroText[g_macroPosition++]);
  }
  static uint32_t HostConvertChar(int32_t byte, int32_t, int32_t) {
    return static_cast<uint32_t>(byte) & 0xFF;
  }
  static uint32_t HostKeyPending() { return host::kNoKey; }
  static int32_t HostPostKey(uint32_t) { return 1; }
  static int32_t HostDelayKey(uint32_t, int32_t) { return 0; }
  static int32_t HostFileClose(HostFile file) {
    // The macro and the log are never opened through the files.
    return file == bench::kKeysHandle ? g_files.Close(file) : 0;
  }
  static int32_t HostFileRewind(HostFile) { return 0; }
  static int32_t HostAsk(const char *, const char *, uint32_t) { return 0; }
  static int32_t HostTypeText(const char *) { return 1; }
  static int32_t HostWaitScreen() { return 0; }

  static void *HostCalloc(uint32_t count, uint32_t size) {
    if (g_arenaInUse || static_cast<uint64_t>(count) * size > sizeof g_arena) return nullptr;
    memset(g_arena, 0, sizeof g_arena);
    g_arenaInUse = true;
    return g_arena;
  }
  static void *HostRealloc(void *block, uint32_t) { return block; }  // shrinks in place
  static void HostFree(void *) { g_arenaInUse = false; }

  static int32_t HostMakePathW(HostWideChar *buffer, int32_t capacity, const HostWideChar *) {
    return sim::StoreWide(buffer, capacity, kKeysPath);
  }
  static HostFile HostFileOpenW(const HostWideChar *, const HostWideChar *mode, int32_t, int32_t,
                                int32_t) {
    return g_files.Open(kKeysPath, mode, bench::kKeysHandle);
  }
  static char *HostFileGets(char *buffer, int32_t size, HostFile file) {
    return g_files.Gets(buffer, size, file);
  }
  static char *HostCopyText(char *destination, const char *source, int32_t maxChars) {
    return sim::CopyText(destination, source, maxChars);
  }

  static int32_t HostDateTimeText(char *date, char *time, int32_t) {
    memcpy(date, "2026-12-07", 11);
    memcpy(time, "10:11:12", 9);
    return 0;
  }
  static int32_t HostConvertText(void *, int32_t, const void *, int32_t length, int32_t,
                                 int32_t) {
    return length;
  }
  static int32_t HostFilePrintf(HostFile, const char *, ...) {
    ++g_sinkLines;
    return 0;
  }
  static int32_t HostFileFlush(HostFile) { return 0; }
};

// The host with the start branch's functions too (ServeStartBranch).
struct BenchHostWithStartBranch : BenchHost {
  static int32_t HostPrepareText(char *text, int32_t size) {
    return static_cast<int32_t>(strnlen(text, static_cast<size_t>(size)));
  }
  static int32_t HostPickFile(int32_t, char *buffer, const char *, int32_t) {
    memcpy(buffer, "makro.txt", 10);
    return 0;
  }
  static char *HostFormFieldBuffer(int32_t) { return g_fieldBuffer; }
  static int32_t HostFormRefreshField(int32_t) { return 0; }
  static int32_t HostRunForm(const void *, int32_t, void *, FieldCallback callback) {
    callback(host::kFileButton, 1);
    g_startForm.fileName[0] = 'm';  // a new name: the settings are written
    return host::kFormConfirmed;
  }
  static int32_t HostProfile(int32_t, const char *, const char *, const char *, va_list) {
    return 0;
  }
  static int32_t HostPathAddExtensionW(HostWideChar *path, int32_t, const HostWideChar *) {
    path[0] = u'L';
    return 0;
  }
  static int32_t HostFileSeek(HostFile, int32_t, int32_t) { return 0; }
  static int32_t HostMessage(int32_t, const char *, const char *, uint32_t) { return 0; }
  static int32_t HostErrorMessageF(int32_t, int32_t, const char *, const HostWideChar *,
                                   uint32_t) {
    return 0;
  }
  static int32_t HostShowNotice(int32_t, int16_t *, int32_t, const char *) { return 0; }
};

// ---- Set-up --------------------------------------------------------------

namespace bench {

void InstallHost() {
  BuildKeysText();
  // keys.h, and its handle's place taken once, so that no open allocates.
  g_files = sim::Files();
  g_files.Add(kKeysPath, std::string(g_keysText, g_keysLength));
  g_files.Close(g_files.Open(kKeysPath, u"rt", kKeysHandle));
  if (KeyNameEntries() != nullptr) ReleaseKeyNameTable();
  ResetKeyNameTable();
  ResetPlayerState();
  memset(&g_startForm, 0, sizeof g_startForm);
  g_startForm.keyDelay = 100;
  SetKeyDelay(100);
  g_arenaInUse = false;

  // The measured paths' functions bound, every other slot empty.
  g_hostSlots = sim::StaticSlots<BenchHost>();
}

void SetMacroText(const char *text) {
  g_macroText = text;
  g_macroPosition = 0;
}

void ServeStartBranch() { g_hostSlots = sim::StaticSlots<BenchHostWithStartBranch>(); }

void OpenMacro(bool log) {
  g_player.macroFile = kMacroHandle;
  g_player.logFile = log ? kLogHandle : 0;
}

const char *KeysText() { return g_keysText; }

bool LoadKeys() { return LoadKeyNameTable() == 0 && KeyNameCount() == kKeyCount; }

const uint16_t *KeyCodes() { return g_codes; }
const char *const *KeyNames() { return g_names; }

uint64_t SinkLines() { return g_sinkLines; }

}  // namespace bench
