// Fuzz target: playback of arbitrary macro bytes by a host whose every
// answer comes from the input as well.
//
// Input: two bytes of macro length, the macro's bytes, one set-up byte, and
// then the rest, which both chooses what the host does next (a no-key
// call, Enter, Shift+F11, any key, time passing, the host's own state bit)
// and gives the host's answers: HostPostKey refusing, HostKeyPending,
// HostConvertChar, HostAsk, the start form, inner filter calls from the
// host's key loop while HostAsk, HostTypeText, HostPostKey, HostWaitScreen
// or the form run.  Some host functions may be missing altogether.
//
// Checked after every call from the host (fuzz_host.cpp): the busy flag is
// clear, no wait without an open macro, no pending key or log without one,
// the host's state bit as it was; on every host call: no log line over 3077
// characters, no typed text over 19, files used only while open, memory
// given back; inner calls change nothing.  ASan and UBSan watch the rest.
#include <stddef.h>
#include <stdint.h>

#include "fuzz/fuzz_host.h"
#include "player/playback/playback.h"
#include "plugin/platform/win_standin_control.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "player/start/start_form.h"

namespace {

// A small keys.h with the odd cases: a name spelled like a command, a code
// that reads as 0, an empty name.
const char kKeys[] =
    "#define ENTER 13\n"
    "#define TAB 9\n"
    "#define F3 0x3D00\n"
    "#define HOME 0x4700\n"
    "#define SHIFT_F11 0x8700\n"
    "#define WAIT 0x4800\n"
    "#define NOKEY 0x10000\n"
    "#define LEFT_BRACKET '[' 91\n"
    "#define  EMPTY 0x5000\n"
    "#define END 0x4F00\n";

// Bound on the calls one input makes, RESTART loops included.
constexpr size_t kMaxCalls = 3000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::FuzzInput input(data, size);
  fuzz::HostFiles files;
  size_t macroLength = input.U16() % 8192;
  files.macro = input.Bytes(macroLength);
  files.keys = kKeys;
  uint8_t setup = input.Byte();
  files.logExists = (setup & 1) != 0;
  files.keysExist = (setup & 2) == 0;
  bool startWithTheForm = (setup & 4) != 0;
  bool missingFunctions = (setup & 8) != 0;

  fuzz::HostConduct conduct;
  conduct.answers = &input;
  conduct.reenter = true;
  conduct.hostile = (setup & 16) != 0;
  fuzz::InstallHost(files, conduct);
  SetKeyDelay((setup & 32) ? 0 : static_cast<uint16_t>(input.Byte() * 8));
  if (missingFunctions) {
    uint64_t mask = 0;
    for (int n = input.Byte() % 4; n >= 0; --n) mask |= uint64_t{1} << (input.Byte() % 44);
    fuzz::EmptySlots(mask);
  }
  standin::SetTickCount(input.U32());

  if (!startWithTheForm) {
    // As the start branch leaves things after F12.
    LoadKeyNameTable();
    fuzz::OpenMacroAsStarted();
  }

  // Once the input is used up, the macro gets one no-key call per byte to
  // run to its end.
  size_t tail = files.macro.size() + 8;
  for (size_t calls = 0; calls < kMaxCalls; ++calls) {
    if (input.Empty()) {
      if (tail-- == 0) break;
      fuzz::OuterFilterCall(0xFFFF);
      continue;
    }
    uint8_t action = input.Byte();
    switch (action % 16) {
      case 8: fuzz::OuterFilterCall(13); break;       // Enter
      case 9: fuzz::OuterFilterCall(0x8700); break;   // Shift+F11
      case 10: fuzz::OuterFilterCall(input.U32()); break;
      case 11: standin::AdvanceTicks(input.U16()); break;
      case 12: standin::SetTickCount(0xFFFFFF00u + input.Byte()); break;  // near the wrap
      case 13: fuzz::ToggleHostStateBit(); break;
      case 14: fuzz::OuterFilterCall('a' + action / 16); break;
      case 15: standin::AdvanceTicks(2000); break;
      default: fuzz::OuterFilterCall(0xFFFF); break;  // the host has no key
    }
  }
  fuzz::FinishHost();
  return 0;
}
