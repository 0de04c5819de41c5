// The library's load-time entry (product build only).  The linker makes
// TastiroDllEntry the DLL's entry point, so the attach step runs before the
// C runtime's own start-up, which then runs the initialisers that bind the
// host import table.
#include "plugin/platform/platform.h"
#include "plugin/handshake/handshake.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI TastiroDllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  PluginAttach(instance, reason);
  return DllMainCRTStartup(instance, reason, reserved);
}
