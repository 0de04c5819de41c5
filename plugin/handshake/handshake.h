// The exported entry points every plug-in DLL shares, and its attach step.
// A plug-in's .def exports them by ordinal only (player/entry/tastiromatika.def).
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

// The attach step: the first of our code to run at load, ahead of the C
// runtime's initialisation and so ahead of the host import binding.
void PluginAttach(HostInstance instance, uint32_t reason);

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
