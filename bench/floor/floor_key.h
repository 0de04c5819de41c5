// The floor plug-in's work for one key: the host calls that the player
// makes for a played plain character, in its order, with nothing of the
// player's own between them.  A header, so that the unit tests run the very
// same calls against the player's (tests/plugin/floor_key_test.cpp).
#pragma once

#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_values.h"

// One no-key call's work with `macro` open: the state bit set around it as
// the player sets it, the next byte read, converted and posted after the
// host says whether a key waits.  At the end of the file the macro is
// closed (and `macro` cleared) instead.
[[gnu::noinline]] inline void FloorPlayKey(HostFile &macro) {
  bool bitWasClear = (HostGetFlags() & host::kFlagPluginWorking) == 0;
  if (bitWasClear) HostSetFlags(host::kFlagPluginWorking, 1);
  int32_t byte = HostFileGetc(macro);
  if (byte < 0) {
    HostFileClose(macro);
    macro = 0;
  } else {
    uint32_t character =
        HostConvertChar(byte, host::kConvertCharMode, host::kConvertCharOne) & 0xFF;
    HostKeyPending();
    HostPostKey(character);
  }
  if (bitWasClear) HostSetFlags(host::kFlagPluginWorking, 0);
}
