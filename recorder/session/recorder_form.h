// The recorder's two forms, in the host's own form format (the layout the
// player's start form uses): the start form (the name of the file to record
// into) and the command list (a macro command written into the recording).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "plugin/contract/host_api.h"

#pragma pack(push, 1)
struct RecorderFormRecord {
  char fileName[258];  // host text, at most 257 characters
};
#pragma pack(pop)
static_assert(sizeof(RecorderFormRecord) == 258, "the form's one text field");

// The start form: a label, the file-name field, OK (F12) and a note that
// names the hot key and the command key (RecorderFormKeys).
const unsigned char *RecorderFormTemplate();
size_t RecorderFormTemplateSize();
// Writes the two keys' names (host text, as people write keys) into the
// start form's note; longer names are cut to 13 characters.
void RecorderFormKeys(const char *hotKey, const char *commandKey);

// The command list: one button per macro command, in the command table's
// order, each beside its plain-Polish description; the first has the focus.
// Enter presses the focused one, which closes the form with its answer;
// Esc closes it with none of them.
extern const unsigned char *const kCommandFormTemplate;
extern const size_t kCommandFormTemplateSize;
// The command a command-list answer stands for (0 to count-1), or -1.
int CommandOfAnswer(uint32_t answer);

// The form engine's callback: the forms have no button of ours to handle.
extern "C" int32_t HOST_STDCALL RecorderFormCallback(uint32_t code, uint32_t event);
