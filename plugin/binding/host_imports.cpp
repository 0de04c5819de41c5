// The host import table and its binding by ordinal at load.
#include "plugin/binding/host_imports.h"

#include <errno.h>
#include <string.h>

#include "plugin/platform/platform.h"
#include "plugin/state/plugin_identity.h"

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

extern "C" void BindHostImportAt(uint32_t index) {
  if (index >= kHostImportCount) return;
  BindHostImport(kHostImportTable[index].ordinal, kHostImportTable[index].slot);
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
