// The simulated host's functions and the generated slots (see sim_slots.h).
#include "sim/sim_slots.h"

#include <stdio.h>

#include "host/app/core/paths.h"
#include "host/app/core/text_codec.h"
#include "plugin/contract/host_values.h"
#include "sim/sim_state_word.h"
#include "sim/sim_text.h"

namespace sim {

// ---- The simulated host, in table order (the rest: HostBackend's) ------------------------------------------

HostCalls::~HostCalls() = default;

int32_t HostCalls::HostFileFlush(HostFile file) { return files.Flush(file); }

uint32_t HostCalls::HostDateNumber(const char *) { return host::kUnreadableDate; }

// As the stand-in host converts: host text to wide text (paths), host text
// to the log's encoding (UTF-8).
int32_t HostCalls::HostConvertText(void *target, int32_t targetBytes, const void *source,
                                   int32_t length, int32_t from, int32_t to) {
  return volmar::ConvertText(target, targetBytes, source, length, from, to);
}

uint32_t HostCalls::HostGetFlags() { return flags; }

char *HostCalls::HostFileGets(char *buffer, int32_t size, HostFile file) {
  return files.Gets(buffer, size, file);
}

int32_t HostCalls::HostFileClose(HostFile file) { return files.Close(file); }

int32_t HostCalls::HostPathAddExtensionW(HostWideChar *path, int32_t capacity,
                                         const HostWideChar *extension) {
  return volmar::AddExtension(path, capacity, extension);
}

KeyFilter HostCalls::HostSetKeyFilter(KeyFilter filter) {
  KeyFilter previous = installedFilter;
  installedFilter = filter;
  return previous;
}

int32_t HostCalls::HostSetFlags(uint32_t bits, int32_t on) { return SetStateBits(flags, bits, on); }

int32_t HostCalls::HostFileGetc(HostFile file) { return files.Getc(file); }

int32_t HostCalls::HostDateTimeText(char *date, char *time, int32_t) {
  snprintf(date, 12, "%s", dateText.c_str());
  snprintf(time, 12, "%s", timeText.c_str());
  return 0;
}

int32_t HostCalls::HostTypeText(const char *) { return 1; }

void *HostCalls::HostRealloc(void *block, uint32_t size) { return memory.Realloc(block, size); }

int32_t HostCalls::HostFileSeek(HostFile file, int32_t offset, int32_t origin) {
  return files.Seek(file, offset, origin);
}

int32_t HostCalls::HostApiLevel() { return apiLevel; }

uint32_t HostCalls::HostKeyPending() { return host::kNoKey; }

int32_t HostCalls::HostFileRewind(HostFile file) { return files.Rewind(file); }

uint32_t HostCalls::HostConvertChar(int32_t byte, int32_t, int32_t) {
  return static_cast<uint32_t>(byte & 0xFF);
}

int32_t HostCalls::HostMakePathW(HostWideChar *buffer, int32_t capacity,
                                 const HostWideChar *relative) {
  return volmar::MakePath(buffer, capacity, hostFolder, relative);
}

int32_t HostCalls::HostPostKey(uint32_t) { return 1; }

void HostCalls::HostFree(void *block) { memory.Free(block); }

// Opens only a file that exists; else 0 with errno and _doserrno set as the
// C runtime sets them for a file that does not exist.
HostFile HostCalls::HostFileOpenW(const HostWideChar *path, const HostWideChar *mode, int32_t,
                                  int32_t, int32_t) {
  return files.Open(WideText(path), WideText(mode));
}

char *HostCalls::HostCopyText(char *destination, const char *source, int32_t maxChars) {
  return CopyText(destination, source, maxChars);
}

int32_t HostCalls::HostProfile(int32_t operation, const char *section, const char *key,
                               const char *format, va_list values) {
  return profile.Profile(operation, section, key, format, values);
}

int32_t HostCalls::HostPickFile(int32_t, char *, const char *, int32_t) { return -1; }

void *HostCalls::HostCalloc(uint32_t count, uint32_t size) { return memory.Calloc(count, size); }

int32_t HostCalls::HostFilePrintf(HostFile file, const char *format, va_list values) {
  return files.Write(file, FormatV(format, values));
}

// ---- Argument texts --------------------------------------------------------------

std::string CallArgsText(Call<HostFunction::HostConvertText>, void *target, int32_t targetBytes,
                         const void *source, int32_t length, int32_t from, int32_t to) {
  return JoinArgs(target == source ? "in place" : "to buffer", targetBytes, length, from, to);
}

std::string CallArgsText(Call<HostFunction::HostPrepareText>, char *text, int32_t size) {
  return JoinArgs(static_cast<const char *>(text), size);
}

std::string CallArgsText(Call<HostFunction::HostPathAddExtensionW>, HostWideChar *path,
                         int32_t capacity, const HostWideChar *extension) {
  return JoinArgs(static_cast<const HostWideChar *>(path), capacity, extension);
}

std::string CallArgsText(Call<HostFunction::HostProfile>, int32_t operation, const char *section,
                         const char *key, const char *format, va_list) {
  return JoinArgs(operation, section, key, format);
}

// ---- The generated slots -----------------------------------------------------------

namespace {

HostCalls *g_calls = nullptr;

// Records a call of F with the arguments it is called with, when recording
// is on: `Recorder<F>{calls, name}(arguments...)`.
template <HostFunction F>
struct Recorder {
  HostCalls &calls;
  const char *name;
  template <typename... Args>
  void operator()(Args... args) const {
    if (calls.recording) calls.Record(name, CallArgsText(Call<F>(), args...));
  }
};

#define SIM_SLOT(pos, ord, Name, conv, pop, Result, params, args, ...) \
  Result conv Slot##Name params {                                      \
    HostCalls &calls = *g_calls;                                       \
    Recorder<HostFunction::Name>{calls, #Name} args;                   \
    return calls.Name args;                                            \
  }
#define SIM_VARIADIC_SLOT(pos, ord, Name, ...)
HOST_IMPORT_TABLE(SIM_SLOT, SIM_VARIADIC_SLOT)
#undef SIM_SLOT
#undef SIM_VARIADIC_SLOT

// The two variadic ones record their formatted text after their arguments.
void RecordFormatted(HostCalls &calls, const char *name, const std::string &args,
                     const char *format, va_list values) {
  if (!calls.recording) return;
  va_list copy;
  va_copy(copy, values);
  calls.Record(name, args + ", \"" + Escaped(FormatV(format, copy)) + "\"");
  va_end(copy);
}

#define SIM_UNPAREN(...) __VA_ARGS__
#define SIM_FORMATTED_SLOT(Name, params, last, args)                                \
  int32_t HOST_CDECL Slot##Name params {                                            \
    HostCalls &calls = *g_calls;                                                    \
    va_list values;                                                                 \
    va_start(values, last);                                                         \
    RecordFormatted(calls, #Name, JoinArgs args, format, values);                   \
    int32_t result = calls.Name(SIM_UNPAREN args, values);                          \
    va_end(values);                                                                 \
    return result;                                                                  \
  }
SIM_FORMATTED_SLOT(HostMessageF,
                   (int32_t id, const char *title, const char *format, uint32_t style,
                    uint32_t style2, ...),
                   style2, (id, title, format, style, style2))
SIM_FORMATTED_SLOT(HostFilePrintf, (HostFile file, const char *format, ...), format,
                   (file, format))
#undef SIM_FORMATTED_SLOT
#undef SIM_UNPAREN

const HostImportSlots kSlots = {
#define SIM_SLOT_ENTRY(pos, ord, Name, ...) .Name = Slot##Name,
    HOST_IMPORT_TABLE(SIM_SLOT_ENTRY, SIM_SLOT_ENTRY)
#undef SIM_SLOT_ENTRY
};

}  // namespace

void InstallHostCalls(HostCalls &calls) {
  g_calls = &calls;
  g_hostSlots = kSlots;
}

HostCalls *InstalledHostCalls() { return g_calls; }

bool HostCallsBound() { return g_hostSlots.HostFree == kSlots.HostFree; }

int32_t HOST_CDECL HostCallsQuery(int32_t what, int32_t value) {
  HostCalls &calls = *g_calls;
  if (calls.recording) calls.Record("HostQuery", JoinArgs(what, value));
  return calls.HostQuery(what, value);
}

}  // namespace sim
