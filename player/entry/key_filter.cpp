// The key filter.  Everything the player does happens inside its calls: one
// playback step per no-key call, the pause after a bracketed word, the ends
// of the waits, and Shift+F11.  The host's boxes, forms and typing functions
// that the player calls run the host's own key loop, which calls the filter
// again: the busy flag lets such inner calls pass their key untouched.
#include "player/entry/key_filter.h"

#include "plugin/contract/host_values.h"
#include "plugin/platform/platform.h"
#include "player/playback/playback.h"
#include "player/start/start_form.h"
#include "player/playback/player_state.h"

namespace {

// Runs `work` with the busy flag set and the host's state bit 0x8000 set,
// the bit only when it was clear and then cleared again afterwards.
void RunInStateBracket(void (*work)()) {
  g_player.busy = 1;
  bool bitWasClear = (HostGetFlags() & host::kFlagPluginWorking) == 0;
  if (bitWasClear) HostSetFlags(host::kFlagPluginWorking, 1);
  work();
  if (bitWasClear) HostSetFlags(host::kFlagPluginWorking, 0);
  g_player.busy = 0;
}

void HandleShiftF11() {
  if (g_player.macroFile != 0)
    AskToStopMacro();
  else
    RunStartBranch();
}

[[gnu::noinline]] void RunPlaybackStep() { RunInStateBracket(PlaybackStep); }

// Shift+F11 pressed by the user (the macro command SF11 is RunSf11 in
// commands.cpp).
[[gnu::noinline]] void RunShiftF11Key() { RunInStateBracket(HandleShiftF11); }

// The work of the filter lies out of line below, so that the way of a key
// that merely passes (no macro, no pause) stays a handful of instructions.

// The pause: true when `key` arrived before the pause ran out and has gone
// back to the host; false when the pause is over (and now cleared).
[[gnu::noinline]] bool HoldKey(uint32_t key) {
  // Unsigned subtraction: right across the wrap of the tick count.
  uint32_t elapsed = GetTickCount() - g_player.pauseStart;
  if (elapsed < g_player.pauseLength) {
    HostDelayKey(key, 0);
    return true;
  }
  g_player.pauseLength = 0;
  g_player.pauseStart = 0;
  return false;
}

}  // namespace

extern "C" uint32_t HOST_STDCALL PluginKeyFilter(uint32_t key) {
  // 1. The filter that was there before us sees every key first, also while
  //    we are busy; its answer replaces the key.
  if (g_player.previousFilter != nullptr) key = g_player.previousFilter(key);
  key &= host::kKeyCodeMask;

  // 2. While the pause runs, every real key goes back to the host for later.
  if (key != host::kNoKey && g_player.pauseLength != 0 && g_player.pauseStart != 0 &&
      HoldKey(key))
    return host::kNoKey;

  // 3. Enter ends a wait for Enter, Shift+F11 a halt; the ending key is
  //    consumed, and the call goes on as a no-key call.
  if (g_player.busy == 0 && g_player.macroFile != 0) {
    if ((g_player.waitMode == kWaitingForEnter && key == host::kKeyEnter) ||
        (g_player.waitMode == kHalted && key == host::kKeyShiftF11)) {
      g_player.waitMode = kNotWaiting;
      key = host::kNoKey;
    }
  }

  // 4. An inner call from the host's key loop, while we work: hands off.
  if (g_player.busy != 0) return key;

  // 5. The host has no key: feed it the next item of the macro, unless the
  //    macro waits.
  if (g_player.macroFile != 0 && key == host::kNoKey) {
    if (g_player.waitMode == kNotWaiting) RunPlaybackStep();
    return host::kNoKey;
  }

  // 6. Every key but Shift+F11 is the host's.
  if (key != host::kKeyShiftF11) return key;

  // 7. Shift+F11: the stop question during playback, the start form otherwise.
  RunShiftF11Key();
  return host::kNoKey;
}
