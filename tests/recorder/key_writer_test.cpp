// The recorder's key-to-text writer: codes to bytes, '[' and ']', Polish
// letters through the host's own conversion, Enter's line break, names the
// player would not resolve back, and the count of unnamed keys.
#include "recorder/writer/key_writer.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "host/app/core/text_codec.h"

namespace {

// A keys.h as loaded: table order is ascending code.
std::vector<KeyNameEntry> Table(std::initializer_list<std::pair<uint16_t, const char *>> rows) {
  std::vector<KeyNameEntry> entries;
  for (const auto &row : rows) {
    KeyNameEntry entry{};
    entry.code = row.first;
    strncpy(entry.name, row.second, sizeof entry.name - 1);
    entries.push_back(entry);
  }
  return entries;
}

std::vector<KeyNameEntry> g_entries;

// The player's reading of a bracketed word over g_entries: a command first,
// then the first entry of that name in table order, the walk stopping at an
// empty name.
uint32_t PlayerCode(const char *word) {
  for (const char *command : kPlayerCommandNames)
    if (strcmp(word, command) == 0) return 0;
  for (const KeyNameEntry &entry : g_entries) {
    if (entry.name[0] == 0) return 0;
    if (strcmp(entry.name, word) == 0) return entry.code;
  }
  return 0;
}

// The stand-in host's own conversion of host text to wide text.
bool HostWide(uint8_t byte, char16_t *wide) {
  char source[2] = {static_cast<char>(byte), 0};
  char16_t target[4] = {};
  int32_t length = volmar::ConvertText(target, sizeof target, source, 1, host::kEncodingHostText,
                                       host::kEncodingWide);
  if (length != 1) return false;
  *wide = target[0];
  return true;
}

bool NoWide(uint8_t, char16_t *) { return false; }

struct Written {
  KeyTextKind kind;
  std::string bytes;
};

class KeyWriterTest : public ::testing::Test {
 protected:
  void Load(std::vector<KeyNameEntry> entries) {
    g_entries = std::move(entries);
    playable_.assign(g_entries.size(), 0);
    MarkPlayableNames(g_entries.data(), static_cast<uint32_t>(g_entries.size()), playable_.data(),
                      PlayerCode);
    view_.entries = g_entries.data();
    view_.count = static_cast<uint32_t>(g_entries.size());
    view_.playable = playable_.data();
  }
  Written Write(uint32_t key, HostByteToWide toWide = HostWide) {
    KeyText text = KeyToText(key, view_, toWide);
    EXPECT_EQ(strlen(text.bytes), text.length);
    return {text.kind, std::string(text.bytes, text.length)};
  }

