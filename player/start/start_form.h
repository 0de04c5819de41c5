// The start form: its data record, template, field callback and the start
// branch that opens a macro.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "plugin/contract/host_api.h"
#include "player/start/start_form_record.h"

// The template in the host's form format.
extern const unsigned char *const kStartFormTemplate;
extern const size_t kStartFormTemplateSize;

// Shift+F11 with no macro open: form, settings, key names, macro and log.
void RunStartBranch();

// Called by the host's form engine; -2 when handled, 0 when not.
extern "C" int32_t HOST_STDCALL StartFormFieldCallback(uint32_t code, uint32_t event);
