#include "host/app/core/text_codec.h"

#include <string.h>

#include "plugin/contract/mazovia.h"

namespace volmar {

std::u16string HostTextToUtf16(std::string_view host) {
  std::u16string text;
  text.reserve(host.size());
  for (char byte : host) text.push_back(MazoviaToUnicode(static_cast<uint8_t>(byte)));
  return text;
}

std::string Utf16ToHostText(std::u16string_view text, char replacement) {
  std::string host;
  host.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) ++i;  // a pair: never Mazovia
    int byte = (unit >= 0xD800 && unit <= 0xDFFF) ? -1 : UnicodeToMazovia(unit);
    host.push_back(byte >= 0 ? static_cast<char>(byte) : replacement);
  }
  return host;
}

static void AppendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

// One character from `utf8` at `i`; advances `i`.  U+FFFD for a malformed byte.
static char32_t NextUtf8(std::string_view utf8, size_t &i) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(utf8[k]); };
  uint8_t lead = byte(i++);
  if (lead < 0x80) return lead;
  int extra = -1;
  if (lead >= 0xC2 && lead <= 0xDF) extra = 1;
  else if (lead >= 0xE0 && lead <= 0xEF) extra = 2;
  else if (lead >= 0xF0 && lead <= 0xF4) extra = 3;
  if (extra < 0) return 0xFFFD;
  char32_t c = lead & (0x3F >> extra);
  size_t k = i;
  for (int n = 0; n < extra; ++n, ++k) {
    if (k >= utf8.size() || (byte(k) & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (byte(k) & 0x3F);
  }
  static const char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
  if (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
  i = k;
  return c;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string text;
  text.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t c = NextUtf8(utf8, i);
    if (c >= 0x10000) {
      text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(c));
    }
  }
  return text;
}

std::string HostTextToUtf8(std::string_view host) { return Utf16ToUtf8(HostTextToUtf16(host)); }

std::string Utf8ToHostText(std::string_view utf8, char replacement) {
  return Utf16ToHostText(Utf8ToUtf16(utf8), replacement);
}

namespace {

// The source text, read into UTF-16 whatever its encoding.
bool ReadSource(const void *source, int32_t length, int32_t from, std::u16string &text) {
  if (source == nullptr) return length <= 0;
  if (from == kEncodingWide) {
    const auto *units = static_cast<const uint8_t *>(source);
    for (int32_t i = 0; length < 0 || i < length; ++i) {
      char16_t unit;
      memcpy(&unit, units + 2 * i, 2);
      if (length < 0 && unit == 0) break;
      text.push_back(unit);
    }
    return true;
  }
  const char *bytes = static_cast<const char *>(source);
  std::string_view view(bytes, length < 0 ? strlen(bytes) : static_cast<size_t>(length));
  if (from == kEncodingHost) text = HostTextToUtf16(view);
  else if (from == kEncodingLog) text = Utf8ToUtf16(view);
  else return false;
  return true;
}

}  // namespace

int32_t ConvertText(void *target, int32_t targetBytes, const void *source, int32_t length,
                    int32_t from, int32_t to) {
  const bool wideTarget = to == kEncodingWide;
  const int32_t unit = wideTarget ? 2 : 1;
  auto writeEmpty = [&]() {
    if (target != nullptr && targetBytes >= unit) memset(target, 0, unit);
    return -1;
  };
  if (target == nullptr || targetBytes < unit) return -1;
  if (to != kEncodingHost && to != kEncodingWide && to != kEncodingLog) return writeEmpty();
  std::u16string text;
  if (!ReadSource(source, length, from, text)) return writeEmpty();

  const size_t room = static_cast<size_t>(targetBytes / unit) - 1;  // units before the terminator
  auto *out = static_cast<uint8_t *>(target);
  if (wideTarget) {
    size_t count = text.size() < room ? text.size() : room;
    // Never split a surrogate pair.
    if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF)
      --count;
    memcpy(out, text.data(), count * 2);
    memset(out + count * 2, 0, 2);
    return static_cast<int32_t>(count);
  }
  std::string bytes;
  if (to == kEncodingHost) {
    bytes = Utf16ToHostText(text);
    if (bytes.size() > room) bytes.resize(room);
  } else {
    bytes = Utf16ToUtf8(text);
    if (bytes.size() > room) {
      size_t cut = room;
      while (cut > 0 && (static_cast<uint8_t>(bytes[cut]) & 0xC0) == 0x80) --cut;  // whole characters
      bytes.resize(cut);
    }
  }
  memcpy(out, bytes.data(), bytes.size());
  out[bytes.size()] = 0;
  return static_cast<int32_t>(bytes.size());
}

char16_t ToLowerCase(char16_t c) {
  static const char16_t kUpper[] = u"ĄĆĘŁŃÓŚŹŻ";
  static const char16_t kLower[] = u"ąćęłńóśźż";
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  for (int i = 0; kUpper[i] != 0; ++i)
    if (kUpper[i] == c) return kLower[i];
  return c;
}

}  // namespace volmar
