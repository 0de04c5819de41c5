#include "host/app/core/safe_format.h"

#include <stdio.h>
#include <string.h>

namespace volmar {

std::string FormatValues(const char *format, const std::vector<FormatValue> &values, size_t limit) {
  std::string out;
  if (format == nullptr) return out;
  size_t next = 0;
  for (const char *p = format; *p != 0 && out.size() < limit;) {
    if (*p != '%') {
      out.push_back(*p++);
      continue;
    }
    if (p[1] == '%') {
      out.push_back('%');
      p += 2;
      continue;
    }
    // %[flags][width][.precision][h|l]conversion, widths as digits only.
    const char *start = p++;
    while (*p != 0 && strchr("-+ #0", *p) != nullptr) ++p;
    int width = 0;
    while (*p >= '0' && *p <= '9' && width < 1000) width = width * 10 + (*p++ - '0');
    if (*p == '.') {
      ++p;
      int precision = 0;
      while (*p >= '0' && *p <= '9' && precision < 1000) precision = precision * 10 + (*p++ - '0');
    }
    while (*p == 'h' || *p == 'l') ++p;
    char conversion = *p;
    std::string flags(start, p - start);
    // Drop the length letters: the value is passed at its own width.
    std::string clean;
    for (char c : flags)
      if (c != 'h' && c != 'l') clean.push_back(c);
    bool numeric = conversion != 0 && strchr("diuxXc", conversion) != nullptr;
    bool text = conversion == 's';
    if ((!numeric && !text) || next >= values.size() || values[next].isText != text ||
        width >= 1000) {
      out.append(start, conversion != 0 ? p + 1 - start : p - start);  // shown as it stands
      if (conversion != 0) ++p;
      continue;
    }
    ++p;
    const FormatValue &value = values[next++];
    std::string directive = clean + conversion;
    std::vector<char> piece(4096 + value.text.size());
    if (text) snprintf(piece.data(), piece.size(), directive.c_str(), value.text.c_str());
    else snprintf(piece.data(), piece.size(), directive.c_str(), value.number);
    piece.back() = 0;
    out += piece.data();
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

}  // namespace volmar
