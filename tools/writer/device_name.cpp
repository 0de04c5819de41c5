#include "tools/writer/device_name.h"

#include <ctype.h>

namespace writer {

namespace {

char Upper(char c) { return static_cast<char>(toupper(static_cast<unsigned char>(c))); }

bool SameLetters(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (Upper(text[i]) != upper[i]) return false;
  return true;
}

}  // namespace

bool IsDeviceName(std::string_view path) {
  // The last component: after a slash, a backslash or a drive's colon.
  const size_t cut = path.find_last_of("/\\:");
  std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  // Windows reads the device's name up to the first dot, and drops the
  // spaces before it ("nul .txt" is the device too).
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (std::string_view device : {"NUL", "CON", "AUX", "PRN", "CONIN$", "CONOUT$"})
    if (SameLetters(name, device)) return true;
  if (name.size() != 4 || name[3] < '1' || name[3] > '9') return false;
  return SameLetters(name.substr(0, 3), "COM") || SameLetters(name.substr(0, 3), "LPT");
}

}  // namespace writer
