// How the host reads the bytes of a macro file: HostConvertChar with
// host::kConvertCharMode hands it one byte at a time, and it answers with
// the host character to type, or 0 for nothing.  The bytes are read as
// UTF-8; a stray byte that is no UTF-8 is taken as host text (Mazovia), so
// macros kept in the host's own text play too.
//
// The stand-in host decodes with this class, and the macro checker runs the
// same decoder, asking it why it dropped a byte.  Header-only: nothing of it
// enters the plug-in, which leaves the decoding to the host.
#pragma once

#include <stdint.h>

#include "plugin/contract/mazovia.h"

namespace host {

// The character the host types for a host-text byte: printable characters
// and Tab as they are; 0 for control bytes, DEL and the inline code 0xFF.
constexpr uint8_t TypeableHostChar(uint8_t byte) {
  if (byte == '\t') return byte;
  if (byte < 0x20 || byte == 0x7F || byte == 0xFF) return 0;
  return byte;
}

// Why MacroByteDecoder::Feed gave 0 for a byte.
enum class MacroByteDrop : uint8_t {
  kNone,        // it did not
  kPartial,     // a leading or middle byte of a UTF-8 sequence (the last one gives the character)
  kControl,     // a control character (other than Tab), DEL, or the host's 0xFF
  kNoHostChar,  // a character the host text cannot hold, or a sequence that is no character
};

class MacroByteDecoder {
 public:
  // The host character for `byte`, or 0; Dropped() then says why.  A UTF-8
  // sequence gives 0 for its first bytes and the character (or 0 when the
  // host text lacks it) for its last.  A sequence broken off by a byte that
  // does not continue it is dropped, and that byte is read afresh.
  uint8_t Feed(uint8_t byte) {
    continued_ = false;
    codePoint_ = 0;
    if (pending_ > 0) {
      if ((byte & 0xC0) == 0x80) {
        continued_ = true;
        character_ = (character_ << 6) | (byte & 0x3F);
        if (--pending_ > 0) return Drop(MacroByteDrop::kPartial);
        codePoint_ = character_;
        if (character_ < minimum_ || (character_ >= 0xD800 && character_ <= 0xDFFF))
          return Drop(MacroByteDrop::kNoHostChar);
        int hostByte = UnicodeToMazovia(character_);
        if (hostByte < 0) return Drop(MacroByteDrop::kNoHostChar);
        return Typed(static_cast<uint8_t>(hostByte));
      }
      pending_ = 0;  // a broken sequence: drop it, read this byte afresh
    }
    if (byte >= 0xC2 && byte <= 0xF4) {
      pending_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
      minimum_ = pending_ == 3 ? 0x10000 : pending_ == 2 ? 0x800 : 0x80;
      character_ = byte & (0x3F >> pending_);
      return Drop(MacroByteDrop::kPartial);
    }
    codePoint_ = MazoviaToUnicode(byte);  // ASCII, or a stray byte taken as Mazovia
    return Typed(byte);
  }

  void Reset() { pending_ = 0; }

  // Why the last Feed gave 0 (kNone when it gave a character).
  MacroByteDrop Dropped() const { return dropped_; }
  // The character the last Feed completed, typed or not; 0 while a
  // sequence is still open.
  char32_t CodePoint() const { return codePoint_; }
  // Whether the last byte fed continued a sequence begun by an earlier one
  // (the character then stands where that sequence began).
  bool Continued() const { return continued_; }

 private:
  uint8_t Drop(MacroByteDrop why) {
    dropped_ = why;
    return 0;
  }
  uint8_t Typed(uint8_t hostByte) {
    uint8_t typed = TypeableHostChar(hostByte);
    dropped_ = typed != 0 ? MacroByteDrop::kNone : MacroByteDrop::kControl;
    return typed;
  }

  char32_t character_ = 0;
  char32_t minimum_ = 0;
  int pending_ = 0;  // continuation bytes still expected
  MacroByteDrop dropped_ = MacroByteDrop::kNone;
  char32_t codePoint_ = 0;
  bool continued_ = false;
};

}  // namespace host
