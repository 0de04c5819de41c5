// The host's 8-bit text encoding (Mazovia): bytes 0x00-0x7F are ASCII, the
// high bytes are code page 437's with the eighteen Polish letters in place.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The Unicode character of each byte 0x80-0xFF.
inline constexpr char16_t kMazoviaHigh[128] = {
    // 0x80
    u'Ç', u'ü', u'é', u'â', u'ä', u'à', u'ą', u'ç', u'ê', u'ë', u'è', u'ï', u'î', u'ć', u'Ä', u'Ą',
    // 0x90
    u'Ę', u'ę', u'ł', u'ô', u'ö', u'Ć', u'û', u'ù', u'Ś', u'Ö', u'Ü', u'¢', u'Ł', u'¥', u'ś', u'ƒ',
    // 0xA0
    u'Ź', u'Ż', u'ó', u'Ó', u'ń', u'Ń', u'ź', u'ż', u'¿', u'⌐', u'¬', u'½', u'¼', u'¡', u'«', u'»',
    // 0xB0
    u'░', u'▒', u'▓', u'│', u'┤', u'╡', u'╢', u'╖', u'╕', u'╣', u'║', u'╗', u'╝', u'╜', u'╛', u'┐',
    // 0xC0
    u'└', u'┴', u'┬', u'├', u'─', u'┼', u'╞', u'╟', u'╚', u'╔', u'╩', u'╦', u'╠', u'═', u'╬', u'╧',
    // 0xD0
    u'╨', u'╤', u'╥', u'╙', u'╘', u'╒', u'╓', u'╫', u'╪', u'┘', u'┌', u'█', u'▄', u'▌', u'▐', u'▀',
    // 0xE0
    u'α', u'ß', u'Γ', u'π', u'Σ', u'σ', u'µ', u'τ', u'Φ', u'Θ', u'Ω', u'δ', u'∞', u'φ', u'ε', u'∩',
    // 0xF0
    u'≡', u'±', u'≥', u'≤', u'⌠', u'⌡', u'÷', u'≈', u'°', u'∙', u'·', u'√', u'ⁿ', u'²', u'■', u'\u00A0',
};

// The Unicode character of a Mazovia byte.
constexpr char16_t MazoviaToUnicode(uint8_t byte) {
  return byte < 0x80 ? static_cast<char16_t>(byte) : kMazoviaHigh[byte - 0x80];
}

// The Mazovia byte of a Unicode character, or -1 when the encoding has none.
constexpr int UnicodeToMazovia(char32_t character) {
  if (character < 0x80) return static_cast<int>(character);
  for (int i = 0; i < 128; ++i)
    if (kMazoviaHigh[i] == character) return 0x80 + i;
  return -1;
}
