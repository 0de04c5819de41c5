// The handshake protocol every plug-in DLL speaks with the host: the attach
// step, the description and the compatibility check (30001), activation and
// the load-failure report (30008), the tear-down (30001 with no function),
// and the two fixed answers.  What is a plug-in's own comes from its
// definition record (plugin/identity/plugin_definition.h).
#include "plugin/handshake/handshake.h"

#include <string.h>

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "plugin/diagnostics/compatibility.h"
#include "plugin/diagnostics/load_failure_report.h"
#include "plugin/identity/plugin_definition.h"
#include "plugin/identity/plugin_identity.h"
#include "plugin/keys/key_names.h"
#include "plugin/platform/platform.h"

void PluginAttach(HostInstance instance, uint32_t reason) {
  // Thread notifications and the detach reach us too; they need nothing.
  if (reason != DLL_PROCESS_ATTACH) return;
  g_plugin.instance = instance;
  GetModuleFileNameA(static_cast<HMODULE>(instance), g_plugin.modulePath,
                     sizeof g_plugin.modulePath);
  g_plugin.moduleBaseName = ModuleBaseName(g_plugin.modulePath);
  if (g_plugin.hostModule == nullptr) {
    g_plugin.hostModule = GetModuleHandleA("VOLMAR");
    if (g_plugin.hostModule != nullptr)
      g_plugin.hostQuery = reinterpret_cast<HostQueryFn>(reinterpret_cast<void *>(
          GetProcAddress(static_cast<HMODULE>(g_plugin.hostModule), MAKEINTRESOURCEA(host::kHostQueryOrdinal))));
  }
}

// [30001] The host hands over its query function and a buffer for our
// description; a null function is the tear-down before the host lets us go.
extern "C" int32_t HOST_STDCALL PluginHandshake(HostQueryFn query, char *description) {
  if (query == nullptr) {
    if (kPluginDefinition.tearDown != nullptr) kPluginDefinition.tearDown();
    ReleaseKeyNameTable();
    return 0;
  }
  g_plugin.hostQuery = query;
  if (description != nullptr)
    memcpy(description, kPluginDefinition.description, kPluginDefinition.descriptionSize);
  return CheckCompatibility();
}

// [30008] Mode 0: the host activates us.  Any other mode: the host could not
// activate us and asks why.
extern "C" int32_t HOST_STDCALL PluginActivate(int32_t mode) {
  if (mode != 0) {
    ShowLoadFailureReport();
    return 0;
  }
  // A second activation would hand us our own filter back as the previous
  // one, and the filter would then call itself for ever: keep the previous
  // filter of the first activation instead.
  KeyFilter filter = kPluginDefinition.keyFilter;
  KeyFilter previous = HostSetKeyFilter(filter);
  if (previous != filter && kPluginDefinition.previousFilter != nullptr)
    *kPluginDefinition.previousFilter = previous;
  if (kPluginDefinition.activate != nullptr) kPluginDefinition.activate();
  return 0;
}

// [30009]
extern "C" int32_t HOST_CDECL PluginAnswerZero(void) { return 0; }

// [30010]
extern "C" int32_t HOST_STDCALL PluginAnswerMagic(int32_t) { return -1234567890; }
