// The host's operations as the plug-ins use them: the host import table.
//
// The host program (main module VOLMAR) exports 44 functions by ordinal.  The
// table below names each of them once, with its ordinal, calling convention,
// parameters and the neutral result a plug-in gets when the host lacks it.
// Everything else about a host function is generated from this table with
// an X-macro, so grep finds no definition of `HostPostKey` by its name:
//   - the guards a plug-in calls (`HostFileGetc(file)`), the slot record
//     `g_hostSlots` and the fallbacks: plugin/binding/host_calls.h
//     (HOST_DECLARE_GUARD);
//   - the binding table, the call-through entries and the pre-bind
//     initialisers: plugin/binding/host_imports.cpp;
//   - the stand-in host's exports and backend: host/exports/.
// To find where a host function is used, grep its name; to find its row,
// grep "X(" together with its ordinal or name in this file.
//
// Binary contract (i386): every value is 32 bits wide on the stack; every host
// function is cdecl except HostSetKeyFilter, which is stdcall.  Wide text is
// UTF-16 (char16_t here, wchar_t on the host's side: the same 16-bit units).
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define HOST_CDECL __cdecl
#define HOST_STDCALL __stdcall
#else
#define HOST_CDECL
#define HOST_STDCALL
#endif

typedef uint32_t HostFile;      // opaque host file handle, 0 for none
typedef char16_t HostWideChar;  // one UTF-16 unit of a wide text (paths)
typedef void *HostInstance;     // a module instance handle (HINSTANCE)

typedef int32_t(HOST_CDECL *HostQueryFn)(int32_t what, int32_t value);
typedef uint32_t(HOST_STDCALL *KeyFilter)(uint32_t key);
typedef int32_t(HOST_STDCALL *FieldCallback)(uint32_t code, uint32_t event);

