#include "plugin/contract/bounded_format.h"

#include <stdio.h>
#include <string.h>

size_t FormatBoundedV(char *buffer, size_t size, const char *format, va_list values) {
  int written = vsnprintf(buffer, size, format, values);
  buffer[size - 1] = 0;
  if (written >= 0 && static_cast<size_t>(written) < size) return static_cast<size_t>(written);
  return strlen(buffer);
}

size_t FormatBounded(char *buffer, size_t size, const char *format, ...) {
  va_list values;
  va_start(values, format);
  size_t length = FormatBoundedV(buffer, size, format, values);
  va_end(values);
  return length;
}
