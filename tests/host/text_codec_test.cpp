// Text conversions between the host encoding (Mazovia), UTF-16 and UTF-8,
// and the macro byte decoder behind HostConvertChar.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "host/app/core/text_codec.h"

namespace volmar {
namespace {

// The eighteen Polish letters: Mazovia byte, UTF-16, UTF-8.
struct Letter {
  uint8_t mazovia;
  char16_t wide;
  const char *utf8;
};
const Letter kLetters[18] = {
    {0x86, u'ą', "ą"}, {0x8D, u'ć', "ć"}, {0x91, u'ę', "ę"}, {0x92, u'ł', "ł"}, {0xA4, u'ń', "ń"},
    {0xA2, u'ó', "ó"}, {0x9E, u'ś', "ś"}, {0xA6, u'ź', "ź"}, {0xA7, u'ż', "ż"}, {0x8F, u'Ą', "Ą"},
    {0x95, u'Ć', "Ć"}, {0x90, u'Ę', "Ę"}, {0x9C, u'Ł', "Ł"}, {0xA5, u'Ń', "Ń"}, {0xA3, u'Ó', "Ó"},
    {0x98, u'Ś', "Ś"}, {0xA0, u'Ź', "Ź"}, {0xA1, u'Ż', "Ż"}};

TEST(ConvertText, EveryPolishLetterRoundTripsThroughWideAndLogText) {
  for (const Letter &letter : kLetters) {
    const char host[2] = {static_cast<char>(letter.mazovia), 0};
    char16_t wide[4];
    ASSERT_EQ(1, ConvertText(wide, sizeof wide, host, -1, kEncodingHost, kEncodingWide));
    EXPECT_EQ(letter.wide, wide[0]);
    EXPECT_EQ(0, wide[1]);
    char back[4];
    ASSERT_EQ(1, ConvertText(back, sizeof back, wide, -1, kEncodingWide, kEncodingHost));
    EXPECT_EQ(letter.mazovia, static_cast<uint8_t>(back[0]));

    char utf8[8];
    ASSERT_EQ(2, ConvertText(utf8, sizeof utf8, host, -1, kEncodingHost, kEncodingLog));
    EXPECT_STREQ(letter.utf8, utf8);
    ASSERT_EQ(1, ConvertText(back, sizeof back, utf8, -1, kEncodingLog, kEncodingHost));
    EXPECT_EQ(letter.mazovia, static_cast<uint8_t>(back[0]));
    char16_t fromLog[4];
    ASSERT_EQ(1, ConvertText(fromLog, sizeof fromLog, utf8, -1, kEncodingLog, kEncodingWide));
    EXPECT_EQ(letter.wide, fromLog[0]);
  }
}

TEST(ConvertText, ConvertsALogLineInPlace) {
  // The log writer converts its line buffer into itself.
  char line[64] = "2026-12-07=10:11:12 {KOMUNIKAT: Zako\xA4" "czono prac\x91}\n";
  int32_t length = static_cast<int32_t>(strlen(line));
  EXPECT_EQ(length + 2, ConvertText(line, sizeof line, line, length, kEncodingHost, kEncodingLog));
  EXPECT_STREQ("2026-12-07=10:11:12 {KOMUNIKAT: Zakończono pracę}\n", line);
}

TEST(ConvertText, CutsAtAWholeCharacterAndTerminates) {
  const char host[] = "a\x86\x86";  // "aąą": 5 bytes in UTF-8
  char utf8[5];
  memset(utf8, 'x', sizeof utf8);
  EXPECT_EQ(3, ConvertText(utf8, sizeof utf8, host, -1, kEncodingHost, kEncodingLog));
  EXPECT_STREQ("aą", utf8);

  char16_t wide[3];
  EXPECT_EQ(2, ConvertText(wide, sizeof wide, host, -1, kEncodingHost, kEncodingWide));
  EXPECT_EQ(0, wide[2]);
}

TEST(ConvertText, HonoursAGivenLength) {
  char16_t wide[8];
  EXPECT_EQ(2, ConvertText(wide, sizeof wide, "abcdef", 2, kEncodingHost, kEncodingWide));
  EXPECT_EQ(std::u16string(u"ab"), std::u16string(wide));
}

TEST(ConvertText, RefusesUnknownEncodingsWithAnEmptyTarget) {
  char target[8] = "xxxxxxx";
  EXPECT_EQ(-1, ConvertText(target, sizeof target, "abc", -1, kEncodingHost, 2));
  EXPECT_EQ(0, target[0]);
  EXPECT_EQ(-1, ConvertText(target, sizeof target, "abc", -1, 9, kEncodingHost));
  EXPECT_EQ(-1, ConvertText(target, 0, "abc", -1, kEncodingHost, kEncodingHost));
}

TEST(ConvertText, CharactersMissingFromTheHostEncodingBecomeQuestionMarks) {
  EXPECT_EQ("a?b", Utf8ToHostText("a€b"));
  EXPECT_EQ(u"a\uFFFDb", Utf8ToUtf16("a\xC3" "b"));
}

TEST(MacroBytes, Utf8SequencesGiveTheirLetterOnTheLastByte) {
  MacroByteDecoder decoder;
  std::string typed;
  for (char byte : std::string("zażółć"))
    if (uint8_t c = decoder.Feed(static_cast<uint8_t>(byte))) typed.push_back(static_cast<char>(c));
  EXPECT_EQ("za\xA7\xA2\x92\x8D", typed);
}

TEST(MacroBytes, StrayBytesAreMazoviaAndControlBytesAreNotTyped) {
  struct Case {
    uint8_t byte;
    uint8_t typed;
  } cases[] = {{0x86, 0x86}, {'a', 'a'}, {'\t', '\t'}, {0x01, 0}, {0x05, 0}, {0x7F, 0}, {0xFF, 0}};
  for (const Case &c : cases) {
    MacroByteDecoder decoder;
    EXPECT_EQ(c.typed, decoder.Feed(c.byte)) << int(c.byte);
  }
}

TEST(MacroBytes, ABrokenSequenceIsDroppedAndTheNextByteReadAfresh) {
  MacroByteDecoder decoder;
  EXPECT_EQ(0, decoder.Feed(0xC5));
  EXPECT_EQ('x', decoder.Feed('x'));
  EXPECT_EQ(0, decoder.Feed(0xE2));  // '€' has no Mazovia byte
  EXPECT_EQ(0, decoder.Feed(0x82));
  EXPECT_EQ(0, decoder.Feed(0xAC));
}

TEST(TextCase, LowersPolishLetters) {
  EXPECT_EQ(u'ż', ToLowerCase(u'Ż'));
  EXPECT_EQ(u'a', ToLowerCase(u'A'));
  EXPECT_EQ(u'1', ToLowerCase(u'1'));
}

}  // namespace
}  // namespace volmar
