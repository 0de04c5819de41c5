#include "recorder/writer/key_writer.h"

#include <algorithm>

namespace {

constexpr uint8_t kOpenBracket = '[';
constexpr uint8_t kCloseBracket = ']';
constexpr uint8_t kCarriageReturn = 13;
// The host's inline formatting code: never typed as a character.
constexpr uint8_t kInlineCode = 0xFF;

// Characters typed as they are: ASCII from the blank to '~', and host-text
// bytes above 0x7F except the inline code (whether the host has a character
// for one is the host's conversion to say).
bool MaybePrintable(uint8_t byte) {
  return (byte >= 0x20 && byte < 0x7F) || (byte >= 0x80 && byte != kInlineCode);
}

// The UTF-8 bytes of one UTF-16 unit outside the surrogates; the count.
uint8_t EncodeUtf8(char16_t unit, char *out) {
  if (unit < 0x80) {
    out[0] = static_cast<char>(unit);
    return 1;
  }
  if (unit < 0x800) {
    out[0] = static_cast<char>(0xC0 | (unit >> 6));
    out[1] = static_cast<char>(0x80 | (unit & 0x3F));
    return 2;
  }
  out[0] = static_cast<char>(0xE0 | (unit >> 12));
  out[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out[2] = static_cast<char>(0x80 | (unit & 0x3F));
  return 3;
}

bool WritableName(const char *name) {
  if (name[0] == 0) return false;
  for (const char *c = name; *c != 0; ++c) {
    uint8_t byte = static_cast<uint8_t>(*c);
    if (byte <= 0x20 || byte >= 0x7F || byte == kCloseBracket) return false;
  }
  return true;
}

KeyText NamedText(const char *name, uint8_t lowByte) {
  KeyText text;
  text.kind = KeyTextKind::kKeyName;
  size_t at = 0;
  text.bytes[at++] = static_cast<char>(kOpenBracket);
  for (size_t i = 0; name[i] != 0 && i < sizeof(KeyNameEntry::name) - 1; ++i) text.bytes[at++] = name[i];
  text.bytes[at++] = static_cast<char>(kCloseBracket);
  if (lowByte == kCarriageReturn) {
    text.bytes[at++] = '\r';
    text.bytes[at++] = '\n';
  }
  text.bytes[at] = 0;
  text.length = static_cast<uint8_t>(at);
  return text;
}

}  // namespace

void MarkPlayableNames(const KeyNameEntry *entries, uint32_t count, uint8_t *playable,
                       PlayedCodeOfWord played) {
  for (uint32_t i = 0; i < count; ++i)
    // Code 0 is no key: the player takes a name of code 0 as no name and
    // types the word as text.
    playable[i] = entries[i].code != 0 && WritableName(entries[i].name) &&
                  played(entries[i].name) == entries[i].code;
}

const char *PlayableName(uint16_t code, const KeyNameView &names) {
  if (names.entries == nullptr) return nullptr;
  const KeyNameEntry *end = names.entries + names.count;
  const KeyNameEntry *first = std::lower_bound(
      names.entries, end, code, [](const KeyNameEntry &entry, uint16_t c) { return entry.code < c; });
  for (const KeyNameEntry *entry = first; entry != end && entry->code == code; ++entry)
    if (names.playable[entry - names.entries]) return entry->name;
  return nullptr;
}

KeyText KeyToText(uint32_t key, const KeyNameView &names, HostByteToWide toWide) {
  uint16_t code = static_cast<uint16_t>(key);
  uint8_t low = static_cast<uint8_t>(code);

  if (low == kOpenBracket) {
    // A '[' in the file would open a word: the key goes by name, its own
    // code's first, else the plain character's.
    const char *name = PlayableName(code, names);
    if (name == nullptr) name = PlayableName(kOpenBracket, names);
    return name != nullptr ? NamedText(name, low) : KeyText();
  }

  char16_t wide = 0;
  if (MaybePrintable(low) && (low < 0x80 || (toWide(low, &wide) && wide >= 0x20 &&
                                             wide != 0x7F && (wide < 0xD800 || wide > 0xDFFF)))) {
    KeyText text;
    text.kind = KeyTextKind::kCharacter;
    text.length = low < 0x80 ? (text.bytes[0] = static_cast<char>(low), 1) : EncodeUtf8(wide, text.bytes);
    text.bytes[text.length] = 0;
    return text;
  }

  const char *name = PlayableName(code, names);
  return name != nullptr ? NamedText(name, low) : KeyText();
}

void NoteUnnamedKey(UnnamedKeys *keys, uint16_t code) {
  ++keys->count;
  for (uint32_t i = 0; i < keys->kept; ++i)
    if (keys->codes[i] == code) return;
  if (keys->kept < kUnnamedCodesKept)
    keys->codes[keys->kept++] = code;
  else
    keys->moreCodes = true;
}

bool IsNotedUnnamed(const UnnamedKeys &keys, uint16_t code) {
  for (uint32_t i = 0; i < keys.kept; ++i)
    if (keys.codes[i] == code) return true;
  return keys.moreCodes;
}
