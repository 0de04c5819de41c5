// The recorder's start form: the name of the file to record into.
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

extern const unsigned char *const kRecorderFormTemplate;
extern const size_t kRecorderFormTemplateSize;

// The form engine's callback: the form has no button of ours to handle.
extern "C" int32_t HOST_STDCALL RecorderFormCallback(uint32_t code, uint32_t event);
