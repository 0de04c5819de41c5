// The checker's small helpers: near misses, places in a file, and the texts
// it prints.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/contract/macro_bytes.h"
#include "tools/macro/check_model.h"
#include "tools/checker/report.h"
#include "tools/macro/suggest.h"
#include "tools/macro/text_util.h"

namespace {

TEST(EditDistance, CountsInsertionsDeletionsChangesAndSwapsIgnoringCase) {
  struct Case {
    const char *a;
    const char *b;
    int distance;
  } cases[] = {
      {"ENTER", "ENTER", 0}, {"enter", "ENTER", 0}, {"ENTR", "ENTER", 1},  {"ENTEER", "ENTER", 1},
      {"ETNER", "ENTER", 1}, {"ENTRE", "ENTER", 1}, {"PGUP", "PG_UP", 1},  {"HOME", "HOMER", 1},
      {"", "TAB", 3},        {"F1", "F12", 1},      {"CTRL_PGUP", "CTRL_PGDN", 2},
  };
  for (const Case &c : cases) EXPECT_EQ(c.distance, macro::EditDistance(c.a, c.b)) << c.a << " " << c.b;
}

TEST(NearestNames, RanksCaseBlankAndUnderscoreBeforeEdits) {
  const std::vector<std::string> keys = {"ENTER", "END",      "HOME",     "PG_UP",    "PGUP", "F1",
                                         "F2",    "F12",      "DOWN",     "PGDN",     "SHIFT_F1",
                                         "SHIFT_F2", "SHIFT_F3", "HOMER"};
  struct Case {
    const char *word;
    std::vector<std::string> names;  // best first
  } cases[] = {
      {"enter", {"ENTER"}},
      {"ENTER ", {"ENTER"}},
      {" HO ME", {"HOME"}},
      {"PG-UP", {"PG_UP"}},  // '-' for '_': the one-letter edit PGUP is another key
      {"wait", {"WAIT"}},            // a command
      {"Restart", {"RESTART"}},
      {"ENDD", {"END"}},
      {"SHIFT-F3", {"SHIFT_F3"}},       // never SHIFT_F1 or SHIFT_F2, two letters off
      {"PGDOWN", {"PGDN", "DOWN"}},     // equally close: the one that begins alike first
      {"HOMME", {"HOME"}},              // one letter off: HOMER, two off, is not listed
      {"F3", {}},                    // short words: an edit would fit too much
      {"Dzien dobry", {}},
      {"ok", {}},
  };
  for (const Case &c : cases) {
    std::vector<std::string> names;
    for (const macro::Suggestion &s : macro::NearestNames(c.word, keys)) names.push_back(s.name);
    EXPECT_EQ(c.names, names) << c.word;
  }
  std::vector<macro::Suggestion> many = macro::NearestNames("F", {"F1", "F2", "F3", "F4", "F5"}, 3);
  EXPECT_TRUE(many.empty());  // a distance as long as the name is no hint
  EXPECT_EQ(3u, macro::NearestNames("ALT_X", {"ALT_A", "ALT_B", "ALT_C", "ALT_D"}, 3).size());
}

TEST(SourceMap, GivesLinesAndCharacterColumnsInAnyOrder) {
  const std::string text = "ab\r\nZa\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 x\n\xA4y\n";
  macro::SourceMap map(text);
  struct Case {
    size_t offset;
    int line;
    int column;
  } cases[] = {
      {0, 1, 1}, {1, 1, 2}, {4, 2, 1}, {6, 2, 3}, {14, 2, 7}, {15, 2, 8},
      {8, 2, 4},    // asked after a later place of the same line
      {17, 3, 1},   // a byte that is no UTF-8 counts as one character
      {18, 3, 2}, {20, 4, 1},
  };
  for (const Case &c : cases) {
    macro::SourcePosition p = map.At(c.offset);
    EXPECT_EQ(c.line, p.line) << c.offset;
    EXPECT_EQ(c.column, p.column) << c.offset;
  }
  EXPECT_EQ("ab", map.Line(1));
  EXPECT_EQ("\xA4y", map.Line(3));
  EXPECT_EQ("", map.Line(2, 5));  // too long to show
  EXPECT_EQ("", map.Line(9));
}

TEST(Texts, FileBytesBecomeUtf8AndJsonStaysValid) {
  // UTF-8 stays, other high bytes are host text.
  EXPECT_EQ("\xC5\x84\xC5\x84", macro::FileBytesToUtf8("\xC5\x84\xA4"));
  EXPECT_EQ("\xC3\x87\xC5\x84", macro::FileBytesToUtf8("\x80\xA4"));
  EXPECT_EQ(2u, macro::FileCharacterCount("\xC5\x84\xC5"));
  EXPECT_TRUE(macro::HasUtf8Sequence("za\xC5\xBC"));
  EXPECT_FALSE(macro::HasUtf8Sequence("za\xA7"));
  EXPECT_EQ("\"a\\\"b\\\\c\\n\\t\\u0001\xC5\x84\"", checker::JsonString("a\"b\\c\n\t\x01\xA4"));
  EXPECT_EQ("'\\t' \\r \\x01", macro::Visible("'\t' \r \x01"));
}

TEST(Texts, ADiagnosticReadsLikeACompilers) {
  macro::Diagnostic d;
  d.file = "m.txt";
  d.position = {2, 3};
  d.id = "typed-as-text";
  d.message = "[enter] is typed as text";
  d.hint = "did you mean [ENTER]?";
  d.sourceLine = "\tb[enter]";
  EXPECT_EQ(
      "m.txt:2:3: warning: [enter] is typed as text [typed-as-text]\n"
      "  \tb[enter]\n"
      "  \t ^\n"
      "  hint: did you mean [ENTER]?\n",
      checker::DiagnosticText(d, false));
  d.position = {};
  d.sourceLine.clear();
  d.hint.clear();
  d.severity = macro::Severity::kError;
  EXPECT_EQ("m.txt: error: [enter] is typed as text [typed-as-text]\n", checker::DiagnosticText(d, false));
}

// The host's decoder, which the checker runs, says why it typed nothing.
TEST(MacroByteDecoder, SaysWhyItDropsAByte) {
  using host::MacroByteDrop;
  struct Case {
    const char *bytes;
    uint8_t typed;          // what the last byte gives
    MacroByteDrop dropped;  // and why it gives nothing
    char32_t codePoint;
    bool continued;
  } cases[] = {
      {"a", 'a', MacroByteDrop::kNone, U'a', false},
      {"\xC5", 0, MacroByteDrop::kPartial, 0, false},
      {"\xC5\x84", 0xA4, MacroByteDrop::kNone, U'\u0144', true},
      {"\xE2\x82", 0, MacroByteDrop::kPartial, 0, true},
      {"\xE2\x82\xAC", 0, MacroByteDrop::kNoHostChar, U'\u20AC', true},
      {"\xC0\xAF", 0xAF, MacroByteDrop::kNone, U'\u00BB', false},  // stray bytes: host text
      {"\xE0\x81\x81", 0, MacroByteDrop::kNoHostChar, 0x41, true},  // overlong
      {"\x01", 0, MacroByteDrop::kControl, 1, false},
      {"\xFF", 0, MacroByteDrop::kControl, U'\u00A0', false},
      {"\xC2\xA0", 0, MacroByteDrop::kControl, U'\u00A0', true},  // the host's inline code 0xFF
      {"\xC5x", 'x', MacroByteDrop::kNone, U'x', false},  // a broken sequence: 'x' read afresh
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.bytes);
    host::MacroByteDecoder decoder;
    std::string bytes = c.bytes;
    uint8_t typed = 0;
    for (char byte : bytes) typed = decoder.Feed(static_cast<uint8_t>(byte));
    EXPECT_EQ(c.typed, typed);
    EXPECT_EQ(c.dropped, decoder.Dropped());
    EXPECT_EQ(c.codePoint, decoder.CodePoint());
    EXPECT_EQ(c.continued, decoder.Continued());
  }
}

}  // namespace
