// bench_passthrough.dll: the smallest plug-in with a key filter, the
// baseline of the end-to-end figure.  Its filter hands every key back as it
// came (after the filter that was there before it), so a host typing with
// it installed pays for having a filter and for nothing else.
#include <windows.h>

#include <string.h>

#include "plugin/contract/host_api.h"
#include "plugin/contract/host_values.h"

namespace {

constexpr WORD kSetKeyFilterOrdinal = 52249;
KeyFilter g_previous = nullptr;
bool g_installed = false;

uint32_t HOST_STDCALL PassThroughFilter(uint32_t key) {
  return g_previous != nullptr ? g_previous(key) : key;
}

typedef KeyFilter(HOST_STDCALL *SetKeyFilterFn)(KeyFilter filter);

SetKeyFilterFn SetKeyFilter() {
  HMODULE host = GetModuleHandleA("VOLMAR.dll");
  if (host == nullptr) return nullptr;
  return reinterpret_cast<SetKeyFilterFn>(
      reinterpret_cast<void *>(GetProcAddress(host, MAKEINTRESOURCEA(kSetKeyFilterOrdinal))));
}

}  // namespace

// Ordinal 30001: the handshake with a query function; without one, the
// tear-down, which puts the filter before ours back.
extern "C" int32_t HOST_STDCALL PassThroughHandshake(HostQueryFn query, char *description) {
  if (query == nullptr) {
    SetKeyFilterFn set = SetKeyFilter();
    if (g_installed && set != nullptr) set(g_previous);
    g_installed = false;
    return 0;
  }
  static const char kDescription[] = "bench: filtr przepuszczajacy klawisze";
  if (description != nullptr) memcpy(description, kDescription, sizeof kDescription);
  return 0;
}

// Ordinal 30008: activation (0) installs the filter.
extern "C" int32_t HOST_STDCALL PassThroughActivate(int32_t mode) {
  if (mode != 0 || g_installed) return 0;
  SetKeyFilterFn set = SetKeyFilter();
  if (set == nullptr) return 0;
  g_previous = set(&PassThroughFilter);
  g_installed = true;
  return 0;
}