  std::vector<uint8_t> playable_;
  KeyNameView view_;
};

constexpr KeyTextKind kChar = KeyTextKind::kCharacter;
constexpr KeyTextKind kName = KeyTextKind::kKeyName;
constexpr KeyTextKind kNone = KeyTextKind::kUnnamed;

TEST_F(KeyWriterTest, WritesEachKeySoThatThePlayerTypesItBack) {
  Load(Table({{9, "TAB"}, {10, "CTRL_ENTER"}, {13, "ENTER"}, {27, "ESC"}, {0x5B, "LBRACKET"},
              {127, "CTRL_BACKSP"}, {0x1C0D, "KP_ENTER"}, {0x3C00, "F2"}, {0x4800, "UP"},
              {0x4B00, "LEFT"}, {0x8900, "CTRL_F11"}}));
  struct Case {
    const char *what;
    uint32_t key;
    KeyTextKind kind;
    const char *bytes;
  } cases[] = {
      {"a letter", 'a', kChar, "a"},
      {"a blank", ' ', kChar, " "},
      {"a tilde, the last ASCII character", '~', kChar, "~"},
      {"a digit with a scan code", 0x0B30, kChar, "0"},
      {"a comma", ',', kChar, ","},
      {"ą (Mazovia 0x86) as UTF-8", 0x86, kChar, "\xC4\x85"},
      {"Ż (Mazovia 0xA1) as UTF-8", 0xA1, kChar, "\xC5\xBB"},
      {"ł (Mazovia 0x92) as UTF-8", 0x92, kChar, "\xC5\x82"},
      {"a box character (Mazovia 0xC4) as UTF-8", 0xC4, kChar, "\xE2\x94\x80"},
      {"the non-breaking space (Mazovia 0xFF) is the host's inline code", 0xFF, kNone, ""},
      {"']' as it is", ']', kChar, "]"},
      {"'[' by its own code's name", 0x5B, kName, "[LBRACKET]"},
      {"'[' with a scan code: the plain '[' name", 0x1A5B, kName, "[LBRACKET]"},
      {"Tab by name", 9, kName, "[TAB]"},
      {"Enter by name and a line break", 13, kName, "[ENTER]\r\n"},
      {"another key with low byte 13: a line break too", 0x1C0D, kName, "[KP_ENTER]\r\n"},
      {"Ctrl+Enter (10): no line break", 10, kName, "[CTRL_ENTER]"},
      {"Esc", 27, kName, "[ESC]"},
      {"DEL (127) is no character", 127, kName, "[CTRL_BACKSP]"},
      {"a function key", 0x3C00, kName, "[F2]"},
      {"an arrow", 0x4800, kName, "[UP]"},
      {"only the low 16 bits count", 0x10004B00, kName, "[LEFT]"},
      {"a key keys.h does not name", 0x8B00, kNone, ""},
      {"a control character keys.h does not name", 1, kNone, ""},
  };
  for (const Case &c : cases) {
    Written written = Write(c.key);
    EXPECT_EQ(c.kind, written.kind) << c.what;
    EXPECT_EQ(std::string(c.bytes), written.bytes) << c.what;
  }
}

TEST_F(KeyWriterTest, WritesOnlyNamesThePlayerResolvesBackToTheSameCode) {
  Load(Table({{0x0000, "ZERO"},      // "#define ZERO 0x10000": code 0 is no key
              {9, "TAB"},
              {9, "TABULATOR"},    // a second name of Tab: the first one is used
              {0x3B00, "TAB"},     // the player finds TAB at 9 first: F1 must not use it
              {0x3B00, "F1"},
              {0x3C00, "WAIT"},    // a command's name plays as the command
              {0x3D00, "F3]"},     // a ']' would end the word early
              {0x3E00, "F\xA5"},   // not ASCII: not written into a UTF-8 file
              {0x3F00, "F5"}}));
  struct Case {
    uint32_t key;
    KeyTextKind kind;
    const char *bytes;
  } cases[] = {
      {9, kName, "[TAB]"},        {0x3B00, kName, "[F1]"}, {0x3C00, kNone, ""},
      {0x3D00, kNone, ""},        {0x3E00, kNone, ""},     {0x3F00, kName, "[F5]"},
      {0x10000, kNone, ""},
  };
  for (const Case &c : cases) {
    Written written = Write(c.key);
    EXPECT_EQ(c.kind, written.kind) << std::hex << c.key;
    EXPECT_EQ(std::string(c.bytes), written.bytes) << std::hex << c.key;
  }
}

TEST_F(KeyWriterTest, AnEmptyNameHidesTheNamesBehindIt) {
  // The player's walk by name stops at the first empty name: names behind
  // it in table order do not play, so they are not written.
  Load(Table({{9, "TAB"}, {10, ""}, {13, "ENTER"}}));
  EXPECT_EQ("[TAB]", Write(9).bytes);
  EXPECT_EQ(kNone, Write(10).kind);
  EXPECT_EQ(kNone, Write(13).kind);
}

TEST_F(KeyWriterTest, WithoutATableOnlyCharactersAreWritten) {
  KeyNameView none;
  EXPECT_EQ("x", std::string(KeyToText('x', none, HostWide).bytes));
  EXPECT_EQ(kNone, KeyToText('[', none, HostWide).kind);
  EXPECT_EQ(kNone, KeyToText(13, none, HostWide).kind);
  EXPECT_EQ("]", std::string(KeyToText(']', none, HostWide).bytes));
}

TEST_F(KeyWriterTest, AHighByteTheHostCannotConvertIsNeverWrittenAsSomethingElse) {
  Load(Table({{0x86, "A_OGONEK"}}));
  // ASCII needs no conversion; a high byte without one goes by name, if any.
  EXPECT_EQ("a", Write('a', NoWide).bytes);
  EXPECT_EQ("[A_OGONEK]", Write(0x86, NoWide).bytes);
  EXPECT_EQ(kNone, Write(0x87, NoWide).kind);
}

TEST_F(KeyWriterTest, EveryHostCharacterRoundTripsThroughTheHostsMacroReading) {
  // What the writer writes for a character key, the host's reading of a
  // macro file (HostConvertChar, mode 3) gives back as that character.
  Load({});
  for (uint32_t byte = 0x20; byte <= 0xFF; ++byte) {
    Written written = Write(byte);
    if (byte == '[' || byte == 0x7F || byte == 0xFF) {
      EXPECT_NE(kChar, written.kind) << byte;
      continue;
    }
    ASSERT_EQ(kChar, written.kind) << byte;
    host::MacroByteDecoder decoder;
    uint8_t typed = 0;
    for (char c : written.bytes) typed = decoder.Feed(static_cast<uint8_t>(c));
    EXPECT_EQ(byte, typed) << byte;
  }
}

TEST(UnnamedKeys, CountsEveryKeyAndKeepsEachCodeOnce) {
  UnnamedKeys keys;
  for (uint16_t code : {0x8B00, 0x8B00, 0x0001, 0x8B00}) NoteUnnamedKey(&keys, code);
  EXPECT_EQ(4u, keys.count);
  ASSERT_EQ(2u, keys.kept);
  EXPECT_EQ(0x8B00, keys.codes[0]);
  EXPECT_EQ(0x0001, keys.codes[1]);
  EXPECT_FALSE(keys.moreCodes);
  for (uint16_t code = 0x100; code < 0x100 + kUnnamedCodesKept; ++code) NoteUnnamedKey(&keys, code);
  EXPECT_EQ(kUnnamedCodesKept, keys.kept);
  EXPECT_TRUE(keys.moreCodes);
  EXPECT_EQ(4u + kUnnamedCodesKept, keys.count);
}

}  // namespace
