// The key filter and the player state.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

// The one playback record of the process; all zero at load.
struct PlayerState {
  HostFile macroFile;         // the open macro file, 0 = none
  HostFile logFile;           // the open macro log, 0 = none
  int32_t waitMode;           // 0 none, 1 waiting for Enter, 2 halted until Shift+F11
  KeyFilter previousFilter;   // what HostSetKeyFilter returned at activation, or null
  int32_t pendingKey;         // the key being handed to the host, 0 = none
  uint32_t pauseLength;       // milliseconds of the running pause, 0 = none
  uint32_t pauseStart;        // GetTickCount() when the pause was armed, 0 = none
  int32_t busy;               // 1 while a playback step or Shift+F11 handling runs
};

extern PlayerState g_player;

// The filter the host calls for every key and with 0xFFFF when it has none.
extern "C" uint32_t HOST_STDCALL PluginKeyFilter(uint32_t key);

// Writes the key line for `key`, then hands it to the host; nonzero when taken.
int32_t PostMacroKey(int32_t key);

// Closes the file of a player-state field and zeroes the field.
int32_t CloseHostFile(HostFile *field);
