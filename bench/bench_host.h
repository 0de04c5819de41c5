// A quick fake host for the benchmarks: every host function the measured
// paths call answers at once, with no recording and no log of its own.
//
// Its functions are named BenchHost* so that the instruction counts can
// leave them out (callgrind's --toggle-collect=BenchHost* switches
// collection off while one of them runs).
#pragma once

#include <stdint.h>

#include "plugin/binding/host_calls.h"

namespace bench {

// Handles the fake host gives out.
inline constexpr HostFile kMacroHandle = 1;
inline constexpr HostFile kLogHandle = 2;
inline constexpr HostFile kKeysHandle = 3;

// Binds the slots the measured paths use (the others stay empty) and puts
// the plug-in's state back as at load: no macro, no log, no key table.
void InstallHost();

// A macro is open whose file is an endless run of 'a'; with `log`, a log
// too (its lines go to a sink that only counts them).
void OpenMacro(bool log);

// The 300-line key definition file the fake host holds in memory.
const char *KeysText();
// Loads the 300-entry key-name table from it; false when the load failed.
bool LoadKeys();
// The 300 codes and names of that file, in file order.
const uint16_t *KeyCodes();
const char *const *KeyNames();
inline constexpr int kKeyCount = 300;

// How many lines the log sink received.
uint64_t SinkLines();

// For the stack painter: the macro file reads `text` over and over instead
// of an endless run of 'a' (null: back to 'a'), and the host also serves
// the start branch: its form runs the file button's callback and closes
// with OK, the settings and the picker answer, files open.
void SetMacroText(const char *text);
void ServeStartBranch();

}  // namespace bench
