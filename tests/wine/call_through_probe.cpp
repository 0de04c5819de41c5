// call_through_probe.exe: the plug-in's call-through entries, reached.
//
// Until its binding has run, each host import slot holds an entry of its
// own that binds the slot and jumps on to the bound function, leaving the
// caller's stack and registers as they were; when the binding fails it
// answers 0 itself and removes a stdcall function's arguments.  In the DLL
// the bindings run at load before anything can call a slot, so this program
// links the plug-in's code itself, puts the slots back to their entries and
// calls through them with the i386 stack laid out by hand.
#include <windows.h>

#include "plugin/binding/host_imports.h"
#include "plugin/binding/host_calls.h"
#include "plugin/identity/plugin_identity.h"
#include "tests/wine/check.h"
#include "tests/wine/stack_probe.h"

// Host ordinals 32300 and 38273, exported by this program (call_through_probe.def).
extern "C" uint32_t __cdecl ProbeGetFlags(void) { return 0x1234; }
extern "C" uint32_t __cdecl ProbeConvertChar(int32_t byte, int32_t three, int32_t one) {
  return static_cast<uint32_t>(byte * 100 + three * 10 + one);
}

namespace {

struct Case {
  const char *what;
  void **slot;
  int32_t args[3];
  int32_t count;
  int32_t result;    // what the call answers
  int32_t espShift;  // what it leaves on the stack: cdecl leaves its arguments
  void *boundTo;     // what the slot holds afterwards
};

}  // namespace

int main() {
  ResetHostImports();
  g_plugin.hostModule = GetModuleHandleW(nullptr);

  const Case cases[] = {
      {"HostGetFlags binds and jumps on", reinterpret_cast<void **>(&g_hostSlots.HostGetFlags),
       {}, 0, 0x1234, 0, reinterpret_cast<void *>(&ProbeGetFlags)},
      {"HostConvertChar binds and passes its arguments",
       reinterpret_cast<void **>(&g_hostSlots.HostConvertChar), {7, 3, 1}, 3, 731, 12,
       reinterpret_cast<void *>(&ProbeConvertChar)},
      {"HostSetKeyFilter (stdcall) is missing: 0, its argument removed",
       reinterpret_cast<void **>(&g_hostSlots.HostSetKeyFilter), {0x55}, 1, 0, 0, nullptr},
      {"HostPostKey (cdecl) is missing: 0, its argument left to the caller",
       reinterpret_cast<void **>(&g_hostSlots.HostPostKey), {'a'}, 1, 0, 4, nullptr},
  };
  for (const Case &c : cases) {
    int32_t shift = -1;
    int32_t result = CallAndMeasure(*c.slot, c.args, c.count, &shift);
    CheckValue(c.result, result, std::string(c.what) + ": result");
    CheckValue(c.espShift, shift, std::string(c.what) + ": stack");
    Check(*c.slot == c.boundTo, std::string(c.what) + ": the slot afterwards");
  }
  CheckValue(2, g_missingImports.count, "the two missing functions are counted");
  CheckValue(52249, g_missingImports.ordinals[0], "first missing: HostSetKeyFilter");
  CheckValue(52245, g_missingImports.ordinals[1], "then HostPostKey");
  return CheckSummary();
}
