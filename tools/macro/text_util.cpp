#include "tools/macro/text_util.h"

#include <stdio.h>

#include "plugin/contract/mazovia.h"

namespace macro {

std::string HostToUtf8(const std::string &host) {
  std::string out;
  for (char c : host) AppendUtf8(out, MazoviaToUnicode(static_cast<uint8_t>(c)));
  return out;
}

namespace {

// Length of the valid UTF-8 sequence at `i` (2 to 4), or 0.
size_t Utf8SequenceAt(const std::string &bytes, size_t i) {
  uint8_t lead = static_cast<uint8_t>(bytes[i]);
  size_t extra = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
                 : lead >= 0xF0 && lead <= 0xF4 ? 3 : 0;
  if (extra == 0 || i + extra >= bytes.size()) return 0;
  char32_t c = lead & (0x3F >> extra);
  for (size_t k = 1; k <= extra; ++k) {
    uint8_t next = static_cast<uint8_t>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  static const char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
  if (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return extra + 1;
}

}  // namespace

std::string FileBytesToUtf8(const std::string &bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    uint8_t byte = static_cast<uint8_t>(bytes[i]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    size_t length = Utf8SequenceAt(bytes, i);
    if (length > 0) {
      out.append(bytes, i, length);
      i += length;
    } else {
      AppendUtf8(out, MazoviaToUnicode(byte));
      ++i;
    }
  }
  return out;
}

namespace {

bool ReadsAsHost(codec::CodePage reading) {
  return reading != codec::CodePage::kCp1250 && reading != codec::CodePage::kCp852;
}

// A UTF-8 sequence at `i` that a file of an 8-bit code page keeps: one that
// gives a character the host types.
size_t KeptSequenceAt(const std::string &bytes, size_t i) {
  size_t length = Utf8SequenceAt(bytes, i);
  if (length == 0) return 0;
  size_t at = i;
  char32_t c = 0;
  codec::NextUtf8(bytes, at, &c);
  int hostByte = UnicodeToMazovia(c);
  return hostByte >= 0x20 && hostByte != 0x7F && hostByte != 0xFF ? length : 0;
}

}  // namespace

size_t CharacterLength(const std::string &bytes, size_t i, codec::CodePage reading) {
  if (static_cast<uint8_t>(bytes[i]) < 0x80) return 1;
  size_t length = ReadsAsHost(reading) ? Utf8SequenceAt(bytes, i) : KeptSequenceAt(bytes, i);
  return length > 0 ? length : 1;
}

std::string FileBytesToUtf8(const std::string &bytes, codec::CodePage reading) {
  if (ReadsAsHost(reading)) return FileBytesToUtf8(bytes);
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    size_t length = CharacterLength(bytes, i, reading);
    if (length > 1) {
      out.append(bytes, i, length);
    } else {
      int32_t c = codec::ByteToChar(reading, static_cast<uint8_t>(bytes[i]));
      AppendUtf8(out, c >= 0 ? static_cast<char32_t>(c) : U'\uFFFD');
    }
    i += length;
  }
  return out;
}

size_t FileCharacterCount(const std::string &bytes, codec::CodePage reading) {
  size_t count = 0;
  for (size_t i = 0; i < bytes.size(); ++count) i += CharacterLength(bytes, i, reading);
  return count;
}

bool StartsWithBom(const std::string &bytes) { return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0; }

size_t FileCharacterCount(const std::string &bytes) {
  size_t count = 0;
  for (size_t i = 0; i < bytes.size(); ++count) {
    size_t length = static_cast<uint8_t>(bytes[i]) >= 0x80 ? Utf8SequenceAt(bytes, i) : 0;
    i += length > 0 ? length : 1;
  }
  return count;
}

bool HasUtf8Sequence(const std::string &bytes) {
  for (size_t i = 0; i < bytes.size(); ++i)
    if (static_cast<uint8_t>(bytes[i]) >= 0x80 && Utf8SequenceAt(bytes, i) > 0) return true;
  return false;
}

size_t Utf8Length(const std::string &utf8) {
  size_t count = 0;
  for (char c : utf8)
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++count;
  return count;
}

std::string Visible(const std::string &utf8) {
  std::string out;
  char hex[8];
  for (char c : utf8) {
    uint8_t byte = static_cast<uint8_t>(c);
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Hex4(uint32_t code) {
  char text[16];
  snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(code & 0xFFFF));
  return text;
}

std::string CodePointName(char32_t codePoint) {
  char text[16];
  snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
  return text;
}

}  // namespace macro
