// The plug-in's settings in the host's store and the one-time notice.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_text.h"

// Settings section "MacroFormFile" and its three keys.
inline constexpr auto kSettingsSection = ToHostText("MacroFormFile");
inline constexpr auto kSettingsNoticeKey = ToHostText("Pytaj");  // notice answer, 16-bit signed
inline constexpr auto kSettingsFileKey = ToHostText("File");     // macro file name, host text
inline constexpr auto kSettingsDelayKey = ToHostText("Delay");   // key delay, milliseconds

// Hands operation, section, key and format to HostProfile as they are and
// the values as one variable argument list.  Reads (1, 8) take addresses;
// writes (2, 9) take the values (host::kProfile* operations).  Low 16 bits 0 = success.
int32_t SettingsCall(int32_t operation, const char *section, const char *key,
                     const char *format, ...);

// Reads "Pytaj", "File" and "Delay" into the start-form record and shows the
// notice while it has not been answered.  Returns 0.
int32_t LoadSettings();
