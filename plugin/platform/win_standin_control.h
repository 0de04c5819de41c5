// Steering the native stand-in of the Windows layer from tests: a settable
// tick count, a registry of modules with their exports by ordinal, a
// debugger flag and a capture of debug output and sleeps.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "plugin/platform/win_standin.h"

namespace standin {

// Forgets every module, export, sleep and debug line; tick count 0, no debugger.
void Reset();

void SetTickCount(uint32_t ticks);
void AdvanceTicks(uint32_t milliseconds);
// Sleep() advances the tick count by its argument and records it here.
const std::vector<uint32_t> &Sleeps();

void SetDebuggerPresent(bool present);
const std::vector<std::string> &DebugOutput();

// A module that GetModuleHandleA finds by `name` (case-insensitive, without
// extension) and whose file name is `path`.  Returns its handle.
HMODULE AddModule(const char *name, const char *path);
// An export of `module` by ordinal; a null module stands for the main program.
void AddExport(HMODULE module, uint16_t ordinal, void *function);
// An export of `module` by name, for the binding of a slot by name.
void AddNamedExport(HMODULE module, const char *name, void *function);

// Every GetProcAddress lookup in order: the ordinal, or 0 for a lookup by name.
const std::vector<uint32_t> &ProcLookups();

}  // namespace standin
