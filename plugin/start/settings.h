// The plug-in's settings in the host's store and the one-time notice.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_text.h"

// Settings section "MacroFormFile" and its three keys.
inline constexpr auto kSettingsSection = ToHostText("MacroFormFile");
inline constexpr auto kSettingsNoticeKey = ToHostText("Pytaj");  // notice answer, 16-bit signed
inline constexpr auto kSettingsFileKey = ToHostText("File");     // macro file name, host text
inline constexpr auto kSettingsDelayKey = ToHostText("Delay");   // key delay, milliseconds

// HostProfile operation codes as the plug-in uses them.
enum : int32_t {
  kSettingsReadNumber = 1,   // "%d" into a 16-bit number
  kSettingsWriteNumber = 2,  // "Pytaj"
  kSettingsReadText = 8,     // "%*s", width then address
  kSettingsWrite = 9,        // "File" and "Delay" after the start form
};

// Hands operation, section, key and format to HostProfile as they are and
// the values as one variable argument list.  Reads (1, 8) take addresses;
// writes (2, 9) take the values.  Low 16 bits 0 = success.
int32_t SettingsCall(int32_t operation, const char *section, const char *key,
                     const char *format, ...);

// Reads "Pytaj", "File" and "Delay" into the start-form record and shows the
// notice while it has not been answered.  Returns 0.
int32_t LoadSettings();
