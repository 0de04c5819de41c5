#include "plugin/settings/settings_call.h"

#include <stdarg.h>

#include "plugin/binding/host_calls.h"

int32_t SettingsCall(int32_t operation, const char *section, const char *key, const char *format,
                     ...) {
  va_list values;
  va_start(values, format);
  int32_t result = HostProfile(operation, section, key, format, values);
  va_end(values);
  return result;
}
