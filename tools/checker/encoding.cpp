#include "tools/checker/encoding.h"

#include <stdint.h>

#include "plugin/contract/macro_bytes.h"
#include "tools/codec/text_guess.h"
#include "tools/texts/check_texts.h"
#include "tools/macro/text_util.h"

namespace check {

namespace {

bool IsLower(int32_t c) {
  return (c >= 'a' && c <= 'z') || (c > 0 && codec::IsPolishLower(static_cast<char32_t>(c)));
}

// Whether the byte at `i` reads as a Polish letter in `page` where it
// stands: a capital right behind a small letter ("IloŚą") is no word's.
bool ReadsAsPolishLetter(const std::string &bytes, size_t i, codec::CodePage page) {
  const int32_t c = codec::ByteToChar(page, static_cast<uint8_t>(bytes[i]));
  if (c <= 0) return false;
  if (codec::IsPolishLower(static_cast<char32_t>(c))) return true;
  if (!codec::IsPolishUpper(static_cast<char32_t>(c))) return false;
  return i == 0 || !IsLower(codec::ByteToChar(page, static_cast<uint8_t>(bytes[i - 1])));
}

}  // namespace

FileEncoding GuessEncoding(const std::string &bytes) {
  FileEncoding found;
  found.bom = StartsWithBom(bytes);
  // The stray bytes: what is left when every UTF-8 sequence the host types
  // is taken as UTF-8 (as a file in a code page keeps them).
  const codec::CodePage pages[] = {codec::CodePage::kMazovia, codec::CodePage::kCp1250,
                                   codec::CodePage::kCp852};
  size_t letters[3] = {0, 0, 0};
  size_t first[3] = {0, 0, 0};
  bool utf8 = true;
  for (size_t i = found.bom ? 3 : 0; i < bytes.size();) {
    const uint8_t byte = static_cast<uint8_t>(bytes[i]);
    size_t length = CharacterLength(bytes, i, codec::CodePage::kCp1250);
    if (byte < 0x80 || length > 1) {
      i += length;
      continue;
    }
    // A UTF-8 sequence of a character the host lacks is still UTF-8.
    size_t at = i;
    char32_t c = 0;
    if (codec::NextUtf8(bytes, at, &c)) {
      i = at;
      continue;
    }
    utf8 = false;
    ++found.strayBytes;
    for (int k = 0; k < 3; ++k) {
      if (!ReadsAsPolishLetter(bytes, i, pages[k])) continue;
      if (letters[k]++ == 0) first[k] = i;
    }
    ++i;
  }
  if (utf8) return found;
  // The host's own text wins a tie: such files play as meant.
  int best = 0;
  for (int k = 1; k < 3; ++k)
    if (letters[k] > letters[best]) best = k;
  found.page = pages[best];
  found.polishLetters = letters[best];
  found.firstLetter = first[best];
  return found;
}

std::string CodePageTitle(codec::CodePage page) {
  switch (page) {
    case codec::CodePage::kCp1250: return Say(Msg::kCp1250Title);
    case codec::CodePage::kCp852: return Say(Msg::kCp852Title);
    case codec::CodePage::kMazovia: return Say(Msg::kMazoviaTitle);
    case codec::CodePage::kUtf8: break;
  }
  return "UTF-8";
}

std::string TypedLine(const std::string &lineBytes) {
  host::MacroByteDecoder decoder;
  std::string typed;
  for (char c : lineBytes) {
    uint8_t hostChar = decoder.Feed(static_cast<uint8_t>(c));
    if (hostChar != 0) typed += static_cast<char>(hostChar);
  }
  return HostToUtf8(typed);
}

std::string ConvertToUtf8(const std::string &bytes, codec::CodePage page) {
  return FileBytesToUtf8(StartsWithBom(bytes) ? bytes.substr(3) : bytes, page);
}

std::string Utf8CopyName(const std::string &path) {
  size_t name = path.find_last_of("/\\");
  name = name == std::string::npos ? 0 : name + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= name) return path + "-utf8";
  return path.substr(0, dot) + "-utf8" + path.substr(dot);
}

}  // namespace check
