// The compile-time conversion of readable source text into host text.
#include <gtest/gtest.h>

#include "plugin/contract/host_text.h"
#include "plugin/contract/mazovia.h"

namespace {

TEST(HostText, PolishLettersTakeTheirMazoviaBytes) {
  static constexpr auto letters = ToHostText("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
  const unsigned char expected[18] = {0x86, 0x8D, 0x91, 0x92, 0xA4, 0xA2, 0x9E, 0xA6, 0xA7,
                                      0x8F, 0x95, 0x90, 0x9C, 0xA5, 0xA3, 0x98, 0xA0, 0xA1};
  ASSERT_EQ(18u, letters.size());
  for (int i = 0; i < 18; ++i)
    EXPECT_EQ(expected[i], static_cast<unsigned char>(letters.c_str()[i])) << i;
  EXPECT_EQ(0, letters.c_str()[18]);
}

TEST(HostText, AsciiAndInlineCodesPassUnchanged) {
  static constexpr auto text = ToHostText("\x01" "c\x05" "F3\x01 Plik \xFF" "A\xFF\n\t");
  const char expected[] = "\x01" "c\x05" "F3\x01 Plik \xFF" "A\xFF\n\t";
  ASSERT_EQ(sizeof expected - 1, text.size());
  EXPECT_EQ(0, memcmp(expected, text.c_str(), sizeof expected));
}

TEST(HostText, ASentenceConvertsByteForByte) {
  static constexpr auto text = ToHostText("Zakończono pracę makra z pliku.");
  EXPECT_STREQ("Zako\xA4" "czono prac\x91 makra z pliku.", text.c_str());
}

TEST(Mazovia, EveryByteRoundTrips) {
  for (int byte = 1; byte < 256; ++byte)
    EXPECT_EQ(byte, UnicodeToMazovia(MazoviaToUnicode(static_cast<uint8_t>(byte)))) << byte;
}

}  // namespace
