// The recorder's key filter.  It records what the host goes on to process:
// so it first asks the filter installed before it, and records that
// filter's answer, not the key it was offered.  A key the player holds back
// (HostDelayKey) comes back as "no key" and is recorded when the host
// offers it again and the player lets it through: once.
#include "recorder/entry/recorder_filter.h"

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"
#include "recorder/session/recorder_boxes.h"
#include "recorder/session/recording.h"

namespace {

// The start form, the stop notice and the command list run in the busy
// bracket (recorder_boxes.h): a playing macro waits for them.
[[gnu::noinline]] void RunHotKey() {
  BusyBracket held;
  ToggleRecording();
}

[[gnu::noinline]] void RunCommandKey() {
  BusyBracket held;
  RecordCommand();
}

bool AnotherPlugInWorks() { return (HostGetFlags() & host::kFlagPluginWorking) != 0; }

}  // namespace

extern "C" uint32_t HOST_STDCALL RecorderKeyFilter(uint32_t key) {
  // 1. Inside our own form or box every key is the box's: the filter
  //    before us does not see it (Shift+F11 typed into a file name must not
  //    start a macro, a playing macro waits).
  if (g_recorderBusy != 0) return key & host::kKeyCodeMask;

  // 2. The filter before us decides first; its answer is what the host
  //    would process.
  if (g_recorder.previousFilter != nullptr) key = g_recorder.previousFilter(key);
  key &= host::kKeyCodeMask;
  if (key == host::kNoKey) return key;

  // 3. The hot key is ours alone: never recorded, never passed on.  While
  //    another plug-in has its form or question open it does nothing.
  if (key == g_recorder.hotKey) {
    if (!AnotherPlugInWorks()) RunHotKey();
    return host::kNoKey;
  }
  if (g_recorder.file == 0) return key;

  // 4. Recording: the command key opens the command list (neither it nor
  //    the list's keys are recorded); it passes untouched to another
  //    plug-in's form, and outside a recording.
  if (key == g_recorder.commandKey && !AnotherPlugInWorks()) {
    RunCommandKey();
    return host::kNoKey;
  }

  // 5. Every other key but Shift+F11 (a recording never starts or stops a
  //    macro) and keys typed into another plug-in's form.
  if (key != host::kKeyShiftF11 && !AnotherPlugInWorks()) RecordKey(key);
  return key;
}
