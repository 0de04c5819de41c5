// The plug-in's settings in the host's store and the one-time notice.
#pragma once

#include <stdint.h>

// Hands operation, section, key and format to HostProfile as they are and
// the values as one variable argument list.  Reads (1, 8) take addresses;
// writes (2, 9) take the values.  Low 16 bits 0 = success.
int32_t SettingsCall(int32_t operation, const char *section, const char *key,
                     const char *format, ...);

// Reads "Pytaj", "File" and "Delay" into the start-form record and shows the
// notice while it has not been answered.  Returns 0.
int32_t LoadSettings();
