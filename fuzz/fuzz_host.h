// The fuzz targets' host: every host function the plug-in can call, with
// its answers taken from the fuzz input, and with the host's side of the
// contract checked on every call (no log line over 3077 characters, files
// used only while open, memory given back, ...).  A broken rule aborts
// with a message, which the fuzzer reports as a crash.
#pragma once

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "fuzz/fuzz_input.h"
#include "plugin/binding/host_calls.h"

#define FUZZ_CHECK(condition, ...)                                               \
  do {                                                                           \
    if (!(condition)) {                                                          \
      fprintf(stderr, "%s:%d: broken: %s: ", __FILE__, __LINE__, #condition);   \
      fprintf(stderr, __VA_ARGS__);                                              \
      fprintf(stderr, "\n");                                                     \
      abort();                                                                   \
    }                                                                            \
  } while (0)

namespace fuzz {

inline constexpr HostFile kMacroHandle = 1;
inline constexpr HostFile kLogHandle = 2;
inline constexpr HostFile kKeysHandle = 3;

// Longest log line, without its terminator.
inline constexpr size_t kLogLineChars = 3077;

struct HostFiles {
  std::string macro;  // the macro file's bytes
  bool macroExists = true;
  std::string keys;  // wtyczki\keys.h
  bool keysExist = true;
  bool logExists = false;  // a log beside the macro
};

// How the host behaves, beyond its answers from the input.
struct HostConduct {
  // Answers come from this input; when null, every answer is the quiet one.
  FuzzInput *answers = nullptr;
  // Host calls that may run the host's key loop call the filter back (from
  // the answers) while an outer filter call is running.
  bool reenter = false;
  // The host's text functions may leave their buffers full and unterminated.
  bool hostile = false;
};

// Fresh plug-in state, every slot bound to this host, files as given.
void InstallHost(const HostFiles &files, const HostConduct &conduct);
// Empties the slots whose bit (table position - 1) is set in `mask`.
void EmptySlots(uint64_t mask);
// Gives back a loaded key table, checks that no host memory is left and
// that every file is closed or still held by the player.
void FinishHost();

// As the start branch leaves things: the macro open, and its log if any.
void OpenMacroAsStarted();

// One call of the key filter from the host's own loop (not from inside one
// of the plug-in's host calls), with the checks that hold after every such
// call.  The key's result.
uint32_t OuterFilterCall(uint32_t key);

// What the host saw, for the targets' own checks.
struct HostRecord {
  uint64_t logLines = 0;
  uint64_t postedKeys = 0;
  uint64_t typedTexts = 0;
  uint64_t innerCalls = 0;
  std::string lastLogLine;
  bool lineConverted = false;  // the last log line was changed by the host
  std::string date, time;      // the stamp texts as the host gave them (11 at most)
};
const HostRecord &Record();

// The host's own use of its state bit 0x8000, between filter calls.
void ToggleHostStateBit();

}  // namespace fuzz
