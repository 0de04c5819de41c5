#include "host/exports/host_backend.h"

HostBackend::~HostBackend() = default;

int32_t HostBackend::HostQuery(int32_t, int32_t) { return 1; }

// The defaults: nothing done, a neutral answer (0, null).
template <typename T>
static T NeutralAnswer() {
  return T();
}
#define HOST_BACKEND_DEFAULT(pos, ord, Name, conv, pop, Result, params, ...) \
  Result HostBackend::Name params { return NeutralAnswer<Result>(); }
#define HOST_BACKEND_VARIADIC(pos, ord, Name, ...)
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
HOST_IMPORT_TABLE(HOST_BACKEND_DEFAULT, HOST_BACKEND_VARIADIC)
int32_t HostBackend::HostMessageF(int32_t, const char *, const char *, uint32_t, uint32_t,
                                  va_list) {
  return 0;
}
int32_t HostBackend::HostFilePrintf(HostFile, const char *, va_list) { return 0; }
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
#undef HOST_BACKEND_DEFAULT
#undef HOST_BACKEND_VARIADIC

static HostBackend g_neutralBackend;
HostBackend *g_hostBackend = &g_neutralBackend;

void SetHostBackend(HostBackend *backend) {
  g_hostBackend = backend != nullptr ? backend : &g_neutralBackend;
}
