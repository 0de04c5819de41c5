// printf-style formatting over a typed list of values, for formats whose
// values the host knows only by their kinds (HostErrorMessageF: two numbers
// and a text).  A directive that does not fit the next value, or that has no
// value left, is shown as it stands instead of reading anything.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace volmar {

struct FormatValue {
  bool isText;
  int32_t number;
  std::string text;

  static FormatValue Number(int32_t n) { return {false, n, {}}; }
  static FormatValue Text(std::string t) { return {true, 0, std::move(t)}; }
};

// Serves %d %i %u %x %X %c (numbers), %s (texts) and %%, with flags, width
// and precision; the result is cut at `limit` bytes.
std::string FormatValues(const char *format, const std::vector<FormatValue> &values,
                         size_t limit = 4096);

}  // namespace volmar
