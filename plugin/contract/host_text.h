// Host text written once, readably, in the UTF-8 source and turned into its
// Mazovia bytes at compile time:
//
//   static constexpr auto kEnd = ToHostText("Zakończono pracę makra z pliku.");
//   HostAsk(kTitle.c_str(), kEnd.c_str(), 1);
//
// A character the host encoding cannot hold stops the build.  Inline codes
// of the host (0x01, 0x02, 0x05, 0xFF) are written as escapes and pass as
// they are; "\xFF" is taken as the single byte 0xFF, not as UTF-8.
#pragma once

#include <stddef.h>

#include "plugin/contract/mazovia.h"

template <size_t N>
struct HostText {
  char bytes[N] = {};  // the Mazovia bytes and a terminating zero
  size_t length = 0;   // bytes before the terminator

  constexpr const char *c_str() const { return bytes; }
  constexpr size_t size() const { return length; }
};

namespace host_text_detail {
// Called only where the conversion fails, so a failure is not a constant
// expression and the build stops there.
inline void CharacterNotInHostEncoding() {}
}  // namespace host_text_detail

template <size_t N>
consteval HostText<N> ToHostText(const char (&utf8)[N]) {
  HostText<N> text;
  size_t out = 0;
  for (size_t i = 0; i + 1 < N;) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    char32_t character = 0;
    size_t extra = 0;
    if (lead < 0x80) {
      character = lead;
    } else if ((lead & 0xE0) == 0xC0 && i + 2 < N) {
      character = lead & 0x1F;
      extra = 1;
    } else if ((lead & 0xF0) == 0xE0 && i + 3 < N) {
      character = lead & 0x0F;
      extra = 2;
    } else if (lead == 0xFF) {
      // The host's inline code 0xFF, written as "\xFF" (never valid UTF-8).
      text.bytes[out++] = static_cast<char>(0xFF);
      ++i;
      continue;
    } else {
      host_text_detail::CharacterNotInHostEncoding();
    }
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) host_text_detail::CharacterNotInHostEncoding();
      character = (character << 6) | (next & 0x3F);
    }
    int byte = UnicodeToMazovia(character);
    if (byte < 0) host_text_detail::CharacterNotInHostEncoding();
    text.bytes[out++] = static_cast<char>(byte);
    i += 1 + extra;
  }
  text.bytes[out] = 0;
  text.length = out;
  return text;
}
