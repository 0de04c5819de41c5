// The player state: the one playback record of the process, all zero at load.
// The player reads and writes it; the key filter reads it to route each key;
// activation keeps the replaced key filter in it; the start branch hands the
// key delay to it through SetKeyDelay (playback.h).
#pragma once

#include <stdint.h>

#include "plugin/binding/host_calls.h"

// What a playing macro waits for before its next item.
enum WaitMode : int32_t {
  kNotWaiting = 0,       // playing on
  kWaitingForEnter = 1,  // WAITENTER and WAIT: Enter resumes
  kHalted = 2,           // HALT: Shift+F11 resumes
};

struct PlayerState {
  HostFile macroFile;         // the open macro file, 0 = none
  HostFile logFile;           // the open macro log, 0 = none
  WaitMode waitMode;          // what the macro waits for, kNotWaiting = nothing
  KeyFilter previousFilter;   // what HostSetKeyFilter returned at activation, or null
  int32_t pendingKey;         // the key being handed to the host until it takes it (a
                              // character, a key name's code or a command's key, commands.h),
                              // or the character behind an over-long word; 0 = none
  uint32_t pauseLength;       // milliseconds of the running pause, 0 = none
  uint32_t pauseStart;        // GetTickCount() when the pause was armed, 0 = none
  int32_t busy;               // 1 while a playback step or Shift+F11 handling runs
  uint32_t keyDelay;          // milliseconds held after a bracketed word, from the start form
};
static_assert(sizeof(WaitMode) == 4, "the wait mode is a 32-bit value of the record");

extern PlayerState g_player;

// Empties the record as a fresh load of the library leaves it: for the
// tools, tests, fuzz targets and benchmarks that load the player's code
// once and run it many times.  The DLL itself never calls it (inline, so it
// adds nothing to the DLL).
inline void ResetPlayerState() { g_player = PlayerState{}; }
