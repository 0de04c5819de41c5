// The one code-page guess (tools/reader/polish_guess.h) against every
// Polish letter, saved in each code page a table or a macro may come in,
// alone, inside a word, at a word's start and in a word of capitals: each is
// read right, or the reader says the letters could not tell, naming the
// right code page; never read wrong in silence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/codec/code_pages.h"
#include "tools/reader/polish_guess.h"
#include "tools/reader/source.h"
#include "tools/reader/text_reader.h"

namespace {

using codec::CodePage;

std::string Encode(const std::u32string &text, CodePage page) {
  std::string out;
  for (char32_t c : text) {
    if (page == CodePage::kUtf8) {
      codec::AppendUtf8(out, c);
      continue;
    }
    const int byte = codec::CharToByte(page, c);
    EXPECT_GE(byte, 0);
    out += static_cast<char>(byte);
  }
  return out;
}

std::string Utf8(const std::u32string &text) { return Encode(text, CodePage::kUtf8); }

const char32_t kLower[] = U"ąćęłńóśźż";
const char32_t kUpper[] = U"ĄĆĘŁŃÓŚŹŻ";

// The places a letter stands in: `l` the small letter, `L` the capital.
struct Shape {
  const char *name;
  std::u32string (*make)(char32_t l, char32_t L);
};
const Shape kShapes[] = {
    {"small, alone", [](char32_t l, char32_t) { return std::u32string{l}; }},
    {"capital, alone", [](char32_t, char32_t L) { return std::u32string{L}; }},
    {"inside a word", [](char32_t l, char32_t) { return U"Sa" + std::u32string{l} + U"ka"; }},
    {"inside a small word", [](char32_t l, char32_t) { return U"sa" + std::u32string{l} + U"ka"; }},
    {"starting a word", [](char32_t, char32_t L) { return std::u32string{L} + U"ada"; }},
    {"starting a small word", [](char32_t l, char32_t) { return std::u32string{l} + U"ada"; }},
    {"inside capitals", [](char32_t, char32_t L) { return U"SA" + std::u32string{L} + U"KA"; }},
    {"starting capitals", [](char32_t, char32_t L) { return std::u32string{L} + U"KA"; }},
};

struct Tally {
  int right = 0, doubted = 0;
};

// A table: the header, then the word as its one field.
TEST(CodePageGuess, EveryLetterInATableIsReadRightOrDoubted) {
  Tally tally;
  for (CodePage saved : {CodePage::kCp1250, CodePage::kCp852, CodePage::kUtf8}) {
    for (int i = 0; i < 9; ++i) {
      for (const Shape &shape : kShapes) {
        const std::u32string text = U"Nazwa\n" + shape.make(kLower[i], kUpper[i]) + U"\n";
        SCOPED_TRACE(std::string(codec::CodePageName(saved)) + ", " + shape.name + ": " + Utf8(text));
        const std::string bytes = Encode(text, saved);
        reader::StringSource source(bytes);
        reader::ReadSettings settings;
        settings.guess = true;
        reader::TextReader reader(source, settings);
        reader::ReadError error;
        std::string read, piece;
        while (reader.Next(&piece, &error)) read += piece;
        if (error.problem != reader::ReadProblem::kNone) {  // not read at all: said
          ++tally.doubted;
          continue;
        }
        CodePage other = CodePage::kUtf8;
        int line = 0;
        EXPECT_FALSE(reader.BetterEncoding(&other, &line));  // all of it was weighed before the guess
        if (read == Utf8(text)) {
          ++tally.right;
          continue;
        }
        ASSERT_TRUE(reader.EncodingInDoubt(&other, &line)) << "read as " << read;
        EXPECT_EQ(saved, other);
        EXPECT_EQ(2, line);
        ++tally.doubted;
      }
    }
  }
  // Inside words every letter is told; alone, or where cp852's "ą" is
  // cp1250's "Ą", some are not (and are said to be in doubt).
  EXPECT_GE(tally.right, 3 * 9 * 5);
  RecordProperty("right", tally.right);
  RecordProperty("doubted", tally.doubted);
}

// A macro or a template: the host's own text (Mazovia) besides.
TEST(CodePageGuess, EveryLetterInAMacroIsReadRightOrDoubted) {
  Tally tally;
  for (CodePage saved : {CodePage::kMazovia, CodePage::kCp1250, CodePage::kCp852, CodePage::kUtf8}) {
    for (int i = 0; i < 9; ++i) {
      for (const Shape &shape : kShapes) {
        const std::u32string text = U"[F2]" + shape.make(kLower[i], kUpper[i]) + U"[ENTER]\n";
        SCOPED_TRACE(std::string(codec::CodePageName(saved)) + ", " + shape.name + ": " + Utf8(text));
        const std::string bytes = Encode(text, saved);
        reader::Weighing weighing(reader::kMacroPages);
        weighing.Feed(bytes.data(), bytes.size());
        weighing.Finish();
        const CodePage leader = weighing.Leader();
        std::string read;
        size_t bad = 0;
        if (leader == CodePage::kUtf8) read = bytes;
        else EXPECT_TRUE(codec::DecodeToUtf8(leader, bytes, &read, &bad));
        CodePage other = CodePage::kUtf8;
        if (read == Utf8(text)) {
          ++tally.right;
          continue;
        }
        ASSERT_TRUE(weighing.InDoubt(leader, &other)) << "read as " << read << " in " << codec::CodePageName(leader);
        // The reading it was saved in is in doubt too: nothing clearly leads it.
        CodePage better = CodePage::kUtf8;
        EXPECT_TRUE(weighing.Possible(saved));
        EXPECT_FALSE(weighing.ClearlyBetter(saved, &better)) << codec::CodePageName(better);
        ++tally.doubted;
      }
    }
  }
  EXPECT_GE(tally.right, 4 * 9 * 5);
  RecordProperty("right", tally.right);
  RecordProperty("doubted", tally.doubted);
}

// The fault as it was found: a cp852 table of "ą" alone was read as cp1250.
TEST(CodePageGuess, Cp852WithOnlyAIsCp852) {
  for (const auto &[text, pages] : {std::pair{std::u32string(U"Nazwa\nDąbrowa\nZąbki\n"), reader::kTablePages},
                                    std::pair{std::u32string(U"Dąbrowa[ENTER]Ząbki[ENTER]\n"), reader::kMacroPages}}) {
    const std::string bytes = Encode(text, CodePage::kCp852);
    reader::Weighing weighing(pages);
    weighing.Feed(bytes.data(), bytes.size());
    EXPECT_TRUE(weighing.decided());  // "DĄbrowa" is no word: the first one tells
    EXPECT_EQ(CodePage::kCp852, weighing.Leader());
  }
}

// Weighing stops at the decision: a long table costs its first words.
TEST(CodePageGuess, StopsWhereOneReadingClearlyLeads) {
  std::string bytes = Encode(U"Nazwa;Miasto\nNowak;Łódź\n", CodePage::kCp1250);
  reader::Weighing weighing(reader::kTablePages);
  weighing.Feed(bytes.data(), bytes.size());
  ASSERT_TRUE(weighing.decided());
  // Whatever follows is not weighed: the decision stands.
  const std::string other = Encode(U"Dąbrowa Ząbki Dąbrowa Ząbki\n", CodePage::kCp852);
  weighing.Feed(other.data(), other.size());
  weighing.Finish();
  EXPECT_EQ(CodePage::kCp1250, weighing.Leader());
  // The reader holds the bytes from the first letter only until then.
  std::string table = "Nazwa;Miasto\n";
  for (int i = 0; i < 20000; ++i) table += Encode(U"Nowak;Łódź\n", CodePage::kCp1250);
  reader::StringSource source(table);
  reader::ReadSettings settings;
  settings.guess = true;
  settings.chunk = 4096;
  reader::TextReader reader(source, settings);
  reader::ReadError error;
  std::string piece;
  ASSERT_TRUE(reader.Next(&piece, &error));
  ASSERT_TRUE(reader.Next(&piece, &error));
  EXPECT_EQ(CodePage::kCp1250, reader.page());
  EXPECT_TRUE(reader.weighing().decided());
}

// Text the letters cannot tell, and a later word that does: weighed on past
// the bytes the guess holds, the reader says which reading was better.
TEST(CodePageGuess, UndecidedTextIsWeighedOnAsItIsRead) {
  std::string table = "Nazwa\n" + Encode(U"ąb\n", CodePage::kCp852);
  table += std::string(3 * reader::kGuessHold, 'x') + "\n" + Encode(U"Dąbrowa\n", CodePage::kCp852);
  reader::StringSource source(table);
  reader::ReadSettings settings;
  settings.guess = true;
  reader::TextReader reader(source, settings);
  reader::ReadError error;
  std::string piece;
  while (reader.Next(&piece, &error)) {
  }
  EXPECT_EQ(reader::ReadProblem::kNone, error.problem);
  EXPECT_EQ(CodePage::kCp1250, reader.page());  // taken while in doubt
  CodePage better = CodePage::kUtf8;
  int line = 0;
  ASSERT_TRUE(reader.BetterEncoding(&better, &line));
  EXPECT_EQ(CodePage::kCp852, better);
  EXPECT_EQ(4, line);
}

// A byte that is no UTF-8 names the code page its word shows, or both when
// the word cannot tell.
TEST(CodePageGuess, NotUtf8NamesBothPagesWhenInDoubt) {
  for (const auto &[bytes, likely, doubt] :
       {std::tuple{Encode(U"Nazwa\nZąbki\n", CodePage::kCp852), CodePage::kCp852, false},
        std::tuple{Encode(U"Nazwa\nąb\n", CodePage::kCp852), CodePage::kCp1250, true}}) {
    reader::StringSource source(bytes);
    reader::TextReader reader(source, reader::ReadSettings());
    reader::ReadError error;
    std::string piece;
    while (reader.Next(&piece, &error)) {
    }
    EXPECT_EQ(reader::ReadProblem::kNotUtf8, error.problem);
    EXPECT_EQ(likely, error.likely);
    EXPECT_EQ(doubt, error.inDoubt);
    if (doubt) {
      EXPECT_EQ(CodePage::kCp852, error.alsoLikely);
    }
  }
}

}  // namespace
