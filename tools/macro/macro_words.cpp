#include "tools/macro/macro_words.h"

#include "tools/codec/code_pages.h"
#include "tools/macro/suggest.h"

namespace macro {

std::vector<bool> WordMask(const std::string &text) {
  std::vector<bool> mask(text.size(), false);
  WordScan scan;
  for (size_t i = 0; i < text.size(); ++i) mask[i] = scan.Feed(static_cast<uint8_t>(text[i]));
  return mask;
}

ValueChar NextValueChar(const std::string &value, size_t &i, char32_t *c) {
  *c = 0;
  codec::NextUtf8(value, i, c);
  switch (*c) {
    case '[': return ValueChar::kBracket;
    case '\t': return ValueChar::kTab;
    case '\r':
      if (i < value.size() && value[i] == '\n') ++i;  // CR LF is one line break
      return ValueChar::kLineBreak;
    case '\n': return ValueChar::kLineBreak;
    case 0x00A0:
    case 0x202F: return ValueChar::kNonBreakingSpace;
    default: return ValueChar::kItself;
  }
}

bool UsableKeyName(const std::string &name) {
  if (name.empty() || name.size() > kWordChars || name.find_first_of("]\r\n") != std::string::npos)
    return false;
  for (const std::string &command : kCommandNames)
    if (command == name) return false;
  return true;
}

}  // namespace macro
