// Fuzz target: what the recorder writes, the player types back.  Any key
// sequence goes through the recorder's own RecordKey (the writer, and the
// naming of a key without a name in keys.h, answered "Tak") into a macro
// file; the player (the real playback engine, on a small simulated host
// that reads the file and keeps every key posted, with the key table read
// anew as after a restart) must post the same keys: a key written by name as
// its code ('[' as the code of the name it got), a character as that
// character.  Keys left out (keys.h full) must not be posted at all;
// nothing may be typed as text.
//
// Input: pairs of bytes, each one key: the first byte's low three bits say
// what kind (printable ASCII, a host-text byte above 0x7F, a code of the
// keys.h below, '[' ']' Enter or Tab, any 16-bit code), the second picks it.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "player/playback/playback.h"
#include "player/playback/player_state.h"
#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "plugin/contract/macro_bytes.h"
#include "plugin/keys/key_names.h"
#include "plugin/platform/platform.h"
#include "recorder/session/key_table.h"
#include "recorder/session/recording.h"
#include "recorder/session/writer_host.h"
#include "recorder/writer/key_writer.h"
#include "sim/sim_slots.h"
#include "sim/sim_text.h"

namespace {

// Odd cases for both sides: a name spelled like a command, a code that reads
// as 0, two names of one code, a name with ']', an empty name hiding the
// names behind it in table order.
const char kKeys[] =
    "#define TAB 9\n#define ENTER 13\n#define CTRL_ENTER 10\n#define LBRACKET 0x5B\n"
    "#define F1 0x3B00\n#define F2 0x3C00\n#define WAIT 0x4800\n#define UP 0x4800\n"
    "#define NOKEY 0x10000\n#define BAD]NAME 0x4B00\n#define LEFT 0x4B00\n"
    "#define SF11 0x8700\n#define ESC 27\n#define DEL_CHAR 127\n#define FF 0xFF\n"
    "#define ALT_F11 0x8B00\n#define  EMPTY 0xA000\n#define HIDDEN 0xA100\n";
const uint16_t kTableCodes[] = {9,      13,     10,     0x5B,   0x3B00, 0x3C00, 0x4800, 0x4B00,
                                0x8700, 27,     127,    0xFF,   0x8B00, 0xA000, 0xA100, 0x1C0D};

// The one simulated host, reading macro bytes as the stand-in host does and
// keeping every key posted and every text typed.
struct World : sim::HostCalls {
  host::MacroByteDecoder decoder;
  std::vector<uint32_t> posted;
  std::vector<std::string> typed;

  uint32_t HostConvertChar(int32_t byte, int32_t, int32_t) override {
    return decoder.Feed(static_cast<uint8_t>(byte));
  }
  int32_t HostPostKey(uint32_t key) override {
    posted.push_back(key & host::kKeyCodeMask);
    return 1;
  }
  int32_t HostTypeText(const char *text) override {
    typed.push_back(text);
    return 1;
  }
  // "Tak" to every question of the recorder: name the key.
  int32_t HostAsk(const char *, const char *, uint32_t) override { return host::kAnswerYes; }
  // Relative names stay relative: the files are known by them.
  int32_t HostMakePathW(HostWideChar *buffer, int32_t capacity, const HostWideChar *relative) override {
    std::u16string path = sim::WideText(relative);
    if (static_cast<int32_t>(path.size()) >= capacity) return -1;
    memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(HostWideChar));
    return 0;
  }
};

uint32_t KeyFromInput(uint8_t kind, uint8_t pick, uint8_t extra) {
  switch (kind % 8) {
    case 0: case 1: return 0x20 + pick % 0x5F;
    case 2: return 0x80 | pick;
    case 3: case 4: return kTableCodes[pick % (sizeof kTableCodes / sizeof kTableCodes[0])];
    case 5: return "[]\r\t"[pick % 4];
    case 6: return static_cast<uint32_t>(pick) << 8 | extra;  // any code, scan code and character
    default: return (static_cast<uint32_t>(pick) << 8) | (pick & 0x7F);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  World world;
  world.files.Add(u"wtyczki\\keys.h", kKeys, true);
  sim::InstallHostCalls(world);
  ResetKeyNameTable();
  ResetRecorder();
  ResetPlayerState();

  // The recording, and the keys the player must post for it.
  g_recorder.file = world.files.Open(u"nagranie.txt", u"wb");
  PrepareKeyNames();
  std::vector<uint32_t> expected;
  for (size_t i = 0; i + 2 < size && expected.size() < 512; i += 3) {
    uint32_t key = KeyFromInput(data[i], data[i + 1], data[i + 2]);
    uint32_t written = g_recorder.written;
    RecordKey(key);
    FUZZ_CHECK(g_recorder.file != 0, "the recording stays open");
    if (g_recorder.written == written) {
      // Left out: code 0 is no key; the empty name of 0xA000 hides every
      // name behind it in table order from the player; or keys.h is full.
      FUZZ_CHECK(static_cast<uint16_t>(key) == 0 || static_cast<uint16_t>(key) >= 0xA000 ||
                     KeyNameCount() == kKeyTableCapacity,
                 "a key left out although it could be named: 0x%04X", key);
      continue;
    }
    KeyText text = KeyToText(key, g_recorderKeys.names, HostByteToWideChar);
    uint16_t code = static_cast<uint16_t>(key);
    if (text.kind == KeyTextKind::kCharacter)
      expected.push_back(code & 0xFF);
    else
      expected.push_back(PlayableName(code, g_recorderKeys.names) != nullptr ? code : '[');
  }
  world.files.Close(g_recorder.file);
  g_recorder.file = 0;
  // The player reads keys.h anew, as after VOLMAR's restart.
  ReleaseKeyNameTable();
  ResetKeyNameTable();
  LoadKeyNameTable();

  const std::string macro = *world.files.Content(u"nagranie.txt");
  world.files.Add(u"nagranie.txt", macro, true);
  g_player.macroFile = world.files.Open(u"nagranie.txt", u"rt");
  FUZZ_CHECK(g_player.macroFile != 0, "the recording opens");
  for (size_t steps = 0; g_player.macroFile != 0; ++steps) {
    FUZZ_CHECK(steps <= macro.size() + 2, "playback ends");
    PlaybackStep();
  }
  FUZZ_CHECK(world.typed.empty(), "nothing typed as text, got \"%s\" from \"%s\"",
             world.typed.empty() ? "" : world.typed[0].c_str(), macro.c_str());
  FUZZ_CHECK(world.posted == expected, "the player posts the recorded keys (%zu posted, %zu recorded) from \"%s\"",
             world.posted.size(), expected.size(), macro.c_str());
  ReleaseKeyNameTable();
  ResetRecorder();
  return 0;
}
