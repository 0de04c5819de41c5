// The host import table and its binding by ordinal at load: the slot
// record, its call-through entries and pre-bind initialisers, the fallbacks
// of the guards (plugin/binding/host_calls.h), and the binding of the host
// functions that the plug-in's definition record lists.
#include "plugin/binding/host_imports.h"

#include <errno.h>
#include <string.h>

#include "plugin/identity/plugin_definition.h"
#include "plugin/identity/plugin_identity.h"
#include "plugin/platform/platform.h"

MissingImportRecord g_missingImports;

// ---------------------------------------------------------------------------
// Call-through entries.  Until its binding has run, each slot holds an entry
// of its own that binds the slot and jumps on to whatever the slot then
// holds, with the caller's stack and registers exactly as they were, so it
// serves host functions of every calling convention.  Should the binding fail,
// the entry returns 0 itself (removing the stdcall arguments) instead of
// jumping to address zero.
// ---------------------------------------------------------------------------
#if defined(_WIN32) && defined(__i386__)

#define HOST_CALL_THROUGH_ENTRY(pos, ord, Name, conv, pop, ...)  \
  extern "C" void HostCallThrough##pos(void);                    \
  asm(".text\n"                                                  \
      ".p2align 4\n"                                             \
      "_HostCallThrough" #pos ":\n"                              \
      "  pushal\n"                                               \
      "  pushfl\n"                                               \
      "  pushl $" #pos "-1\n"                                    \
      "  call _BindHostImportAt\n"                               \
      "  addl $4, %esp\n"                                        \
      "  popfl\n"                                                \
      "  popal\n"                                                \
      "  cmpl $0, _g_hostSlots+4*(" #pos "-1)\n"                 \
      "  je 1f\n"                                                \
      "  jmp *_g_hostSlots+4*(" #pos "-1)\n"                     \
      "1:\n"                                                     \
      "  xorl %eax, %eax\n"                                      \
      "  ret $" #pop "\n");
HOST_IMPORT_TABLE(HOST_CALL_THROUGH_ENTRY, HOST_CALL_THROUGH_ENTRY)
#undef HOST_CALL_THROUGH_ENTRY

#define HOST_UNBOUND_VALUE(pos, ord, Name, ...) reinterpret_cast<Name##Fn>(&HostCallThrough##pos),

#else  // the native build has no call-through entries: unbound slots are null

#define HOST_UNBOUND_VALUE(pos, ord, Name, ...) nullptr,

#endif

static const HostImportSlots kUnboundSlots = {
    HOST_IMPORT_TABLE(HOST_UNBOUND_VALUE, HOST_UNBOUND_VALUE)};

extern "C" {
HostImportSlots g_hostSlots = {HOST_IMPORT_TABLE(HOST_UNBOUND_VALUE, HOST_UNBOUND_VALUE)};
}
#undef HOST_UNBOUND_VALUE

#define HOST_TABLE_ROW(pos, ord, Name, ...) \
  {pos, ord, reinterpret_cast<void **>(&g_hostSlots.Name)},
const HostImportEntry kHostImportTable[kHostImportCount] = {
    HOST_IMPORT_TABLE(HOST_TABLE_ROW, HOST_TABLE_ROW)};
#undef HOST_TABLE_ROW

#define HOST_POSITION_ROW(pos, ord, Name, ...) HostImport::Name,
const HostImport kEveryHostImport[kHostImportCount] = {
    HOST_IMPORT_TABLE(HOST_POSITION_ROW, HOST_POSITION_ROW)};
#undef HOST_POSITION_ROW

namespace {

// Whether `list` names the host function at table position `position` (1
// to 44).  At most 44 short comparisons, once per slot at load.
bool ListNames(const HostImport *list, uint32_t count, uint32_t position) {
  for (uint32_t i = 0; i < count; ++i)
    if (static_cast<uint32_t>(list[i]) == position) return true;
  return false;
}

}  // namespace

void BindHostImport(uintptr_t ordinalOrName, void **slot) {
  // GetProcAddress takes an ordinal in the low word of its name argument.
  void *address = reinterpret_cast<void *>(
      GetProcAddress(static_cast<HMODULE>(g_plugin.hostModule),
                     reinterpret_cast<LPCSTR>(ordinalOrName)));
  *slot = address;
  if (address != nullptr) return;

  char line[1024];
  if (ordinalOrName > 0xFFFF) {
    wsprintfA(line, "Brak funkcji o nazwie %s\n", reinterpret_cast<const char *>(ordinalOrName));
  } else {
    if (g_missingImports.count < 8)
      g_missingImports.ordinals[g_missingImports.count] = static_cast<uint16_t>(ordinalOrName);
    ++g_missingImports.count;
    wsprintfA(line, "Brak funkcji o numerze %d\n", static_cast<int>(ordinalOrName));
  }
  if (IsDebuggerPresent()) OutputDebugStringA(line);
}

void BindHostImportFromList(uint32_t index, const HostImport *list, uint32_t count) {
  if (index >= kHostImportCount) return;
  const HostImportEntry &entry = kHostImportTable[index];
  // A host function the plug-in does not list is never asked for: its slot
  // is emptied, so its guard answers the neutral result and its call-through
  // entry (should anything reach it first) answers 0.
  if (!ListNames(list, count, entry.position)) {
    *entry.slot = nullptr;
    return;
  }
  BindHostImport(entry.ordinal, entry.slot);
}

extern "C" void BindHostImportAt(uint32_t index) {
  BindHostImportFromList(index, kPluginDefinition.boundImports,
                         kPluginDefinition.boundImportCount);
}

// ---------------------------------------------------------------------------
// Pre-bind initialisers: one per slot, in table order.  Each binds its slot
// and reports success whatever the binding did, so a missing host function
// never fails the load.  In the product build the array lies in the runtime's
// initialiser section (.CRT$XI*), which the DLL start-up runs right after our
// attach step.
// ---------------------------------------------------------------------------
#define HOST_PREBIND(pos, ...)                  \
  static int HOST_CDECL PreBind##pos(void) {    \
    BindHostImportAt(pos - 1);                  \
    return 0;                                   \
  }
