// The host's side of the plug-in contract, written once.
//
// VOLMAR.dll exports the 44 host functions and HostQuery by ordinal (see
// VOLMAR.def); every export forwards to the installed HostBackend.  The
// stand-in host and the recording test host are two backends behind the same
// exports.  Every method has a neutral default, so a backend overrides only
// what it serves.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include "plugin/contract/host_api.h"

class HostBackend {
 public:
  virtual ~HostBackend();

  // Ordinal 30006.
  virtual int32_t HostQuery(int32_t what, int32_t value);

#define HOST_BACKEND_METHOD(pos, ord, Name, conv, pop, Result, params, ...) \
  virtual Result Name params;
#define HOST_BACKEND_VARIADIC(pos, ord, Name, ...)
  HOST_IMPORT_TABLE(HOST_BACKEND_METHOD, HOST_BACKEND_VARIADIC)
#undef HOST_BACKEND_METHOD
#undef HOST_BACKEND_VARIADIC

  // The two variadic functions receive their values as one list.
  virtual int32_t HostMessageF(int32_t id, const char *title, const char *format, uint32_t style,
                               uint32_t style2, va_list values);
  virtual int32_t HostFilePrintf(HostFile file, const char *format, va_list values);
};

// Declares, inside a backend class, an override of every method above.
#define HOST_BACKEND_OVERRIDE(pos, ord, Name, conv, pop, Result, params, ...) \
  Result Name params override;
#define HOST_BACKEND_OVERRIDE_VARIADIC(pos, ord, Name, ...)
#define HOST_BACKEND_OVERRIDES                                                                   \
  int32_t HostQuery(int32_t what, int32_t value) override;                                       \
  HOST_IMPORT_TABLE(HOST_BACKEND_OVERRIDE, HOST_BACKEND_OVERRIDE_VARIADIC)                        \
  int32_t HostMessageF(int32_t id, const char *title, const char *format, uint32_t style,        \
                       uint32_t style2, va_list values) override;                                \
  int32_t HostFilePrintf(HostFile file, const char *format, va_list values) override;

// The backend behind the exports; null answers every call neutrally.
void SetHostBackend(HostBackend *backend);
// Inline: every export reads it, on every host call a plug-in makes.
extern HostBackend *g_hostBackend;
inline HostBackend *GetHostBackend() { return g_hostBackend; }
