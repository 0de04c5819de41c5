// Fuzz target: the plug-in's start-up, binding and unload, with a host that
// lacks functions, withdraws them, and answers the handshake, the settings
// and the notices with whatever the input says.
//
// Input: one set-up byte (no VOLMAR module at all, keys.h missing, a log,
// hostile text functions, whether any function lacks), six bytes of lacking
// functions (a bit per table position), then operations, one byte each
// with their own answers behind:
//   attach again with any reason, the handshake (with a query function
//   whose answers come from the input), the tear-down, activation (0, or
//   any other mode: the failure explanation), a slot withdrawn, the binding
//   run again as at a second load, a filter call from the host's loop (a
//   key, no key, or Shift+F11: the start branch), the two fixed answers.
// Every host answer during those also comes from the input: HostQuery,
// HostDateNumber, HostApiLevel, HostCheckPlugin (filling its buffer),
// HostSetKeyFilter (any previous filter, ours included), HostProfile
// (reads that scribble the whole room, then fail or not), HostShowNotice.
//
// Checked: the handshake answers 0 or -1 and writes exactly the
// description; the filter never becomes its own previous filter; the
// settings leave the file name terminated; the fixed answers; the
// tear-down gives back the key table; files and host memory as the fuzz
// host checks them (FinishHost), the player's state after every filter
// call (OuterFilterCall).  ASan and UBSan watch the rest.
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "fuzz/fuzz_host.h"
#include "plugin/binding/host_imports.h"
#include "plugin/contract/host_values.h"
#include "plugin/handshake/handshake.h"
#include "plugin/identity/plugin_identity.h"
#include "player/entry/player_definition.h"
#include "plugin/platform/win_standin_control.h"
#include "player/entry/key_filter.h"
#include "player/playback/player_state.h"
#include "plugin/keys/key_names.h"
#include "player/start/settings.h"
#include "player/start/start_form.h"

