// The recorder's key filter.  It records what the host goes on to process:
// so it first asks the filter installed before it, and records that
// filter's answer, not the key it was offered.  A key the player holds back
// (HostDelayKey) comes back as "no key" and is recorded when the host
// offers it again and the player lets it through: once.
#include "recorder/entry/recorder_filter.h"

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "recorder/start/recording.h"

namespace {

// Our form or question runs with the busy flag and the host's state bit
// 0x8000 set (the bit only when it was clear, and cleared again after).
[[gnu::noinline]] void RunHotKey() {
  g_recorder.busy = 1;
  bool bitWasClear = (HostGetFlags() & host::kFlagPluginWorking) == 0;
  if (bitWasClear) HostSetFlags(host::kFlagPluginWorking, 1);
  ToggleRecording();
  if (bitWasClear) HostSetFlags(host::kFlagPluginWorking, 0);
  g_recorder.busy = 0;
}

}  // namespace

extern "C" uint32_t HOST_STDCALL RecorderKeyFilter(uint32_t key) {
  // 1. Inside our own form or question every key is the form's: the filter
  //    before us does not see it (Shift+F11 typed into a file name must not
  //    start a macro).
  if (g_recorder.busy != 0) return key & host::kKeyCodeMask;

  // 2. The filter before us decides first; its answer is what the host
  //    would process.
  if (g_recorder.previousFilter != nullptr) key = g_recorder.previousFilter(key);
  key &= host::kKeyCodeMask;
  if (key == host::kNoKey) return key;

  // 3. The hot key is ours alone: never recorded, never passed on.  While
  //    another plug-in has its form or question open it does nothing.
  if (key == g_recorder.hotKey) {
    if ((HostGetFlags() & host::kFlagPluginWorking) == 0) RunHotKey();
    return host::kNoKey;
  }

  // 4. Recording: every key but Shift+F11 (a recording never starts or
  //    stops a macro) and keys typed into another plug-in's form.
  if (g_recorder.file != 0 && key != host::kKeyShiftF11 &&
      (HostGetFlags() & host::kFlagPluginWorking) == 0)
    RecordKey(key);
  return key;
}
