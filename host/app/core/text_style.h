// The host's inline codes in message and form texts, and how they show.
//
//   0x01  back to the plain look; at the very start of a text followed by
//         'c' ("\x01c") it centres the text instead
//   0x02  emphasis, until 0x01
//   0x05  a key name (F3, F12, Shift+F11), until 0x01
//   0xFF  bright on / off (a key name may stand between two of them)
// In labels a letter between two tildes ("~k~lawiszami") is the hot letter.
// The codes themselves take no room on screen.
#pragma once

#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

#include "host/app/core/canvas.h"

namespace volmar {

enum StyleBits : uint8_t {
  kStyleEmphasis = 1,
  kStyleKey = 2,
  kStyleBright = 4,
  kStyleHot = 8,
};

struct StyledChar {
  char16_t ch;
  uint8_t style;
};

struct StyledText {
  std::vector<std::vector<StyledChar>> lines;  // broken at '\n' and wrapped
  bool centred = false;
};

// Lays out host text in lines of at most `width` characters (0: no limit),
// wrapping at blanks where it can.
StyledText LayOutHostText(std::string_view text, int width, bool tildeHotLetter = false);

// The widest line of a laid-out text.
int WidestLine(const StyledText &text);

// The colours of one kind of box for each style.
struct Palette {
  uint16_t plain, emphasis, key, hot;
  uint16_t For(uint8_t style) const;
};

// The two looks of the host's boxes: dark text on a light background (black,
// blue emphasis, red keys and hot letters), light text on a dark one (white,
// yellow for the rest).
constexpr Palette DarkTextOn(Color background) {
  return {Attr(kBlack, background), Attr(kBlue, background), Attr(kRed, background),
          Attr(kRed, background)};
}
constexpr Palette LightTextOn(Color background) {
  return {Attr(kWhite, background), Attr(kYellow, background), Attr(kYellow, background),
          Attr(kYellow, background)};
}

}  // namespace volmar
