#include "tools/codec/text_guess.h"

#include <stdint.h>

namespace codec {

namespace {

const char32_t kPolishLower[] = U"ąćęłńóśźż";
const char32_t kPolishUpper[] = U"ĄĆĘŁŃÓŚŹŻ";

bool IsOneOf(const char32_t *letters, char32_t c) {
  for (; *letters != 0; ++letters)
    if (*letters == c) return true;
  return false;
}

}  // namespace

bool IsPolishLetter(char32_t c) { return IsOneOf(kPolishLower, c) || IsOneOf(kPolishUpper, c); }

bool DecodeUtf16ToUtf8(const std::string &bytes, bool bigEndian, std::string *utf8,
                       size_t *badOffset) {
  utf8->clear();
  utf8->reserve(bytes.size() / 2);
  auto unit = [&](size_t i) -> char32_t {
    const uint8_t a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
    return bigEndian ? static_cast<char32_t>(a << 8 | b) : static_cast<char32_t>(b << 8 | a);
  };
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xDC00 && c <= 0xDFFF) break;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 3 >= bytes.size()) break;
      char32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) break;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(*utf8, c);
  }
  if (i < bytes.size()) {
    *badOffset = i;
    return false;
  }
  return true;
}

}  // namespace codec
