// The start form's data record: filled from the settings at activation,
// edited by the start form; its key delay goes to the player (SetKeyDelay)
// at activation and after a confirmed form.
#pragma once

#include <stdint.h>

#pragma pack(push, 1)
struct StartFormRecord {
  char fileName[258];  // macro file name, host text, at most 257 characters
  uint16_t keyDelay;   // pause after a bracketed word, milliseconds
};
#pragma pack(pop)
static_assert(sizeof(StartFormRecord) == 260, "the form edits 260 bytes without a gap");

extern StartFormRecord g_startForm;  // defined in start_form.cpp