HOST_IMPORT_TABLE(HOST_PREBIND, HOST_PREBIND)
#undef HOST_PREBIND

#define HOST_PREBIND_ROW(pos, ...) &PreBind##pos,
#if defined(_WIN32)
__attribute__((section(".CRT$XIT"), used))
#endif
static PreBindInitialiser g_preBindInitialisers[kHostImportCount] = {
    HOST_IMPORT_TABLE(HOST_PREBIND_ROW, HOST_PREBIND_ROW)};
#undef HOST_PREBIND_ROW

PreBindInitialiser const *const kPreBindInitialisers = g_preBindInitialisers;

void RunPreBindInitialisers() {
  for (int i = 0; i < kHostImportCount; ++i) kPreBindInitialisers[i]();
}

void ResetHostImports() {
  g_hostSlots = kUnboundSlots;
  memset(&g_missingImports, 0, sizeof g_missingImports);
}

// ---------------------------------------------------------------------------
// Neutral results of the guards that must also leave buffers defined.
// ---------------------------------------------------------------------------
int32_t HostMissingConvertText(void *target, int32_t targetBytes, const void *source) {
  // In place the text stays as it is; into another buffer nothing is copied,
  // and the target is left empty.
  if (target != source && target != nullptr && targetBytes >= 2)
    memset(target, 0, 2);
  return 0;
}

int32_t HostMissingPathAddExtensionW(HostWideChar *path, int32_t capacity) {
  // Without the host's rule no log path can be derived: an empty path opens
  // nothing, so the macro file itself is never taken for its log.
  if (path != nullptr && capacity > 0) path[0] = 0;
  return 0;
}

int32_t HostMissingDateTimeText(char *date, char *time) {
  if (date != nullptr) date[0] = 0;
  if (time != nullptr) time[0] = 0;
  return 0;
}

int32_t HostMissingMakePathW(HostWideChar *buffer, int32_t capacity, const HostWideChar *relative) {
  // The relative path stands for itself.
  if (buffer == nullptr || capacity <= 0) return 0;
  int32_t i = 0;
  for (; relative != nullptr && relative[i] != 0 && i < capacity - 1; ++i) buffer[i] = relative[i];
  buffer[i] = 0;
  return 0;
}

char *HostMissingCopyText(char *destination, const char *source, int32_t maxChars) {
  if (destination == nullptr) return destination;
  int32_t i = 0;
  for (; source != nullptr && source[i] != 0 && i < maxChars; ++i) destination[i] = source[i];
  destination[i] = 0;
  return destination;
}

HostFile HostMissingFileOpenW() {
  // Report the failure as the C runtime would: no such file, and the system
  // error "procedure not found" for the missing host function.
  errno = ENOENT;
  _doserrno = 127;
  return 0;
}
