// The plug-in's identity and its exported entry points.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

// Process-wide identity, set by the attach step and the handshake.
struct PluginIdentity {
  HostInstance instance;       // our own instance handle, from the loader's process attach
  char modulePath[300];        // our full file name (GetModuleFileNameA, capacity 300)
  const char *moduleBaseName;  // the file name behind the last '\' or '/', inside modulePath
  void *hostModule;            // the loaded module named VOLMAR; null when there is none
  HostQueryFn hostQuery;       // host ordinal 30006, replaced by every handshake
};

extern PluginIdentity g_plugin;

// "Wtyczka 'Tastiromatika'\nUruchomienie/zatrzymanie makra - klawisz Shift+F11":
// 74 characters and the terminating zero.
extern const char kPluginDescription[75];

// The text behind the last '\', then behind the last '/' of what remains;
// the whole path when it has no separator, empty when it ends in one.
const char *ModuleBaseName(const char *path);

// The attach step: the first of our code to run at load, ahead of the C
// runtime's initialisation and so ahead of the host import binding.
void PluginAttach(HostInstance instance, uint32_t reason);

// Forgets the identity, as at load (tests).
void ResetPluginIdentity();

// ---- Exports (by ordinal only; see tastiromatika.def) ----------------------
extern "C" {
// [30001] Handshake (query function given) or tear-down (null).
int32_t HOST_STDCALL PluginHandshake(HostQueryFn query, char *description);
// [30008] Activation (mode 0) or the explanation of a failed activation.
int32_t HOST_STDCALL PluginActivate(int32_t mode);
// [30009] Fixed answer 0.
int32_t HOST_CDECL PluginAnswerZero(void);
// [30010] Fixed answer -1234567890; the argument is never read.
int32_t HOST_STDCALL PluginAnswerMagic(int32_t unused);
}
