// Does the plug-in accept the host it was loaded into?  Four tests in a
// fixed order; the first that fails ends the check.
#include "plugin/diagnostics/compatibility.h"

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "plugin/identity/plugin_definition.h"
#include "plugin/identity/plugin_identity.h"

// Nothing is known to be supported until the check has asked the host; a
// load-failure report before any handshake therefore names every bit.
uint32_t g_unsupportedFeatures = 0xFFFFFFFFu;

// [handshake, load-failure report]
int32_t CheckCompatibility() {
  // Bit 0 of the host's feature mask is acceptable; any other bit is a
  // feature the plug-in needs and the host lacks.  Without a query function
  // nothing can be asked, and nothing counts as supported.
  uint32_t mask = 0xFFFFFFFFu;
  if (g_plugin.hostQuery != nullptr) mask = static_cast<uint32_t>(g_plugin.hostQuery(1, 1));
  g_unsupportedFeatures = mask & ~1u;
  if (g_unsupportedFeatures != 0) return -1;

  // Both dates are asked for before either is looked at.
  uint32_t ours = HostDateNumber(kPluginDefinition.buildDate);
  uint32_t host = HostDateNumber(nullptr);
  if (ours == host::kUnreadableDate) return -1;
  if (host < ours) return -1;  // a host older than the plug-in

  if (HostCheckPlugin(g_plugin.instance, nullptr, 0) != 0) return -1;

  return HostApiLevel() == host::kRequiredApiLevel ? 0 : -1;
}
