#include "host/app/core/profile.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "host/app/core/text_codec.h"

namespace volmar {

namespace {

constexpr int32_t kProfileOk = 0;
constexpr int32_t kProfileFailed = 1;

// One read directive, as the format gives it.
struct ReadDirective {
  enum Kind { kNone, kNumber16, kNumber32, kText } kind = kNone;
  bool widthArgument = false;  // "%*s"
  long width = -1;             // "%Ns"
};

ReadDirective ParseReadFormat(const char *format) {
  ReadDirective directive;
  if (format == nullptr || format[0] != '%') return directive;
  const char *p = format + 1;
  if (*p == '*') {
    directive.widthArgument = true;
    ++p;
  } else if (*p >= '1' && *p <= '9') {
    directive.width = strtol(p, const_cast<char **>(&p), 10);
  }
  std::string rest(p);
  if (rest == "s" && (directive.widthArgument || directive.width > 0)) directive.kind = ReadDirective::kText;
  else if (directive.widthArgument || directive.width > 0) directive.kind = ReadDirective::kNone;
  else if (rest == "d" || rest == "i" || rest == "u" || rest == "hd" || rest == "hu") directive.kind = ReadDirective::kNumber16;
  else if (rest == "ld" || rest == "lu" || rest == "li") directive.kind = ReadDirective::kNumber32;
  return directive;
}

bool ParseNumber(const std::string &text, long &number) {
  if (text.empty()) return false;
  char *end = nullptr;
  errno = 0;
  long long value = strtoll(text.c_str(), &end, 0);
  if (end == text.c_str() || *end != 0 || errno != 0) return false;
  if (value < -2147483648LL || value > 4294967295LL) return false;
  number = static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(value)));
  return true;
}

int32_t Read(const IniStore &store, const char *section, const char *key, const char *format,
             va_list values) {
  ReadDirective directive = ParseReadFormat(format);
  if (directive.kind == ReadDirective::kNone) return kProfileFailed;
  std::optional<std::string> stored = store.Get(section, key);
  if (directive.kind == ReadDirective::kText) {
    long width = directive.widthArgument ? va_arg(values, int) : directive.width;
    char *target = va_arg(values, char *);
    if (!stored || target == nullptr || width < 0) return kProfileFailed;
    std::string host = Utf8ToHostText(*stored);
    size_t count = host.size() < static_cast<size_t>(width) ? host.size() : static_cast<size_t>(width);
    memcpy(target, host.data(), count);
    target[count] = 0;
    return kProfileOk;
  }
  void *target = va_arg(values, void *);
  long number = 0;
  if (!stored || target == nullptr || !ParseNumber(*stored, number)) return kProfileFailed;
  if (directive.kind == ReadDirective::kNumber16) {
    uint16_t low = static_cast<uint16_t>(number);
    memcpy(target, &low, sizeof low);
  } else {
    uint32_t all = static_cast<uint32_t>(number);
    memcpy(target, &all, sizeof all);
  }
  return kProfileOk;
}

int32_t Write(IniStore &store, const std::function<bool(const IniStore &)> &save,
              const char *section, const char *key, const char *format, va_list values) {
  if (format == nullptr) return kProfileFailed;
  char text[1024];
  int length = vsnprintf(text, sizeof text, format, values);
  text[sizeof text - 1] = 0;
  if (length < 0) return kProfileFailed;
  std::string value(text);
  size_t lineBreak = value.find_first_of("\r\n");
  if (lineBreak != std::string::npos) value.resize(lineBreak);
  store.Set(section, key, HostTextToUtf8(value));
  return save(store) ? kProfileOk : kProfileFailed;
}

}  // namespace

int32_t ProfileCall(IniStore &store, const std::function<bool(const IniStore &)> &save,
                    int32_t operation, const char *section, const char *key, const char *format,
                    va_list values) {
  // Names that would break the INI text are refused.
  if (section == nullptr || key == nullptr || *section == 0 || *key == 0 ||
      strpbrk(section, "[]\r\n") != nullptr || strpbrk(key, "=[]\r\n;#") != nullptr)
    return kProfileFailed;
  switch (operation) {
    case kProfileRead:
    case kProfileReadText:
      return Read(store, section, key, format, values);
    case kProfileWrite:
    case kProfileWriteText:
      return Write(store, save, section, key, format, values);
    default:
      return kProfileFailed;
  }
}

}  // namespace volmar
