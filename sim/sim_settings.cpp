#include "sim/sim_settings.h"

#include <stdlib.h>
#include <string.h>

#include "plugin/contract/host_values.h"

namespace sim {

namespace {

bool ParseNumber(const std::string &text, long &number) {
  if (text.empty()) return false;
  char *end = nullptr;
  long long value = strtoll(text.c_str(), &end, 0);
  if (*end != 0 || value < -2147483648LL || value > 4294967295LL) return false;
  number = static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(value)));
  return true;
}

}  // namespace

std::string Settings::Name(const char *section, const char *key) {
  return std::string(section != nullptr ? section : "") + "/" + (key != nullptr ? key : "");
}

int32_t Settings::Profile(int32_t operation, const char *section, const char *key,
                          const char *format, va_list values) {
  const std::string name = Name(section, key);
  const bool number = format != nullptr && strcmp(format, "%d") == 0;
  if (operation == host::kProfileReadNumber || operation == host::kProfileReadText) {
    auto it = find(name);
    if (number) {
      auto *target = va_arg(values, int16_t *);
      long value = 0;
      if (it == end() || target == nullptr || !ParseNumber(it->second, value)) return 1;
      *target = static_cast<int16_t>(value);
      return 0;
    }
    int width = va_arg(values, int);
    char *target = va_arg(values, char *);
    if (it == end() || target == nullptr || width < 0) return 1;
    size_t count = it->second.size() < static_cast<size_t>(width) ? it->second.size()
                                                                   : static_cast<size_t>(width);
    memcpy(target, it->second.data(), count);
    target[count] = 0;
    return 0;
  }
  if (number) {
    (*this)[name] = std::to_string(va_arg(values, int));
  } else {
    const char *text = va_arg(values, const char *);
    (*this)[name] = text != nullptr ? text : "";
  }
  return 0;
}

}  // namespace sim
