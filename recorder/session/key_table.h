// The key-name table as the recorder's writer reads it: the shared table
// (wtyczki\keys.h) with a mark on each name that the player plays back as
// the same key.  Taken at the start of every recording and anew after the
// naming added a name to keys.h; the recording writes keys by it and the
// naming checks by it that a new name plays.
#pragma once

#include <stdint.h>

#include "plugin/keys/key_names.h"
#include "recorder/writer/key_writer.h"

struct RecorderKeyTable {
  KeyNameView names;                    // the table as the writer reads it
  uint8_t playable[kKeyTableCapacity];  // names.playable points here
};

extern RecorderKeyTable g_recorderKeys;

// Loads the shared table (anew, after it changed) and marks its playable
// names; a failed load shows the shared layers' message, inside the busy
// bracket, and leaves the table empty.
void PrepareKeyNames();
