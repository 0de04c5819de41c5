#include "host/app/core/paths.h"

#include <string.h>

namespace volmar {

static std::u16string ReadWide(const char16_t *text, size_t limit) {
  std::u16string result;
  for (size_t i = 0; i < limit; ++i) {
    char16_t unit;
    memcpy(&unit, text + i, sizeof unit);
    if (unit == 0) break;
    result.push_back(unit);
  }
  return result;
}

static int32_t Store(char16_t *buffer, int32_t capacity, const std::u16string &text) {
  if (text.size() + 1 > static_cast<size_t>(capacity)) {
    buffer[0] = 0;
    return -1;
  }
  memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return 0;
}

static bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

int32_t MakePath(char16_t *buffer, int32_t capacity, const std::u16string &hostFolder,
                 const char16_t *relative) {
  if (buffer == nullptr || capacity <= 0) return -1;
  if (relative == nullptr) {
    buffer[0] = 0;
    return -1;
  }
  std::u16string name = ReadWide(relative, 32768);
  bool absolute = (!name.empty() && IsSeparator(name[0])) || (name.size() >= 2 && name[1] == u':');
  if (absolute) return Store(buffer, capacity, name);
  std::u16string full = hostFolder;
  if (!full.empty() && !IsSeparator(full.back())) full.push_back(u'\\');
  return Store(buffer, capacity, full + name);
}

static bool SameIgnoringCase(const std::u16string &a, const std::u16string &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 32 : a[i];
    char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? b[i] + 32 : b[i];
    if (x != y) return false;
  }
  return true;
}

int32_t AddExtension(char16_t *path, int32_t capacity, const char16_t *extension) {
  if (path == nullptr || capacity <= 0) return -1;
  if (extension == nullptr) {
    path[0] = 0;
    return -1;
  }
  std::u16string original = ReadWide(path, static_cast<size_t>(capacity));
  std::u16string ext = ReadWide(extension, 256);
  size_t nameStart = original.find_last_of(u"\\/");
  nameStart = nameStart == std::u16string::npos ? 0 : nameStart + 1;
  size_t dot = original.rfind(u'.');
  // A dot that starts the name (".profile") marks no extension.
  bool hasExtension = dot != std::u16string::npos && dot > nameStart;
  std::u16string result = (hasExtension ? original.substr(0, dot) : original) + ext;
  if (SameIgnoringCase(result, original)) result = original + ext;
  return Store(path, capacity, result);
}

}  // namespace volmar
