// HostProfile: the plug-ins' reads and writes of the host's settings store.
//
// Operations 1 and 8 read, 2 and 9 write; both codes of a kind do the same,
// so a value written with either write code is what either read code returns.
// The result's low 16 bits are 0 on success and 1 otherwise (key missing,
// value unreadable, format not served, store not saved).
//
// Read formats, one directive each:
//   "%d" "%i" "%u" "%hd" "%hu"   a 16-bit number stored at the address given
//   "%ld" "%lu"                  a 32-bit number stored at the address given
//   "%*s"                        the width, then the address: at most width
//                                characters and a zero are stored
//   "%Ns" (N a number)           at most N characters and a zero
// A "%s" read without a width is refused: the host cannot know the room.
// Writes format their values with the format (printf) and store the text;
// a line break in it ends the value.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include <functional>

#include "host/app/core/ini_store.h"

namespace volmar {

enum ProfileOperation : int32_t {
  kProfileRead = 1,
  kProfileWrite = 2,
  kProfileReadText = 8,
  kProfileWriteText = 9,
};

// `save` is called after every write with the store; false when saving failed.
int32_t ProfileCall(IniStore &store, const std::function<bool(const IniStore &)> &save,
                    int32_t operation, const char *section, const char *key, const char *format,
                    va_list values);

}  // namespace volmar
