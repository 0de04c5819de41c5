#include "sim/sim_text.h"

#include <stdio.h>
#include <string.h>

#include "plugin/contract/mazovia.h"

namespace sim {

std::u16string Wide(const std::string &hostText) {
  std::u16string wide;
  wide.reserve(hostText.size());
  for (unsigned char c : hostText) wide += MazoviaToUnicode(c);
  return wide;
}

std::string Narrow(const std::u16string &wide) {
  std::string text;
  text.reserve(wide.size());
  for (char16_t c : wide) {
    int byte = UnicodeToMazovia(c);
    text += static_cast<char>(byte < 0 ? '?' : byte);
  }
  return text;
}

std::u16string WideText(const HostWideChar *text) {
  std::u16string out;
  while (text != nullptr && *text != 0) out += *text++;
  return out;
}

std::string Escaped(const std::string &bytes) {
  std::string out;
  char hex[8];
  for (unsigned char c : bytes) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string FormatV(const char *format, va_list values) {
  va_list copy;
  va_copy(copy, values);
  int length = vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length), '\0');
  vsnprintf(text.data(), text.size() + 1, format, values);
  return text;
}

char *CopyText(char *destination, const char *source, int32_t maxChars) {
  if (destination == nullptr) return nullptr;
  int32_t i = 0;
  for (; source != nullptr && i < maxChars && source[i] != 0; ++i) destination[i] = source[i];
  destination[i] = 0;
  return destination;
}

int32_t StoreWide(HostWideChar *buffer, int32_t capacity, const std::u16string &text) {
  if (buffer == nullptr || capacity <= 0) return -1;
  if (text.size() + 1 > static_cast<size_t>(capacity)) {
    buffer[0] = 0;
    return -1;
  }
  memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(HostWideChar));
  return 0;
}

}  // namespace sim
