#include "recorder/session/key_table.h"

#include "recorder/session/recorder_boxes.h"
#include "recorder/session/writer_host.h"

RecorderKeyTable g_recorderKeys;

void PrepareKeyNames() {
  {
    BusyBracket held;  // a failed load shows the shared layers' message
    LoadKeyNameTable();
  }
  KeyNameView &names = g_recorderKeys.names;
  names.entries = KeyNameEntries();
  names.count = KeyNameCount();
  names.playable = g_recorderKeys.playable;
  MarkPlayableNames(names.entries, names.count, g_recorderKeys.playable, PlayedCode);
}
