// The exports of VOLMAR.dll: one function per host ordinal, each forwarding to
// the installed backend with the contract's calling convention (cdecl, but
// stdcall for HostSetKeyFilter).  VOLMAR.def gives them their ordinals.
#include "host/exports/host_backend.h"

#define HOST_EXPORT(pos, ord, Name, conv, pop, Result, params, args, ...) \
  extern "C" Result conv Export##Name params { return GetHostBackend()->Name args; }
#define HOST_EXPORT_VARIADIC(pos, ord, Name, ...)
HOST_IMPORT_TABLE(HOST_EXPORT, HOST_EXPORT_VARIADIC)
#undef HOST_EXPORT
#undef HOST_EXPORT_VARIADIC

extern "C" int32_t HOST_CDECL ExportHostQuery(int32_t what, int32_t value) {
  return GetHostBackend()->HostQuery(what, value);
}

extern "C" int32_t HOST_CDECL ExportHostMessageF(int32_t id, const char *title,
                                                 const char *format, uint32_t style,
                                                 uint32_t style2, ...) {
  va_list values;
  va_start(values, style2);
  int32_t result = GetHostBackend()->HostMessageF(id, title, format, style, style2, values);
  va_end(values);
  return result;
}

extern "C" int32_t HOST_CDECL ExportHostFilePrintf(HostFile file, const char *format, ...) {
  va_list values;
  va_start(values, format);
  int32_t result = GetHostBackend()->HostFilePrintf(file, format, values);
  va_end(values);
  return result;
}
