// How a plug-in calls the host: the slot record and the guards.
//
// The plug-in reaches each host function only through its slot in
// `g_hostSlots`, and every call site goes through the guard of the same name
// (`HostFileGetc(file)` and so on), generated below from HOST_IMPORT_TABLE
// (plugin/contract/host_api.h) by HOST_DECLARE_GUARD: a guard calls through
// the slot when the slot holds an address and otherwise returns the neutral
// result given in the table, so control never passes to an empty slot.  The
// record and the fallbacks are defined in host_imports.cpp, beside the
// binding that fills the slots, so no call leaves this layer upwards.
#pragma once

#include <stdint.h>

#include "plugin/contract/host_api.h"

// Fallbacks for the guards whose neutral result is more than a value: they
// leave the caller's buffers in a defined state.  Defined in host_imports.cpp.
int32_t HostMissingConvertText(void *target, int32_t targetBytes, const void *source);
int32_t HostMissingPathAddExtensionW(HostWideChar *path, int32_t capacity);
int32_t HostMissingDateTimeText(char *date, char *time);
int32_t HostMissingMakePathW(HostWideChar *buffer, int32_t capacity, const HostWideChar *relative);
char *HostMissingCopyText(char *destination, const char *source, int32_t maxChars);
HostFile HostMissingFileOpenW();

// The 44 slots, one named member per host function, in table order.  Each
// slot is 32 bits wide in the product build; together they are the table
// that the binding routine fills by position.
struct HostImportSlots {
#define HOST_DECLARE_SLOT(pos, ord, Name, ...) Name##Fn Name;
  HOST_IMPORT_TABLE(HOST_DECLARE_SLOT, HOST_DECLARE_SLOT)
#undef HOST_DECLARE_SLOT
};
static_assert(sizeof(HostImportSlots) == kHostImportCount * sizeof(void *),
              "the slots form one flat table of code addresses");

extern "C" HostImportSlots g_hostSlots;

// The guards: every call of a host function goes through one of these.
#define HOST_DECLARE_GUARD(pos, ord, Name, conv, pop, Result, params, args, neutral) \
  inline Result Name params {                                                      \
    if (g_hostSlots.Name != nullptr) return g_hostSlots.Name args;                 \
    return neutral;                                                                \
  }
#define HOST_DECLARE_VARIADIC_GUARD(pos, ord, Name, ...)
HOST_IMPORT_TABLE(HOST_DECLARE_GUARD, HOST_DECLARE_VARIADIC_GUARD)
#undef HOST_DECLARE_GUARD
#undef HOST_DECLARE_VARIADIC_GUARD

template <typename... Values>
inline int32_t HostMessageF(int32_t id, const char *title, const char *format, uint32_t style,
                            uint32_t style2, Values... values) {
  if (g_hostSlots.HostMessageF != nullptr)
    return g_hostSlots.HostMessageF(id, title, format, style, style2, values...);
  return 0;
}

template <typename... Values>
inline int32_t HostFilePrintf(HostFile file, const char *format, Values... values) {
  if (g_hostSlots.HostFilePrintf != nullptr)
    return g_hostSlots.HostFilePrintf(file, format, values...);
  return 0;
}
