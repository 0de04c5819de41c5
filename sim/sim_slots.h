// The simulated host's 44 functions behind the plug-in's host import slots,
// generated from the contract's table (HOST_IMPORT_TABLE), so that no host
// under the native tests, the checker, fuzz or bench writes a slot table of
// its own.
//
// Two ways to bind the slots:
//
//   InstallHostCalls(calls)   every slot forwards to the virtual method of
//                             the same name of one HostCalls object (a
//                             HostBackend, the interface that VOLMAR.dll's
//                             exports forward to as well), after
//                             recording the call when `recording` is on.
//                             A host derives from HostCalls and overrides
//                             only what it does differently.
//   StaticSlots<Host>()       every slot whose host function Host defines as
//                             a static member function points straight at
//                             it; the others stay empty.  No recording, no
//                             virtual call: for the benchmarks, whose host
//                             must cost what a real host's call costs.
//
// HostCalls's own methods are the simulated host: in-memory files, a
// settings store, an allocator that counts its blocks, the state word, the
// host's path and text rules; every other function answers neutrally
// (HostBackend's defaults).
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include <string>

#include "host/exports/host_backend.h"
#include "plugin/binding/host_calls.h"
#include "plugin/contract/host_api.h"
#include "sim/sim_calls.h"
#include "sim/sim_files.h"
#include "sim/sim_memory.h"
#include "sim/sim_settings.h"

namespace sim {

// Each host function by name, valued by its place in the table.
enum class HostFunction {
#define SIM_HOST_FUNCTION(pos, ord, Name, ...) Name = pos,
  HOST_IMPORT_TABLE(SIM_HOST_FUNCTION, SIM_HOST_FUNCTION)
#undef SIM_HOST_FUNCTION
};

// A tag that stands for one host function in an overload set (see
// CallArgsText below and the unit tests' fake host).
template <HostFunction F>
struct Call {};

class HostCalls : public HostBackend, public CallLog {
 public:
  ~HostCalls() override;

  // Each call is recorded (CallLog) before it runs, when this is on.
  bool recording = false;

  // ---- The simulated host's state --------------------------------------------
  Files files;
  Memory memory;
  Settings profile;                 // HostProfile's settings store
  uint32_t flags = 0;               // the state word (HostGetFlags, HostSetFlags)
  KeyFilter installedFilter = nullptr;  // the last filter given to HostSetKeyFilter
  std::u16string hostFolder;        // what HostMakePathW puts before a relative name
  int32_t apiLevel = 0;             // HostApiLevel
  std::string dateText = "2026-12-07";  // HostDateTimeText's two texts
  std::string timeText = "10:11:12";

  // ---- The host functions ----------------------------------------------------
  // HostBackend (the interface behind VOLMAR.dll's exports too) answers
  // every function neutrally (0, null; HostQuery 1); the simulated host
  // does these as a host does.
  int32_t HostFileFlush(HostFile file) override;
  uint32_t HostDateNumber(const char *date) override;
  int32_t HostConvertText(void *target, int32_t targetBytes, const void *source, int32_t length,
                          int32_t from, int32_t to) override;
  uint32_t HostGetFlags() override;
  char *HostFileGets(char *buffer, int32_t size, HostFile file) override;
  int32_t HostFileClose(HostFile file) override;
  int32_t HostPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                const HostWideChar *extension) override;
  KeyFilter HostSetKeyFilter(KeyFilter filter) override;
  int32_t HostSetFlags(uint32_t bits, int32_t on) override;
  int32_t HostFileGetc(HostFile file) override;
  int32_t HostDateTimeText(char *date, char *time, int32_t flags) override;
  int32_t HostTypeText(const char *text) override;
  void *HostRealloc(void *block, uint32_t size) override;
  int32_t HostFileSeek(HostFile file, int32_t offset, int32_t origin) override;
  int32_t HostApiLevel() override;
  uint32_t HostKeyPending() override;
  int32_t HostFileRewind(HostFile file) override;
  uint32_t HostConvertChar(int32_t byte, int32_t three, int32_t one) override;
  int32_t HostMakePathW(HostWideChar *buffer, int32_t capacity,
                        const HostWideChar *relative) override;
  int32_t HostPostKey(uint32_t key) override;
  void HostFree(void *block) override;
  HostFile HostFileOpenW(const HostWideChar *path, const HostWideChar *mode, int32_t share,
                         int32_t zero, int32_t minusOne) override;
  char *HostCopyText(char *destination, const char *source, int32_t maxChars) override;
  int32_t HostProfile(int32_t operation, const char *section, const char *key, const char *format,
                      va_list values) override;
  int32_t HostPickFile(int32_t kind, char *buffer, const char *pattern, int32_t one) override;
  void *HostCalloc(uint32_t count, uint32_t size) override;
  int32_t HostFilePrintf(HostFile file, const char *format, va_list values) override;
};

// Binds every host import slot (g_hostSlots) to `calls`.
void InstallHostCalls(HostCalls &calls);
// The object the slots forward to; null before the first InstallHostCalls.
HostCalls *InstalledHostCalls();
// True while the slots are the generated ones (InstallHostCalls).
bool HostCallsBound();
// The query function that forwards to the installed object's HostQuery.
int32_t HOST_CDECL HostCallsQuery(int32_t what, int32_t value);

// ---- The record of a call's arguments -----------------------------------------
// JoinArgs of the arguments, but for the functions whose arguments say more
// as other text: a conversion's target as "in place" or "to buffer", and
// the texts that HostPrepareText and HostPathAddExtensionW change in place
// as their text before the call; HostProfile's list of values is left out.
template <typename Tag, typename... Args>
std::string CallArgsText(Tag, Args... args) {
  return JoinArgs(args...);
}
std::string CallArgsText(Call<HostFunction::HostConvertText>, void *target, int32_t targetBytes,
                         const void *source, int32_t length, int32_t from, int32_t to);
std::string CallArgsText(Call<HostFunction::HostPrepareText>, char *text, int32_t size);
std::string CallArgsText(Call<HostFunction::HostPathAddExtensionW>, HostWideChar *path,
                         int32_t capacity, const HostWideChar *extension);
std::string CallArgsText(Call<HostFunction::HostProfile>, int32_t operation, const char *section,
                         const char *key, const char *format, va_list values);

// ---- Static binding --------------------------------------------------------------
// The slots of the host functions that `Host` defines as static member
// functions (inherited ones too), each pointing straight at its function.
template <typename Host>
HostImportSlots StaticSlots() {
  HostImportSlots slots{};
#define SIM_STATIC_SLOT(pos, ord, Name, ...) \
  if constexpr (requires { &Host::Name; }) slots.Name = &Host::Name;
  HOST_IMPORT_TABLE(SIM_STATIC_SLOT, SIM_STATIC_SLOT)
#undef SIM_STATIC_SLOT
  return slots;
}

}  // namespace sim
