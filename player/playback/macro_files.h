// The macro file and its log: opened when the start branch asks, closed at
// the end of the macro or when the user stops it.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

// Opens the macro named by `fileName` (host text) for playing and, when a
// file named like it with ".log" already exists, that log for appending.
// A macro that cannot be opened is reported to the user with the runtime's
// error numbers.  True when the macro is open.
bool OpenMacroAndLog(const char *fileName);

// Closes the file of a player-state field and zeroes the field.
int32_t CloseHostFile(HostFile *field);

// Closes the macro and its log.
void CloseMacroAndLog();
