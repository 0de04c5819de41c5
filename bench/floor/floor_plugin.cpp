// bench_floor.dll: the floor of the end-to-end figure.  For each key it
// makes exactly the host calls that tastiromatika.dll makes for a played
// plain character, in the same order and through the same guards
// (plugin/binding/host_calls.h), and nothing else:
//
//   no-key call:  HostGetFlags, HostSetFlags(0x8000, 1) when the bit was
//                 clear, HostFileGetc, HostConvertChar(byte, 3, 1),
//                 HostKeyPending, HostPostKey(character),
//                 HostSetFlags(0x8000, 0) when it was clear before;
//   the posted key coming back: no host call, the key handed on.
//
// The previous filter sees every key first, as in the player.  Shift+F11
// opens floor.txt in the host's folder (no form, no settings, no log); the
// end of the file closes it.  A played key that costs no more than a key
// of this plug-in is the player's own overhead at zero.
#include <windows.h>

#include <string.h>

#include "bench/floor/floor_key.h"
#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"

// The slots the guards call through, bound by ordinal from VOLMAR.dll.
extern "C" {
HostImportSlots g_hostSlots;
}

namespace {

KeyFilter g_previous = nullptr;
bool g_installed = false;
HostFile g_macro = 0;

// Every slot from the contract's table, by ordinal; a function the host
// lacks stays empty and its guard answers neutrally.
bool BindHost() {
  HMODULE host = GetModuleHandleA("VOLMAR.dll");
  if (host == nullptr) return false;
#define FLOOR_BIND(pos, ord, Name, ...)                                        \
  g_hostSlots.Name = reinterpret_cast<Name##Fn>(reinterpret_cast<void *>(      \
      GetProcAddress(host, MAKEINTRESOURCEA(ord))));
  HOST_IMPORT_TABLE(FLOOR_BIND, FLOOR_BIND)
#undef FLOOR_BIND
  return g_hostSlots.HostSetKeyFilter != nullptr && g_hostSlots.HostMakePathW != nullptr &&
         g_hostSlots.HostFileOpenW != nullptr;
}

// floor.txt, opened as the player opens its macro.
void OpenMacro() {
  HostWideChar path[host::kPathChars];
  if (g_hostSlots.HostMakePathW(path, host::kPathChars, u"floor.txt") != 0) return;
  g_macro = g_hostSlots.HostFileOpenW(path, u"rt", host::kOpenShare, 0, -1);
}

uint32_t HOST_STDCALL FloorFilter(uint32_t key) {
  if (g_previous != nullptr) key = g_previous(key);
  key &= host::kKeyCodeMask;
  if (g_macro != 0 && key == host::kNoKey) {
    FloorPlayKey(g_macro);
    return host::kNoKey;
  }
  if (key != host::kKeyShiftF11 || g_macro != 0) return key;
  OpenMacro();
  return host::kNoKey;
}

}  // namespace

// Ordinal 30001: the handshake with a query function binds the host's
// functions; without one, the tear-down, which puts the filter before ours
// back and closes a macro left open.
extern "C" int32_t HOST_STDCALL FloorHandshake(HostQueryFn query, char *description) {
  if (query == nullptr) {
    if (g_installed) g_hostSlots.HostSetKeyFilter(g_previous);
    g_installed = false;
    if (g_macro != 0) HostFileClose(g_macro);
    g_macro = 0;
    return 0;
  }
  static const char kDescription[] = "bench: podloga, wywolania programu jak przy klawiszu";
  if (description != nullptr) memcpy(description, kDescription, sizeof kDescription);
  return BindHost() ? 0 : -1;
}

// Ordinal 30008: activation (0) installs the filter.
extern "C" int32_t HOST_STDCALL FloorActivate(int32_t mode) {
  if (mode != 0 || g_installed || g_hostSlots.HostSetKeyFilter == nullptr) return 0;
  g_previous = g_hostSlots.HostSetKeyFilter(&FloorFilter);
  g_installed = true;
  return 0;
}