namespace {

const char kKeys[] =
    "#define ENTER 13\n"
    "#define F3 0x3D00\n"
    "#define SHIFT_F11 0x8700\n"
    "#define HOME 0x4700\n";

// Bound on the operations of one input.
constexpr int kMaxOperations = 200;

fuzz::FuzzInput *g_input = nullptr;
KeyFilter g_installedFilter = nullptr;  // what HostSetKeyFilter holds

fuzz::FuzzInput &In() { return *g_input; }

// ---- The start-up's host functions, answering from the input ---------------

int32_t HOST_CDECL Query(int32_t, int32_t) {
  switch (In().Byte() % 4) {
    case 0: return 1;  // the features the plug-in needs, all there
    case 1: return 0;
    case 2: return -1;
    default: return static_cast<int32_t>(In().U32());
  }
}

uint32_t DateNumber(const char *date) {
  if (date != nullptr) FUZZ_CHECK(strlen(date) < 64, "a date text of %zu bytes", strlen(date));
  return In().OneIn(2) ? 0x7FFFFFFFu : In().U32();
}

int32_t ApiLevel() {
  return In().OneIn(2) ? host::kRequiredApiLevel : static_cast<int32_t>(In().U32());
}

// Refuses one time in four; a refusal fills the plug-in's buffer to its
// last byte, without a terminator one time in two.
int32_t CheckPlugin(HostInstance, char *buffer, int32_t size) {
  if (!In().OneIn(4)) return 0;
  if (buffer != nullptr && size > 0) {
    memset(buffer, 'R', static_cast<size_t>(size));
    if (In().OneIn(2)) buffer[size - 1] = 0;
  }
  return 1;
}

KeyFilter HOST_STDCALL SetKeyFilter(KeyFilter filter) {
  KeyFilter previous = g_installedFilter;
  g_installedFilter = filter;
  // Sometimes a host whose chain holds something else: nothing, or the
  // plug-in's own filter (as after an activation it has forgotten).
  switch (In().Byte() % 8) {
    case 0: return nullptr;
    case 1: return &PluginKeyFilter;
    default: return previous;
  }
}

int32_t MessageF(int32_t, const char *title, const char *format, uint32_t, uint32_t style2, ...) {
  FUZZ_CHECK(title != nullptr && format != nullptr, "a message without title or format");
  char text[8192];
  va_list values;
  va_start(values, style2);
  vsnprintf(text, sizeof text, format, values);
  va_end(values);
  return 0;
}

// Reads scribble: a number read writes 16 bits of anything, a text read the
// whole room it was given (width characters and a terminator, or no
// terminator at all); the answer then says success or failure regardless.
int32_t Profile(int32_t operation, const char *section, const char *key, const char *format,
                va_list values) {
  FUZZ_CHECK(section != nullptr && key != nullptr && format != nullptr, "settings without names");
  switch (operation) {
    case host::kProfileReadNumber: {
      FUZZ_CHECK(strcmp(format, "%d") == 0, "number read with format %s", format);
      int32_t *target = va_arg(values, int32_t *);
      uint16_t value = In().U16();
      memcpy(target, &value, sizeof value);
      break;
    }
    case host::kProfileReadText: {
      FUZZ_CHECK(strcmp(format, "%*s") == 0, "text read with format %s", format);
      int width = va_arg(values, int);
      char *target = va_arg(values, char *);
      FUZZ_CHECK(width > 0 && width < 4096, "text read %d wide", width);
      memset(target, 'a' + In().Byte() % 26, static_cast<size_t>(width));
      target[width] = In().OneIn(2) ? 0 : 'z';
      break;
    }
    case host::kProfileWriteNumber:
    case host::kProfileWrite:
      if (strcmp(format, "%s") == 0) {
        const char *text = va_arg(values, const char *);
        FUZZ_CHECK(strnlen(text, 258) < 258, "a settings text without its terminator");
      }
      break;
    default:
      FUZZ_CHECK(false, "settings operation %d", operation);
  }
  return In().OneIn(4) ? static_cast<int32_t>(In().U32()) : 0;
}

int32_t ShowNotice(int32_t, int16_t *answer, int32_t, const char *text) {
  FUZZ_CHECK(text != nullptr && strnlen(text, 1024) < 1024, "a notice without its terminator");
  if (answer != nullptr) *answer = static_cast<int16_t>(In().U16());
  return 0;
}

// ---- The host module ---------------------------------------------------------

// The functions the host module exports: the fuzz host's, with the
// start-up's own above in their places.
HostImportSlots HostFunctions() {
  HostImportSlots slots = g_hostSlots;  // as fuzz::InstallHost bound them
  slots.HostDateNumber = DateNumber;
  slots.HostApiLevel = ApiLevel;
  slots.HostCheckPlugin = CheckPlugin;
  slots.HostSetKeyFilter = SetKeyFilter;
  slots.HostMessageF = MessageF;
  slots.HostProfile = Profile;
  slots.HostShowNotice = ShowNotice;
  return slots;
}

// The module named VOLMAR with every function whose bit is clear in `lacking`.
void AddHostModule(const HostImportSlots &functions, uint64_t lacking) {
  HMODULE host = standin::AddModule("VOLMAR", "C:\\VOLMAR\\VOLMAR.dll");
  standin::AddExport(host, 30006, reinterpret_cast<void *>(&Query));
  const void *const *table = reinterpret_cast<const void *const *>(&functions);
  for (const HostImportEntry &entry : kHostImportTable)
    if (!(lacking >> (entry.position - 1) & 1))
      standin::AddExport(host, entry.ordinal, const_cast<void *>(table[entry.position - 1]));
}

void Handshake() {
  // Exactly the description's room, so that ASan sees a byte too many.
  std::vector<char> description(sizeof kPluginDescription, '\x7F');
  HostQueryFn query = In().OneIn(8) ? nullptr : &Query;
  int32_t verdict = PluginHandshake(query, query != nullptr ? description.data() : nullptr);
  if (query == nullptr) {
    FUZZ_CHECK(verdict == 0, "the tear-down answered %d", verdict);
    FUZZ_CHECK(KeyNameEntries() == nullptr, "the tear-down kept the key table");
    return;
  }
  FUZZ_CHECK(verdict == 0 || verdict == -1, "the handshake answered %d", verdict);
  FUZZ_CHECK(memcmp(description.data(), kPluginDescription, sizeof kPluginDescription) == 0,
             "the description differs");
}

void Activate() {
  int32_t mode = In().OneIn(2) ? 0 : static_cast<int32_t>(In().U32());
  FUZZ_CHECK(PluginActivate(mode) == 0, "activation answered nonzero");
  FUZZ_CHECK(g_player.previousFilter != &PluginKeyFilter, "the filter became its own previous");
  // The settings just read leave the name terminated, whatever the host
  // wrote.  (A cancelled form may leave it unterminated in between: the
  // start branch terminates it again before it reads it.)
  if (mode == 0)
    FUZZ_CHECK(g_startForm.fileName[sizeof g_startForm.fileName - 1] == 0,
               "the settings left the file name unterminated");
}

void FilterCall() {
  uint32_t key;
  switch (In().Byte() % 4) {
    case 0: key = host::kNoKey; break;
    case 1: key = host::kKeyShiftF11; break;
    case 2: key = host::kKeyEnter; break;
    default: key = In().U16(); break;
  }
  fuzz::OuterFilterCall(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::FuzzInput input(data, size);
  g_input = &input;
  uint8_t setup = input.Byte();
  uint64_t lacking = input.U32() | static_cast<uint64_t>(input.U16()) << 32;
  // Most inputs lack only a few functions: a position lacks when its bit is
  // set in the mask and the set-up asks for lacking functions at all.
  if ((setup & 0x30) == 0) lacking = 0;

  fuzz::HostFiles files;
  files.keys = kKeys;
  files.keysExist = (setup & 2) == 0;
  files.logExists = (setup & 4) != 0;
  files.macro = "ab[ENTER]c";
  fuzz::HostConduct conduct;
  conduct.answers = &input;
  conduct.hostile = (setup & 8) != 0;
  fuzz::InstallHost(files, conduct);  // also resets the stand-in's modules
  HostImportSlots functions = HostFunctions();
  ResetHostImports();
  ResetPluginIdentity();
  g_installedFilter = nullptr;
  if ((setup & 1) == 0) AddHostModule(functions, lacking);
  HMODULE self = standin::AddModule("tastiromatika", "C:\\VOLMAR\\wtyczki\\tastiromatika.dll");

  // The load: the attach step, then the binding.
  PluginAttach(self, DLL_PROCESS_ATTACH);
  RunPreBindInitialisers();

  for (int i = 0; i < kMaxOperations && !input.Empty(); ++i) {
    switch (input.Byte() % 10) {
      case 0: PluginAttach(self, input.Byte() % 4); break;
      case 1:
      case 2: Handshake(); break;
      case 3:
      case 4: Activate(); break;
      case 5: {  // the host withdraws a function after the binding
        // Not HostFileClose nor HostFree: a binding run again would give
        // them back while the fuzz host still holds the files and the block
        // the plug-in could not give back without them, which its checks
        // would take for leaks (hosts that lack them from the start stay
        // without them, and the playback target has such hosts too).
        const HostImportEntry &entry = kHostImportTable[input.Byte() % kHostImportCount];
        void **slot = entry.slot;
        if (slot != reinterpret_cast<void **>(&g_hostSlots.HostFileClose) &&
            slot != reinterpret_cast<void **>(&g_hostSlots.HostFree))
          *slot = nullptr;
        break;
      }
      case 6: RunPreBindInitialisers(); break;  // bound once more, as at a second load
      case 7:
      case 8: FilterCall(); break;
      default:
        FUZZ_CHECK(PluginAnswerZero() == 0, "30009 answered nonzero");
        FUZZ_CHECK(PluginAnswerMagic(static_cast<int32_t>(input.U32())) == -1234567890,
                   "30010 answered wrongly");
        break;
    }
  }

  // Unload in whatever state the input left: the tear-down, then the
  // fuzz host's checks of files and memory.
  FUZZ_CHECK(PluginHandshake(nullptr, nullptr) == 0, "the tear-down answered nonzero");
  fuzz::FinishHost();
  g_input = nullptr;
  return 0;
}
