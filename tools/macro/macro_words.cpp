#include "tools/macro/macro_words.h"

#include "tools/macro/suggest.h"

namespace check {

std::vector<bool> WordMask(const std::string &text) {
  std::vector<bool> mask(text.size(), false);
  WordScan scan;
  for (size_t i = 0; i < text.size(); ++i) mask[i] = scan.Feed(static_cast<uint8_t>(text[i]));
  return mask;
}

bool UsableKeyName(const std::string &name) {
  if (name.empty() || name.size() > kWordChars || name.find_first_of("]\r\n") != std::string::npos)
    return false;
  for (const std::string &command : kCommandNames)
    if (command == name) return false;
  return true;
}

}  // namespace check