// The host import table, in table order:
// X(position, ordinal, Name, convention, bytes the callee pops, result,
//   (parameters), (arguments), neutral result of the guard)
// V(...) is the same for the two variadic functions, without arguments.
// Each row becomes the guard of its Name in plugin/binding/host_calls.h
// (HOST_DECLARE_GUARD; the two variadic ones are written out there): a grep
// for a guard's name finds its row here and its callers, not a definition.
#define HOST_IMPORT_TABLE(X, V)                                                                  \
  X(1, 30018, HostCheckPlugin, HOST_CDECL, 0, int32_t,                                           \
    (HostInstance instance, char *buffer, int32_t size), (instance, buffer, size), -1)           \
  V(2, 35802, HostMessageF, HOST_CDECL, 0, int32_t,                                              \
    (int32_t id, const char *title, const char *format, uint32_t style, uint32_t style2, ...), 0) \
  X(3, 40008, HostOrdinal40008, HOST_CDECL, 0, int32_t, (void), (), 0)                            \
  X(4, 41611, HostOrdinal41611, HOST_CDECL, 0, int32_t, (void), (), 0)                            \
  X(5, 41613, HostOrdinal41613, HOST_CDECL, 0, int32_t, (void), (), 0)                            \
  X(6, 30005, HostOrdinal30005, HOST_CDECL, 0, int32_t, (void), (), 0)                            \
  X(7, 38417, HostOrdinal38417, HOST_CDECL, 0, int32_t, (void), (), 0)                            \
  X(8, 52537, HostFileFlush, HOST_CDECL, 0, int32_t, (HostFile file), (file), -1)                \
  X(9, 52006, HostDateNumber, HOST_CDECL, 0, uint32_t, (const char *date), (date), 0x7FFFFFFFu)  \
  X(10, 35387, HostConvertText, HOST_CDECL, 0, int32_t,                                          \
    (void *target, int32_t targetBytes, const void *source, int32_t length, int32_t from,        \
     int32_t to),                                                                                \
    (target, targetBytes, source, length, from, to),                                             \
    HostMissingConvertText(target, targetBytes, source))                                         \
  X(11, 32300, HostGetFlags, HOST_CDECL, 0, uint32_t, (void), (), 0u)                             \
  X(12, 52536, HostFileGets, HOST_CDECL, 0, char *, (char *buffer, int32_t size, HostFile file), \
    (buffer, size, file), nullptr)                                                               \
  X(13, 52305, HostFileClose, HOST_CDECL, 0, int32_t, (HostFile file), (file), -1)               \
  X(14, 38498, HostPathAddExtensionW, HOST_CDECL, 0, int32_t,                                    \
    (HostWideChar * path, int32_t capacity, const HostWideChar *extension),                      \
    (path, capacity, extension), HostMissingPathAddExtensionW(path, capacity))                   \
  X(15, 52246, HostDelayKey, HOST_CDECL, 0, int32_t, (uint32_t key, int32_t zero), (key, zero), 0) \
  X(16, 52249, HostSetKeyFilter, HOST_STDCALL, 4, KeyFilter, (KeyFilter filter), (filter),      \
    nullptr)                                                                                     \
  X(17, 52041, HostFormRefreshField, HOST_CDECL, 0, int32_t, (int32_t fieldId), (fieldId), 0)    \
  X(18, 32408, HostSetFlags, HOST_CDECL, 0, int32_t, (uint32_t bits, int32_t on), (bits, on), 0) \
  X(19, 52544, HostFileGetc, HOST_CDECL, 0, int32_t, (HostFile file), (file), -1)                \
  X(20, 38200, HostPrepareText, HOST_CDECL, 0, int32_t, (char *text, int32_t size),              \
    (text, size), 0)                                                                             \
  X(21, 52644, HostDateTimeText, HOST_CDECL, 0, int32_t,                                         \
    (char *date, char *time, int32_t flags), (date, time, flags),                                \
    HostMissingDateTimeText(date, time))                                                         \
  X(22, 52026, HostRunForm, HOST_CDECL, 0, int32_t,                                              \
    (const void *formTemplate, int32_t mode, void *record, FieldCallback callback),              \
    (formTemplate, mode, record, callback), 0)                                                   \
  X(23, 52247, HostTypeText, HOST_CDECL, 0, int32_t, (const char *text), (text), 0)              \
  X(24, 21286, HostRealloc, HOST_CDECL, 0, void *, (void *block, uint32_t size), (block, size),  \
    nullptr)                                                                                     \
  X(25, 52023, HostShowNotice, HOST_CDECL, 0, int32_t,                                           \
    (int32_t id, int16_t *answer, int32_t zero, const char *text), (id, answer, zero, text), 0)  \
  X(26, 52306, HostFileSeek, HOST_CDECL, 0, int32_t,                                             \
    (HostFile file, int32_t offset, int32_t origin), (file, offset, origin), -1)                 \
  X(27, 51594, HostApiLevel, HOST_CDECL, 0, int32_t, (void), (), 0)                               \
  X(28, 52242, HostKeyPending, HOST_CDECL, 0, uint32_t, (void), (), 0xFFFFu)                      \
  X(29, 35800, HostMessage, HOST_CDECL, 0, int32_t,                                              \
    (int32_t id, const char *title, const char *text, uint32_t style), (id, title, text, style), \
    0)                                                                                           \
  X(30, 52064, HostWaitScreen, HOST_CDECL, 0, int32_t, (void), (), 0)                             \
  X(31, 52543, HostFileRewind, HOST_CDECL, 0, int32_t, (HostFile file), (file), -1)              \
  X(32, 38273, HostConvertChar, HOST_CDECL, 0, uint32_t, (int32_t byte, int32_t three, int32_t one), \
    (byte, three, one), (uint32_t)(byte & 0xFF))                                                 \
  X(33, 52028, HostAsk, HOST_CDECL, 0, int32_t, (const char *title, const char *text, uint32_t flags), \
    (title, text, flags), 0)                                                                     \
  X(34, 40009, HostMakePathW, HOST_CDECL, 0, int32_t,                                            \
    (HostWideChar * buffer, int32_t capacity, const HostWideChar *relative),                     \
    (buffer, capacity, relative), HostMissingMakePathW(buffer, capacity, relative))              \
  X(35, 52245, HostPostKey, HOST_CDECL, 0, int32_t, (uint32_t key), (key), 1)                    \
  X(36, 21287, HostFree, HOST_CDECL, 0, void, (void *block), (block), (void)0)                   \
  X(37, 52567, HostFileOpenW, HOST_CDECL, 0, HostFile,                                           \
    (const HostWideChar *path, const HostWideChar *mode, int32_t share, int32_t zero,            \
     int32_t minusOne),                                                                          \
    (path, mode, share, zero, minusOne), HostMissingFileOpenW())                                 \
  X(38, 52161, HostCopyText, HOST_CDECL, 0, char *,                                              \
    (char *destination, const char *source, int32_t maxChars), (destination, source, maxChars),  \
    HostMissingCopyText(destination, source, maxChars))                                          \
  X(39, 52643, HostErrorMessageF, HOST_CDECL, 0, int32_t,                                        \
    (int32_t err, int32_t systemErr, const char *format, const HostWideChar *argument,           \
     uint32_t style),                                                                            \
    (err, systemErr, format, argument, style), 0)                                                \
  X(40, 52224, HostProfile, HOST_CDECL, 0, int32_t,                                              \
    (int32_t operation, const char *section, const char *key, const char *format,                \
     va_list values),                                                                            \
    (operation, section, key, format, values), -1)                                               \
  X(41, 52169, HostPickFile, HOST_CDECL, 0, int32_t,                                             \
    (int32_t kind, char *buffer, const char *pattern, int32_t one), (kind, buffer, pattern, one), \
    -1)                                                                                          \
  X(42, 21285, HostCalloc, HOST_CDECL, 0, void *, (uint32_t count, uint32_t size), (count, size), \
    nullptr)                                                                                     \
  X(43, 52033, HostFormFieldBuffer, HOST_CDECL, 0, char *, (int32_t fieldId), (fieldId), nullptr) \
  V(44, 52541, HostFilePrintf, HOST_CDECL, 0, int32_t, (HostFile file, const char *format, ...), 0)

enum { kHostImportCount = 44 };

// Each host function's table position by its name, 1 to 44:
// HostImport::HostPostKey is 35.  A plug-in lists the positions it binds.
enum class HostImport : uint8_t {
#define HOST_DECLARE_POSITION(pos, ord, Name, ...) Name = pos,
  HOST_IMPORT_TABLE(HOST_DECLARE_POSITION, HOST_DECLARE_POSITION)
#undef HOST_DECLARE_POSITION
};

// One function-pointer type per host function: HostCheckPluginFn, ...
#define HOST_DECLARE_TYPE(pos, ord, Name, conv, pop, Result, params, ...) \
  typedef Result(conv *Name##Fn) params;
HOST_IMPORT_TABLE(HOST_DECLARE_TYPE, HOST_DECLARE_TYPE)
#undef HOST_DECLARE_TYPE

