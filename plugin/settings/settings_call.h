// The settings call: the one path by which a plug-in reads and writes its
// values in the host's settings store (host function HostProfile).
#pragma once

#include <stdint.h>

// Hands operation, section, key and format to HostProfile as they are and
// the values as one variable argument list.  Reads (1, 8) take addresses;
// writes (2, 9) take the values (host::kProfile* operations).  Low 16 bits
// 0 = success (SettingsCallFailed tells).
int32_t SettingsCall(int32_t operation, const char *section, const char *key,
                     const char *format, ...);

// The host answers with 0 in the low 16 bits when it found the key.
inline bool SettingsCallFailed(int32_t result) { return (result & 0xFFFF) != 0; }
