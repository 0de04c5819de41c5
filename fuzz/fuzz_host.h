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
#include "sim/sim_slots.h"

#define FUZZ_CHECK(condition, ...)                                               \
  do {                                                                           \
    if (!(condition)) {                                                          \
      fprintf(stderr, "%s:%d: broken: %s: ", __FILE__, __LINE__, #condition);   \
      fprintf(stderr, __VA_ARGS__);                                              \
      fprintf(stderr, "\n");                                                     \
      abort();                                                                   \
    }                                                                            \
  } while (0)

struct StartFormRecord;

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
// The fuzz host: the simulated host's files (at fixed handles), state word
// and allocator, with every function on the player's paths checked and
// answered from the input.  The rest answer as the simulated host does.
class FuzzHost : public sim::HostCalls {
 public:
  HostFiles exist;               // which files exist
  HostConduct conduct;
  int depth = 0;                 // 1 inside an outer filter call, 2 inside an inner one
  StartFormRecord *formRecord = nullptr;  // while HostRunForm runs
  uint32_t previousFilterAnswer = 0;      // what the previous filter last answered
  HostRecord record;
  bool traceCalls = false;  // FUZZ_TRACE=2: every outer call with the state after it

 protected:
  int32_t HostFileFlush(HostFile file) override;
  uint32_t HostDateNumber(const char *) override { return 20261207; }
  int32_t HostConvertText(void *target, int32_t targetBytes, const void *source, int32_t length,
                          int32_t from, int32_t to) override;
  char *HostFileGets(char *buffer, int32_t size, HostFile file) override;
  int32_t HostFileClose(HostFile file) override;
  int32_t HostPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                const HostWideChar *extension) override;
  int32_t HostDelayKey(uint32_t key, int32_t zero) override;
  KeyFilter HostSetKeyFilter(KeyFilter) override { return nullptr; }
  int32_t HostSetFlags(uint32_t bits, int32_t on) override;
  int32_t HostFileGetc(HostFile file) override;
  int32_t HostPrepareText(char *text, int32_t size) override;
  int32_t HostDateTimeText(char *date, char *time, int32_t flags) override;
  int32_t HostRunForm(const void *, int32_t mode, void *record, FieldCallback callback) override;
  int32_t HostTypeText(const char *text) override;
  void *HostRealloc(void *block, uint32_t size) override;
  int32_t HostFileSeek(HostFile file, int32_t offset, int32_t origin) override;
  uint32_t HostKeyPending() override;
  int32_t HostWaitScreen() override;
  int32_t HostFileRewind(HostFile file) override;
  uint32_t HostConvertChar(int32_t byte, int32_t three, int32_t one) override;
  int32_t HostAsk(const char *title, const char *text, uint32_t) override;
  int32_t HostMakePathW(HostWideChar *buffer, int32_t capacity,
                        const HostWideChar *relative) override;
  int32_t HostPostKey(uint32_t key) override;
  void HostFree(void *block) override;
  HostFile HostFileOpenW(const HostWideChar *path, const HostWideChar *mode, int32_t share,
                         int32_t zero, int32_t minusOne) override;
  char *HostCopyText(char *destination, const char *source, int32_t maxChars) override;
  int32_t HostProfile(int32_t operation, const char *, const char *, const char *,
                      va_list) override;
  int32_t HostPickFile(int32_t kind, char *buffer, const char *pattern, int32_t one) override;
  void *HostCalloc(uint32_t count, uint32_t size) override;
  char *HostFormFieldBuffer(int32_t fieldId) override;
  int32_t HostFilePrintf(HostFile file, const char *format, va_list values) override;
};

// Fresh plug-in state, every slot bound to `host` (the fuzz host itself
// when null; a target's own host derives from it), files as given.
void InstallHost(const HostFiles &files, const HostConduct &conduct, FuzzHost *host = nullptr);

const HostRecord &Record();

// The host's own use of its state bit 0x8000, between filter calls.
void ToggleHostStateBit();

}  // namespace fuzz
